// The Win32 backend under the tasks: the search's attribute filter, Windows' sharing rules and
// the user's locale settings as the system itself applies them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checkfile/Tasks.h"
#include "checkfile/Timestamp.h"
#include "platform/LocalTime.h"
#include "platform/SystemError.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TestFiles.h"

namespace {

using testing_support::RecordingWindow;
using testing_support::TempDir;
using testing_support::WriteFile;
using Lines = std::vector<std::string>;

void AddAttributes(const std::string& path, DWORD attributes) {
  const DWORD current = GetFileAttributesA(path.c_str());
  ASSERT_NE(current, INVALID_FILE_ATTRIBUTES) << path;
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), current | attributes)) << path;
}

TEST(Win32Tasks, TheWalkNeverSeesHiddenOrSystemFilesAndFolders) {
  TempDir dir;
  WriteFile(dir / "seen.txt", "a");
  WriteFile(dir / "hidden.txt", "h");
  WriteFile(dir / "system.txt", "s");
  WriteFile(dir / "hiddendir/inside.txt", "h");
  WriteFile(dir / "systemdir/inside.txt", "s");
  AddAttributes(dir / "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
  AddAttributes(dir / "system.txt", FILE_ATTRIBUTE_SYSTEM);
  AddAttributes(dir / "hiddendir", FILE_ATTRIBUTE_HIDDEN);
  AddAttributes(dir / "systemdir", FILE_ATTRIBUTE_SYSTEM);
  RecordingWindow window;
  window.selectedFolder = dir.path().string();
  checkfile::RunTask(window, checkfile::RunGeneration);
  EXPECT_EQ(window.log, (Lines{"File: seen.txt", "Operation complete.  Check file saved to " +
                                                     (dir / "VRTLY-sums.MD5")}));
}

TEST(Win32Tasks, OnlyHiddenAndSystemFilesGiveNoFilesToWorkWith) {
  TempDir dir;
  WriteFile(dir / "hidden.txt", "h");
  WriteFile(dir / "system.txt", "s");
  AddAttributes(dir / "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
  AddAttributes(dir / "system.txt", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
  RecordingWindow window;
  window.selectedFolder = dir.path().string();
  checkfile::RunTask(window, checkfile::RunGeneration);
  const Lines trace = window.Trace();
  EXPECT_EQ(window.Count(RecordingWindow::Op::ShowMessageBox), 1u);
  EXPECT_EQ(Lines(trace.end() - 2, trace.end()),
            (Lines{"box: No files to work with!", "state: idle"}));
  EXPECT_EQ(GetFileAttributesA((dir / "VRTLY-sums.MD5").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32Tasks, AFileHeldOpenForWritingByAnotherHandleIsLoggedAndLeftOut) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "busy.txt", "b");
  HANDLE writer =
      CreateFileA((dir / "busy.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  RecordingWindow window;
  window.selectedFolder = dir.path().string();
  checkfile::RunTask(window, checkfile::RunGeneration);
  EXPECT_EQ(window.log,
            (Lines{"File: a.txt", "File: busy.txt", "Could not open file",
                   "Operation complete.  Check file saved to " + (dir / "VRTLY-sums.MD5")}));

  window.dialogFileName = dir / "VRTLY-sums.MD5";
  checkfile::RunTask(window, checkfile::RunVerification);
  CloseHandle(writer);
  EXPECT_EQ(window.log,
            (Lines{"Testing MD5 sums in " + (dir / "VRTLY-sums.MD5"), "OK: " + (dir / "a.txt"),
                   "Operation complete.", "", "1 files tested.", "EVERY FILE APPEARS OK!"}));
}

TEST(Win32Tasks, ACheckfileHeldOpenForWritingCannotBeReplacedOrRead) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "VRTLY-sums.MD5", "; old\r\n");
  HANDLE writer =
      CreateFileA((dir / "VRTLY-sums.MD5").c_str(), GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  RecordingWindow window;
  window.selectedFolder = dir.path().string();
  checkfile::RunTask(window, checkfile::RunGeneration);
  const std::string sharing = platform::SystemErrorText(ERROR_SHARING_VIOLATION);
  EXPECT_EQ(window.Trace().back(),
            "error box: Cannot create file \"" + (dir / "VRTLY-sums.MD5") + "\". " + sharing);

  window.dialogFileName = dir / "VRTLY-sums.MD5";
  checkfile::RunTask(window, checkfile::RunVerification);
  CloseHandle(writer);
  EXPECT_EQ(window.Trace().back(),
            "error box: Cannot open file \"" + (dir / "VRTLY-sums.MD5") + "\". " + sharing);
  EXPECT_EQ(testing_support::ReadFile(dir / "VRTLY-sums.MD5"), "; old\r\n");
}

// The settings, put through our composition, give what the system's own formatting gives.
TEST(Win32Tasks, TheUsersSettingsWriteWhatGetDateFormatAndGetTimeFormatWrite) {
  const platform::DateTimeSettings settings = platform::UserDateTimeSettings();
  for (const SYSTEMTIME& t :
       {SYSTEMTIME{2026, 12, 0, 6, 18, 19, 38, 0}, SYSTEMTIME{2007, 3, 0, 4, 7, 5, 9, 0}}) {
    const platform::LocalTime local = {t.wYear, t.wMonth,  t.wDay,    t.wDayOfWeek,
                                       t.wHour, t.wMinute, t.wSecond, 0};
    char date[128];
    char time[128];
    ASSERT_GT(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, sizeof date),
              0);
    ASSERT_GT(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, sizeof time), 0);
    EXPECT_EQ(checkfile::ShortDateText(local, settings), date);
    EXPECT_EQ(checkfile::LongTimeText(local, settings), time);
  }
}

}  // namespace
