// The folder selection dialog run for real under the modal loop: what the first run shows,
// what OK, Cancel, Escape and the close box leave behind, what the next run restores, the
// layout rules and the re-entry errors.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include <filesystem>
#include <string>

#include "app/VtSelectFolderDialog.h"
#include "tests/support/TestFiles.h"
#include "tests/windows/FolderDialogDriver.h"
#include "tests/windows/GuiTestSupport.h"
#include "ui/Application.h"

namespace {

using app::TVtSelectFolderDialog;
using app::TVtSelectFolderDialogOption;
using app::TVtSelectFolderForm;
using app::TVtShellLocator;
using namespace folder_testing;
using ui::BoundsInParent;

// The dialog as the main window configures it.
struct MainWindowDialog : TVtSelectFolderDialog {
  MainWindowDialog() {
    SetBaseFolder(TVtShellLocator::FromSpecialFolder(CSIDL_DRIVES));
    SetTitle("");
    SetFormWidth(-1);
    SetFormHeight(-1);
    SetFormWindowState(ui::WindowState::Normal);
  }
};

// A key pressed in the tree.
Step PressInTree(WPARAM key) {
  return
      [key](TVtSelectFolderForm& form) { folder_testing::PressKey(form.ShellTree.Handle(), key); };
}

// The form resized from its top left corner.
Step Resize(int width, int height) {
  return [width, height](TVtSelectFolderForm& form) {
    SetWindowPos(form.Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  };
}

TEST(SelectFolderDialog, FirstRunShowsTheDrivesFolderExpandedAndSelected) {
  MainWindowDialog dialog;
  EXPECT_EQ(dialog.Options().Bits(), 0x2C2);
  const bool confirmed = Inspect(dialog, [](TVtSelectFolderForm& form) {
    const ui::TreeView& view = form.ShellTree.View();
    EXPECT_EQ(form.Caption(), "Browse for Folder");
    HTREEITEM root = view.Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(view.NextSibling(root), nullptr);
    EXPECT_TRUE(view.IsExpanded(root));
    EXPECT_EQ(view.Selected(), root);
    EXPECT_NE(Drive(form, 'C'), nullptr);
    EXPECT_NE(Drive(form, 'Z'), nullptr);
    // Control Panel is outside the file system.
    EXPECT_EQ(ChildContaining(view, root, "Control"), nullptr);
    EXPECT_EQ(form.VtStatusBar1.SimpleText(), "");
    EXPECT_FALSE(form.BtnNewFolder.IsVisible());
    EXPECT_FALSE(form.BtnDeleteFolder.IsVisible());
    EXPECT_TRUE(form.ShellTree.View().IsVisible());
  });
  EXPECT_FALSE(confirmed);
  EXPECT_TRUE(dialog.ChosenFolder().IsEmpty());
}

TEST(SelectFolderDialog, FirstRunLayoutFrameAndCaptions) {
  MainWindowDialog dialog;
  Inspect(dialog, [](TVtSelectFolderForm& form) {
    const RECT client = ClientOf(form.Handle());
    EXPECT_EQ(client.right, 358);
    EXPECT_EQ(client.bottom, 325);
    const RECT tree = BoundsInParent(form.ShellTree.Handle());
    EXPECT_EQ(tree.top, 8);
    EXPECT_EQ(tree.left, 8);
    EXPECT_EQ(tree.right, 8 + form.OuterWidth() - 24);
    const RECT panel = BoundsInParent(form.ButtonPanel.Handle());
    const RECT bar = BoundsInParent(form.VtStatusBar1.Handle());
    EXPECT_EQ(tree.bottom, panel.top - 4);
    EXPECT_EQ(panel.bottom, bar.top);  // the status bar below the panel
    EXPECT_EQ(bar.bottom, client.bottom);
    EXPECT_EQ(panel.bottom - panel.top, 29);
    EXPECT_EQ(bar.bottom - bar.top, 19);
    const RECT ok = BoundsInParent(form.OkBtn.Handle());
    const RECT cancel = BoundsInParent(form.CancelBtn.Handle());
    EXPECT_EQ(cancel.right, client.right - 8);
    EXPECT_EQ(ok.right + 8, cancel.left);
    EXPECT_EQ(ok.right - ok.left, 75);
    EXPECT_EQ(form.OkBtn.Text(), "OK");
    EXPECT_EQ(form.CancelBtn.Text(), "Cancel");
    EXPECT_EQ(form.BtnNewFolder.Caption(), "Create Folder");
    EXPECT_EQ(form.BtnDeleteFolder.Caption(), "Delete");
    EXPECT_STREQ(gui_test::FontOf(form.OkBtn.Handle()).lfFaceName, "MS Sans Serif");
    const LONG style = GetWindowLongA(form.Handle(), GWL_STYLE);
    EXPECT_NE(style & WS_THICKFRAME, 0);
    EXPECT_NE(style & WS_MAXIMIZEBOX, 0);
    EXPECT_EQ(style & WS_MINIMIZEBOX, 0);
    RECT outer{};
    GetWindowRect(form.Handle(), &outer);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - form.OuterWidth()) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - form.OuterHeight()) / 2);
  });
}

