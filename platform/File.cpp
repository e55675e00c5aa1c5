// The file operations that tests can make fail: each asks the fault hooks, when a test has
// installed them, before the backend's system call.
#include "platform/File.h"

#include "platform/FaultHooks.h"
#include "platform/FileNative.h"
#include "platform/SystemError.h"

namespace platform {

namespace {

// True when the hook's answer refuses the call; the refusal's code becomes the system error.
bool Refused(uint32_t error) {
  if (error == 0) return false;
  SetLastErrorCode(error);
  return true;
}

}  // namespace

File File::OpenedBy(const std::string& path, uint32_t (FaultHooks::*ask)(const std::string&),
                    intptr_t (*native)(const std::string&)) {
  FaultHooks* hooks = InstalledFaultHooks();
  if (hooks != nullptr && Refused((hooks->*ask)(path))) return File();
  File file(native(path));
  if (hooks != nullptr && file.IsOpen()) hooks->Opened(file.handle_, path);
  return file;
}

File File::OpenForRead(const std::string& path) {
  return OpenedBy(path, &FaultHooks::OpenForRead, NativeOpenForRead);
}

File File::CreateForWrite(const std::string& path) {
  return OpenedBy(path, &FaultHooks::CreateForWrite, NativeCreateForWrite);
}

File File::CreateTemporary(const std::string& path) {
  return OpenedBy(path, &FaultHooks::CreateForWrite, NativeCreateTemporary);
}

bool File::Read(void* buffer, uint32_t count, uint32_t& done) {
  if (FaultHooks* hooks = InstalledFaultHooks();
      hooks != nullptr && Refused(hooks->Read(handle_, count))) {
    done = 0;
    return false;
  }
  return NativeRead(buffer, count, done);
}

bool File::Write(const void* buffer, uint32_t count, uint32_t& done) {
  if (FaultHooks* hooks = InstalledFaultHooks();
      hooks != nullptr && Refused(hooks->Write(handle_, count))) {
    done = 0;
    return false;
  }
  return NativeWrite(buffer, count, done);
}

bool File::Flush() {
  if (FaultHooks* hooks = InstalledFaultHooks(); hooks != nullptr && Refused(hooks->Flush(handle_)))
    return false;
  return NativeFlush();
}

bool CanCreateForWrite(const std::string& path) {
  if (FaultHooks* hooks = InstalledFaultHooks();
      hooks != nullptr && Refused(hooks->CreateForWrite(path)))
    return false;
  return native::CanCreateForWrite(path);
}

bool ReplaceWithTemporary(const std::string& temporary, const std::string& path) {
  if (FaultHooks* hooks = InstalledFaultHooks();
      hooks != nullptr && Refused(hooks->Replace(temporary, path)))
    return false;
  return native::ReplaceWithTemporary(temporary, path);
}

void File::Close() {
  if (!IsOpen()) return;
  if (FaultHooks* hooks = InstalledFaultHooks()) hooks->Closing(handle_);
  NativeClose();
}

}  // namespace platform
