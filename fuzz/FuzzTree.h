// The fuzz target's fixed tree of files, made once per process in a temporary folder, and the
// fault hooks that keep every file access of the tasks inside it.
//
// The hooks exist because a fuzzed path can name anything ("../../proc/kcore" would be read for
// ever): they fail every opening outside the tree as a missing file would, let the tasks list
// the tree's folders and write into its top folder only, and make the reads of one file fail
// halfway, so that "Could not read file" is reached as well as "Could not open file".
#pragma once

#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "checkfile/CheckfileFormat.h"
#include "digest/CryptoAPI.h"
#include "platform/FaultHooks.h"
#include "platform/Path.h"

namespace fuzz_checks {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr uint32_t kFlakyReadable = 4096;  // the flaky file's reads fail after this many bytes

inline std::string DigestOf(const std::string& bytes) {
  digest::HashContext context;
  digest::HashInit(&context, digest::HASH_MD5);
  digest::HashUpdate(&context, bytes.data(), static_cast<uint32_t>(bytes.size()));
  std::string text;
  digest::HashFinal(&context, text);
  return text;
}

inline std::string Pattern(size_t count, uint32_t seed) {
  std::string bytes(count, '\0');
  for (char& byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<char>(seed >> 24);
  }
  return bytes;
}

struct KnownFile {
  std::string bytes;
  std::string digest;
  bool failsReading = false;
};

// The fixed tree, and what a file access anywhere meets in it.
class Tree {
 public:
  Tree() {
    const char* base = getenv("TMPDIR");
    char pattern[PATH_MAX];
    snprintf(pattern, sizeof pattern, "%s/vrtly-fuzz-XXXXXX", base != nullptr ? base : "/tmp");
    if (mkdtemp(pattern) == nullptr) abort();
    char real[PATH_MAX];
    if (realpath(pattern, real) == nullptr) abort();
    top_ = real;
    Add("a.txt", "a");
    Add("empty.txt", "");
    Add("UPPER.TXT", "A");
    Add("with blanks  ", "x");
    Add("sub/abc.txt", "abc");
    Add("sub/deeper/big.bin", Pattern(5000, 1));
    Add("flaky.bin", Pattern(9000, 2), true);
    fs::create_directory(top_ + "/empty folder");
    checkfile_ = top_ + "/" + checkfile::kCheckfileName;
  }
  ~Tree() {
    std::error_code ignored;
    fs::remove_all(top_, ignored);
  }
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;

  const std::string& Top() const { return top_; }
  const std::string& Checkfile() const { return checkfile_; }
  // Whether path is the tree's top folder or lies below it (text only: the walk gives full
  // names without "." or ".." components).
  bool Holds(const std::string& path) const {
    return path == top_ || path.compare(0, top_.size() + 1, top_ + "/") == 0;
  }
  // Whether path is an entry of the top folder itself, where the tasks write the checkfile.
  bool InTopFolder(const std::string& path) const {
    return Holds(path) && path != top_ && path.find('/', top_.size() + 1) == std::string::npos;
  }
  const KnownFile* Known(const std::string& relative) const {
    const auto file = files_.find(top_ + "/" + relative);
    return file == files_.end() ? nullptr : &file->second;
  }
  std::string BaseFolder() const { return platform::FolderPartOf(checkfile_); }

  // The file of the tree that path names, through links, "." and ".." and all; none for
  // anything else (a folder, a missing name, anything outside the tree, the checkfile itself).
  const KnownFile* Find(const std::string& path) {
    auto cached = resolved_.find(path);
    if (cached == resolved_.end()) {
      if (resolved_.size() > 10000) resolved_.clear();  // fuzzed paths run up to 10000 bytes
      char real[PATH_MAX];
      cached = resolved_.emplace(path, realpath(path.c_str(), real) ? real : "").first;
    }
    const auto file = files_.find(cached->second);
    return file == files_.end() ? nullptr : &file->second;
  }
  bool IsCheckfile(const std::string& path) {
    char real[PATH_MAX];
    return realpath(path.c_str(), real) != nullptr && checkfile_ == real;
  }
  bool IsFlaky(const std::string& path) {
    const KnownFile* file = Find(path);
    return file != nullptr && file->failsReading;
  }

