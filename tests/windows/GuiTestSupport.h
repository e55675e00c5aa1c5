// What the in-process GUI tests share: the one application object, a catcher for modal
// boxes, and small views of real windows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/Controls.h"

namespace gui_test {

// The test process's application object, titled "Veritally" like the program's; made once.
ui::Application& TestApplication();

// A modal dialog as the catcher saw it.
struct CaughtBox {
  std::string caption;
  std::string text;  // the text control 0xFFFF
  std::vector<std::string> buttons;
  HICON icon = nullptr;  // the icon it shows, null for none
  RECT bounds{};
  DWORD style = 0;
  bool ownerEnabled = true;
  std::string logWhenShown;  // what the main window's log held when the box came up
};

// Watches, from a thread timer, for modal dialogs of this thread and answers each once,
// by default with OK. One catcher at a time.
class BoxCatcher {
 public:
  using Answer = std::function<void(HWND box)>;
  explicit BoxCatcher(Answer answer = PressOk, HWND logOwnerMemo = nullptr);
  ~BoxCatcher();
  BoxCatcher(const BoxCatcher&) = delete;
  BoxCatcher& operator=(const BoxCatcher&) = delete;

  const std::vector<CaughtBox>& Boxes() const { return boxes_; }

  static void PressOk(HWND box);
  static void PressCancel(HWND box);
  // The answer that presses the button with the id (IDYES, ...).
  static Answer Press(int button);

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Inspect(HWND box);

  Answer answer_;
  HWND memo_;
  UINT_PTR timer_ = 0;
  std::vector<HWND> seen_;
  std::vector<CaughtBox> boxes_;
};

using ui::BoundsInParent;
using ui::WindowText;
std::string ClassName(HWND window);
// Enabled itself and through every ancestor: it can take input.
bool Reachable(HWND window);
bool HasStyle(HWND window, DWORD style);
// The font the window was given (WM_SETFONT).
LOGFONTA FontOf(HWND window);

// The folder of the test executable, with its trailing "\".
std::string TestFolder();

// Posts a left click at the centre of a window and lets it through the queue later.
void PostClick(HWND window);

}  // namespace gui_test
