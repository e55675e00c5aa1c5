// What the in-process GUI tests share: the one application object, a catcher for modal
// boxes, small views of real windows, and for the tests of the two tasks a main window whose
// event pump a test can watch, clicks on its tabs and buttons through the message queue, an
// answerer for the open-file dialog, and views of the window's state.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/Unit1.h"
#include "tests/support/TestFiles.h"
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

// For the tests of the two tasks on the main window.

// The main window, with a hook that runs each time a task processes pending events, just
// before they are dispatched: where a test looks at the window in the middle of a task, or
// posts a click that the task's event processing then lets through.
class PumpWatchedForm : public app::TForm1 {
 public:
  void ProcessPendingEvents() override {
    ++pumps;
    if (beforeEvents) beforeEvents();
    app::TForm1::ProcessPendingEvents();
  }

  std::function<void()> beforeEvents;
  int pumps = 0;
};

inline constexpr int kPageMake = 0;
inline constexpr int kPageCheck = 1;

// A mouse click on a tab of the page control, through the queue.
void ClickPageTab(app::TForm1& form, int index);

// A click with the mouse itself, at a point on the screen or at the centre of a window: the
// system hands it to whatever window takes input there, so a disabled control never sees it.
// Returns once the click is in this thread's queue, for the next event processing to dispatch.
void MouseClickAt(POINT screen);
void MouseClick(HWND window);
// The centre of a tab of the page control, on the screen.
POINT TabCentre(app::TForm1& form, int index);

// The window's control state by the table of states: "idle", "generating", "verifying", or
// "mixed" for anything else. The main window's own enabled state is left out: a modal box
// disables it while it is up.
std::string ControlState(app::TForm1& form);

// The log's lines (every line ends in CR LF).
std::vector<std::string> LogLines(app::TForm1& form);

// Answers the modal boxes of a task: each showing of the open dialog with the next of the
// scripted names (in UTF-8), typed into its file name box before Open is pressed (an empty name
// presses Cancel, kAsOffered presses Open on what it offers), and every other box with OK, after
// reading it.
class OpenDialogScript {
 public:
  struct Showing {
    std::string folder;     // where it stands, as the dialog reports it (CDM_GETFOLDERPATH)
    std::string shownName;  // the file name box's text when it came up
    std::string filter;     // the file type box's text
    bool readOnlyBoxShown = true;
    bool sizable = false;
  };

  // A scripted name that presses Open on the name the dialog offers, without typing.
  static constexpr char kAsOffered[] = "<as offered>";

  OpenDialogScript(app::TForm1& form, std::vector<std::string> names);

  const std::vector<Showing>& Dialogs() const { return dialogs_; }
  // The boxes that were not open dialogs, and the window's control state while each was up.
  const std::vector<CaughtBox>& OtherBoxes() const { return otherBoxes_; }
  const std::vector<std::string>& StatesDuringOtherBoxes() const { return otherStates_; }

 private:
  void Answer(HWND box);

  app::TForm1& form_;
  std::vector<std::string> names_;
  size_t next_ = 0;
  std::vector<Showing> dialogs_;
  std::vector<CaughtBox> otherBoxes_;
  std::vector<std::string> otherStates_;
  BoxCatcher catcher_;
};

// A shown main window, the program's main window for the test, and a temporary folder.
class MainWindowTask : public testing::Test {
 protected:
  MainWindowTask();
  ~MainWindowTask() override;

  // The folder the folder dialog would have chosen, then "Go!" on its page.
  void ClickGo(const std::string& folder);
  // "Open Checkfile..." on its page; an OpenDialogScript in scope answers the dialog.
  void ClickOpenCheckfile();

  std::string Root() const { return dir.path().string(); }
  std::string Checkfile() const { return dir / "VRTLY-sums.MD5"; }

  ui::Application& application = TestApplication();  // before the window
  PumpWatchedForm form;
  testing_support::TempDir dir;
};

}  // namespace gui_test