TEST(SelectFolderDialog, SelectingADriveShowsItsRootAndOkChoosesIt) {
  MainWindowDialog dialog;
  const bool confirmed = RunWithSteps(
      dialog, {SelectDrive('C'),
               [](TVtSelectFolderForm& form) { EXPECT_EQ(form.VtStatusBar1.SimpleText(), "C:\\"); },
               ClickOk()});
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(dialog.ChosenPath(), "C:\\");
}

TEST(SelectFolderDialog, EnterConfirmsTheSelectionAndEscapeCancels) {
  MainWindowDialog dialog;
  // Enter in the tree is the default button's.
  EXPECT_TRUE(RunWithSteps(dialog, {SelectDrive('Z'), PressInTree(VK_RETURN)}));
  EXPECT_EQ(dialog.ChosenPath(), "Z:\\");
  EXPECT_FALSE(RunWithSteps(dialog, {SelectDrive('C'), PressInTree(VK_ESCAPE)}));
  EXPECT_EQ(dialog.ChosenPath(), "Z:\\");
}

TEST(SelectFolderDialog, ConfirmingTheDrivesFolderItselfGivesAnEmptyPath) {
  MainWindowDialog dialog;
  EXPECT_TRUE(RunWithSteps(dialog, {ClickOk()}));
  EXPECT_FALSE(dialog.ChosenFolder().IsEmpty());
  EXPECT_EQ(dialog.ChosenPath(), "");
}

TEST(SelectFolderDialog, CancelEscapeAndCloseBoxKeepTheFolderButRememberTheSize) {
  MainWindowDialog dialog;
  ASSERT_TRUE(RunWithSteps(dialog, {SelectDrive('C'), ClickOk()}));
  EXPECT_FALSE(RunWithSteps(dialog, {SelectDrive('Z'), Resize(500, 420), ClickCancel()}));
  EXPECT_EQ(dialog.ChosenPath(), "C:\\");
  EXPECT_EQ(dialog.FormWidth(), 500);
  EXPECT_EQ(dialog.FormHeight(), 420);

  const Step closeBox = [](TVtSelectFolderForm& form) {
    PostMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  };
  EXPECT_FALSE(RunWithSteps(dialog, {SelectDrive('Z'), Resize(520, 440), PressInTree(VK_ESCAPE)}));
  EXPECT_EQ(dialog.ChosenPath(), "C:\\");
  EXPECT_EQ(dialog.FormWidth(), 520);
  const Step maximize = [](TVtSelectFolderForm& form) { ShowWindow(form.Handle(), SW_MAXIMIZE); };
  EXPECT_FALSE(RunWithSteps(dialog, {SelectDrive('Z'), maximize, closeBox}));
  EXPECT_EQ(dialog.ChosenPath(), "C:\\");
  // Closed maximized: the state is remembered, and the restored size as the size.
  EXPECT_EQ(dialog.FormWindowState(), ui::WindowState::Maximized);
  EXPECT_EQ(dialog.FormWidth(), 520);
  EXPECT_EQ(dialog.FormHeight(), 440);
}

