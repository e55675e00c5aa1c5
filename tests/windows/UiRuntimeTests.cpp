// The runtime's rules that need no window: the open dialog's start folder and filter text,
// the folder part of a path, the cursor table.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui/Application.h"
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

}  // namespace
