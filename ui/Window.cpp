#include "ui/Window.h"

#include <exception>

#include "ui/Application.h"

namespace ui {

namespace {

constexpr char kContainerClass[] = "TVtContainer";

// An error that reaches the window procedure goes to the error box and stops there: it must
// never unwind into the system's code that called us.
void ReportEscapedError(const char* message) noexcept {
  try {
    if (Application* application = Application::CurrentOrNull()) {
      application->ShowErrorBox(message);
    } else {
      MessageBoxA(nullptr, message, "", MB_OK | MB_ICONSTOP);
    }
  } catch (...) {
    MessageBoxA(nullptr, "Out of memory", "", MB_OK | MB_ICONSTOP);
  }
}

}  // namespace

std::string WindowText(HWND window) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(
      static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

Window::~Window() {
  if (hwnd_ == nullptr) return;
  // Too late for the derived object to handle anything: detach before destroying.
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

Window* Window::FromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&Procedure)) {
    return nullptr;
  }
  return reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void Window::DestroyHandle() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_
}

void Window::RegisterWindowClass(const char* className, HICON icon, int backgroundColor) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, className, &existing)) return;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = &Procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(backgroundColor + 1));
  windowClass.lpszClassName = className;
  RegisterClassExA(&windowClass);
}

HWND Window::CreateHandle(DWORD exStyle, const char* className, const std::string& caption,
                          DWORD style, RECT bounds, HWND parent, int id) {
  HMENU menu =
      (style & WS_CHILD) != 0 ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
  CreateWindowExA(exStyle, className, caption.c_str(), style, bounds.left, bounds.top,
                  bounds.right - bounds.left, bounds.bottom - bounds.top, parent, menu,
                  GetModuleHandleA(nullptr), this);
  return hwnd_;
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
      break;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return result;
      break;
    }
    case WM_SETCURSOR:
      return OnSetCursor(wParam, lParam);
    default:
      break;
  }
  return DefaultMessage(message, wParam, lParam);
}

bool Window::OnCommand(int, int, HWND) {
  return false;
}

bool Window::OnNotify(const NMHDR&, LRESULT&) {
  return false;
}

// While the program shows a screen cursor (the hourglass of a long preparation), every
// window of it shows that one; otherwise each window keeps its own.
LRESULT Window::OnSetCursor(WPARAM wParam, LPARAM lParam) {
  Application* application = Application::CurrentOrNull();
  if (application != nullptr && application->ScreenCursor() != kCursorDefault &&
      LOWORD(lParam) == HTCLIENT) {
    SetCursor(application->Cursors().Get(application->ScreenCursor()));
    return TRUE;
  }
  return DefaultMessage(WM_SETCURSOR, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);

  LRESULT result = 0;
  try {
    result = self->OnMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    ReportEscapedError(error.what());
  } catch (...) {
    ReportEscapedError("Unknown error");
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

void Container::Create(Window& owner, HWND parent, RECT bounds, int id) {
  owner_ = &owner;
  RegisterWindowClass(kContainerClass, nullptr, COLOR_BTNFACE);
  CreateHandle(WS_EX_CONTROLPARENT, kContainerClass, "",
               WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, bounds, parent, id);
}

LRESULT Container::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
      if (owner_ != nullptr && owner_->Handle() != nullptr) {
        return SendMessageA(owner_->Handle(), message, wParam, lParam);
      }
      break;
    default:
      break;
  }
  return Window::OnMessage(message, wParam, lParam);
}

}  // namespace ui
