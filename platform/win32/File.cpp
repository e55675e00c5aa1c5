#include "platform/File.h"

#include <windows.h>

#include <cstdint>

#include "platform/FileNative.h"
#include "platform/win32/Handles.h"

namespace platform {

namespace {
HANDLE AsHandle(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}
intptr_t FromHandle(HANDLE handle) {
  return reinterpret_cast<intptr_t>(handle);
}
}  // namespace

intptr_t File::NativeOpenForRead(const std::string& path) {
  return FromHandle(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

intptr_t File::NativeCreateForWrite(const std::string& path) {
  return FromHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Hidden, so that no walk lists it; CREATE_ALWAYS takes over a hidden file only when the new
// attributes include hidden too, which they do.
intptr_t File::NativeCreateTemporary(const std::string& path) {
  return FromHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_HIDDEN, nullptr));
}

uint32_t File::SizeLow32() const {
  return GetFileSize(AsHandle(handle_), nullptr);
}

bool File::Size(uint64_t& size) const {
  LARGE_INTEGER value;
  if (!GetFileSizeEx(AsHandle(handle_), &value)) return false;
  size = static_cast<uint64_t>(value.QuadPart);
  return true;
}

bool File::SeekFromStart(int32_t offset) {
  return SetFilePointer(AsHandle(handle_), offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

bool File::NativeRead(void* buffer, uint32_t count, uint32_t& done) {
  DWORD got = 0;
  const bool ok = ReadFile(AsHandle(handle_), buffer, count, &got, nullptr) != 0;
  done = got;
  return ok;
}

bool File::NativeWrite(const void* buffer, uint32_t count, uint32_t& done) {
  DWORD put = 0;
  const bool ok = WriteFile(AsHandle(handle_), buffer, count, &put, nullptr) != 0;
  done = put;
  return ok;
}

bool File::NativeFlush() {
  return FlushFileBuffers(AsHandle(handle_)) != 0;
}

void File::NativeClose() {
  CloseHandle(AsHandle(Detach()));
}

bool FileSizeForReading(const std::string& path, uint64_t& size) {
  const File file = File::OpenForRead(path);
  return file.IsOpen() && file.Size(size);
}

// Handles are limited only by memory (the C runtime's limit is on its own FILE streams).
size_t OpenFileLimit() {
  return SIZE_MAX;
}

bool DeleteFileAt(const std::string& path) {
  return DeleteFileA(path.c_str()) != 0;
}

// Opens an existing file as CREATE_ALWAYS would, without truncating it: a read-only file, a
// folder, or a file another handle holds without sharing is refused with the same error.
bool native::CanCreateForWrite(const std::string& path) {
  const FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.IsValid() || GetLastError() == ERROR_FILE_NOT_FOUND;
}

// The replaced file keeps the temporary's attributes: hidden comes off first, or the checkfile
// itself would be hidden from the user.
bool native::ReplaceWithTemporary(const std::string& temporary, const std::string& path) {
  return SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL) != 0 &&
         MoveFileExA(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool FlushFolder(const std::string&) {
  return true;
}

}  // namespace platform
