// The full name of a file or folder named on the command line, as the GUI's dialogs would
// give it, so that the log names files the way the GUI's log does and a checkfile's folder
// part is found whatever the separators typed.
#pragma once

#include <string>
#include <vector>

namespace cli {

#ifdef _WIN32
// The words of wmain's wide command line in the code page of the file functions, a character
// that it cannot hold made "?", which no Windows name holds. The narrow argv holds the system's
// look-alike instead: a fullwidth full stop becomes ".", so a folder so named would be taken for
// the folder above it.
std::vector<std::string> NarrowedArguments(int argc, wchar_t** argv);
#endif

// Windows: GetFullPathNameW (the current folder put in front, "/" made "\", "." and ".."
// resolved). POSIX: the current folder put in front of a relative name, "." components and
// repeated "/" dropped; ".." is kept, because through a symbolic link it leads elsewhere than
// the text suggests. An empty name, or one that cannot be made full, stays as it is.
std::string FullName(const std::string& name);

}  // namespace cli
