// Path texts as the tasks build and take them apart, and the form in which a checkfile stores
// a relative path. Win32 paths use "\"; POSIX paths use "/".
#pragma once

#include <string>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The path of an entry of the folder: folder, separator, name. The POSIX root "/" is joined
// without a second separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// Removes one trailing separator; true when one was removed. A drive root such as C:\ becomes
// C: (which JoinPath turns back into C:\name). The POSIX root "/" keeps its separator: without
// it the folder would be the empty text, which means no folder at all.
bool RemoveTrailingSeparator(std::string& folder);

// The folder part of a file name: everything up to and including the last separator (and, on
// Windows, the last ":"). Empty when there is none.
std::string FolderPartOf(const std::string& fileName);

// Whether a name found by the directory search can be stored in a checkfile exactly. A
// checkfile separates components with "\" and lines with CR and LF, so a POSIX name holding
// any of them would read back as a different path. Windows names never hold them.
bool IsStorableName(const std::string& name);

// The path in the form in which two names of the same file compare equal byte for byte, as far
// as letter case goes: Windows' file names ignore it, so Windows upper-cases the path in the
// ANSI code page; POSIX names keep it, so POSIX returns the path unchanged.
std::string ComparablePath(std::string path);

// A relative path in the checkfile's form ("\" between components) and back.
std::string ToStoredPath(std::string relativePath);
std::string FromStoredPath(std::string storedPath);

}  // namespace platform