TEST(SelectFolderDialog, TheNextRunReopensAtTheLastSizeWithTheLastFolderSelected) {
  MainWindowDialog dialog;
  ASSERT_TRUE(RunWithSteps(dialog, {SelectDrive('Z'), Resize(480, 400), ClickOk()}));
  EXPECT_TRUE(RunWithSteps(dialog, {[](TVtSelectFolderForm& form) {
                                      EXPECT_EQ(form.OuterWidth(), 480);
                                      EXPECT_EQ(form.OuterHeight(), 400);
                                      const ui::TreeView& view = form.ShellTree.View();
                                      EXPECT_EQ(view.Selected(), Drive(form, 'Z'));
                                      EXPECT_TRUE(view.IsExpanded(view.Root()));
                                      EXPECT_FALSE(view.IsExpanded(view.Selected()));
                                      EXPECT_EQ(form.VtStatusBar1.SimpleText(), "Z:\\");
                                      // The layout follows the remembered size.
                                      const RECT tree = BoundsInParent(form.ShellTree.Handle());
                                      EXPECT_EQ(tree.right, 8 + 480 - 24);
                                      const RECT cancel = BoundsInParent(form.CancelBtn.Handle());
                                      EXPECT_EQ(cancel.right, ClientOf(form.Handle()).right - 8);
                                      ShowWindow(form.Handle(), SW_MAXIMIZE);
                                    },
                                    ClickOk()}));
  EXPECT_EQ(dialog.ChosenPath(), "Z:\\");
  RunWithSteps(dialog, {[](TVtSelectFolderForm& form) {
                          EXPECT_TRUE(IsZoomed(form.Handle()));
                          const RECT cancel = BoundsInParent(form.CancelBtn.Handle());
                          EXPECT_EQ(cancel.right, ClientOf(form.Handle()).right - 8);
                          ShowWindow(form.Handle(), SW_RESTORE);
                        },
                        [](TVtSelectFolderForm& form) { EXPECT_EQ(form.OuterWidth(), 480); },
                        ClickCancel()});
  EXPECT_EQ(dialog.FormWindowState(), ui::WindowState::Normal);
}

TEST(SelectFolderDialog, TheWindowCannotBeMadeSmallerThan366By340) {
  MainWindowDialog dialog;
  Inspect(dialog, [](TVtSelectFolderForm& form) {
    MINMAXINFO limits{};
    limits.ptMinTrackSize = {1, 1};
    limits.ptMaxTrackSize = {3000, 2000};
    SendMessageA(form.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 366);
    EXPECT_EQ(limits.ptMinTrackSize.y, 340);
    EXPECT_EQ(limits.ptMaxTrackSize.x, 3000);  // other limits untouched
  });
}

TEST(SelectFolderDialog, CreateAndDeleteButtonsSitAboveTheTreeAndFollowTheSelection) {
  MainWindowDialog dialog;
  auto options = dialog.Options();
  options.Include(TVtSelectFolderDialogOption::sfdoCreateDeleteButtons);
  dialog.SetOptions(options);
  RunWithSteps(dialog, {[](TVtSelectFolderForm& form) {
                          EXPECT_TRUE(form.BtnNewFolder.IsVisible());
                          EXPECT_TRUE(form.BtnDeleteFolder.IsVisible());
                          const RECT button = BoundsInParent(form.BtnNewFolder.Handle());
                          EXPECT_EQ(BoundsInParent(form.ShellTree.Handle()).top, button.bottom + 4);
                          EXPECT_EQ(button.bottom, 29);
                          // The drives folder has no file-system path.
                          EXPECT_FALSE(form.BtnNewFolder.IsEnabled());
                          EXPECT_FALSE(form.BtnDeleteFolder.IsEnabled());
                          EXPECT_EQ(form.BtnNewFolder.ImageIndex(), 0);
                          EXPECT_EQ(form.BtnDeleteFolder.ImageIndex(), 2);
                          EXPECT_TRUE(form.BtnNewFolder.IsFlat());
                        },
                        SelectDrive('C'),
                        [](TVtSelectFolderForm& form) {
                          EXPECT_TRUE(form.BtnNewFolder.IsEnabled());
                          EXPECT_TRUE(form.BtnDeleteFolder.IsEnabled());
                        },
                        ClickCancel()});

  // A root with a path may get new folders but cannot be deleted.
  testing_support::TempDir temp;
  dialog.SetBaseFolder(folder_testing::LocatorOf(temp.path().string()));
  Inspect(dialog, [](TVtSelectFolderForm& form) {
    EXPECT_EQ(form.ShellTree.View().Selected(), form.ShellTree.View().Root());
    EXPECT_TRUE(form.BtnNewFolder.IsEnabled());
    EXPECT_FALSE(form.BtnDeleteFolder.IsEnabled());
  });
}

