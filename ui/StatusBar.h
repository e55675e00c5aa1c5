// A status bar with one simple pane that shows a single text.
#pragma once

#include "ui/Controls.h"

namespace ui {

class StatusBar : public Control {
 public:
  // Placed by the caller (no automatic alignment), without a divider line.
  void Create(HWND parent, int id, RECT bounds, HFONT font, bool sizeGrip) {
    hwnd_ = CreateControl(
        STATUSCLASSNAMEA, "",
        CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | (sizeGrip ? SBARS_SIZEGRIP : 0), 0,
        bounds, parent, id, font);
    SendMessageA(hwnd_, SB_SIMPLE, TRUE, 0);
  }
  // The simple pane's text, drawn without the pane's sunken frame.
  void SetSimpleText(const std::string& text) {
    SendMessageA(hwnd_, SB_SETTEXTA, SB_SIMPLEID | SBT_NOBORDERS,
                 reinterpret_cast<LPARAM>(text.c_str()));
  }
  std::string SimpleText() const;
};

}  // namespace ui
