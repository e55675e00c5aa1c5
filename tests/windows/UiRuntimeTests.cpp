// The runtime's rules: the open dialog's start folder and filter text, the folder part of a
// path, the cursor table, and what a guarded C callback does with an exception.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>

#include "ui/Application.h"
#include "ui/ExceptionGuards.h"
#include "ui/OpenDialog.h"
#include "ui/Path.h"

namespace {

TEST(OpenDialogRules, StartFolderDropsATrailingBackslashExceptAfterAColon) {
  EXPECT_EQ(ui::DialogStartFolder("C:\\data\\", false), "C:\\data");
  EXPECT_EQ(ui::DialogStartFolder("C:\\data", false), "C:\\data");
  EXPECT_EQ(ui::DialogStartFolder("C:\\", false), "C:\\");
  EXPECT_EQ(ui::DialogStartFolder("C:\\data\\\\", false), "C:\\data\\");  // one only
  EXPECT_EQ(ui::DialogStartFolder("", true), ".");
  EXPECT_EQ(ui::DialogStartFolder("", false), "");
}

TEST(OpenDialogRules, FilterPiecesEndInZerosAndTheWholeInTwo) {
  EXPECT_EQ(ui::SystemFilterText("Veritally checkfiles|*.MD5"),
            std::string("Veritally checkfiles\0*.MD5\0\0", 28));
  EXPECT_EQ(ui::SystemFilterText("A|*.a|B|*.b"), std::string("A\0*.a\0B\0*.b\0\0", 13));
}

TEST(PathRules, FolderPartEndsAtTheLastBackslashOrColon) {
  EXPECT_EQ(ui::FolderPart("C:\\Tools\\Veritally.exe"), "C:\\Tools\\");
  EXPECT_EQ(ui::FolderPart("D:\\Veritally.exe"), "D:\\");
  EXPECT_EQ(ui::FolderPart("D:Veritally.exe"), "D:");
  EXPECT_EQ(ui::FolderPart("\\\\server\\share\\a.exe"), "\\\\server\\share\\");
  EXPECT_EQ(ui::FolderPart("Veritally.exe"), "");
}

TEST(CursorTable, RegistersReplacesAndFallsBackToTheArrow) {
  ui::CursorTable cursors;
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
  EXPECT_EQ(cursors.Get(ui::kCursorHourGlass), wait);
  EXPECT_EQ(cursors.Get(26000), arrow);
  cursors.Set(26000, wait);
  cursors.Set(26000, cross);
  EXPECT_EQ(cursors.Get(26000), cross);
}

// What a C callback that ModalForm hands to EnumThreadWindows does with an exception: the walk
// stops, the system call returns, and the exception is thrown on after it.
struct GuardedWalk {
  ui::CallbackErrors errors;
  int calls = 0;
};

BOOL CALLBACK FailOnEveryWindow(HWND, LPARAM data) {
  auto& walk = *reinterpret_cast<GuardedWalk*>(data);
  return walk.errors.Guard(FALSE, [&walk]() -> BOOL {
    ++walk.calls;
    throw std::bad_alloc();
  });
}

TEST(CallbackGuards, AnExceptionStopsTheSystemsWalkAndIsThrownOnAfterIt) {
  HWND windows[2];
  for (HWND& window : windows) {
    window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
  }
  GuardedWalk walk;
  EXPECT_FALSE(
      EnumThreadWindows(GetCurrentThreadId(), &FailOnEveryWindow, reinterpret_cast<LPARAM>(&walk)));
  EXPECT_EQ(walk.calls, 1);
  EXPECT_THROW(walk.errors.Rethrow(), std::bad_alloc);
  EXPECT_NO_THROW(walk.errors.Rethrow());  // once
  for (HWND window : windows)
    DestroyWindow(window);
}

}  // namespace
