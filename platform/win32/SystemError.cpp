#include "platform/SystemError.h"

#include <windows.h>

namespace platform {

uint32_t LastError() {
  return GetLastError();
}
void SetLastErrorCode(uint32_t code) {
  SetLastError(code);
}

std::string SystemErrorText(uint32_t code) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
  LocalFree(buffer);
  return TrimErrorText(text);
}

}  // namespace platform
