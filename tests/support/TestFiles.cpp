#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

namespace testing_support {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (;;) {
    std::ostringstream name;
    name << "vrtly-test-" << stamp << "-" << counter++;
    path_ = fs::temp_directory_path() / name.str();
    if (fs::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempDir::operator/(const std::string& name) const {
  return (path_ / fs::path(name).make_preferred()).string();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  const fs::path target(path);
  if (target.has_parent_path()) fs::create_directories(target.parent_path());
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFiles(const TempDir& dir, const FileList& files) {
  for (const auto& [name, bytes] : files) {
    if (name.ends_with('/')) {
      fs::create_directories(dir.path() / name);
    } else {
      WriteFile(dir / name, bytes);
    }
  }
}

std::string InDir(const TempDir& dir, const std::string& text) {
  std::string expanded;
  size_t pos = 0;
  for (size_t open; (open = text.find('{', pos)) != std::string::npos;) {
    const size_t close = text.find('}', open);
    if (close == std::string::npos) break;
    const std::string name = text.substr(open + 1, close - open - 1);
    expanded += text.substr(pos, open - pos) + (name.empty() ? dir.path().string() : dir / name);
    pos = close + 1;
  }
  return expanded + text.substr(pos);
}

std::vector<std::string> InDir(const TempDir& dir, const std::vector<std::string>& lines) {
  std::vector<std::string> expanded;
  for (const std::string& line : lines)
    expanded.push_back(InDir(dir, line));
  return expanded;
}

std::string PatternBytes(size_t count) {
  std::string bytes(count, '\0');
  uint32_t x = 2463534242u;  // xorshift32
  for (char& byte : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    byte = static_cast<char>(x & 0xFFu);
  }
  return bytes;
}

}  // namespace testing_support
