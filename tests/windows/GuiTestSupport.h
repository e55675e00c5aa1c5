// What the in-process GUI tests share: the one application object, a catcher for modal
// boxes, and small views of real windows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <tuple>
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

// What a box says and offers: caption, text, icon, buttons.
using BoxLook = std::tuple<std::string, std::string, HICON, std::vector<std::string>>;
BoxLook LookOf(const CaughtBox& box);
// The application's box for an error, and for a message.
BoxLook ErrorBox(const std::string& text);
BoxLook NoticeBox(const std::string& text);

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

// The program's executable loaded as data, for its resources.
class ProgramImage {
 public:
  ProgramImage();
  ~ProgramImage();
  ProgramImage(const ProgramImage&) = delete;
  ProgramImage& operator=(const ProgramImage&) = delete;

  static std::string Path();  // Veritally.exe in the build tree
  HMODULE Handle() const { return module_; }
  // The bytes of a resource, empty when it has none.
  std::string Bytes(const char* type, const char* name,
                    WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)) const;

 private:
  HMODULE module_;
};

// The system's text for an error code, as it follows a failed file operation in a message:
// without trailing blanks, line breaks and periods.
std::string SystemText(DWORD code);

// Posts a left click at the centre of a window and lets it through the queue later.
void PostClick(HWND window);

// A mouse click on a control, through the queue; returns when the click's handler, and the task
// it started, has returned. The control must be able to take the click: enabled, with every
// window above it. (A posted click, like BM_CLICK, would reach a disabled button too.)
void ClickButton(HWND button);

}  // namespace gui_test
