#include "platform/File.h"

#include <windows.h>

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

void File::NativeClose() {
  CloseHandle(AsHandle(Detach()));
}

bool FileSizeForReading(const std::string& path, uint64_t& size) {
  const File file = File::OpenForRead(path);
  return file.IsOpen() && file.Size(size);
}

bool DeleteFileAt(const std::string& path) {
  return DeleteFileA(path.c_str()) != 0;
}

}  // namespace platform
