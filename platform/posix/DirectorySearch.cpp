#include "platform/DirectorySearch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace platform {

namespace {

// The sole owner of an open directory stream.
class DirectoryStream {
 public:
  explicit DirectoryStream(const std::string& folder) : dir_(opendir(folder.c_str())) {}
  ~DirectoryStream() {
    if (dir_ != nullptr) closedir(dir_);
  }
  DirectoryStream(const DirectoryStream&) = delete;
  DirectoryStream& operator=(const DirectoryStream&) = delete;

  DIR* Get() const { return dir_; }

 private:
  DIR* dir_;
};

struct FolderIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FolderIdentity&) const = default;
};

char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Byte order after upper-casing; names that differ only in letter case follow in byte order,
// so the order is total and every run gives the same one. One pass over the common part.
bool SortsBefore(const DirectoryEntry& a, const DirectoryEntry& b) {
  const std::string& n = a.Name;
  const std::string& m = b.Name;
  const size_t common = std::min(n.size(), m.size());
  int caseOrder = 0;  // the first difference in letter case, should the names match without it
  for (size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(n[i]);
    const auto y = static_cast<unsigned char>(m[i]);
    if (x == y) continue;
    const auto upperX = static_cast<unsigned char>(UpperAscii(n[i]));
    const auto upperY = static_cast<unsigned char>(UpperAscii(m[i]));
    if (upperX != upperY) return upperX < upperY;
    if (caseOrder == 0) caseOrder = x < y ? -1 : 1;
  }
  if (n.size() != m.size()) return n.size() < m.size();
  return caseOrder < 0;
}

// What the walk sees of one name: nothing (hidden), a folder or a file. Everything that is not
// a folder is a file to the walk: a device, a FIFO, a socket or a dangling link then fails to
// open (File never opens them, so nothing blocks) and is logged as such, rather than missing
// from the checkfile without a word. The type the directory itself records spares a stat call
// for most entries; a link, or a file system that records no types, is asked with stat, which
// follows links.
bool Classify(int dirFd, const dirent& item, DirectoryEntry& entry) {
  const char* name = item.d_name;
  if (name[0] == '.') return false;
  entry.Name = name;
  if (item.d_type != DT_LNK && item.d_type != DT_UNKNOWN) {
    entry.IsDirectory = item.d_type == DT_DIR;
    return true;
  }
  struct stat info;
  entry.IsDirectory = fstatat(dirFd, name, &info, 0) == 0 && S_ISDIR(info.st_mode);
  return true;
}

}  // namespace

struct DirectorySearch::State {
  FolderIdentity identity;
  std::vector<DirectoryEntry> entries;
  size_t next = 0;
  int readError = 0;  // the listing broke off after the entries read
};

DirectorySearch::DirectorySearch(const DirectorySearch* parent) : parent_(parent) {}

// Device and inode name a folder exactly, whatever path, link or bind mount leads there, so
// every folder is compared with those above it.
bool DirectorySearch::IsLoopBack(const State& state) const {
  for (const DirectorySearch* above = parent_; above != nullptr; above = above->parent_) {
    if (above->state_ && above->state_->identity == state.identity) return true;
  }
  return false;
}
DirectorySearch::~DirectorySearch() = default;

bool DirectorySearch::Start(const std::string& folder) {
  const DirectoryStream stream(folder);
  struct stat info;
  if (stream.Get() == nullptr || fstat(dirfd(stream.Get()), &info) != 0) {
    failure_ = Failure::CannotList;
    return false;
  }
  auto state = std::make_unique<State>();
  state->identity = {info.st_dev, info.st_ino};
  if (IsLoopBack(*state)) {
    failure_ = Failure::AlreadyOnWalk;
    return false;
  }
  for (;;) {
    errno = 0;
    const dirent* item = readdir(stream.Get());
    if (item == nullptr) {
      state->readError = errno;
      break;
    }
    DirectoryEntry entry;
    if (Classify(dirfd(stream.Get()), *item, entry)) state->entries.push_back(std::move(entry));
  }
  if (state->entries.empty() && state->readError != 0) {
    failure_ = Failure::CannotList;
    errno = state->readError;
    return false;
  }
  std::sort(state->entries.begin(), state->entries.end(), SortsBefore);
  state_ = std::move(state);
  failure_ = Failure::NothingVisible;
  return Advance();
}

bool DirectorySearch::Advance() {
  if (!state_) return false;
  if (state_->next == state_->entries.size()) {
    const int readError = state_->readError;
    Close();
    broke_ = readError != 0;
    errno = readError;
    return false;
  }
  entry_ = std::move(state_->entries[state_->next++]);  // each entry is handed out once
  return true;
}

void DirectorySearch::Close() {
  state_.reset();
}

}  // namespace platform
