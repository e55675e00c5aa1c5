// "Open Checkfile..." on a real main window, through the system's open-file dialog answered as
// a user would: where the dialog starts, what a test of a freshly written and of a damaged tree
// logs, what a name that cannot be read shows, and that a cancel changes nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/TextConversion.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/TestFiles.h"
#include "tests/windows/GuiTestSupport.h"

namespace {

using namespace gui_test;
using namespace testing_support;

using CheckTask = gui_test::MainWindowTask;

TEST_F(CheckTask, AFreshCheckfileTestsOkAndADamagedTreeShowsEveryKindOfFailure) {
  MakeSmallTree(dir);
  ClickGo(Root() + "\\");
  const std::string checkfile = dir / "VRTLY-sums.MD5";
  {
    // The name alone: the dialog starts in the folder just scanned.
    OpenDialogScript script(form, {"VRTLY-sums.MD5"});
    ClickOpenCheckfile();
    ASSERT_EQ(script.Dialogs().size(), 1u);
    EXPECT_EQ(script.Dialogs()[0].folder, Root());
    EXPECT_EQ(script.Dialogs()[0].filter, "Veritally checkfiles");
    EXPECT_TRUE(script.OtherBoxes().empty());
  }
  EXPECT_EQ(LogLines(form),
            (Lines{"Testing MD5 sums in " + checkfile, "OK: " + (dir / "a.txt"),
                   "OK: " + (dir / "sub\\abc.txt"), "OK: " + (dir / "sub\\deeper\\d.bin"),
                   "OK: " + (dir / "z.txt"), "Operation complete.", "", "4 files tested.",
                   "EVERY FILE APPEARS OK!"}));
  EXPECT_EQ(form.StatusText(), form.StatusBanner());
  EXPECT_EQ(ControlState(form), "idle");

  WriteFile(dir / "sub\\abc.txt", "a");
  ASSERT_TRUE(DeleteFileA((dir / "z.txt").c_str()));
  std::vector<std::string> states;
  form.beforeEvents = [&] { states.push_back(ControlState(form)); };
  {
    OpenDialogScript script(form, {"VRTLY-sums.MD5"});
    ClickOpenCheckfile();
    ASSERT_EQ(script.Dialogs().size(), 1u);
    EXPECT_EQ(script.Dialogs()[0].shownName, "VRTLY-sums.MD5");  // the last chosen name
  }
  EXPECT_EQ(LogLines(form),
            (Lines{"Testing MD5 sums in " + checkfile, "OK: " + (dir / "a.txt"),
                   "ERROR: MD5 sum does not match for " + (dir / "sub\\abc.txt") +
                       ". Expected: " + kDigestAbc + " Calculated: " + kDigestA,
                   "OK: " + (dir / "sub\\deeper\\d.bin"),
                   "ERROR: Could not open file (" + (dir / "z.txt") + ")", "Operation complete.",
                   "", "3 files tested.", std::string("1") + kCouldNotBeTested,
                   std::string("1") + kDidNotMatch}));
  EXPECT_EQ(states, Lines(4, "verifying"));  // once before each listed file
  EXPECT_EQ(form.StatusText(), form.StatusBanner());
  EXPECT_EQ(ControlState(form), "idle");
}

TEST_F(CheckTask, AChosenFileThatCannotBeReadShowsTheSystemsReasonAndKeepsThePreviousLog) {
  WriteFile(dir / "a.txt", "a");
  ClickGo(Root());
  const Lines previousLog = LogLines(form);
  ASSERT_EQ(previousLog.size(), 2u);
  const std::string previousStatus = form.StatusText();
  WriteFile(dir / "busy.MD5", "; being written\r\n");
  HANDLE writer =
      CreateFileA((dir / "busy.MD5").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);

  const struct {
    std::string typed;
    DWORD error;
  } cases[] = {{"missing.MD5", ERROR_FILE_NOT_FOUND}, {"busy.MD5", ERROR_SHARING_VIOLATION}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    OpenDialogScript script(form, {c.typed});
    ClickOpenCheckfile();
    ASSERT_EQ(script.OtherBoxes().size(), 1u);
    EXPECT_EQ(LookOf(script.OtherBoxes()[0]), ErrorBox("Cannot open file \"" + (dir / c.typed) +
                                                       "\". " + SystemText(c.error) + "."));
    EXPECT_EQ(script.StatesDuringOtherBoxes(), Lines{"idle"});
    EXPECT_EQ(LogLines(form), previousLog);
    EXPECT_EQ(form.StatusText(), previousStatus);
    EXPECT_EQ(ControlState(form), "idle");
  }
  CloseHandle(writer);
}

// A fullwidth full stop has no byte in code page 1252; the system's look-alike, ".", would make
// the chosen checkfile the one in the folder above, whose files would then be reported on.
TEST_F(CheckTask, AChosenNameOutsideTheCodePageIsNeverTakenForAnotherFile) {
  WriteFile(dir / "a.txt", "a");
  ClickGo(Root());
  const std::wstring folder = platform::Widened(Root()) + L"\\\xff0e";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  OpenDialogScript script(form, {Root() + "\\\xef\xbc\x8e\\VRTLY-sums.MD5"});  // in UTF-8
  ClickOpenCheckfile();
  ASSERT_EQ(script.OtherBoxes().size(), 1u);
  EXPECT_EQ(LookOf(script.OtherBoxes()[0]),
            ErrorBox("Cannot open file \"" + (dir / "?\\VRTLY-sums.MD5") + "\". " +
                     SystemText(ERROR_INVALID_NAME) + "."));
  RemoveDirectoryW(folder.c_str());
}

TEST_F(CheckTask, TheDialogStartsInTheSelectedFolderAndACancelChangesNothing) {
  TempDir current;
  char previousDirectory[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof previousDirectory, previousDirectory);
  form.ClearLog();
  form.AppendLog("the last task's log");
  form.SetStatus("the last task's status");
  form.SetAbortRequested(true);

  const struct {
    std::string selected;
    std::string shown;
  } cases[] = {
      {Root() + "\\", Root()},  // one trailing "\" dropped
      {Root(), Root()},
      {"C:\\", "C:\\"},  // but not after ":"
      {"", current.path().string()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selected);
    // The dialog may leave the current directory in the folder it showed, even when it was
    // cancelled (Wine does).
    ASSERT_TRUE(SetCurrentDirectoryA(current.path().string().c_str()));
    form.SetSelectedFolder(c.selected);
    OpenDialogScript script(form, {""});
    ClickOpenCheckfile();
    ASSERT_EQ(script.Dialogs().size(), 1u);
    EXPECT_EQ(script.Dialogs()[0].folder, c.shown);
    EXPECT_TRUE(script.OtherBoxes().empty());
    EXPECT_EQ(LogLines(form), Lines{"the last task's log"});
    EXPECT_EQ(form.StatusText(), "the last task's status");
    EXPECT_EQ(ControlState(form), "idle");
    EXPECT_TRUE(form.IsAbortRequested());
    EXPECT_EQ(form.GetSelectedFolder(), c.selected);
  }
  SetCurrentDirectoryA(previousDirectory);
}

TEST_F(CheckTask, AbortClickedDuringTheTestStopsItWithTheBanner) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    WriteFile(dir / name, "a");
  ClickGo(Root());
  form.beforeEvents = [&] {
    if (form.StatusText() == "Files tested: 1; Testing: " + (dir / "b.txt"))
      gui_test::PostClick(form.ButtonAbort.Handle());
  };
  OpenDialogScript script(form, {"VRTLY-sums.MD5"});
  ClickOpenCheckfile();
  EXPECT_EQ(LogLines(form), (Lines{"Testing MD5 sums in " + (dir / "VRTLY-sums.MD5"),
                                   "OK: " + (dir / "a.txt"), "OPERATION ABORTED BY USER."}));
  EXPECT_EQ(form.StatusText(), form.StatusBanner());
  EXPECT_EQ(ControlState(form), "idle");
}

