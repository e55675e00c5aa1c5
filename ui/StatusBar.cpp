#include "ui/StatusBar.h"

#include <vector>

namespace ui {

namespace {

std::string PartText(HWND bar, WPARAM part) {
  const LRESULT length = SendMessageA(bar, SB_GETTEXTLENGTHA, part, 0);
  std::vector<char> text(static_cast<size_t>(LOWORD(length)) + 1, '\0');
  SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text.data()));
  return text.data();
}

}  // namespace

std::string StatusBar::SimpleText() const {
  std::string text = PartText(hwnd_, SB_SIMPLEID);
  // Wine's status bar hands out the simple pane's text under index 0, not SB_SIMPLEID.
  if (text.empty() && SendMessageA(hwnd_, SB_ISSIMPLE, 0, 0)) text = PartText(hwnd_, 0);
  return text;
}

}  // namespace ui
