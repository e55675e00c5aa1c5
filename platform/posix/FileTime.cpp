#include "platform/FileTime.h"

#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>

namespace platform {

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kUnixEpochSeconds = 11644473600;

FileTime FromTimespec(const struct timespec& time) {
  return {(static_cast<int64_t>(time.tv_sec) + kUnixEpochSeconds) * kFileTimeTicksPerSecond +
          static_cast<int64_t>(time.tv_nsec) / 100};
}

struct timespec ToTimespec(FileTime time) {
  const int64_t sinceUnix = time.Ticks - kUnixEpochSeconds * kFileTimeTicksPerSecond;
  int64_t seconds = sinceUnix / kFileTimeTicksPerSecond;
  int64_t ticks = sinceUnix % kFileTimeTicksPerSecond;
  if (ticks < 0) {
    ticks += kFileTimeTicksPerSecond;
    --seconds;
  }
  struct timespec spec = {};
  spec.tv_sec = static_cast<time_t>(seconds);
  spec.tv_nsec = static_cast<long>(ticks * 100);
  return spec;
}

FileTime LaterOfModifiedAndChanged(const struct stat& info) {
  return std::max(FromTimespec(info.st_mtim), FromTimespec(info.st_ctim));
}

}  // namespace

FileTime CurrentFileTime() {
  struct timespec now = {};
  clock_gettime(CLOCK_REALTIME, &now);
  return FromTimespec(now);
}

bool LastChangeTime(const std::string& path, FileTime& time) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  time = LaterOfModifiedAndChanged(info);
  struct stat link;
  if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
    time = std::max(time, LaterOfModifiedAndChanged(link));
  return true;
}

bool ModificationTime(const std::string& path, FileTime& time) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  time = FromTimespec(info.st_mtim);
  return true;
}

bool SetModificationTime(const std::string& path, FileTime time) {
  struct timespec times[2] = {};
  times[0].tv_nsec = UTIME_OMIT;  // the access time stays
  times[1] = ToTimespec(time);
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

// On the open file, so that the time is set before the file is flushed and put in its place.
bool File::SetModificationTime(FileTime time) {
  struct timespec times[2] = {};
  times[0].tv_nsec = UTIME_OMIT;  // the access time stays
  times[1] = ToTimespec(time);
  return futimens(static_cast<int>(handle_), times) == 0;
}

bool FileSizeWithoutOpening(const std::string& path, uint64_t& size) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  size = static_cast<uint64_t>(info.st_size);
  return true;
}

}  // namespace platform
