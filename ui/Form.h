// A top-level window of the program: created for a client size, centred on the desktop or on
// the screen, and, unless it leaves that to the system, keeping its focused control while
// another window is active to give the focus back when it is activated again.
#pragma once

#include "ui/Window.h"

namespace ui {

class Form : public Window {
 public:
  // Moves the window so that it is centred on the desktop, the area that spans all
  // monitors; the left and top edge stay at 0 or more.
  void CenterOnDesktop();
  // The same on the primary screen.
  void CenterOnScreen();

 protected:
  // The outer window bounds that give the client area the size, at the top left corner.
  static RECT FrameForClientSize(int width, int height, DWORD style, DWORD exStyle);

  // False: activation is left to the system, which puts the focus on the form itself.
  virtual bool RestoresFocus() const { return true; }

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CenterIn(int areaWidth, int areaHeight);

  HWND lastFocus_ = nullptr;
};

}  // namespace ui
