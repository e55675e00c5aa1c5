// The main window as it comes up: pages, texts, layout, border, tab order and the three
// control states, on a real window.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "app/Unit1.h"
#include "tests/windows/GuiTestSupport.h"
#include "ui/Navigation.h"
#include "ui/Path.h"
#include "version/Version.h"

namespace {

using checkfile::TaskState;
using namespace gui_test;

// The first 42 lines of the help text, as the log shows them at start.
const char* const kHelpTextStart[] = {
    "Veritally is a simple tool to test the integrity of files in a",
    "folder.",
    "",
    "The first step is to create a checkfile. Click the Make Checkfile",
    "tab.  The first button here allows you to select the folder that",
    "will be scanned.  Once you have your folder selected, click GO.",
    "",
    "The folder will be scanned recursively so that all files in",
    "subfolders will also be able to be tested.",
    "",
    "The scanning process calculates an MD5 sum for each file and will",
    "save these values in a file (VRTLY-sums.MD5) in the folder you",
    "selected.  How long this takes depends on how many files are",
    "being scanned and the speed of your computer.",
    "",
    "Once an MD5 checkfile is created, you should leave it where it is",
    "saved.  You can then copy the Veritally.exe program file to",
    "the same location so that someone can easily test the integrity",
    "of the files.",
    "",
    "For example, suppose you are about to burn a CD-ROM or DVD-ROM",
    "and want to be able to determine if a disc is defective after it",
    "has been burned or mass-produced. If your files and folders for",
    "the CD-ROM are located in C:\\temp\\cds\\new-cd\\, you would select",
    "this folder for making a checkfile with Veritally.",
    "Veritally will save the Veritally data file in",
    "C:\\temp\\cds\\new-cd\\. If you like, you can copy the",
    "Veritally.exe program file there too. Now burn your CD. Now",
    "the CD should have the Veritally.exe and VRTLY-sums.MD5 in the",
    "root folder. Running Veritally and testing the VRTLY-sums.MD5",
    "should allow someone to quickly determine of the CD-ROM is",
    "defective.",
    "",
    "Testing is easy.  Select the \"Check files\" tab and then click",
    "\"Open Checkfile...\" and find the .MD5 file you want to test.  The",
    "files' MD5 sums will be compared.  If the files have changed",
    "(such as if there was data corruption), the test will show that",
    "the MD5 sums do not match.",
    "",
    "INSTALLATION:",
    "Veritally does not come with an installer.  Just put the",
    "Veritally.exe file where you need it and run it from there.",
};

class MainWindow : public testing::Test {
 protected:
  ui::Application& application = gui_test::TestApplication();  // before the window
  app::TForm1 form;
};

// The enabled-state changes of the window's controls, in the order they happen: each one sends
// the control WM_ENABLE, which a hook on this thread sees.
class EnableRecorder {
 public:
  explicit EnableRecorder(const app::TForm1& form)
      : names_{{form.ButtonGo.Handle(), "ButtonGo"},
               {form.ButtonScanFolder.Handle(), "ButtonScanFolder"},
               {form.PageControl1.Handle(), "PageControl1"},
               {form.ButtonFindCheckFile.Handle(), "ButtonFindCheckFile"},
               {form.ButtonAbort.Handle(), "ButtonAbort"}} {
    current_ = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, Record, nullptr, GetCurrentThreadId());
  }
  ~EnableRecorder() {
    UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  EnableRecorder(const EnableRecorder&) = delete;
  EnableRecorder& operator=(const EnableRecorder&) = delete;

  // The changes since the last call, as "enable ButtonGo" or "disable PageControl1".
  std::vector<std::string> Take() { return std::exchange(seen_, {}); }

 private:
  static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_ENABLE && current_ != nullptr) {
      const auto name = current_->names_.find(message->hwnd);
      if (name != current_->names_.end())
        current_->seen_.push_back((message->wParam ? "enable " : "disable ") + name->second);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline EnableRecorder* current_ = nullptr;
  std::map<HWND, std::string> names_;
  std::vector<std::string> seen_;
  HHOOK hook_ = nullptr;
};

TEST_F(MainWindow, StartsOnTheAboutPageWithBannerHelpTextAndTheExecutablesFolder) {
  EXPECT_EQ(WindowText(form.Handle()), "Veritally");
  ASSERT_EQ(form.PageControl1.TabCount(), 3);
  EXPECT_EQ(form.PageControl1.TabCaption(0), "Make checkfile");
  EXPECT_EQ(form.PageControl1.TabCaption(1), "Check files");
  EXPECT_EQ(form.PageControl1.TabCaption(2), "About");
  EXPECT_EQ(form.PageControl1.Selected(), 2);
  EXPECT_TRUE(HasStyle(form.TabSheet1.Handle(), WS_VISIBLE));
  EXPECT_FALSE(HasStyle(form.TabSheetMake.Handle(), WS_VISIBLE));
  EXPECT_FALSE(HasStyle(form.TabSheetCheck.Handle(), WS_VISIBLE));

  const std::string banner = form.StatusText();
  const std::string firstLine = "Veritally version " VRTLY_FILE_VERSION_TEXT "\n";
  ASSERT_EQ(banner.substr(0, firstLine.size()), firstLine);
  const std::string notice = banner.substr(firstLine.size());
  EXPECT_EQ(notice.find_first_of("\r\n"), std::string::npos);
  EXPECT_NE(notice.find("2026"), std::string::npos);
  EXPECT_NE(notice.find("Veritally authors"), std::string::npos);
  EXPECT_EQ(form.StatusBanner(), banner);

  EXPECT_TRUE(form.LogText().ends_with("\r\n")) << "the text does not end in a line break";
  const std::vector<std::string> help = gui_test::LogLines(form);
  ASSERT_EQ(help.size(), 66u);
  for (size_t line = 0; line < 42; ++line)
    EXPECT_EQ(help[line], kHelpTextStart[line]) << line + 1;
  EXPECT_EQ(help[42], "");
  EXPECT_EQ(help[48], "https://www.example.org/veritally/");
  EXPECT_EQ(help[56], "WARRANTY DISCLAIMER");
  EXPECT_EQ(form.Memo1.FirstVisibleLine(), 0);

  EXPECT_EQ(WindowText(form.Label2.Handle()), "Veritally version " VRTLY_FILE_VERSION_TEXT);
  EXPECT_EQ(WindowText(form.Label5.Handle()),
            "NO WARRANTY EXPRESSED OR IMPLIED. USE AT YOUR OWN RISK.");
  EXPECT_EQ(WindowText(form.VtURLLabel1.Handle()), "Email: veritally@example.org");
  EXPECT_EQ(WindowText(form.VtURLLabel2.Handle()), "Website: https://www.example.org/veritally/");

  EXPECT_FALSE(form.ButtonAbort.IsEnabled());
  EXPECT_TRUE(form.ButtonGo.IsEnabled());
  EXPECT_TRUE(form.ButtonFindCheckFile.IsEnabled());
  const std::string exe = ui::ExecutablePath();
  const std::string folder = exe.substr(0, exe.rfind('\\') + 1);
  EXPECT_EQ(WindowText(form.ButtonScanFolder.Handle()), folder);
  EXPECT_EQ(form.GetSelectedFolder(), folder);
  EXPECT_FALSE(form.IsAbortRequested());
  EXPECT_TRUE(ui::Application::Current().CurrentDirFallback());
}

TEST_F(MainWindow, UsesTheLayoutsFontsAndColours) {
  const LOGFONTA windowFont = FontOf(form.ButtonGo.Handle());
  EXPECT_STREQ(windowFont.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(windowFont.lfHeight, -11);
  EXPECT_EQ(windowFont.lfCharSet, DEFAULT_CHARSET);
  const LOGFONTA memoFont = FontOf(form.Memo1.Handle());
  EXPECT_STREQ(memoFont.lfFaceName, "Courier New");
  EXPECT_EQ(memoFont.lfHeight, -11);
  EXPECT_EQ(memoFont.lfCharSet, ANSI_CHARSET);
  EXPECT_TRUE(HasStyle(form.Memo1.Handle(), WS_HSCROLL | WS_VSCROLL | ES_MULTILINE));
  EXPECT_FALSE(HasStyle(form.Memo1.Handle(), ES_READONLY));

  for (const app::TVtURLLabel* link : {&form.VtURLLabel1, &form.VtURLLabel2}) {
    const LOGFONTA font = FontOf(link->Handle());
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(font.lfHeight, -11);
    EXPECT_TRUE(font.lfUnderline);
    EXPECT_EQ(link->ShownColor(), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_TRUE(link->Transparent());
  }
  EXPECT_FALSE(FontOf(form.Label3.Handle()).lfUnderline);
}

TEST_F(MainWindow, ControlsSitWhereTheLayoutPutsThem) {
  RECT client{};
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, 524);
  EXPECT_EQ(client.bottom, 371);

  HWND window = form.Handle();
  HWND pages = form.PageControl1.Handle();
  HWND make = form.TabSheetMake.Handle();
  HWND about = form.TabSheet1.Handle();
  // Labels take the width of their text: kTextWidth stands for it, and their height is 13.
  constexpr LONG kTextWidth = -1;
  const struct {
    const char* name;
    HWND control;
    HWND parent;
    RECT bounds;  // left, top, right, bottom
  } placements[] = {
      {"PageControl1", pages, window, {8, 8, 513, 121}},
      {"ButtonScanFolder", form.ButtonScanFolder.Handle(), make, {8, 24, 489, 49}},
      {"ButtonGo", form.ButtonGo.Handle(), make, {8, 56, 83, 81}},
      {"ButtonFindCheckFile",
       form.ButtonFindCheckFile.Handle(),
       form.TabSheetCheck.Handle(),
       {8, 8, 105, 33}},
      {"Memo1", form.Memo1.Handle(), window, {8, 128, 513, 313}},
      {"LabelStatus", form.LabelStatus.Handle(), window, {8, 320, 329, 361}},
      {"ButtonAbort", form.ButtonAbort.Handle(), window, {344, 320, 403, 362}},
      {"Image1", form.Image1.Handle(), window, {408, 320, 513, 364}},
      // These two labels carry their stored texts.
      {"Label1", form.Label1.Handle(), make, {8, 8, 329, 21}},
      {"Label5", form.Label5.Handle(), about, {8, 40, 363, 53}},
      {"Label2", form.Label2.Handle(), about, {8, 8, kTextWidth, 21}},
      {"Label3", form.Label3.Handle(), about, {8, 24, kTextWidth, 37}},
      {"Label4", form.Label4.Handle(), about, {128, 24, kTextWidth, 37}},
      {"VtURLLabel1", form.VtURLLabel1.Handle(), about, {8, 56, kTextWidth, 69}},
      {"VtURLLabel2", form.VtURLLabel2.Handle(), about, {200, 56, kTextWidth, 69}},
  };
  for (const auto& placement : placements) {
    SCOPED_TRACE(placement.name);
    EXPECT_EQ(GetParent(placement.control), placement.parent);
    RECT bounds = BoundsInParent(placement.control);
    const RECT& expected = placement.bounds;
    if (expected.right == kTextWidth) bounds.right = kTextWidth;  // any width
    EXPECT_EQ(std::tie(bounds.left, bounds.top, bounds.right, bounds.bottom),
              std::tie(expected.left, expected.top, expected.right, expected.bottom));
  }
  for (HWND page : {make, form.TabSheetCheck.Handle(), about})
    EXPECT_EQ(GetParent(page), pages);
  // The copyright line ends before the licence line on the same row begins, and the e-mail
  // link before the web link.
  EXPECT_LE(BoundsInParent(form.Label3.Handle()).right, 128);
  EXPECT_LE(BoundsInParent(form.VtURLLabel1.Handle()).right, 200);
  EXPECT_LE(BoundsInParent(form.Label4.Handle()).right, BoundsInParent(about).right);
}

TEST_F(MainWindow, HasAFixedDialogBorderAndIsCentredOnTheDesktop) {
  HWND window = form.Handle();
  EXPECT_TRUE(HasStyle(window, WS_CAPTION | WS_SYSMENU));
  EXPECT_FALSE(HasStyle(window, WS_THICKFRAME));
  EXPECT_FALSE(HasStyle(window, WS_MINIMIZEBOX));
  EXPECT_FALSE(HasStyle(window, WS_MAXIMIZEBOX));
  EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE),
            GetSysColor(static_cast<int>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND)) - 1));

  RECT bounds{};
  GetWindowRect(window, &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  EXPECT_EQ(bounds.left, std::max(0, (GetSystemMetrics(SM_CXVIRTUALSCREEN) - width) / 2));
  EXPECT_EQ(bounds.top, std::max(0, (GetSystemMetrics(SM_CYVIRTUALSCREEN) - height) / 2));
}

