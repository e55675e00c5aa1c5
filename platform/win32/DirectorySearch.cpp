#include "platform/DirectorySearch.h"

#include <windows.h>

#include "platform/Path.h"

namespace platform {

namespace {

// The volume-label attribute of the FAT directory entry; the system's headers no longer name
// it, but old file systems and network redirectors still report it.
constexpr DWORD kVolumeLabelAttribute = 0x00000008;
constexpr DWORD kNeverReturned =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kVolumeLabelAttribute;

// The sole owner of a find handle.
class FindHandle {
 public:
  FindHandle() = default;
  ~FindHandle() { Close(); }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Attach(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  HANDLE Get() const { return handle_; }
  void Close() {
    if (IsOpen()) FindClose(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Moves on from the entry in data (when there is one) to the first that may be returned.
bool SkipToVisible(const FindHandle& handle, WIN32_FIND_DATAA& data, bool haveEntry,
                   DirectoryEntry& entry) {
  for (; haveEntry; haveEntry = FindNextFileA(handle.Get(), &data) != 0) {
    if ((data.dwFileAttributes & kNeverReturned) != 0) continue;
    entry.Name = data.cFileName;
    entry.IsDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
  }
  return false;
}

}  // namespace

struct DirectorySearch::State {
  FindHandle handle;
  WIN32_FIND_DATAA data = {};
};

// The parent is not needed here: a link loop ends where the path outgrows what the ANSI calls
// accept (MAX_PATH).
DirectorySearch::DirectorySearch(const DirectorySearch* parent) : parent_(parent) {}
DirectorySearch::~DirectorySearch() = default;

bool DirectorySearch::Start(const std::string& folder) {
  state_ = std::make_unique<State>();
  state_->handle.Attach(FindFirstFileA(JoinPath(folder, "*.*").c_str(), &state_->data));
  if (!state_->handle.IsOpen()) {
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
  failure_ = Failure::NothingVisible;
  Close();
  return false;
}

bool DirectorySearch::Next() {
  if (!state_) return false;
  const bool more = FindNextFileA(state_->handle.Get(), &state_->data) != 0;
  if (SkipToVisible(state_->handle, state_->data, more, entry_)) return true;
  Close();
  return false;
}

void DirectorySearch::Close() {
  state_.reset();
}

}  // namespace platform
