#include "ui/Form.h"

#include <algorithm>

#include "ui/Navigation.h"

namespace ui {

void Form::CenterOnDesktop() {
  CenterIn(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

void Form::CenterOnScreen() {
  CenterIn(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

void Form::CenterIn(int areaWidth, int areaHeight) {
  RECT bounds{};
  GetWindowRect(Handle(), &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const int left = std::max(0, (areaWidth - width) / 2);
  const int top = std::max(0, (areaHeight - height) / 2);
  SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Form::FrameForClientSize(int width, int height, DWORD style, DWORD exStyle) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return {0, 0, frame.right - frame.left, frame.bottom - frame.top};
}

LRESULT Form::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE && RestoresFocus()) {
    if (LOWORD(wParam) == WA_INACTIVE) {
      HWND focus = GetFocus();
      if (focus != nullptr && IsChild(Handle(), focus)) lastFocus_ = focus;
    } else if ((HIWORD(wParam) == 0)) {  // not minimised
      HWND target = lastFocus_ != nullptr && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)
                        ? lastFocus_
                        : NextTabStop(Handle(), nullptr, false);
      if (target != nullptr) SetFocus(target);
      return 0;
    }
  }
  return Window::OnMessage(message, wParam, lParam);
}

}  // namespace ui
