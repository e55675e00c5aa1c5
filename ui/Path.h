// Path helpers of the user interface.
#pragma once

#include <string>

namespace ui {

// The folder part of a path: every character up to and including the last "\" or ":"
// (C:\Tools\Veritally.exe gives C:\Tools\, D:\Veritally.exe gives D:\).
inline std::string FolderPart(const std::string& path) {
  const size_t last = path.find_last_of("\\:");
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

// The running executable's full path.
std::string ExecutablePath();

}  // namespace ui
