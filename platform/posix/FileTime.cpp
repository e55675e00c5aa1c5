#include "platform/FileTime.h"

#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <vector>

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

// Puts the components of text on the stack of those still to resolve, the first on top; empty
// ones and "." name nothing.
void PushComponents(const std::string& text, std::vector<std::string>& pending) {
  const size_t before = pending.size();
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find('/', start), text.size());
    if (end > start && text.compare(start, end - start, ".") != 0)
      pending.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(before), pending.end());
}

// The latest of the times of every symbolic link met while path is resolved: a link in a
// folder's place, or a link to a link, may be pointed elsewhere, and the files then reached keep
// their own old times. False when the path cannot be resolved.
bool LatestLinkChange(const std::string& path, FileTime& latest) {
  constexpr int kMaxLinks = 40;  // the kernel's own limit on links in one path
  // The part resolved so far, free of links, so that ".." after it is its parent by the text;
  // "" stands for the root.
  std::string resolved = !path.empty() && path[0] == '/' ? "" : ".";
  std::vector<std::string> pending;
  PushComponents(path, pending);
  int links = 0;
  while (!pending.empty()) {
    std::string next = resolved + "/" + pending.back();
    const bool up = pending.back() == "..";
    pending.pop_back();
    const size_t slash = resolved.rfind('/');
    if (up && resolved != "." && slash != std::string::npos &&
        resolved.compare(slash, std::string::npos, "/..") != 0) {
      resolved.erase(slash);
      continue;
    }
    struct stat info;
    if (lstat(next.c_str(), &info) != 0) return false;
    if (!S_ISLNK(info.st_mode)) {
      resolved = std::move(next);
      continue;
    }
    if (++links > kMaxLinks) return false;
    latest = std::max(latest, LaterOfModifiedAndChanged(info));
    std::string target(static_cast<size_t>(std::max<off_t>(info.st_size, 0)) + 1, '\0');
    const ssize_t length = readlink(next.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<size_t>(length) >= target.size()) return false;
    target.resize(static_cast<size_t>(length));
    if (!target.empty() && target[0] == '/') resolved.clear();
    PushComponents(target, pending);
  }
  return true;
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
  FileTime links;
  if (!LatestLinkChange(path, links)) return false;
  time = std::max(LaterOfModifiedAndChanged(info), links);
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
