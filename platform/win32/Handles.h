// Owners of the kernel's handles that the Windows backend and the user interface open: a
// directory search (FindFirstFileW) and a file or folder (CreateFileW).
#pragma once

#include <windows.h>

#include "platform/UniqueHandle.h"

namespace platform {

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { FindClose(handle); }
};
using FindHandle = UniqueHandle<FindHandleTraits>;

struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};
using FileHandle = UniqueHandle<FileHandleTraits>;

}  // namespace platform
