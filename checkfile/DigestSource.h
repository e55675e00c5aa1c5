// Where a task gets the MD5 digest of each file it lists or tests. The task asks for the files
// one at a time, in the order of its log; the answer is always exactly what HashFile gives for
// the file at the moment it is read. A source may read ahead of the task (several files at once,
// on other threads) when it has been told which files come next; the task's log and checkfile
// are the same either way.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace checkfile {

class DigestSource {
 public:
  virtual ~DigestSource() = default;

  // The task will now walk folder (FolderWalk.h) and ask for the files of the walk, in walk
  // order: all of them, or, when willAsk is given, those for which it answers true (it may be
  // called on another thread). The task may still ask for a file the source did not expect,
  // or pass over one it did: the source must then still answer correctly.
  virtual void ExpectWalk(const std::string& folder,
                          std::function<bool(const std::string& path)> willAsk = nullptr) = 0;
  // The task will now ask for these files, in this order (a file may come more than once).
  virtual void ExpectFiles(std::vector<std::string> paths) = 0;
  // The result code of HashFile with HASH_MD5 for the file, and on 0 its digest text.
  virtual int32_t Digest(const std::string& path, std::string& digestText) = 0;
};

// Reads each file when the task asks for it, on the task's thread: the GUI's way, and the one
// that never has two files open at once.
class DigestOnRequest final : public DigestSource {
 public:
  void ExpectWalk(const std::string&, std::function<bool(const std::string&)>) override {}
  void ExpectFiles(std::vector<std::string>) override {}
  int32_t Digest(const std::string& path, std::string& digestText) override;
};

}  // namespace checkfile
