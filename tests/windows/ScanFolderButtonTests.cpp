// The main window's folder button: it runs the folder dialog, and a confirmed folder becomes
// the button's caption and the folder to scan.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/Unit1.h"
#include "tests/windows/FolderDialogDriver.h"

namespace {

using app::TVtSelectFolderForm;
using namespace folder_testing;

class ScanFolderButton : public testing::Test {
 protected:
  ScanFolderButton() : form_(std::make_unique<app::TForm1>()) {
    ShowWindow(form_->Handle(), SW_SHOWNORMAL);
  }

  // Clicks the folder button and answers the dialog with the steps.
  void ClickWith(std::vector<Step> steps) {
    folder_testing::DriveRun(
        form_->VtSelectFolderDialog1,
        [&] { SendMessageA(form_->ButtonScanFolder.Handle(), BM_CLICK, 0, 0); }, std::move(steps));
  }

  std::string Caption() const { return form_->ButtonScanFolder.Text(); }

  std::unique_ptr<app::TForm1> form_;
};

TEST_F(ScanFolderButton, TheDialogIsConfiguredAsTheWindowStoresIt) {
  const app::TVtSelectFolderDialog& dialog = form_->VtSelectFolderDialog1;
  EXPECT_EQ(dialog.BaseFolder().GetKind(), app::TVtShellLocator::Kind::SpecialFolder);
  EXPECT_EQ(dialog.BaseFolder().SpecialFolder(), 0x11);
  EXPECT_EQ(dialog.Title(), "");
  EXPECT_EQ(dialog.Options().Bits(), 0x2C2);
  EXPECT_EQ(dialog.FormWidth(), -1);
  EXPECT_EQ(dialog.FormHeight(), -1);
  EXPECT_EQ(dialog.FormWindowState(), ui::WindowState::Normal);
}

TEST_F(ScanFolderButton, AConfirmedFolderBecomesTheCaptionAndTheFolderToScan) {
  const std::string start = form_->GetSelectedFolder();
  ClickWith({[&](TVtSelectFolderForm& dialog) {
               // The main window takes no input while the dialog is up, and the dialog does
               // not start from SelectedFolder.
               EXPECT_FALSE(IsWindowEnabled(form_->Handle()));
               EXPECT_EQ(dialog.ShellTree.View().Selected(), dialog.ShellTree.View().Root());
             },
             SelectDrive('C'), ClickOk()});
  EXPECT_TRUE(IsWindowEnabled(form_->Handle()));
  EXPECT_EQ(Caption(), "C:\\");
  EXPECT_EQ(form_->GetSelectedFolder(), "C:\\");
  EXPECT_NE(start, "C:\\");

  // Cancel changes nothing; the next run offers the folder confirmed last.
  ClickWith({[](TVtSelectFolderForm& dialog) {
               const ui::TreeView& view = dialog.ShellTree.View();
               EXPECT_NE(view.ItemText(view.Selected()).find("(C:)"), std::string::npos);
             },
             SelectDrive('Z'), ClickCancel()});
  EXPECT_EQ(Caption(), "C:\\");
  EXPECT_EQ(form_->GetSelectedFolder(), "C:\\");
}

TEST_F(ScanFolderButton, ConfirmingTheDrivesFolderEmptiesCaptionAndFolder) {
  ClickWith({ClickOk()});
  EXPECT_EQ(Caption(), "");
  EXPECT_EQ(form_->GetSelectedFolder(), "");
}

}  // namespace
