// The entries of one folder, as the folder walk sees them.
//
// Win32: the search of folder\*.*, in the file system's order, within the ANSI functions'
// MAX_PATH. Entries with the hidden, system or volume-label attribute are never returned. "."
// and ".." are. Names come in the ANSI code page without best fit: a character that the code
// page cannot hold comes as "?", so the entry cannot be opened and the walk reports it (the
// ANSI search would give a look-alike name that opens another file, or "."). A folder entered
// through a link or junction that is already being searched further up the walk yields nothing
// (FirstFailure() says so); no other folder can be one.
//
// POSIX: the entries sorted by name, compared byte for byte after upper-casing (the order of
// Windows' file systems, so a tree gives the same checkfile on both). A name starting with "."
// is hidden. Symbolic links are followed. Everything that is not a directory is returned as a
// file: a device, FIFO or socket, and a dangling link, then cannot be opened, so the walk
// reports it instead of passing over it. A folder that is already being searched further up
// the walk (a link loop, or a bind mount of a folder above) yields nothing (FirstFailure() says
// so).
#pragma once

#include <memory>
#include <string>

namespace platform {

struct DirectoryEntry {
  std::string Name;  // the long name alone, without the folder
  bool IsDirectory = false;
};

// One search of one folder; the sole owner of what the system holds for it. Not copyable.
class DirectorySearch {
 public:
  // parent: the search of the folder one level up on the walk, so that a folder reached again
  // through a link is not walked again; none for the top of a walk.
  explicit DirectorySearch(const DirectorySearch* parent = nullptr);
  ~DirectorySearch();
  DirectorySearch(const DirectorySearch&) = delete;
  DirectorySearch& operator=(const DirectorySearch&) = delete;

  // Why First found no entry.
  enum class Failure {
    NothingVisible,  // the folder holds no entry that the search returns
    CannotList,      // missing, not a folder, not readable, in use, or its path is too long
    AlreadyOnWalk,   // it is being searched further up the walk already (a link loop)
  };

  // Starts the search of folder (without a trailing separator). False, with nothing held, when
  // there is no first entry; FirstFailure() then says why, and for CannotList the system error
  // is left available.
  bool First(const std::string& folder);
  Failure FirstFailure() const { return failure_; }
  // Moves to the next entry; false, with nothing held, at the end, or where the listing broke
  // off (a damaged folder, a network drive gone): ListingBroke() then says so, and the system
  // error is left available.
  bool Next();
  bool ListingBroke() const { return broke_; }
  // The current entry; valid after First or Next returned true.
  const DirectoryEntry& Entry() const { return entry_; }
  // Ends the search early.
  void Close();

 private:
  // The backend's search (win32/ or posix/DirectorySearch.cpp): Start sets failure_ when it
  // finds no first entry, Advance sets broke_ when the listing breaks off.
  bool Start(const std::string& folder);
  bool Advance();

  struct State;  // the backend's handle or entry list
  // Whether the folder of state is one the walk is in already (a link or junction back up).
  bool IsLoopBack(const State& state) const;

  const DirectorySearch* parent_;
  Failure failure_ = Failure::NothingVisible;
  bool broke_ = false;
  std::string folder_;   // for the fault hooks
  size_t returned_ = 0;  // entries returned so far
  std::unique_ptr<State> state_;
  DirectoryEntry entry_;
};

}  // namespace platform
