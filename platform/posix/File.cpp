#include "platform/File.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/FaultHooks.h"
#include "platform/FileNative.h"

namespace platform {

namespace {

int AsFd(intptr_t handle) {
  return static_cast<int>(handle);
}

// POSIX has no share modes. Open-file-description locks stand in for them: a reader holds a
// shared lock, a writer an exclusive one, so our own processes see each other the way Windows
// handles do. A file system without lock support is used unlocked.
bool LockWholeFile(int fd, short type) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return true;
  return errno != EAGAIN && errno != EACCES;
}

// The error for an entry that is not a plain file.
int NotPlainFileError(const struct stat& info) {
  return S_ISDIR(info.st_mode) ? EISDIR : EACCES;
}

// Whether LockWholeFile would succeed now, without taking the lock: for an opening that ends
// at once, this spares the kernel a lock to make and to undo on close.
bool CouldLockWholeFile(int fd, short type) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return true;
  return lock.l_type == F_UNLCK;
}

// Admits plain files only, with the lock of the given type. Anything else that exists is turned
// away before it is opened: opening a device can act on it (a tape rewinds when closed, a
// serial line changes state). The open itself does not block (a FIFO would otherwise wait for
// its other end) and the type is checked again on what was opened, in case the name changed
// hands in between. O_NONBLOCK stays set: Linux and the BSDs ignore it for plain files, and
// the one call a file it would cost on every open is measurable when a tree holds many small
// files. Read and Write clear it should a system ever honour it.
intptr_t OpenPlainFile(const std::string& path, int flags, short lockType) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    errno = NotPlainFileError(info);
    return -1;
  }
  const int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return -1;
  int error = 0;
  if (fstat(fd, &info) != 0) {
    error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    error = NotPlainFileError(info);
  } else if (!LockWholeFile(fd, lockType)) {
    error = EBUSY;
  }
  if (error != 0) {
    close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

// Whether a failed call is to be tried again: after a signal, and once O_NONBLOCK is off after
// a system has honoured it for a plain file.
bool TryAgain(int fd) {
  if (errno == EINTR) return true;
  if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_NONBLOCK) != 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// fsync, again when a signal broke it off.
bool Sync(int fd) {
  int result;
  do {
    result = fsync(fd);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

}  // namespace

intptr_t File::NativeOpenForRead(const std::string& path) {
  return OpenPlainFile(path, O_RDONLY, F_RDLCK);
}

namespace {

// Truncated only once the lock is held, so a checkfile in use elsewhere stays as it was.
// soleName: a file that has other names as well is refused, untouched.
intptr_t CreateTruncated(const std::string& path, int flags, bool soleName = false) {
  const intptr_t fd = OpenPlainFile(path, O_WRONLY | O_CREAT | flags, F_WRLCK);
  if (fd < 0) return fd;
  struct stat info;
  int error = 0;
  if (soleName && fstat(AsFd(fd), &info) != 0) {
    error = errno;
  } else if (soleName && info.st_nlink > 1) {
    error = EMLINK;
  } else if (ftruncate(AsFd(fd), 0) != 0) {
    error = errno;
  }
  if (error != 0) {
    close(AsFd(fd));
    errno = error;
    return -1;
  }
  return fd;
}

}  // namespace

intptr_t File::NativeCreateForWrite(const std::string& path) {
  return CreateTruncated(path, 0);
}

// A leftover of an earlier run is simply taken over: the lock keeps two runs apart. A link by
// that name, symbolic or a second name of a file, is no leftover of ours: taken over, it would
// have the text written over the file it leads to, wherever that is, and then be moved into
// the checkfile's place.
intptr_t File::NativeCreateTemporary(const std::string& path) {
  return CreateTruncated(path, O_NOFOLLOW, true);
}

uint32_t File::SizeLow32() const {
  uint64_t size = 0;
  return Size(size) ? static_cast<uint32_t>(size) : 0xFFFFFFFFu;
}

bool File::Size(uint64_t& size) const {
  struct stat info;
  if (fstat(AsFd(handle_), &info) != 0) return false;
  size = static_cast<uint64_t>(info.st_size);
  return true;
}

bool File::SeekFromStart(int32_t offset) {
  return lseek(AsFd(handle_), offset, SEEK_SET) != static_cast<off_t>(-1);
}

bool File::NativeRead(void* buffer, uint32_t count, uint32_t& done) {
  ssize_t got;
  do {
    got = read(AsFd(handle_), buffer, count);
  } while (got < 0 && TryAgain(AsFd(handle_)));
  done = got < 0 ? 0 : static_cast<uint32_t>(got);
  return got >= 0;
}

bool File::NativeWrite(const void* buffer, uint32_t count, uint32_t& done) {
  ssize_t put;
  do {
    put = write(AsFd(handle_), buffer, count);
  } while (put < 0 && TryAgain(AsFd(handle_)));
  done = put < 0 ? 0 : static_cast<uint32_t>(put);
  return put >= 0;
}

bool File::NativeFlush() {
  return Sync(AsFd(handle_));
}

void File::NativeClose() {
  close(AsFd(Detach()));
}

// The size without reading: stat gives the type and the size, and the opening only shows that
// OpenForRead could open the file now (its permissions, and no writer's lock); a device is
// never opened. Under a test's fault hooks the opening goes through File, so the hooks see it
// like any other.
bool FileSizeForReading(const std::string& path, uint64_t& size) {
  if (InstalledFaultHooks() != nullptr) {
    const File file = File::OpenForRead(path);
    return file.IsOpen() && file.Size(size);
  }
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  if (!S_ISREG(info.st_mode)) {
    errno = NotPlainFileError(info);
    return false;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  const bool unlocked = CouldLockWholeFile(fd, F_RDLCK);
  close(fd);
  if (!unlocked) {
    errno = EBUSY;
    return false;
  }
  size = static_cast<uint64_t>(info.st_size);
  return true;
}

size_t OpenFileLimit() {
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
      limit.rlim_cur >= SIZE_MAX)
    return SIZE_MAX;
  return static_cast<size_t>(limit.rlim_cur);
}

bool DeleteFileAt(const std::string& path) {
  return unlink(path.c_str()) == 0;
}

// Asks as CreateForWrite would, but without O_CREAT and without truncating: a folder, a device
// or a file another process holds is refused with the same error.
bool native::CanCreateForWrite(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return errno == ENOENT;
  const intptr_t fd = OpenPlainFile(path, O_WRONLY, F_WRLCK);
  if (fd < 0) return false;
  close(AsFd(fd));
  return true;
}

bool native::ReplaceWithTemporary(const std::string& temporary, const std::string& path) {
  return rename(temporary.c_str(), path.c_str()) == 0;
}

// A file system that cannot flush a folder says so with EINVAL; that is no failure of the medium.
bool FlushFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = Sync(fd);
  const int error = errno;
  close(fd);
  errno = error;
  return synced || error == EINVAL;
}

}  // namespace platform
