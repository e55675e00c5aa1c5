// A top-level window of the program: keeps its focused control while another window is
// active, and gives the focus back when it is activated again.
#pragma once

#include "ui/Window.h"

namespace ui {

class Form : public Window {
 public:
  // Moves the window so that it is centred on the desktop, the area that spans all
  // monitors; the left and top edge stay at 0 or more.
  void CenterOnDesktop();

 protected:
  // The outer window bounds that give the client area the size, at the top left corner.
  static RECT FrameForClientSize(int width, int height, DWORD style, DWORD exStyle);

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND lastFocus_ = nullptr;
};

}  // namespace ui
