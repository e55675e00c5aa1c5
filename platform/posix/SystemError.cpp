#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

namespace platform {

uint32_t LastError() {
  return static_cast<uint32_t>(errno);
}
void SetLastErrorCode(uint32_t code) {
  errno = static_cast<int>(code);
}

std::string SystemErrorText(uint32_t code) {
  return TrimErrorText(std::strerror(static_cast<int>(code)));
}

}  // namespace platform