  std::string ReadCheckfile() const {
    std::string bytes;
    FILE* in = fopen(checkfile_.c_str(), "rb");
    if (in == nullptr) abort();
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, in)) > 0;)
      bytes.append(buffer, got);
    fclose(in);
    return bytes;
  }

  void WriteCheckfile(const uint8_t* data, size_t size) {
    FILE* out = fopen(checkfile_.c_str(), "wb");
    if (out == nullptr || fwrite(data, 1, size, out) != size || fclose(out) != 0) abort();
  }

 private:
  void Add(const std::string& name, const std::string& bytes, bool failsReading = false) {
    const fs::path path = fs::path(top_) / name;
    fs::create_directories(path.parent_path());
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr || fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
        fclose(out) != 0)
      abort();
    files_[path.string()] = {bytes, DigestOf(bytes), failsReading};
  }

  std::string top_;
  std::string checkfile_;
  std::map<std::string, KnownFile> files_;
  std::unordered_map<std::string, std::string> resolved_;
};

// Lets the verification open the checkfile once (its load) and the files of the tree; fails
// every other opening as a missing file would, and the flaky file's reads halfway. The
// checkfile is read in short pieces, so that its lines are put together across reads.
class JailHooks : public platform::FaultHooks {
 public:
  explicit JailHooks(Tree& tree) : tree_(tree) {}
  void ExpectLoad(uint32_t readChunk) {
    loadPending_ = true;
    checkfileChunk_ = readChunk;
  }

  uint32_t OpenForRead(const std::string& path) override {
    if (loadPending_ && tree_.IsCheckfile(path)) {
      loadPending_ = false;
      loading_ = true;
      return 0;
    }
    return tree_.Find(path) != nullptr ? 0 : ENOENT;
  }
  uint32_t CreateForWrite(const std::string& path) override {
    return tree_.InTopFolder(path) ? 0 : EACCES;
  }
  uint32_t ListFolder(const std::string& folder) override {
    return tree_.Holds(folder) ? 0 : EACCES;
  }
  uint32_t ListNext(const std::string& folder, size_t) override {
    return tree_.Holds(folder) ? 0 : EACCES;
  }
  uint32_t Read(intptr_t file, uint32_t& count) override {
    if (file == checkfileHandle_) count = std::min(count, checkfileChunk_);
    const auto flaky = flakyRead_.find(file);
    if (flaky == flakyRead_.end()) return 0;
    if (flaky->second >= kFlakyReadable) return EIO;
    count = std::min(count, kFlakyReadable - flaky->second);
    flaky->second += count;
    return 0;
  }
  uint32_t Write(intptr_t file, uint32_t&) override {
    return openInTop_.count(file) != 0 ? 0 : EACCES;
  }
  uint32_t Flush(intptr_t file) override { return openInTop_.count(file) != 0 ? 0 : EACCES; }
  uint32_t Replace(const std::string& from, const std::string& to) override {
    return tree_.InTopFolder(from) && tree_.InTopFolder(to) ? 0 : EACCES;
  }
  void Opened(intptr_t file, const std::string& path) override {
    if (tree_.InTopFolder(path)) openInTop_.insert(file);
    if (loading_) {
      loading_ = false;
      checkfileHandle_ = file;
    } else if (tree_.IsFlaky(path)) {
      flakyRead_[file] = 0;
    }
  }
  void Closing(intptr_t file) override {
    if (file == checkfileHandle_) checkfileHandle_ = -1;
    flakyRead_.erase(file);
    openInTop_.erase(file);
  }

 private:
  Tree& tree_;
  bool loadPending_ = false;
  bool loading_ = false;
  intptr_t checkfileHandle_ = -1;
  uint32_t checkfileChunk_ = 0;
  std::map<intptr_t, uint32_t> flakyRead_;
  std::set<intptr_t> openInTop_;
};

}  // namespace fuzz_checks
