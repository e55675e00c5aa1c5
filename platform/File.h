// Plain file access for the portable layers: one interface, a Win32 and a POSIX backend.
//
// Every operation reports success or failure and leaves the system error available through
// LastError() (SystemError.h) for the caller to turn into text. Tests can make any of them fail
// through the fault hooks (FaultHooks.h), which File.cpp consults before the backend's call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/FileTime.h"

namespace platform {

class FaultHooks;

// The size of the reads that digest files and load checkfiles.
inline constexpr uint32_t kReadChunk = 4096;

// An open file; the sole owner of its native handle.
class File {
 public:
  File() = default;
  ~File() { Close(); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept : handle_(other.Detach()) {}
  File& operator=(File&& other) noexcept {
    if (this != &other) Attach(other.Detach());
    return *this;
  }

  // Opens an existing file for reading. Others may read it at the same time but not write
  // it; fails while another handle has it open for writing. Directories and other entries
  // that are not plain files cannot be opened.
  static File OpenForRead(const std::string& path);
  // Creates the file, or truncates an existing one, for writing with exclusive access.
  static File CreateForWrite(const std::string& path);
  // Creates the temporary of a replacement (ReplaceWithTemporary) as CreateForWrite does, also
  // over one that an earlier run left behind, and hidden from the walk: on Windows it has the
  // hidden attribute; on POSIX the caller gives it a name that starts with ".". On POSIX a
  // symbolic link by that name is refused, never followed, and so is a file with other names.
  static File CreateTemporary(const std::string& path);

  bool IsOpen() const { return handle_ != kInvalidHandle; }

  // The low 32 bits of the size; all ones when the size cannot be had.
  uint32_t SizeLow32() const;
  // The whole size.
  bool Size(uint64_t& size) const;
  // Positions at a signed 32-bit offset from the start.
  bool SeekFromStart(int32_t offset);
  // Reads at most count bytes; success with done = 0 at the end of the file.
  bool Read(void* buffer, uint32_t count, uint32_t& done);
  // Writes at most count bytes; done tells how many were written.
  bool Write(const void* buffer, uint32_t count, uint32_t& done);
  // Makes everything written so far durable on the medium (FlushFileBuffers; fsync).
  bool Flush();
  bool SetModificationTime(FileTime time);  // (FileTime.cpp of the backend)

  void Close();
  void Attach(intptr_t handle) {
    Close();
    handle_ = handle;
  }
  intptr_t Detach() {
    const intptr_t handle = handle_;
    handle_ = kInvalidHandle;
    return handle;
  }

 private:
  // INVALID_HANDLE_VALUE on Windows, -1 as a file descriptor on POSIX.
  static constexpr intptr_t kInvalidHandle = -1;
  explicit File(intptr_t handle) : handle_(handle) {}
  // Opens through the backend's call unless the fault hooks' question refuses it, and tells the
  // hooks of the handle.
  static File OpenedBy(const std::string& path, uint32_t (FaultHooks::*ask)(const std::string&),
                       intptr_t (*native)(const std::string&));

  // The backend's system calls (win32/File.cpp, posix/File.cpp).
  static intptr_t NativeOpenForRead(const std::string& path);
  static intptr_t NativeCreateForWrite(const std::string& path);
  static intptr_t NativeCreateTemporary(const std::string& path);
  bool NativeRead(void* buffer, uint32_t count, uint32_t& done);
  bool NativeWrite(const void* buffer, uint32_t count, uint32_t& done);
  bool NativeFlush();
  void NativeClose();

  intptr_t handle_ = kInvalidHandle;
};

// The whole size of a file that OpenForRead could open at this moment: opens it so, takes the
// size and closes it again. False when it cannot be opened or its size cannot be had.
bool FileSizeForReading(const std::string& path, uint64_t& size);

// How many files the process may hold open at once: POSIX's (soft) limit on file descriptors;
// SIZE_MAX where there is no limit that a program reading many files at once could reach
// (Windows).
size_t OpenFileLimit();

// Removes a file; false when it cannot be removed.
bool DeleteFileAt(const std::string& path);

// Whether CreateForWrite could create the file at path now, without doing it: true when there
// is none, or when it is a plain file that may be written and that nobody holds; otherwise
// false, and the system error says why. Nothing is changed.
bool CanCreateForWrite(const std::string& path);
// Moves the temporary (written and closed) over path in one step, replacing whatever file is
// there, and writes the move through to the medium: Windows: the hidden attribute taken off,
// then MoveFileExA with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH; POSIX: rename.
// False when it could not be moved; path is then as it was.
bool ReplaceWithTemporary(const std::string& temporary, const std::string& path);
// Makes the entries of a folder durable after a file in it was replaced: POSIX flushes the
// folder itself (fsync), where the file system supports that; Windows has written the move
// through already. False when the medium reports an error.
bool FlushFolder(const std::string& folder);

}  // namespace platform
