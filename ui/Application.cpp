#include "ui/Application.h"

#include "checkfile/TaskWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/Navigation.h"
#include "ui/Window.h"

namespace ui {

namespace {

HCURSOR SystemCursor(const char* id) {
  return LoadCursorA(nullptr, id);
}

}  // namespace

Application* Application::current_ = nullptr;

CursorTable::CursorTable() {
  Set(kCursorDefault, SystemCursor(IDC_ARROW));
  Set(kCursorArrow, SystemCursor(IDC_ARROW));
  Set(kCursorHourGlass, SystemCursor(IDC_WAIT));
}

HCURSOR CursorTable::Get(int number) const {
  auto it = cursors_.find(number);
  return it != cursors_.end() && it->second != nullptr ? it->second : SystemCursor(IDC_ARROW);
}

Application::Application() : comInitialized_(SUCCEEDED(CoInitialize(nullptr))) {
  current_ = this;
}

Application::~Application() {
  if (current_ == this) current_ = nullptr;
  if (comInitialized_) CoUninitialize();
}

void Application::Run() {
  if (mainWindow_ != nullptr && mainWindow_->Handle() != nullptr) {
    ShowWindow(mainWindow_->Handle(), SW_SHOWNORMAL);
    UpdateWindow(mainWindow_->Handle());
  }
  while (!terminated_) {
    if (DispatchNext()) continue;
    if (mainWindow_ != nullptr) mainWindow_->OnIdle();
    if (!terminated_) WaitMessage();
  }
}

void Application::ProcessPendingEvents() {
  while (DispatchNext()) {
  }
}

bool Application::DispatchNext() {
  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
  if (message.message == WM_QUIT) {
    terminated_ = true;
  } else {
    Dispatch(message);
  }
  return true;
}

void Application::Dispatch(MSG& message) {
  if (HandleDialogKey(message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

// Tab and Shift+Tab move the focus through the tab stops of our windows, and Enter clicks
// the focused push button. The windows are not dialogs, so nobody else does it for them.
bool Application::HandleDialogKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || message.hwnd == nullptr) return false;
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  if (Window::FromHandle(root) == nullptr) return false;
  const bool modifier = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
  // Without a message in lParam, so that an edit control does not switch to the dialog
  // behaviour (Escape would close the window it sits on).
  const LRESULT code = SendMessageA(message.hwnd, WM_GETDLGCODE, message.wParam, 0);
  if (message.wParam == VK_TAB && !modifier && (code & DLGC_WANTTAB) == 0) {
    if (HWND next = NextTabStop(root, message.hwnd, GetKeyState(VK_SHIFT) < 0)) SetFocus(next);
    return true;
  }
  if (message.wParam == VK_RETURN && !modifier &&
      (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
    SendMessageA(message.hwnd, BM_CLICK, 0, 0);
    return true;
  }
  return false;
}

void Application::ShowErrorBox(const std::string& message) {
  ui::ShowErrorBox(ModalOwner(), title_, checkfile::ErrorBoxText(message));
}

void Application::ShowMessageBox(const std::string& text) {
  ui::ShowMessageBox(ModalOwner(), title_, text);
}

HWND MainWindowHandle() {
  const Application* application = Application::CurrentOrNull();
  if (application == nullptr || application->MainWindow() == nullptr) return nullptr;
  return application->MainWindow()->Handle();
}

HWND ModalOwner() {
  HWND active = GetActiveWindow();
  return active != nullptr ? active : MainWindowHandle();
}

void Application::SetScreenCursor(int number) {
  screenCursor_ = number;
  SetCursor(cursors_.Get(number == kCursorDefault ? kCursorArrow : number));
}

}  // namespace ui
