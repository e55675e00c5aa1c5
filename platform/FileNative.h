// The backends' system calls behind the free file functions that tests can make fail: File.cpp
// asks the fault hooks first, then calls these (win32/File.cpp, posix/File.cpp).
#pragma once

#include <string>

namespace platform::native {

bool CanCreateForWrite(const std::string& path);
bool ReplaceWithTemporary(const std::string& temporary, const std::string& path);

}  // namespace platform::native