TEST_F(MainWindow, TabMovesTheFocusInTheLayoutsOrderAndATabClickShowsItsPage) {
  ShowWindow(form.Handle(), SW_SHOW);
  form.ProcessPendingEvents();
  HWND window = form.Handle();
  // The About page has no tab stops: page control, log, and Abort is disabled.
  EXPECT_EQ(ui::NextTabStop(window, form.PageControl1.Handle(), false), form.Memo1.Handle());
  EXPECT_EQ(ui::NextTabStop(window, form.Memo1.Handle(), false), form.PageControl1.Handle());

  ClickPageTab(form, 0);
  EXPECT_EQ(form.PageControl1.Selected(), 0);
  EXPECT_TRUE(HasStyle(form.TabSheetMake.Handle(), WS_VISIBLE));
  EXPECT_FALSE(HasStyle(form.TabSheet1.Handle(), WS_VISIBLE));

  form.ButtonAbort.SetEnabled(true);
  // Round once, and on to the first again.
  const HWND expected[] = {
      form.ButtonScanFolder.Handle(), form.ButtonGo.Handle(),     form.Memo1.Handle(),
      form.ButtonAbort.Handle(),      form.PageControl1.Handle(), form.ButtonScanFolder.Handle()};
  SetFocus(form.PageControl1.Handle());
  for (HWND next : expected) {
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    form.ProcessPendingEvents();
    EXPECT_EQ(GetFocus(), next) << WindowText(next);
  }
  EXPECT_EQ(ui::NextTabStop(window, form.ButtonScanFolder.Handle(), true),
            form.PageControl1.Handle());
}

