// The program as a whole: started as its own process, it shows its main window and ends
// with exit code 0 when the window is closed.
#include <windows.h>

#include <gtest/gtest.h>

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

TEST(Program, ShowsItsWindowAndEndsWithCodeZeroWhenItIsClosed) {
  std::string command = "\"" + gui_test::ProgramImage::Path() + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  Found found{process.dwProcessId, nullptr};
  for (int tries = 0; tries < 300 && found.window == nullptr; ++tries) {
    Sleep(100);
    EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&found));
  }
  ASSERT_NE(found.window, nullptr) << "no main window";
  EXPECT_EQ(gui_test::WindowText(found.window), "Veritally");
  PostMessageA(found.window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  if (exitCode == STILL_ACTIVE) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
