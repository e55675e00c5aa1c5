// The base of every window class of the program: one window procedure for all of them, which
// finds the C++ object behind a handle and hands the message to its virtual OnMessage.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The text of any window: a caption, a control's text.
std::string WindowText(HWND window);

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const { return hwnd_; }
  // The object behind a window of one of our classes; null for any other window.
  static Window* FromHandle(HWND hwnd);

  // Destroys the window while the object is still whole. Derived classes whose members
  // handle messages call it from their destructor.
  void DestroyHandle();

  // Called by the event loop whenever the queue has run empty.
  virtual void OnIdle() {}

 protected:
  // Registers a window class that routes its messages through Window; once per name.
  static void RegisterWindowClass(const char* className, HICON icon, int backgroundColor);

  // Creates the window; the object receives every message from WM_NCCREATE on.
  HWND CreateHandle(DWORD exStyle, const char* className, const std::string& caption, DWORD style,
                    RECT bounds, HWND parent, int id);

  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // A control's notification by WM_COMMAND; true when handled.
  virtual bool OnCommand(int id, int code, HWND control);
  // A control's notification by WM_NOTIFY; true when handled, with its result.
  virtual bool OnNotify(const NMHDR& header, LRESULT& result);

  LRESULT DefaultMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
};

// A window whose only job is to hold controls: a page of a page control, a panel. It hands
// its children's notifications to the window that owns it.
class Container : public Window {
 public:
  void Create(Window& owner, HWND parent, RECT bounds, int id);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  Window* owner_ = nullptr;
};

}  // namespace ui
