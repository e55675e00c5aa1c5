// The services the tasks use: the log, the status line, the boxes, the event pump and the
// quit request, and the open dialog, on a real main window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "app/Unit1.h"
#include "app/resources/resource.h"
#include "tests/support/TestFiles.h"
#include "tests/windows/GuiTestSupport.h"

namespace {

using checkfile::TaskState;
using namespace gui_test;

class WindowServices : public testing::Test {
 protected:
  WindowServices() { application.SetMainWindow(&form); }
  ~WindowServices() override { application.SetMainWindow(nullptr); }

  ui::Application& application = gui_test::TestApplication();  // before the window
  app::TForm1 form;
};

TEST_F(WindowServices, AppendLogAddsLinesInOrderWithTheCaretAtTheEnd) {
  form.ClearLog();
  EXPECT_EQ(form.LogText(), "");
  form.AppendLog("first");
  form.AppendLog("");
  form.AppendLog("third");
  EXPECT_EQ(form.LogText(), "first\r\n\r\nthird\r\n");
  EXPECT_EQ(form.Memo1.CaretPosition(), form.Memo1.TextLength());

  // A line the user typed at the end, without a line break, keeps its own line.
  form.Memo1.SetText("typed");
  form.AppendLog("next");
  EXPECT_EQ(form.LogText(), "typed\r\nnext\r\n");

  // The lines of a cleared log that were not shown yet are gone with it.
  form.AppendLog("dropped");
  form.ClearLog();
  form.AppendLog("kept");
  EXPECT_EQ(form.LogText(), "kept\r\n");
}

TEST_F(WindowServices, TheLogKeepsEveryLineBeyondTheEditControlsDefaultLimit) {
  ShowWindow(form.Handle(), SW_SHOW);
  form.ClearLog();
  constexpr int kLines = 5000;  // 5000 lines of 43 characters: far beyond 30,000
  constexpr size_t kLineSize = 43;
  char line[64];
  for (int i = 0; i < kLines; ++i) {
    std::snprintf(line, sizeof line, "File: %06d-abcdefghijklmnopqrstuvwx.dat", i);
    form.AppendLog(line);
    form.SetStatus(line);
    form.ProcessPendingEvents();
  }
  const std::string log = form.LogText();
  ASSERT_EQ(log.size(), kLines * kLineSize);
  for (int i = 0; i < kLines; i += 499) {
    std::snprintf(line, sizeof line, "File: %06d-abcdefghijklmnopqrstuvwx.dat\r\n", i);
    EXPECT_EQ(log.compare(static_cast<size_t>(i) * kLineSize, kLineSize, line), 0) << i;
  }
  std::snprintf(line, sizeof line, "File: %06d-abcdefghijklmnopqrstuvwx.dat", kLines - 1);
  EXPECT_EQ(form.Memo1.CaretPosition(), form.Memo1.TextLength());
  EXPECT_GT(form.Memo1.FirstVisibleLine(), kLines - 20);  // the end is in view
  EXPECT_EQ(form.StatusText(), line);
  // The user can still type into it.
  SendMessageA(form.Memo1.Handle(), WM_CHAR, 'x', 0);
  EXPECT_EQ(static_cast<size_t>(form.Memo1.TextLength()), kLines * kLineSize + 1);
}

TEST_F(WindowServices, TheLogAndStatusAreUpToDateWhenAHandlerHasReturned) {
  form.ClearLog();
  form.AppendLog("line of a task");
  form.SetStatus("12 files processed.\nWorking in C:\\data");
  // Any click handler: the task it runs has ended when it returns.
  SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(IDC_ABORT_BUTTON, BN_CLICKED),
               reinterpret_cast<LPARAM>(form.ButtonAbort.Handle()));
  EXPECT_EQ(WindowText(form.Memo1.Handle()), "line of a task\r\n");
  EXPECT_EQ(WindowText(form.LabelStatus.Handle()), "12 files processed.\nWorking in C:\\data");
  EXPECT_TRUE(form.IsAbortRequested());
}

TEST_F(WindowServices, SetStatusReplacesTheWholeStatusLine) {
  form.SetStatus("first");
  form.SetStatus("3 files processed.\nWorking in C:\\x");
  EXPECT_EQ(form.StatusText(), "3 files processed.\nWorking in C:\\x");
  form.SetStatus("");
  EXPECT_EQ(form.StatusText(), "");
  EXPECT_TRUE(gui_test::HasStyle(form.LabelStatus.Handle(), WS_VISIBLE));
}

