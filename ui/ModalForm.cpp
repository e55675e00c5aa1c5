#include "ui/ModalForm.h"

#include <vector>

#include "ui/Application.h"
#include "ui/ExceptionGuards.h"
#include "ui/Navigation.h"

namespace ui {

namespace {

int ShowCommand(WindowState state) {
  switch (state) {
    case WindowState::Maximized:
      return SW_SHOWMAXIMIZED;
    case WindowState::Minimized:
      return SW_SHOWMINIMIZED;
    case WindowState::Normal:
      break;
  }
  return SW_SHOWNORMAL;
}

bool IsKeyDown(int key) {
  return GetKeyState(key) < 0;
}

void Click(HWND button) {
  if (button != nullptr && IsWindowEnabled(button)) SendMessageA(button, BM_CLICK, 0, 0);
}

}  // namespace

// The thread's other enabled top-level windows, disabled for the life of the object.
class ModalForm::DisabledWindows {
 public:
  explicit DisabledWindows(HWND form) : form_(form) {
    EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
    errors_.Rethrow();  // nothing is disabled yet
    for (HWND window : windows_)
      EnableWindow(window, FALSE);
  }
  ~DisabledWindows() {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
      if (IsWindow(*it)) EnableWindow(*it, TRUE);
    }
  }
  DisabledWindows(const DisabledWindows&) = delete;
  DisabledWindows& operator=(const DisabledWindows&) = delete;

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM self) {
    auto* disabled = reinterpret_cast<DisabledWindows*>(self);
    return disabled->errors_.Guard(FALSE, [&] {
      if (window != disabled->form_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
        disabled->windows_.push_back(window);
      }
      return TRUE;
    });
  }

  HWND form_;
  std::vector<HWND> windows_;
  CallbackErrors errors_;
};

void ModalForm::CreateForm(const char* className, HWND owner, const std::string& caption,
                           DWORD style, SIZE clientSize) {
  RegisterWindowClass(className, nullptr, COLOR_BTNFACE);
  CreateHandle(WS_EX_CONTROLPARENT, className, caption, style & ~static_cast<DWORD>(WS_VISIBLE),
               FrameForClientSize(clientSize.cx, clientSize.cy, style, WS_EX_CONTROLPARENT), owner,
               0);
}

int ModalForm::ShowModal() {
  modalResult_ = kNoResult;
  const HWND previousActive = GetActiveWindow();
  {
    const DisabledWindows disabled(Handle());
    CenterOnScreen();
    DoShow();
    showingModal_ = true;
    Reveal();
    RunLoop();
    showingModal_ = false;
  }
  if (previousActive != nullptr && IsWindow(previousActive)) SetActiveWindow(previousActive);
  if (Handle() != nullptr) {
    ShowWindow(Handle(), SW_HIDE);
    DoHide();
  }
  return modalResult_;
}

void ModalForm::SetState(WindowState state) {
  state_ = state;
  if (Handle() != nullptr && IsWindowVisible(Handle())) ShowWindow(Handle(), ShowCommand(state));
}

int ModalForm::OuterWidth() const {
  RECT bounds{};
  GetWindowRect(Handle(), &bounds);
  return bounds.right - bounds.left;
}

int ModalForm::OuterHeight() const {
  RECT bounds{};
  GetWindowRect(Handle(), &bounds);
  return bounds.bottom - bounds.top;
}

void ModalForm::SetOuterSize(int width, int height) {
  SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT ModalForm::NormalBounds() const {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(Handle(), &placement);
  return placement.rcNormalPosition;
}

bool ModalForm::FocusWantsAllKeys(HWND focus) const {
  // No message in lParam: an edit control given one would act on Escape itself.
  return (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS) != 0;
}

LRESULT ModalForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      modalResult_ = IDCANCEL;  // the close box cancels; the owner destroys the form
      return 0;
    case WM_SIZE:
      TrackState(wParam);
      DoResize();
      return 0;
    case WM_GETMINMAXINFO:
      DoGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    default:
      break;
  }
  return Form::OnMessage(message, wParam, lParam);
}

void ModalForm::Reveal() {
  ShowWindow(Handle(), ShowCommand(state_));
  DoResize();
  SetForegroundWindow(Handle());
  if (HWND first = NextTabStop(Handle(), nullptr, false)) SetFocus(first);
}

// Dispatches the thread's messages until a modal result is set. A quit request ends the
// form with Cancel and is put back for the loop outside.
void ModalForm::RunLoop() {
  const ScopedScreenCursor arrow(kCursorDefault);
  while (modalResult_ == kNoResult && Handle() != nullptr) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      WaitMessage();
      continue;
    }
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      modalResult_ = IDCANCEL;
      break;
    }
    if (HandleDialogKey(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (modalResult_ == kNoResult) modalResult_ = IDCANCEL;
}

bool ModalForm::HandleDialogKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || message.hwnd == nullptr) return false;
  if (message.hwnd != Handle() && !IsChild(Handle(), message.hwnd)) return false;
  if (IsKeyDown(VK_CONTROL) || IsKeyDown(VK_MENU) || FocusWantsAllKeys(message.hwnd)) {
    return false;
  }
  switch (message.wParam) {
    case VK_TAB:
      if ((SendMessageA(message.hwnd, WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB) != 0) return false;
      if (HWND next = NextTabStop(Handle(), message.hwnd, IsKeyDown(VK_SHIFT))) SetFocus(next);
      return true;
    case VK_RETURN: {
      const LRESULT code = SendMessageA(message.hwnd, WM_GETDLGCODE, 0, 0);
      const bool onButton = (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
      Click(onButton ? message.hwnd : defaultButton_);
      return true;
    }
    case VK_ESCAPE:
      Click(cancelButton_);
      return true;
    default:
      return false;
  }
}

void ModalForm::TrackState(WPARAM sizeType) {
  if (!IsWindowVisible(Handle())) return;  // the state to show in stays as set
  if (sizeType == SIZE_MAXIMIZED) {
    state_ = WindowState::Maximized;
  } else if (sizeType == SIZE_MINIMIZED) {
    state_ = WindowState::Minimized;
  } else if (sizeType == SIZE_RESTORED) {
    state_ = WindowState::Normal;
  }
}

}  // namespace ui
