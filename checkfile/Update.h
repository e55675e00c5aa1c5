// The update of a folder's checkfile: the files that are new or changed since it was written are
// digested, the others keep their stored digests without being read, and the entries of files
// that are gone are dropped. The console tool runs it ("vrtly update"); the GUI does not.
#pragma once

#include <cstddef>
#include <string>

#include "checkfile/DigestSource.h"
#include "checkfile/TaskWindow.h"
#include "platform/FileTime.h"

namespace checkfile {

// Updates the checkfile of GetSelectedFolder() (one trailing separator removed from the field,
// as the generation does). Loads it (the errors of LoadCheckfileLines end the task, and nothing is
// written), walks the folder as the generation does, logging its "Folder: " and "File: " lines,
// and writes a new checkfile whose entries are, in walk order, every file the walk finds:
//   - a listed file whose last change (platform::LastChangeTime) lies more than kTimeMargin
//     before the checkfile's modification time keeps its stored digest, unread (unless its
//     entries disagree or the digest is not one the generation writes: ListedFiles.h);
//   - every other file is digested: a file no entry names is logged "ADDED: " + path, a listed
//     one whose digest differs from the stored one "CHANGED: " + path;
//   - a file that cannot be digested is logged as the generation logs it and keeps its old
//     entry, if it had one, so no reference is lost.
// Entries whose files the walk did not find are dropped and logged "REMOVED: " + path after the
// walk, in the checkfile's order; those below a folder the walk could not search completely
// are kept as they are instead, after the walked files. The written checkfile's modification
// time is the moment the walk began, so a file changed while it ran is read again next time;
// but when an entry was carried over without a look at its file (it could not be digested, or
// lies in a folder that could not be searched), it is the old checkfile's time if that is
// earlier, so such a file's changes since then are still found next time.
// Then "Operation complete.  Check file saved to " + path and the counts (kCountsFormat).
// Stopped: each walk level logs "OPERATION ABORTED BY USER.", and nothing is written.
void RunUpdate(TaskWindow& window, DigestSource& digests);

// File systems that keep times to 2 seconds (FAT) round a time that lies within them.
inline constexpr int64_t kTimeMargin = 2 * platform::kFileTimeTicksPerSecond;

// Whether a listed file whose last change is lastChange may keep its stored digest in a
// checkfile whose modification time is checkfileTime.
inline bool ChangedBefore(platform::FileTime lastChange, platform::FileTime checkfileTime) {
  return lastChange.Ticks < checkfileTime.Ticks - kTimeMargin;
}

inline constexpr char kAddedPrefix[] = "ADDED: ";
inline constexpr char kChangedPrefix[] = "CHANGED: ";
inline constexpr char kRemovedPrefix[] = "REMOVED: ";

struct UpdateCounts {
  size_t Added = 0;
  size_t Changed = 0;
  size_t Removed = 0;
  size_t Unchanged = 0;  // kept unread, or read and found the same
  // A file that could not be digested is in none of them.
};

// The last line of the log: "<a> added, <c> changed, <r> removed, <u> unchanged."
std::string CountsLine(const UpdateCounts& counts);

}  // namespace checkfile
