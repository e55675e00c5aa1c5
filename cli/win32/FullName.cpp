#include <windows.h>

#include "cli/FullName.h"
#include "platform/win32/TextConversion.h"

namespace cli {

std::vector<std::string> NarrowedArguments(int argc, wchar_t** argv) {
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i)
    words.push_back(platform::Narrowed(argv[i], platform::Unmappable::QuestionMark,
                                       platform::FileApiCodePage()));
  return words;
}

// Made full in UTF-16: the ANSI call gives the current folder with the system's look-alike for a
// character outside the code page, so in a folder named with a fullwidth full stop "." would
// become the folder above. A full name the code page cannot hold is not made; the name as typed
// still names the right file.
std::string FullName(const std::string& name) {
  if (name.empty()) return name;
  const UINT codePage = platform::FileApiCodePage();
  const std::wstring wide = platform::Widened(name, codePage);
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return name;
    if (length < full.size()) {
      full.resize(length);
      break;
    }
    full.resize(length);  // the size needed, the terminating zero included
  }
  std::string narrow =
      platform::Narrowed(full.c_str(), platform::Unmappable::QuestionMark, codePage);
  return platform::Widened(narrow, codePage) == full ? narrow : name;
}

}  // namespace cli