TEST(SelectFolderDialog, ButtonsLoseTheFlatLookUnlessBothHaveTheirImages) {
  MainWindowDialog dialog;
  app::TVtSelectFolderDialogOptions options{TVtSelectFolderDialogOption::sfdoCreateDeleteButtons,
                                            TVtSelectFolderDialogOption::sfdoDeleteFolderIcon,
                                            TVtSelectFolderDialogOption::sfdoReadOnly};
  dialog.SetOptions(options);
  Inspect(dialog, [](TVtSelectFolderForm& form) {
    EXPECT_EQ(form.BtnNewFolder.ImageIndex(), -1);
    EXPECT_EQ(form.BtnDeleteFolder.ImageIndex(), 2);
    EXPECT_FALSE(form.BtnNewFolder.IsFlat());
    EXPECT_FALSE(form.BtnDeleteFolder.IsFlat());
    EXPECT_TRUE(form.ShellTree.ReadOnly());
    EXPECT_FALSE(form.ShellTree.View().HasStyle(TVS_EDITLABELS));
    using Tree = app::TVtShellTreeOption;
    const auto tree = form.ShellTree.Options();
    EXPECT_TRUE(tree.Contains(Tree::stoAutoFill));
    EXPECT_FALSE(tree.Contains(Tree::stoContextMenus));
    EXPECT_FALSE(tree.Contains(Tree::stoShowHidden));
  });
}

TEST(SelectFolderDialog, TheDefaultOptionsGiveTheTreeContextMenusAndHiddenItems) {
  MainWindowDialog dialog;
  Inspect(dialog, [](TVtSelectFolderForm& form) {
    using Tree = app::TVtShellTreeOption;
    EXPECT_EQ(
        form.ShellTree.Options(),
        (app::TVtShellTreeOptions{Tree::stoAutoFill, Tree::stoContextMenus, Tree::stoShowHidden}));
    EXPECT_TRUE(form.ShellTree.View().HasStyle(TVS_EDITLABELS));
    EXPECT_TRUE(form.ShellTree.View().HasStyle(TVS_LINESATROOT));
    EXPECT_TRUE(form.ShellTree.View().HasStyle(TVS_SHOWSELALWAYS));
    EXPECT_EQ(form.ShellTree.View().Indent(), 19);
  });
}

TEST(SelectFolderDialog, EventsCursorAndCurrentFormDuringARun) {
  MainWindowDialog dialog;
  std::vector<std::string> events;
  ui::Application& application = ui::Application::Current();
  const int cursorBefore = application.ScreenCursor();
  dialog.OnInitialized = [&](app::TVtShellDialog& sender) {
    EXPECT_EQ(&sender, &dialog);
    EXPECT_NE(dialog.CurrentForm(), nullptr);
    EXPECT_EQ(application.ScreenCursor(), ui::kCursorHourGlass);
    events.push_back("initialized");
  };
  dialog.OnFormShow = [&](ui::Window& sender) {
    EXPECT_EQ(&sender, dialog.CurrentForm());
    events.push_back("show");
  };
  dialog.OnFormClose = [&](ui::Window&) { events.push_back("close"); };
  dialog.OnSelChange = [&](ui::Window&, LPCITEMIDLIST selection) {
    EXPECT_NE(selection, nullptr);
    events.push_back("selection");
  };
  RunWithSteps(dialog, {[&](TVtSelectFolderForm&) {
                          EXPECT_EQ(application.ScreenCursor(), ui::kCursorDefault);
                        },
                        SelectDrive('C'), ClickCancel()});
  EXPECT_EQ(events,
            (std::vector<std::string>{"initialized", "selection", "show", "selection", "close"}));
  EXPECT_EQ(dialog.CurrentForm(), nullptr);
  EXPECT_FALSE(dialog.IsRunning());
  EXPECT_EQ(application.ScreenCursor(), cursorBefore);
}

