// "Go!" on a real main window: clicked through the message queue, it walks a real folder,
// writes the checkfile and leaves the log, the status line and the controls as they should be,
// on every end: completed, nothing to do, a failed save, stopped by Abort.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "checkfile/CheckfileFormat.h"
#include "checkfile/Timestamp.h"
#include "platform/LocalTime.h"
#include "tests/support/CheckfileSamples.h"
#include "tests/support/FaultInjector.h"
#include "tests/support/TestFiles.h"
#include "tests/windows/GuiTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace gui_test;
using namespace testing_support;

std::string Timestamp() {
  return checkfile::TimestampText(platform::CurrentLocalTime(), platform::UserDateTimeSettings());
}

using GoTask = gui_test::MainWindowTask;

TEST_F(GoTask, WritesTheCheckfileOfTheTreeAndEndsIdleWithTheBanner) {
  MakeSmallTree(dir);
  std::set<std::string> statesSeen;
  std::set<std::string> statusesSeen;
  form.beforeEvents = [&] {
    statesSeen.insert(ControlState(form));
    statusesSeen.insert(form.StatusText());
  };
  OpenDialogScript boxes(form, {});
  const std::string before = Timestamp();
  ClickGo(Root() + "\\");
  const std::string after = Timestamp();

  const Written written = SplitOffTimestamp(ReadFile(Checkfile()));
  EXPECT_EQ(written.rest, SmallTreeCheckfileWithoutTimestamp());
  EXPECT_TRUE(written.timestampLine == "; " + before || written.timestampLine == "; " + after)
      << written.timestampLine << " is not between " << before << " and " << after;

  EXPECT_EQ(LogLines(form),
            (Lines{"File: a.txt", "Folder: " + (dir / "empty"), "Folder: " + (dir / "sub"),
                   "File: abc.txt", "Folder: " + (dir / "sub\\deeper"), "File: d.bin",
                   "File: z.txt", SavedTo(Root())}));
  EXPECT_EQ(form.StatusText(), form.StatusBanner());
  EXPECT_EQ(ControlState(form), "idle");
  EXPECT_EQ(form.GetSelectedFolder(), Root());  // without its trailing "\"
  EXPECT_TRUE(boxes.OtherBoxes().empty());

  EXPECT_EQ(statesSeen, std::set<std::string>{"generating"});
  EXPECT_TRUE(statusesSeen.count(Progress(4, Root())));
  EXPECT_TRUE(statusesSeen.count(Progress(3, dir / "sub\\deeper")));
  EXPECT_TRUE(statusesSeen.count("Generating check file..."));
}

TEST_F(GoTask, ASecondClickOnTheSameFolderWritesTheSame) {
  MakeSmallTree(dir);
  ClickGo(Root() + "\\");
  const Lines firstLog = LogLines(form);
  const std::string first = SplitOffTimestamp(ReadFile(Checkfile())).rest;
  ClickButton(form.ButtonGo.Handle());
  EXPECT_EQ(form.GetSelectedFolder(), Root());
  EXPECT_EQ(LogLines(form), firstLog);
  EXPECT_EQ(SplitOffTimestamp(ReadFile(Checkfile())).rest, first);
}

