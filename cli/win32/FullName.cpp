#include <windows.h>

#include "cli/FullName.h"

namespace cli {

std::string FullName(const std::string& name) {
  if (name.empty()) return name;
  std::string full(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        GetFullPathNameA(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return name;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);  // the size needed, the terminating zero included
  }
}

}  // namespace cli