TEST(SelectFolderDialog, RunningAgainFromInsideARunIsRefused) {
  MainWindowDialog dialog;
  std::string message;
  const bool confirmed = RunWithSteps(dialog, {[&](TVtSelectFolderForm& form) {
                                                 try {
                                                   dialog.RunModal();
                                                 } catch (const app::DialogError& error) {
                                                   message = error.what();
                                                 }
                                                 // The running run goes on.
                                                 EXPECT_EQ(dialog.CurrentForm(), &form);
                                                 EXPECT_TRUE(IsWindowVisible(form.Handle()));
                                               },
                                               SelectDrive('C'), ClickOk()});
  EXPECT_EQ(message, "TVtSelectFolderDialog already executing");
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(dialog.ChosenPath(), "C:\\");
}

// Opens the dialog's steps to the test.
struct OpenDialog : MainWindowDialog {
  using MainWindowDialog::PrepareForm;
  using MainWindowDialog::RunForm;
  bool failPreparation = false;

 protected:
  void PrepareForm(TVtSelectFolderForm& form) override {
    if (failPreparation) throw std::runtime_error("preparation failed");
    MainWindowDialog::PrepareForm(form);
  }
};

TEST(SelectFolderDialog, ASecondFormWhileOneExistsIsRefused) {
  OpenDialog dialog;
  std::string message;
  RunWithSteps(dialog, dialog,
               {[&](TVtSelectFolderForm&) {
                  try {
                    dialog.RunForm();
                  } catch (const app::DialogError& error) {
                    message = error.what();
                  }
                },
                ClickCancel()});
  EXPECT_EQ(message, "TVtSelectFolderDialog form already active");
}

BOOL CALLBACK CountForm(HWND window, LPARAM counter) {
  if (gui_test::ClassName(window) == "TVtSelectFolderForm") ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

// Other test programs may have forms of their own up at the same time.
int FormsOfThisThread() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), &CountForm, reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST(SelectFolderDialog, AFailedPreparationStillFreesTheFormAndRestoresTheCursor) {
  OpenDialog dialog;
  dialog.failPreparation = true;
  const int cursorBefore = ui::Application::Current().ScreenCursor();
  EXPECT_THROW(dialog.RunModal(), std::runtime_error);
  EXPECT_EQ(dialog.CurrentForm(), nullptr);
  EXPECT_FALSE(dialog.IsRunning());
  EXPECT_EQ(ui::Application::Current().ScreenCursor(), cursorBefore);
  EXPECT_EQ(FormsOfThisThread(), 0);
  dialog.failPreparation = false;  // and the next run works
  EXPECT_TRUE(RunWithSteps(dialog, dialog, {ClickOk()}));
}

TEST(SelectFolderDialog, AnErrorEscapingAHandlerReachesTheErrorBox) {
  // The main window does not catch the dialog's errors: the window procedure hands them to
  // the application's error box.
  MainWindowDialog dialog;
  gui_test::BoxCatcher boxes;
  Inspect(dialog, [&](TVtSelectFolderForm& form) {
    dialog.OnSelChange = nullptr;
    form.OnSelChange = [&](ui::Window&, LPCITEMIDLIST) { dialog.RunModal(); };
    form.ShellTree.View().Select(Drive(form, 'C'));
  });
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(LookOf(boxes.Boxes()[0]),
            gui_test::ErrorBox("TVtSelectFolderDialog already executing."));
}

TEST(SelectFolderDialog, TheStatusBarShortensAPathThatIsTooWide) {
  testing_support::TempDir temp;
  const std::string deep = temp /
                           "A folder with a rather long name\\Another long folder name\\"
                           "Yet another folder\\Target";
  ASSERT_TRUE(std::filesystem::create_directories(deep));
  MainWindowDialog dialog;
  dialog.ChosenFolder() = folder_testing::LocatorOf(deep);
  std::string narrow;
  std::string wide;
  RunWithSteps(dialog, {[&](TVtSelectFolderForm& form) {
                          narrow = form.VtStatusBar1.SimpleText();
                          ShowWindow(form.Handle(), SW_MAXIMIZE);
                        },
                        [&](TVtSelectFolderForm& form) {
                          wide = form.VtStatusBar1.SimpleText();
                          ShowWindow(form.Handle(), SW_RESTORE);
                        },
                        ClickCancel()});
  EXPECT_EQ(wide, deep);
  EXPECT_EQ(narrow.rfind("C:\\...\\", 0), 0u) << narrow;
  EXPECT_EQ(narrow.substr(narrow.size() - 7), "\\Target") << narrow;
  EXPECT_LT(narrow.size(), deep.size());
}

}  // namespace
