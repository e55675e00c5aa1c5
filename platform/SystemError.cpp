#include "platform/SystemError.h"

namespace platform {

std::string TrimErrorText(std::string text) {
  while (!text.empty()) {
    const char last = text.back();
    if (last != ' ' && last != '\t' && last != '\r' && last != '\n' && last != '.') break;
    text.pop_back();
  }
  return text;
}

}  // namespace platform