TEST_F(WindowServices, ErrorBoxAddsAFullStopOnlyAfterALetterOrDigit) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"Cannot open file \"C:\\x.MD5\". The system cannot find the file specified",
       "Cannot open file \"C:\\x.MD5\". The system cannot find the file specified."},
      {"Error 42", "Error 42."},
      {"Already a sentence.", "Already a sentence."},
      {"List index out of bounds (10)", "List index out of bounds (10)"},
      {"No files to work with!", "No files to work with!"},
      {"ends in a blank ", "ends in a blank "},
      {"", ""},
  };
  form.AppendLog("logged before the error");
  BoxCatcher catcher(BoxCatcher::PressOk, form.Memo1.Handle());
  for (const auto& entry : cases)
    form.ShowErrorBox(entry.message);
  ASSERT_EQ(catcher.Boxes().size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const CaughtBox& box = catcher.Boxes()[i];
    SCOPED_TRACE(cases[i].message);
    EXPECT_EQ(LookOf(box), ErrorBox(cases[i].shown));
    EXPECT_FALSE(box.ownerEnabled);  // modal
    EXPECT_NE(box.logWhenShown.find("logged before the error\r\n"), std::string::npos);
  }
}

TEST_F(WindowServices, MessageBoxShowsTheTextWithOkCaptionedWithTheTitle) {
  ShowWindow(form.Handle(), SW_SHOW);
  form.AppendLog("logged before the box");
  std::string longText;
  for (int i = 0; i < 120; ++i)
    longText += "word" + std::to_string(i) + " ";
  {
    BoxCatcher catcher(BoxCatcher::PressOk, form.Memo1.Handle());
    form.ShowMessageBox("No files to work with!");
    form.ShowMessageBox(longText);
    ASSERT_EQ(catcher.Boxes().size(), 2u);
    const CaughtBox& box = catcher.Boxes()[0];
    EXPECT_EQ(LookOf(box), NoticeBox("No files to work with!"));
    EXPECT_FALSE(box.ownerEnabled);
    EXPECT_NE(box.logWhenShown.find("logged before the box\r\n"), std::string::npos);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_LE(std::abs(box.bounds.left + box.bounds.right - screenWidth), 1);
    EXPECT_LE(std::abs(box.bounds.top + box.bounds.bottom - screenHeight), 1);

    const CaughtBox& wrapped = catcher.Boxes()[1];
    EXPECT_EQ(wrapped.text, longText);
    EXPECT_LE(wrapped.bounds.right - wrapped.bounds.left, screenWidth / 2 + 60);
    EXPECT_GT(wrapped.bounds.bottom - wrapped.bounds.top, 100);  // several lines
  }
  // Escape closes it too.
  BoxCatcher escape(BoxCatcher::PressCancel);
  form.ShowMessageBox("closed with Escape");
  EXPECT_EQ(escape.Boxes().size(), 1u);
}

TEST_F(WindowServices, ProcessPendingEventsLetsAClickOnAbortThrough) {
  ShowWindow(form.Handle(), SW_SHOW);
  form.EnterState(TaskState::Generating);
  form.ProcessPendingEvents();
  gui_test::PostClick(form.ButtonAbort.Handle());
  gui_test::PostClick(form.ButtonAbort.Handle());  // twice in one pause: as once
  EXPECT_FALSE(form.IsAbortRequested());
  form.ProcessPendingEvents();
  EXPECT_TRUE(form.IsAbortRequested());
  form.ProcessPendingEvents();
  EXPECT_TRUE(form.IsAbortRequested());
  // Abort writes no log line and leaves the status line alone.
  EXPECT_EQ(form.StatusText(), form.StatusBanner());
  EXPECT_EQ(form.LogText().find("Abort"), std::string::npos);
  form.SetAbortRequested(false);
  EXPECT_FALSE(form.IsAbortRequested());
}

// A hidden window that hands its messages WM_APP and WM_APP + 1 to the handler.
class AppMessages : public ui::Window {
 public:
  explicit AppMessages(std::function<void(UINT)> handler) : handler_(std::move(handler)) {
    RegisterWindowClass("GuiTestAppMessages", nullptr, COLOR_WINDOW);
    CreateHandle(0, "GuiTestAppMessages", "", WS_POPUP, {0, 0, 10, 10}, nullptr, 0);
  }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_APP && message != WM_APP + 1)
      return Window::OnMessage(message, wParam, lParam);
    handler_(message);
    return 0;
  }

 private:
  std::function<void(UINT)> handler_;
};

