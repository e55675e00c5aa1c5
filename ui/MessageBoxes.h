// The program's two modal boxes. Both are dialogs of the system class "#32770" whose text
// is the control 0xFFFF, as the system's own message box has it.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The system message box with the stop icon and one OK button; the text as given.
void ShowErrorBox(HWND owner, const std::string& caption, const std::string& text);

// A box with the text, word-wrapped to at most half the screen width, and one OK button; no
// icon; centred on the screen. Returns when the user closes it.
void ShowMessageBox(HWND owner, const std::string& caption, const std::string& text);

}  // namespace ui
