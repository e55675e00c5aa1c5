#include "platform/DirectorySearch.h"

#include <windows.h>

#include <optional>
#include <string>

#include "platform/Path.h"
#include "platform/win32/Handles.h"
#include "platform/win32/TextConversion.h"

namespace platform {

namespace {

// The volume-label attribute of the FAT directory entry; the system's headers no longer name
// it, but old file systems and network redirectors still report it.
constexpr DWORD kVolumeLabelAttribute = 0x00000008;
constexpr DWORD kNeverReturned =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kVolumeLabelAttribute;

// The ANSI form of a name, without best fit: the ANSI search functions map a character outside
// the code page to a look-alike (a "c" for a "c" with circumflex, "." for a fullwidth full stop,
// "\" for a fullwidth reverse solidus), so the name they return opens another file, or a
// folder that the walk skips as ".", and the entry goes missing without a word. Here such a
// character becomes "?", which no Windows name holds: the entry cannot be opened, and the walk
// says so.
std::string EntryName(const wchar_t* name) {
  std::string narrow = Narrowed(name, Unmappable::QuestionMark, FileApiCodePage());
  if (narrow.empty()) return "?";  // not convertible at all: still an entry, and still unopenable
  return narrow;
}

// Moves on from the entry in data (when there is one) to the first that may be returned.
bool SkipToVisible(const FindHandle& handle, WIN32_FIND_DATAW& data, bool haveEntry,
                   DirectoryEntry& entry) {
  for (; haveEntry; haveEntry = FindNextFileW(handle.Get(), &data) != 0) {
    if ((data.dwFileAttributes & kNeverReturned) != 0) continue;
    entry.Name = EntryName(data.cFileName);
    entry.IsDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
  }
  return false;
}

// A folder as the system knows it, whatever path leads there: the path that its handle resolves
// to (every link and junction on the way followed), and its volume and file index. The resolved
// path decides where both sides have it: under Wine every Unix mount below a drive letter
// reports the same volume serial and gives the inode as the file index, so two different
// folders (the roots of two file systems) can carry the same index. On Windows the two agree.
struct FolderIdentity {
  std::wstring finalPath;  // empty where the system cannot give it
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;

  // Some network redirectors give no index (0): such a folder is never taken for another.
  bool IndexKnown() const { return indexHigh != 0 || indexLow != 0; }
  bool SameFolderAs(const FolderIdentity& other) const {
    if (!finalPath.empty() && !other.finalPath.empty()) return finalPath == other.finalPath;
    return IndexKnown() && volume == other.volume && indexHigh == other.indexHigh &&
           indexLow == other.indexLow;
  }
};

std::wstring FinalPathOf(HANDLE folder) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFinalPathNameByHandleW(folder, path.data(), static_cast<DWORD>(path.size()), 0);
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(length);  // too small: length is the size needed, terminating zero included
  }
}

FolderIdentity IdentityOf(const std::wstring& folderWithSeparator) {
  FolderIdentity identity;
  const FileHandle folder(CreateFileW(folderWithSeparator.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!folder.IsValid()) return identity;
  identity.finalPath = FinalPathOf(folder.Get());
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(folder.Get(), &info)) {
    identity.volume = info.dwVolumeSerialNumber;
    identity.indexHigh = info.nFileIndexHigh;
    identity.indexLow = info.nFileIndexLow;
  }
  return identity;
}

}  // namespace

struct DirectorySearch::State {
  std::wstring folder;  // with its separator
  FindHandle handle;
  WIN32_FIND_DATAW data = {};  // the current entry
  // Asked for only when a link or junction below leads back up the walk.
  mutable std::optional<FolderIdentity> identity;

  const FolderIdentity& Identity() const {
    if (!identity) identity = IdentityOf(folder);
    return *identity;
  }
  bool AtLink() const { return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

DirectorySearch::DirectorySearch(const DirectorySearch* parent) : parent_(parent) {}

// Whether the folder is one that the walk is in already. Without links a folder tree has no
// loops (Windows allows no second name for a folder), so only a folder entered through a link
// or a junction can be one; only those are asked, which spares every other folder an opening.
bool DirectorySearch::IsLoopBack(const State& state) const {
  if (parent_ == nullptr || !parent_->state_ || !parent_->state_->AtLink()) return false;
  const FolderIdentity here = IdentityOf(state.folder);
  for (const DirectorySearch* above = parent_; above != nullptr; above = above->parent_) {
    if (above->state_ && here.SameFolderAs(above->state_->Identity())) return true;
  }
  return false;
}
DirectorySearch::~DirectorySearch() = default;

bool DirectorySearch::Start(const std::string& folder) {
  // The search keeps to the ANSI functions' limit, so that it lists no more than the walk
  // can then open.
  const std::wstring pattern = Widened(JoinPath(folder, "*.*"), FileApiCodePage());
  auto state = std::make_unique<State>();
  state->folder = pattern.substr(0, pattern.size() - 3);  // without "*.*"
  if (pattern.size() < MAX_PATH && IsLoopBack(*state)) {
    failure_ = Failure::AlreadyOnWalk;
    return false;
  }
  state_ = std::move(state);
  if (pattern.size() < MAX_PATH) {
    state_->handle.Attach(FindFirstFileW(pattern.c_str(), &state_->data));
  } else {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
  }
  if (!state_->handle.IsValid()) {
    // A drive root with nothing on it has no first entry; anything else is a failure.
    const DWORD error = GetLastError();
    failure_ = error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES
                   ? Failure::NothingVisible
                   : Failure::CannotList;
    Close();
    SetLastError(error);
    return false;
  }
  if (SkipToVisible(state_->handle, state_->data, true, entry_)) return true;
  const DWORD error = GetLastError();
  failure_ = error == ERROR_NO_MORE_FILES ? Failure::NothingVisible : Failure::CannotList;
  Close();
  SetLastError(error);
  return false;
}

bool DirectorySearch::Advance() {
  if (!state_) return false;
  const bool more = FindNextFileW(state_->handle.Get(), &state_->data) != 0;
  if (SkipToVisible(state_->handle, state_->data, more, entry_)) return true;
  const DWORD error = GetLastError();
  Close();
  broke_ = error != ERROR_NO_MORE_FILES;
  SetLastError(error);
  return false;
}

void DirectorySearch::Close() {
  state_.reset();
}

}  // namespace platform