TEST_F(MainWindow, TheThreeControlStatesAreThoseOfTheTable) {
  HWND scan = form.ButtonScanFolder.Handle();
  HWND go = form.ButtonGo.Handle();
  HWND pages = form.PageControl1.Handle();
  HWND find = form.ButtonFindCheckFile.Handle();
  HWND abort = form.ButtonAbort.Handle();
  HWND memo = form.Memo1.Handle();
  auto expectIdle = [&] {
    for (HWND control : {pages, scan, go, find, memo})
      EXPECT_TRUE(Reachable(control));
    EXPECT_FALSE(IsWindowEnabled(abort));
  };
  expectIdle();

  using Switches = std::vector<std::string>;
  EnableRecorder switches(form);
  // Each busy state, entered from idle and left for it: the switches in the order in which they
  // happen, the controls it disables, and those it leaves enabled but out of reach.
  const struct {
    TaskState state;
    const char* name;
    Switches entering, leaving;
    std::vector<HWND> disabled, outOfReach;
  } busy[] = {
      {TaskState::Generating,
       "generating",
       {"disable ButtonGo", "disable ButtonScanFolder", "disable PageControl1",
        "enable ButtonAbort"},
       {"enable ButtonGo", "disable ButtonAbort", "enable ButtonScanFolder", "enable PageControl1"},
       {pages, scan, go},
       {find}},
      {TaskState::Verifying,
       "verifying",
       {"disable PageControl1", "disable ButtonFindCheckFile", "enable ButtonAbort"},
       {"enable PageControl1", "enable ButtonFindCheckFile", "disable ButtonAbort"},
       {pages, find},
       {scan, go}},
  };
  for (const auto& row : busy) {
    SCOPED_TRACE(row.name);
    form.EnterState(row.state);
    EXPECT_EQ(switches.Take(), row.entering);
    for (HWND control : row.disabled)
      EXPECT_FALSE(IsWindowEnabled(control)) << WindowText(control);
    for (HWND control : row.outOfReach) {
      EXPECT_TRUE(IsWindowEnabled(control)) << WindowText(control);
      EXPECT_FALSE(Reachable(control)) << WindowText(control);
    }
    EXPECT_TRUE(Reachable(abort));
    EXPECT_TRUE(Reachable(memo));
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
    form.EnterState(TaskState::Idle);
    EXPECT_EQ(switches.Take(), row.leaving);
    expectIdle();
  }
  form.EnterState(TaskState::Idle);  // already idle: nothing changes
  EXPECT_EQ(switches.Take(), Switches{});
}

TEST_F(MainWindow, InABusyStateOnlyTheLogAndAbortTakeTheKeyboard) {
  ShowWindow(form.Handle(), SW_SHOW);
  ClickPageTab(form, 0);
  ASSERT_EQ(form.PageControl1.Selected(), 0);
  form.EnterState(TaskState::Generating);
  EXPECT_EQ(ui::NextTabStop(form.Handle(), form.Memo1.Handle(), false), form.ButtonAbort.Handle());
  EXPECT_EQ(ui::NextTabStop(form.Handle(), form.ButtonAbort.Handle(), false), form.Memo1.Handle());
}

}  // namespace
