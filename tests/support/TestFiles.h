// Real files and folders for tests, removed again when the test ends.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// A fresh, empty folder under the system's temporary folder; removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The full path of a name inside the folder, in the platform's native form.
  std::string operator/(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Writes the bytes to the file, creating the folders on the way.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// Files for a test: each a path relative to the test's folder ("/" between folders) and its
// bytes. A path that ends in "/" is an empty folder.
using FileList = std::vector<std::pair<std::string, std::string>>;
void WriteFiles(const TempDir& dir, const FileList& files);

// The text with every "{name}" replaced by the full path of name in the folder and "{}" by the
// folder itself, so that a table can give expected lines before its folder exists.
std::string InDir(const TempDir& dir, const std::string& text);
std::vector<std::string> InDir(const TempDir& dir, const std::vector<std::string>& lines);

// count bytes of a repeating, position-dependent pattern (not all equal, not periodic in 64).
std::string PatternBytes(size_t count);

}  // namespace testing_support
