// The system's own error codes and their descriptions.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The calling thread's last system error (GetLastError on Windows, errno on POSIX).
uint32_t LastError();
void SetLastErrorCode(uint32_t code);

// The operating system's description of an error, with trailing blanks, line breaks and
// periods removed, as it is shown after a failed file operation.
std::string SystemErrorText(uint32_t code);

// Drops trailing blanks, line breaks and periods.
std::string TrimErrorText(std::string text);

}  // namespace platform