TEST_F(GoTask, AFolderWithoutVisibleFilesShowsNoFilesToWorkWith) {
  WriteFile(dir / "hidden.txt", "h");
  ASSERT_TRUE(SetFileAttributesA((dir / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  fs::create_directories(dir.path() / "empty");
  OpenDialogScript boxes(form, {});
  ClickGo(Root());

  ASSERT_EQ(boxes.OtherBoxes().size(), 1u);
  const gui_test::CaughtBox& box = boxes.OtherBoxes()[0];
  EXPECT_EQ(LookOf(box), NoticeBox("No files to work with!"));
  EXPECT_FALSE(box.ownerEnabled);
  // The box comes while the task still runs; closing it ends the task.
  EXPECT_EQ(boxes.StatesDuringOtherBoxes(), Lines{"generating"});
  EXPECT_EQ(box.logWhenShown, "Folder: " + (dir / "empty") + "\r\n");

  EXPECT_EQ(LogLines(form), Lines{"Folder: " + (dir / "empty")});
  EXPECT_EQ(form.StatusText(), "");
  EXPECT_EQ(ControlState(form), "idle");
  EXPECT_FALSE(fs::exists(Checkfile()));
}

TEST_F(GoTask, ASaveThatFailsShowsTheSystemsReasonOnceAndLeavesTheControlsUsable) {
  WriteFile(dir / "a.txt", "a");
  struct Obstacle {
    const char* what;
    DWORD error;  // what Windows reports for it
  };
  const Obstacle obstacles[] = {
      {"a folder named VRTLY-sums.MD5", ERROR_ACCESS_DENIED},
      {"the checkfile held open without sharing", ERROR_SHARING_VIOLATION}};
  for (const Obstacle& obstacle : obstacles) {
    SCOPED_TRACE(obstacle.what);
    HANDLE holder = INVALID_HANDLE_VALUE;
    if (obstacle.error == ERROR_ACCESS_DENIED) {
      ASSERT_TRUE(CreateDirectoryA(Checkfile().c_str(), nullptr));
    } else {
      WriteFile(Checkfile(), "; the old checkfile\r\n");
      holder =
          CreateFileA(Checkfile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    }
    {
      OpenDialogScript boxes(form, {});
      ClickGo(Root());
      ASSERT_EQ(boxes.OtherBoxes().size(), 1u);
      const gui_test::CaughtBox& box = boxes.OtherBoxes()[0];
      EXPECT_EQ(LookOf(box), ErrorBox("Cannot create file \"" + Checkfile() + "\". " +
                                      SystemText(obstacle.error) + "."));
      EXPECT_EQ(boxes.StatesDuringOtherBoxes(), Lines{"idle"});
      EXPECT_EQ(box.logWhenShown, "File: a.txt\r\n");
    }
    EXPECT_EQ(LogLines(form), Lines{"File: a.txt"});
    EXPECT_EQ(form.StatusText(), "Generating check file...");
    EXPECT_EQ(ControlState(form), "idle");

    if (holder != INVALID_HANDLE_VALUE) {
      CloseHandle(holder);
      EXPECT_EQ(ReadFile(Checkfile()), "; the old checkfile\r\n");
      ASSERT_TRUE(DeleteFileA(Checkfile().c_str()));
    } else {
      ASSERT_TRUE(RemoveDirectoryA(Checkfile().c_str()));
    }
    // Usable again: the next click writes the checkfile.
    ClickButton(form.ButtonGo.Handle());
    EXPECT_EQ(LogLines(form).back(), SavedTo(Root()));
    ASSERT_TRUE(DeleteFileA(Checkfile().c_str()));
  }
}

TEST_F(GoTask, AFileHeldOpenForWritingIsLoggedAndLeftOut) {
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "busy.txt", "busy");
  WriteFile(dir / "z.txt", "abc");
  HANDLE writer =
      CreateFileA((dir / "busy.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  ClickGo(Root());
  CloseHandle(writer);

  EXPECT_EQ(LogLines(form), (Lines{"File: a.txt", "File: busy.txt", "Could not open file",
                                   "File: z.txt", SavedTo(Root())}));
  EXPECT_EQ(SplitOffTimestamp(ReadFile(Checkfile())).rest,
            kVersionHeaderLine + Entry(kDigestA, "a.txt") + Entry(kDigestAbc, "z.txt"));
}

TEST_F(GoTask, AbortClickedTwoFoldersDownStopsTheWalkAndWritesNothing) {
  WriteFile(Checkfile(), "; the old checkfile\r\n");
  WriteFile(dir / "s1\\s2\\f.txt", "f");
  WriteFile(dir / "s1\\s2\\g.txt", "g");
  WriteFile(dir / "s1\\t.txt", "t");
  WriteFile(dir / "z.txt", "z");
  const std::string s2 = dir / "s1\\s2";
  int clicks = 0;
  form.beforeEvents = [&] {
    if (form.StatusText() == Progress(1, s2) && clicks++ == 0) {
      gui_test::PostClick(form.ButtonAbort.Handle());
    }
  };
  OpenDialogScript boxes(form, {});
  ClickGo(Root());

  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(LogLines(form), (Lines{"Folder: " + (dir / "s1"), "Folder: " + s2, "File: f.txt",
                                   "OPERATION ABORTED BY USER.", "OPERATION ABORTED BY USER.",
                                   "OPERATION ABORTED BY USER."}));
  EXPECT_EQ(form.StatusText(), "");
  EXPECT_EQ(ControlState(form), "idle");
  EXPECT_TRUE(boxes.OtherBoxes().empty());
  EXPECT_EQ(ReadFile(Checkfile()), "; the old checkfile\r\n");
  EXPECT_TRUE(form.IsAbortRequested());  // until the next task clears it
}

// Writing the checkfile can take a while on a slow medium: the status line says so before the
// writing starts, however fast the walk went (statuses otherwise reach the label in batches).
TEST_F(GoTask, TheStatusLineSaysGeneratingCheckFileWhileTheCheckfileIsWritten) {
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "b.txt", "b");
  std::string labelWhileWriting = "(not written)";
  FaultInjector faults;
  faults.BeforeCreating(dir / checkfile::kTemporaryCheckfileName, [&] {
    labelWhileWriting = gui_test::WindowText(form.LabelStatus.Handle());
  });
  OpenDialogScript boxes(form, {});
  ClickGo(Root());
  EXPECT_EQ(labelWhileWriting, "Generating check file...");
  EXPECT_EQ(LogLines(form).back(), SavedTo(Root()));
}

}  // namespace
