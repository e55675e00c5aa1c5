// Closing the main window while a real task runs inside the event loop: the close only marks
// the program as ending, the task runs on to its end (or until Abort stops it), the window
// stays until the task has returned, and then the event loop ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/CheckfileSamples.h"
#include "tests/support/TestFiles.h"
#include "tests/windows/GuiTestSupport.h"

namespace {

using gui_test::LogLines;
using testing_support::ReadFile;
using Lines = std::vector<std::string>;

bool gaveUp = false;

// Ends an event loop that the close did not end.
void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
  gaveUp = true;
  PostQuitMessage(1);
}

class CloseDuringTask : public gui_test::MainWindowTask {
 protected:
  ~CloseDuringTask() override { application.ResetTerminated(); }

  // Closes the window by its system menu at the task's first event processing and, when
  // abortAt is not 0, clicks Abort at that one; watches the window at every other.
  void WatchTask(int abortAt) {
    form.beforeEvents = [this, abortAt] {
      if (form.pumps == 1) {
        PostMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
      }
      stayedShown = stayedShown && IsWindowVisible(form.Handle());
      endingSeen = endingSeen || application.Terminated();
      if (form.pumps == abortAt) gui_test::PostClick(form.ButtonAbort.Handle());
    };
  }

  // Runs the event loop, which shows the window and dispatches the click posted on the button.
  void RunWithClickOn(HWND button) {
    gui_test::PostClick(button);
    gaveUp = false;
    const UINT_PTR safety = SetTimer(nullptr, 0, 60000, &GiveUp);
    application.Run();
    KillTimer(nullptr, safety);
    EXPECT_FALSE(gaveUp) << "the event loop did not end after the task";
  }

  bool stayedShown = true;
  bool endingSeen = false;
};

TEST_F(CloseDuringTask, AGenerationRunsToItsEndAndThenTheProgramEnds) {
  testing_support::MakeSmallTree(dir);
  gui_test::ClickPageTab(form, gui_test::kPageMake);
  form.SetSelectedFolder(Root());
  WatchTask(0);
  RunWithClickOn(form.ButtonGo.Handle());

  EXPECT_TRUE(endingSeen);
  EXPECT_TRUE(stayedShown);
  EXPECT_GT(form.pumps, 10);  // every entry of the walk, after the close
  EXPECT_TRUE(IsWindow(form.Handle()));
  EXPECT_EQ(LogLines(form).back(),
            "Operation complete.  Check file saved to " + (dir / "VRTLY-sums.MD5"));
  EXPECT_EQ(testing_support::SplitOffTimestamp(ReadFile(dir / "VRTLY-sums.MD5")).rest,
            testing_support::SmallTreeCheckfileWithoutTimestamp());
}

TEST_F(CloseDuringTask, AbortStillStopsAVerificationAfterTheClose) {
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
    testing_support::WriteFile(dir / name, "a");
  ClickGo(Root());
  gui_test::ClickPageTab(form, gui_test::kPageCheck);
  form.pumps = 0;
  WatchTask(3);
  gui_test::OpenDialogScript script(form, {"VRTLY-sums.MD5"});
  RunWithClickOn(form.ButtonFindCheckFile.Handle());

  EXPECT_TRUE(endingSeen);
  EXPECT_TRUE(stayedShown);
  EXPECT_EQ(form.pumps, 3);
  EXPECT_EQ(LogLines(form),
            (Lines{"Testing MD5 sums in " + (dir / "VRTLY-sums.MD5"), "OK: " + (dir / "a.txt"),
                   "OK: " + (dir / "b.txt"), "OPERATION ABORTED BY USER."}));
  EXPECT_EQ(form.StatusText(), form.StatusBanner());
}

}  // namespace