// The user verified a checkfile elsewhere, then made one here: the dialog offers the name
// again, but in the folder just scanned, so confirming it tests the new checkfile.
TEST_F(CheckTask, TheLastNameIsOfferedAgainInTheSelectedFolderNotInItsOwn) {
  TempDir elsewhere;
  WriteFile(elsewhere / "old.txt", "abc");
  ClickGo(elsewhere.path().string());
  {
    OpenDialogScript script(form, {"VRTLY-sums.MD5"});
    ClickOpenCheckfile();
  }
  ASSERT_EQ(LogLines(form).front(), "Testing MD5 sums in " + (elsewhere / "VRTLY-sums.MD5"));

  WriteFile(dir / "new.txt", "a");
  ClickGo(Root());
  OpenDialogScript script(form, {OpenDialogScript::kAsOffered});
  ClickOpenCheckfile();
  ASSERT_EQ(script.Dialogs().size(), 1u);
  EXPECT_EQ(script.Dialogs()[0].folder, Root());
  EXPECT_EQ(script.Dialogs()[0].shownName, "VRTLY-sums.MD5");
  EXPECT_EQ(LogLines(form),
            (Lines{"Testing MD5 sums in " + Checkfile(), "OK: " + (dir / "new.txt"),
                   "Operation complete.", "", "1 files tested.", "EVERY FILE APPEARS OK!"}));
}

}  // namespace