TEST_F(WindowServices, AQuitRequestInThePendingEventsOnlyMarksTheProgramAsEnding) {
  int count = 0;
  AppMessages counter([&count](UINT) { ++count; });
  PostMessageA(counter.Handle(), WM_APP, 0, 0);
  PostQuitMessage(0);
  PostMessageA(counter.Handle(), WM_APP, 0, 0);
  EXPECT_FALSE(application.Terminated());
  form.ProcessPendingEvents();
  EXPECT_TRUE(application.Terminated());
  EXPECT_EQ(count, 2);  // the events around the quit request are dispatched
  MSG left;
  EXPECT_FALSE(PeekMessageA(&left, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  application.ResetTerminated();
}

void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
  PostQuitMessage(1);
}

TEST_F(WindowServices, ClosingTheWindowWhileATaskRunsLetsTheTaskFinishThenEnds) {
  form.ClearLog();
  // A task of a few items inside the event loop, the way a click handler runs one, closing the
  // main window by its system menu after the first item.
  int itemsDone = 0;
  bool stayedShown = true;
  bool endingSeen = false;
  AppMessages task([&](UINT) {
    for (int item = 0; item < 5; ++item) {
      form.AppendLog("item " + std::to_string(item));
      if (item == 0) PostMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
      form.ProcessPendingEvents();
      stayedShown = stayedShown && IsWindowVisible(form.Handle());
      endingSeen = endingSeen || application.Terminated();
      ++itemsDone;
    }
  });
  PostMessageA(task.Handle(), WM_APP, 0, 0);
  const UINT_PTR safety = SetTimer(nullptr, 0, 20000, &GiveUp);
  application.Run();
  KillTimer(nullptr, safety);
  application.SetMainWindow(nullptr);
  application.ResetTerminated();

  EXPECT_EQ(itemsDone, 5);
  EXPECT_TRUE(endingSeen);
  EXPECT_TRUE(stayedShown);
  EXPECT_TRUE(IsWindow(form.Handle()));  // destroyed only by its owner, after the loop
  EXPECT_EQ(form.LogText(), "item 0\r\nitem 1\r\nitem 2\r\nitem 3\r\nitem 4\r\n");
}

TEST_F(WindowServices, AnErrorThatEscapesAHandlerEndsInTheErrorBox) {
  // Its handler fails with the error a task raises, or another.
  AppMessages failing([](UINT message) {
    if (message == WM_APP) throw checkfile::TaskError("Cannot create file \"C:\\x\". Denied");
    throw std::length_error("Too long");
  });
  BoxCatcher catcher;
  EXPECT_EQ(SendMessageA(failing.Handle(), WM_APP, 0, 0), 0);
  EXPECT_EQ(SendMessageA(failing.Handle(), WM_APP + 1, 0, 0), 0);
  ASSERT_EQ(catcher.Boxes().size(), 2u);
  EXPECT_EQ(LookOf(catcher.Boxes()[0]), ErrorBox("Cannot create file \"C:\\x\". Denied."));
  EXPECT_EQ(LookOf(catcher.Boxes()[1]), ErrorBox("Too long."));
  EXPECT_TRUE(IsWindow(failing.Handle()));  // and the window goes on
}

// The open dialog shown once and answered with the typed name (empty: Cancel): whether it was
// confirmed, the name it chose ("unchanged" for none), and what the dialog showed.
struct OpenDialogRun {
  bool confirmed = false;
  std::string chosen = "unchanged";
  gui_test::OpenDialogScript::Showing shown;
};

OpenDialogRun ShowOpenDialog(app::TForm1& form, const std::string& folder,
                             const std::string& typed) {
  OpenDialogRun run;
  gui_test::OpenDialogScript script(form, {typed});
  run.confirmed = form.RunOpenDialog(folder, run.chosen);
  EXPECT_EQ(script.Dialogs().size(), 1u);
  EXPECT_TRUE(script.OtherBoxes().empty());
  if (!script.Dialogs().empty()) run.shown = script.Dialogs()[0];
  return run;
}

TEST_F(WindowServices, TheOpenDialogStartsInTheFolderAndOffersTheLastName) {
  testing_support::TempDir dir;
  const std::string folder = dir / "";  // with its trailing "\"
  const OpenDialogRun answer = ShowOpenDialog(form, folder, "missing.MD5");
  EXPECT_TRUE(answer.confirmed);  // a typed name need not exist
  EXPECT_EQ(answer.chosen, dir / "missing.MD5");
  EXPECT_EQ(answer.shown.shownName, "");
  EXPECT_EQ(answer.shown.filter, "Veritally checkfiles");
  EXPECT_FALSE(answer.shown.readOnlyBoxShown);
  EXPECT_TRUE(answer.shown.sizable);

  // The next showing offers the chosen name again; a cancel changes nothing.
  const OpenDialogRun cancel = ShowOpenDialog(form, folder, "");
  EXPECT_EQ(cancel.chosen, "unchanged");
  EXPECT_FALSE(cancel.confirmed);
  // Offered without its folder, in the folder the dialog starts in.
  EXPECT_EQ(cancel.shown.shownName, "missing.MD5");
  EXPECT_EQ(form.OpenDialog1.FileName(), dir / "missing.MD5");
}

TEST_F(WindowServices, WithoutAFolderTheOpenDialogStartsInTheCurrentDirectory) {
  testing_support::TempDir dir;
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().string().c_str()));
  const OpenDialogRun answer = ShowOpenDialog(form, "", "here.MD5");
  SetCurrentDirectoryA(previous);
  EXPECT_TRUE(answer.confirmed);
  EXPECT_EQ(answer.chosen, dir / "here.MD5");
}

}  // namespace
