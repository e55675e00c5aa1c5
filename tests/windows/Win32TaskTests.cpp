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
#include "tests/support/CheckfileSamples.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TestFiles.h"

namespace {

using namespace testing_support;

void AddAttributes(const std::string& path, DWORD attributes) {
  const DWORD current = GetFileAttributesA(path.c_str());
  ASSERT_NE(current, INVALID_FILE_ATTRIBUTES) << path;
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), current | attributes)) << path;
}

// A temporary folder to walk and a window that records what the tasks log.
class Win32Tasks : public testing::Test {
 protected:
  TempDir dir;
  const std::string root = dir.path().string();
  RecordingWindow window;
};

TEST_F(Win32Tasks, TheWalkNeverSeesHiddenOrSystemFilesAndFolders) {
  WriteFile(dir / "seen.txt", "a");
  WriteFile(dir / "hidden.txt", "h");
  WriteFile(dir / "system.txt", "s");
  WriteFile(dir / "hiddendir/inside.txt", "h");
  WriteFile(dir / "systemdir/inside.txt", "s");
  AddAttributes(dir / "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
  AddAttributes(dir / "system.txt", FILE_ATTRIBUTE_SYSTEM);
  AddAttributes(dir / "hiddendir", FILE_ATTRIBUTE_HIDDEN);
  AddAttributes(dir / "systemdir", FILE_ATTRIBUTE_SYSTEM);
  Generate(window, root);
  EXPECT_EQ(window.log, (Lines{"File: seen.txt", SavedTo(root)}));
}

TEST_F(Win32Tasks, OnlyHiddenAndSystemFilesGiveNoFilesToWorkWith) {
  WriteFile(dir / "hidden.txt", "h");
  WriteFile(dir / "system.txt", "s");
  AddAttributes(dir / "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
  AddAttributes(dir / "system.txt", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
  Generate(window, root);
  EXPECT_EQ(window.Count(RecordingWindow::Op::ShowMessageBox), 1u);
  EXPECT_EQ(Tail(window.Trace(), 2), (Lines{"box: No files to work with!", "state: idle"}));
  EXPECT_EQ(GetFileAttributesA((dir / "VRTLY-sums.MD5").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Win32Tasks, AFileHeldOpenForWritingByAnotherHandleIsLoggedAndLeftOut) {
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "busy.txt", "b");
  HANDLE writer =
      CreateFileA((dir / "busy.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  Generate(window, root);
  EXPECT_EQ(window.log,
            (Lines{"File: a.txt", "File: busy.txt", "Could not open file", SavedTo(root)}));

  Verify(window, dir / "VRTLY-sums.MD5");
  CloseHandle(writer);
  EXPECT_EQ(window.log,
            (Lines{"Testing MD5 sums in " + (dir / "VRTLY-sums.MD5"), "OK: " + (dir / "a.txt"),
                   "Operation complete.", "", "1 files tested.", "EVERY FILE APPEARS OK!"}));
}

TEST_F(Win32Tasks, ACheckfileHeldOpenForWritingCannotBeReplacedOrRead) {
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "VRTLY-sums.MD5", "; old\r\n");
  HANDLE writer =
      CreateFileA((dir / "VRTLY-sums.MD5").c_str(), GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  Generate(window, root);
  const std::string sharing = platform::SystemErrorText(ERROR_SHARING_VIOLATION);
  EXPECT_EQ(window.Trace().back(),
            "error box: Cannot create file \"" + (dir / "VRTLY-sums.MD5") + "\". " + sharing);

  Verify(window, dir / "VRTLY-sums.MD5");
  CloseHandle(writer);
  EXPECT_EQ(window.Trace().back(),
            "error box: Cannot open file \"" + (dir / "VRTLY-sums.MD5") + "\". " + sharing);
  EXPECT_EQ(ReadFile(dir / "VRTLY-sums.MD5"), "; old\r\n");
}

// The settings, put through our composition, give what the system's own formatting gives.
TEST_F(Win32Tasks, TheUsersSettingsWriteWhatGetDateFormatAndGetTimeFormatWrite) {
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
