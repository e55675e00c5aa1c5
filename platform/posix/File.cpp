#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

// Whether LockWholeFile would succeed now, without taking the lock: for an opening that ends
// at once, this spares the kernel a lock to make and to undo on close.
bool CouldLockWholeFile(int fd, short type) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return true;
  return lock.l_type == F_UNLCK;
}

enum class Locking { Take, TestOnly };

// Opens without blocking (a FIFO would otherwise wait for its other end), then admits plain
// files only, with the lock of the given type; info is what fstat said of the file. O_NONBLOCK
// stays set: Linux and the BSDs ignore it for plain files, and the one call a file it would
// cost on every open is measurable when a tree holds many small files. Read and Write clear it
// should a system ever honour it.
intptr_t OpenPlainFile(const std::string& path, int flags, short lockType, Locking locking,
                       struct stat& info) {
  const int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return -1;
  int error = 0;
  if (fstat(fd, &info) != 0) {
    error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? EISDIR : EACCES;
  } else if (locking == Locking::Take ? !LockWholeFile(fd, lockType)
                                      : !CouldLockWholeFile(fd, lockType)) {
    error = EBUSY;
  }
  if (error != 0) {
    close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

intptr_t OpenPlainFile(const std::string& path, int flags, short lockType) {
  struct stat info;
  return OpenPlainFile(path, flags, lockType, Locking::Take, info);
}

// Whether a failed call is to be tried again: after a signal, and once O_NONBLOCK is off after
// a system has honoured it for a plain file.
bool TryAgain(int fd) {
  if (errno == EINTR) return true;
  if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_NONBLOCK) != 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

}  // namespace

File File::OpenForRead(const std::string& path) {
  return File(OpenPlainFile(path, O_RDONLY, F_RDLCK));
}

File File::CreateForWrite(const std::string& path) {
  File file(OpenPlainFile(path, O_WRONLY | O_CREAT, F_WRLCK));
  if (file.IsOpen() && ftruncate(AsFd(file.handle_), 0) != 0) file.Close();
  return file;
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

bool File::Read(void* buffer, uint32_t count, uint32_t& done) {
  ssize_t got;
  do {
    got = read(AsFd(handle_), buffer, count);
  } while (got < 0 && TryAgain(AsFd(handle_)));
  done = got < 0 ? 0 : static_cast<uint32_t>(got);
  return got >= 0;
}

bool File::Write(const void* buffer, uint32_t count, uint32_t& done) {
  ssize_t put;
  do {
    put = write(AsFd(handle_), buffer, count);
  } while (put < 0 && TryAgain(AsFd(handle_)));
  done = put < 0 ? 0 : static_cast<uint32_t>(put);
  return put >= 0;
}

void File::Close() {
  if (IsOpen()) close(AsFd(Detach()));
}

// The type check of the opening gives the size too, and the lock is only tested.
bool FileSizeForReading(const std::string& path, uint64_t& size) {
  struct stat info;
  const intptr_t fd = OpenPlainFile(path, O_RDONLY, F_RDLCK, Locking::TestOnly, info);
  if (fd < 0) return false;
  close(AsFd(fd));
  size = static_cast<uint64_t>(info.st_size);
  return true;
}

bool DeleteFileAt(const std::string& path) {
  return unlink(path.c_str()) == 0;
}

}  // namespace platform
