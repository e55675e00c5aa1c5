// The busy states keep a second task from starting. With the real mouse, whose clicks the system
// hands only to controls that can take them, a click on a task button or on another tab does
// nothing while a task runs, and a click on Abort stops it. These tests move the display's one
// mouse; no other test shows windows meanwhile (see CMakeLists.txt).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tests/windows/GuiTestSupport.h"

namespace {

using namespace gui_test;
using testing_support::WriteFile;
using Lines = std::vector<std::string>;

using MouseDuringTask = gui_test::MainWindowTask;

TEST_F(MouseDuringTask, WhileTheWalkRunsOnlyAbortTakesAClick) {
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"})
    WriteFile(dir / name, "a");
  const int firstFile = 3;  // the events after "." and ".."
  form.beforeEvents = [&] {
    if (form.pumps == firstFile) MouseClick(form.ButtonGo.Handle());
    if (form.pumps == firstFile + 1) MouseClickAt(TabCentre(form, gui_test::kPageCheck));
    if (form.pumps == firstFile + 2) MouseClick(form.ButtonAbort.Handle());
  };
  ClickGo(Root());

  EXPECT_EQ(LogLines(form),
            (Lines{"File: a.txt", "File: b.txt", "File: c.txt", "OPERATION ABORTED BY USER."}));
  EXPECT_EQ(form.PageControl1.Selected(), gui_test::kPageMake);
  EXPECT_EQ(ControlState(form), "idle");
  EXPECT_EQ(GetFileAttributesA(Checkfile().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(MouseDuringTask, WhileTheFilesAreTestedOnlyAbortTakesAClick) {
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
    WriteFile(dir / name, "a");
  ClickGo(Root());
  form.pumps = 0;
  form.beforeEvents = [&] {
    if (form.pumps == 1) MouseClick(form.ButtonFindCheckFile.Handle());
    if (form.pumps == 2) MouseClickAt(TabCentre(form, gui_test::kPageMake));
    if (form.pumps == 3) MouseClick(form.ButtonAbort.Handle());
  };
  gui_test::OpenDialogScript script(form, {"VRTLY-sums.MD5"});
  ClickOpenCheckfile();

  EXPECT_EQ(script.Dialogs().size(), 1u);  // no second dialog
  EXPECT_EQ(LogLines(form), (Lines{"Testing MD5 sums in " + Checkfile(), "OK: " + (dir / "a.txt"),
                                   "OK: " + (dir / "b.txt"), "OPERATION ABORTED BY USER."}));
  EXPECT_EQ(form.PageControl1.Selected(), gui_test::kPageCheck);
  EXPECT_EQ(ControlState(form), "idle");
}

}  // namespace
