// Texts from the executable's string table.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The string-table entry with the id; empty when there is none.
std::string LoadStringResource(UINT id);

}  // namespace ui
