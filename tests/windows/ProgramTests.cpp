// The program as a whole: started as its own process, it shows its main window and ends
// with exit code 0 when the window is closed.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/resources/resource.h"
#include "platform/win32/TextConversion.h"
#include "tests/support/TestFiles.h"
#include "tests/windows/GuiTestSupport.h"

namespace {

struct Found {
  DWORD process;
  HWND window;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM data) {
  auto* found = reinterpret_cast<Found*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == found->process && gui_test::ClassName(window) == "TForm1" &&
      IsWindowVisible(window)) {
    found->window = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindFolderButton(HWND child, LPARAM found) {
  if (GetDlgCtrlID(child) != IDC_FOLDER_BUTTON) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

// Starts the program and waits for its main window (null when none came).
struct Started {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
};
Started Start(std::wstring command) {
  Started started;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started.process))
    return started;
  Found found{started.process.dwProcessId, nullptr};
  for (int tries = 0; tries < 300 && found.window == nullptr; ++tries) {
    Sleep(100);
    EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&found));
  }
  started.window = found.window;
  return started;
}

// Closes the main window; the exit code, STILL_ACTIVE when the program did not end.
DWORD Close(Started& started) {
  if (started.window != nullptr) PostMessageA(started.window, WM_SYSCOMMAND, SC_CLOSE, 0);
  WaitForSingleObject(started.process.hProcess, 30000);
  DWORD exitCode = STILL_ACTIVE;
  GetExitCodeProcess(started.process.hProcess, &exitCode);
  if (exitCode == STILL_ACTIVE) TerminateProcess(started.process.hProcess, 1);
  CloseHandle(started.process.hThread);
  CloseHandle(started.process.hProcess);
  return exitCode;
}

TEST(Program, ShowsItsWindowAndEndsWithCodeZeroWhenItIsClosed) {
  Started program = Start(L"\"" + platform::Widened(gui_test::ProgramImage::Path()) + L"\"");
  ASSERT_NE(program.process.hProcess, nullptr);
  EXPECT_NE(program.window, nullptr) << "no main window";
  EXPECT_EQ(gui_test::WindowText(program.window), "Veritally");
  EXPECT_EQ(Close(program), 0u);
}

// A fullwidth full stop has no byte in code page 1252; the system's look-alike, ".", would make
// the executable's folder the folder above it, which Go! would scan and whose checkfile it would
// replace. The folder to scan holds "?" instead, which names nothing.
TEST(Program, StartedFromAFolderNamedOutsideTheCodePageItTakesNoOtherFolderForItsOwn) {
  testing_support::TempDir dir;
  const std::wstring folder = platform::Widened(dir.path().string()) + L"\\\xff0e";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring program = folder + L"\\Veritally.exe";
  ASSERT_TRUE(
      CopyFileW(platform::Widened(gui_test::ProgramImage::Path()).c_str(), program.c_str(), TRUE));
  Started started = Start(L"\"" + program + L"\"");
  ASSERT_NE(started.process.hProcess, nullptr);
  EXPECT_NE(started.window, nullptr) << "no main window";
  HWND button = nullptr;
  EnumChildWindows(started.window, &FindFolderButton, reinterpret_cast<LPARAM>(&button));
  EXPECT_EQ(gui_test::WindowText(button), dir / "?\\");
  EXPECT_EQ(Close(started), 0u);
  DeleteFileW(program.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
