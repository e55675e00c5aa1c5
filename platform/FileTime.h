// File times as the update of a checkfile compares them, and the clock they are compared with.
// Both backends count in 100-nanosecond ticks since 1601-01-01 UTC (Windows' FILETIME), so a
// time read on one machine means the same on the other.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct FileTime {
  int64_t Ticks = 0;

  friend bool operator==(FileTime, FileTime) = default;
  friend auto operator<=>(FileTime, FileTime) = default;
};

inline constexpr int64_t kFileTimeTicksPerSecond = 10'000'000;

// The clock that file systems stamp files with, now.
FileTime CurrentFileTime();

// The last time the file's contents may have changed, as far as its times tell, without reading
// it. POSIX: the later of the modification and the status-change time (a modification time set
// back by hand still shows in the status-change time, which no call sets back), of the file and
// of every symbolic link met on the way to it (the file's own, a folder's, a link to a link): a
// link pointed elsewhere changes what the path reads while the files reached keep their old
// times. Windows: the last-write time; for a symbolic link, the later of its own and that of
// the file it reaches. False when the file's times cannot be had (it is gone, say).
bool LastChangeTime(const std::string& path, FileTime& time);

// The modification time (Windows: the last-write time) alone: the time that SetModificationTime
// sets, which a checkfile carries as the moment its walk began.
bool ModificationTime(const std::string& path, FileTime& time);
bool SetModificationTime(const std::string& path, FileTime time);

// The size of a file as its folder entry gives it, without opening the file. False when it
// cannot be had.
bool FileSizeWithoutOpening(const std::string& path, uint64_t& size);

}  // namespace platform
