#include "checkfile/FolderWalk.h"

#include "checkfile/CheckfileFormat.h"
#include "platform/Path.h"

namespace checkfile {

namespace {

// On a file system that ignores letter case, "vrtly-sums.md5" in the selected folder is the
// checkfile itself: digesting it would list the checkfile in itself with a digest that the write
// then makes stale. In subfolders, and where case counts, it is a file like any other.
bool IsTheCheckfileItself(const std::string& name, bool inSelectedFolder) {
  return inSelectedFolder &&
         platform::ComparablePath(name) == platform::ComparablePath(kCheckfileName);
}

void VisitEntry(WalkVisitor& visitor, const std::string& folder,
                const platform::DirectorySearch& search, bool inSelectedFolder) {
  const platform::DirectoryEntry& entry = search.Entry();
  if (IsSkippedName(entry.Name) || IsTheCheckfileItself(entry.Name, inSelectedFolder)) return;
  const std::string path = platform::JoinPath(folder, entry.Name);
  const bool storable = platform::IsStorableName(entry.Name);
  if (!entry.IsDirectory) {
    if (storable) {
      visitor.FileFound(path, entry.Name);
    } else {
      visitor.NameNotStorable(path, entry.Name, false);
    }
    return;
  }
  visitor.FolderFound(path);
  if (!storable) {
    visitor.NameNotStorable(path, entry.Name, true);
  } else if (const auto failure = WalkFolder(visitor, path, &search);
             failure && *failure != platform::DirectorySearch::Failure::NothingVisible) {
    visitor.FolderNotWalked(*failure);
  }
}

}  // namespace

bool IsSkippedName(const std::string& name) {
  return name == "." || name == ".." || name == kCheckfileName;
}

std::optional<platform::DirectorySearch::Failure> WalkFolder(
    WalkVisitor& visitor, const std::string& folder, const platform::DirectorySearch* parent) {
  platform::DirectorySearch search(parent);
  if (!search.First(folder)) return search.FirstFailure();
  do {
    VisitEntry(visitor, folder, search, parent == nullptr);
    if (!visitor.AfterEntry(folder)) {
      search.Close();
      visitor.Stopped(folder);
      return std::nullopt;
    }
  } while (search.Next());
  if (search.ListingBroke()) visitor.ListingBroke(folder);
  return std::nullopt;
}

}  // namespace checkfile
