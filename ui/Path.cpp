#include "ui/Path.h"

#include <windows.h>

namespace ui {

std::string ExecutablePath() {
  // Room for 260 characters and the terminating zero, which a truncated name may lack.
  char path[MAX_PATH + 2] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH + 1);
  return path;
}

}  // namespace ui
