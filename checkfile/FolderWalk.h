// The generation's walk of a folder tree: depth first, each folder's entries in the order
// the directory search gives them (hidden and system entries it never gives), a subfolder's
// whole subtree before the next entry of its parent, ".", ".." and every "VRTLY-sums.MD5"
// skipped, and in the selected folder also the checkfile under another letter case where the
// file system ignores letter case. The generation walks with it, and so does everything that must
// meet the same files in the same order: a digest source that reads ahead of the generation, the
// search for files a checkfile does not list, the update of a checkfile.
#pragma once

#include <optional>
#include <string>

#include "platform/DirectorySearch.h"

namespace checkfile {

// What a walk meets, in walk order.
class WalkVisitor {
 public:
  virtual ~WalkVisitor() = default;

  // A subfolder, before its entries are walked.
  virtual void FolderFound(const std::string& path) = 0;
  // The subfolder just found could not be walked, and why (never NothingVisible).
  virtual void FolderNotWalked(platform::DirectorySearch::Failure failure) = 0;
  // A file: path is the folder, the separator and the name as the search gave it.
  virtual void FileFound(const std::string& path, const std::string& name) = 0;
  // A file or folder whose name a checkfile cannot hold; a folder so named is not walked.
  virtual void NameNotStorable(const std::string& path, const std::string& name, bool isFolder) = 0;
  // The listing of folder broke off; entries after the last one met may be missing.
  virtual void ListingBroke(const std::string& folder) = 0;
  // After every entry of folder, skipped ones and subfolders (after their walk) included.
  // False ends the walk of folder at once, with Stopped(folder). A visitor that wants the whole
  // walk to end keeps answering false: each level above then stops after its current entry.
  virtual bool AfterEntry(const std::string& folder) = 0;
  virtual void Stopped(const std::string& folder) = 0;
};

// Walks folder (without a trailing separator). Returns why it could not be searched at all;
// nothing when it was walked or holds nothing visible. parent: the search one level up, so
// that a folder reached again through a link is not walked again; none at the top.
std::optional<platform::DirectorySearch::Failure> WalkFolder(
    WalkVisitor& visitor, const std::string& folder,
    const platform::DirectorySearch* parent = nullptr);

// Whether the walk passes over an entry of this name without a word.
bool IsSkippedName(const std::string& name);

}  // namespace checkfile
