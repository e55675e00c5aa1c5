// The files a loaded checkfile lists, found by the path of a file as the folder walk gives it.
// Both the search for unlisted files and the update of a checkfile match the walk's files to
// the checkfile's entries with it, so the two always agree on which file an entry names.
//
// An entry names the file whose path, as the walk (FolderWalk.h) gives it, equals the entry's
// path as the verification opens it (ListedPath): the checkfile's folder and the stored
// relative path, byte for byte on POSIX, ignoring letter case on Windows (ComparablePath). An
// entry in a form the generation never writes (a "." or ".." component, a path that leads out
// of the folder, "/" between components on Windows) names no file of the walk, so the file it
// may reach is still reported: such a checkfile is never taken to list more than it plainly
// does.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace checkfile {

class ListedFiles {
 public:
  struct Listed {
    std::string Path;        // the full name the verification opens, from the first entry
    std::string DigestText;  // the first entry's stored digest
    // Whether the stored digest may stand for the file without reading it: every entry that
    // names the file stores the same text, and it is a digest as the generation writes it (32
    // lowercase hexadecimal digits). A file listed twice with different digests, or with
    // uppercase digits, is read again.
    bool DigestTrusted = true;
  };

  static constexpr size_t kNone = ~size_t{0};

  // lines: the checkfile's lines (LoadCheckfileLines); baseFolder: its folder part, with the
  // separator (platform::FolderPartOf).
  ListedFiles(const std::vector<std::string>& lines, const std::string& baseFolder);

  // The index of the listed file that the walk's path names; kNone when no entry names it.
  // Safe to call from several threads at once.
  size_t Find(const std::string& path) const;
  // One a file named, in the order of the first entry naming each.
  const std::vector<Listed>& Files() const { return files_; }

 private:
  std::vector<Listed> files_;
  std::unordered_map<std::string, size_t> byPath_;  // ComparablePath(Listed::Path) -> index
};

// Whether the text is a digest as the generation writes it: 32 lowercase hexadecimal digits.
bool IsGeneratedDigestText(const std::string& text);

}  // namespace checkfile
