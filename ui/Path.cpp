#include "ui/Path.h"

#include <windows.h>

#include "platform/win32/TextConversion.h"

namespace ui {

// Taken in UTF-16 and narrowed without best fit: the ANSI call maps a character outside the code
// page to a look-alike, so an executable in a folder named with a fullwidth full stop would be
// placed in the folder above. "?" names nothing.
std::string ExecutablePath() {
  // Room for 260 characters and the terminating zero, which a truncated name may lack.
  wchar_t path[MAX_PATH + 2] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  return platform::Narrowed(path, platform::Unmappable::QuestionMark);
}

}  // namespace ui
