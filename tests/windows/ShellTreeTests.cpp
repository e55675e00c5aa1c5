// The shell folder tree and the shell locator on the real shell namespace: what a tree lists
// under which options, the walk to a preset folder, new folders and their warnings, the
// shell's context menu and delete verb, in-place renaming; the locator's copies and layout
// data.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/VtSelectFolderDialog.h"
#include "app/VtShellTreeDragDrop.h"
#include "platform/win32/TextConversion.h"
#include "tests/support/TestFiles.h"
#include "tests/windows/FolderDialogDriver.h"
#include "tests/windows/GuiTestSupport.h"
#include "ui/Pidl.h"

namespace {

using app::TVtSelectFolderDialog;
using Option = app::TVtSelectFolderDialogOption;
using app::TVtSelectFolderForm;
using app::TVtShellLocator;
using namespace folder_testing;
using gui_test::BoxCatcher;
using testing_support::TempDir;
using testing_support::WriteFiles;

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::string> Labels(const ui::TreeView& view, HTREEITEM parent) {
  std::vector<std::string> labels;
  for (HTREEITEM child : Children(view, parent))
    labels.push_back(view.ItemText(child));
  return labels;
}

bool Has(const std::vector<std::string>& labels, const std::string& label) {
  return std::find(labels.begin(), labels.end(), label) != labels.end();
}

// The dialog's options with one turned on or off.
void SetOption(TVtSelectFolderDialog& dialog, Option option, bool on) {
  auto options = dialog.Options();
  on ? options.Include(option) : options.Exclude(option);
  dialog.SetOptions(options);
}

// A dialog rooted at a folder (by default the drives folder), with the given options added to
// the defaults.
struct FolderDialog : TVtSelectFolderDialog {
  explicit FolderDialog(
      const TVtShellLocator& root = TVtShellLocator::FromSpecialFolder(CSIDL_DRIVES),
      std::initializer_list<Option> extra = {}) {
    SetBaseFolder(root);
    for (auto option : extra)
      SetOption(*this, option, true);
  }
  explicit FolderDialog(const std::string& root, std::initializer_list<Option> extra = {})
      : FolderDialog(LocatorOf(root), extra) {}
};

// The labels below the root of a run's tree, in byte order.
std::vector<std::string> RootLabels(TVtSelectFolderDialog& dialog) {
  std::vector<std::string> labels;
  Inspect(dialog, [&](TVtSelectFolderForm& form) {
    const ui::TreeView& view = form.ShellTree.View();
    labels = Labels(view, view.Root());
  });
  std::sort(labels.begin(), labels.end());
  return labels;
}

TEST(ShellLocator, CopiesAreDeepAndSpecialFoldersResolveOnFirstUse) {
  TVtShellLocator drives = TVtShellLocator::FromSpecialFolder(CSIDL_DRIVES);
  EXPECT_EQ(drives.GetKind(), TVtShellLocator::Kind::SpecialFolder);
  ASSERT_NE(drives.IdList(), nullptr);
  EXPECT_EQ(ui::PidlItemCount(drives.IdList()), 1u);
  TVtShellLocator copy = drives;
  EXPECT_EQ(copy.GetKind(), TVtShellLocator::Kind::SpecialFolder);
  EXPECT_EQ(copy.SpecialFolder(), CSIDL_DRIVES);
  ASSERT_NE(copy.IdList(), nullptr);
  EXPECT_NE(copy.IdList(), drives.IdList());
  EXPECT_TRUE(ui::PidlBytesEqual(copy.IdList(), drives.IdList()));
  drives.SetIdList(nullptr);
  EXPECT_TRUE(drives.IsEmpty());
  EXPECT_NE(copy.IdList(), nullptr);  // the copy does not share the list
}

TEST(ShellLocator, LayoutDataRoundTrips) {
  TVtShellLocator locator;
  ASSERT_TRUE(locator.LoadDesignData({0x01, 0x11}));
  EXPECT_EQ(locator.GetKind(), TVtShellLocator::Kind::SpecialFolder);
  EXPECT_EQ(locator.SpecialFolder(), 0x11);
  EXPECT_EQ(locator.SaveDesignData(), (std::vector<uint8_t>{0x01, 0x11}));

  // A list is stored as its byte count and bytes, terminator included.
  const TVtShellLocator drives =
      TVtShellLocator::FromIdList(TVtShellLocator::FromSpecialFolder(CSIDL_DRIVES).IdList());
  const std::vector<uint8_t> data = drives.SaveDesignData();
  const size_t size = ui::PidlSize(drives.IdList()) + 2;
  ASSERT_EQ(data.size(), 5 + size);
  EXPECT_EQ(data[0], 0);
  EXPECT_EQ(data[1], size);
  TVtShellLocator loaded;
  ASSERT_TRUE(loaded.LoadDesignData(data));
  EXPECT_EQ(loaded.GetKind(), TVtShellLocator::Kind::IdList);
  EXPECT_TRUE(ui::PidlBytesEqual(loaded.IdList(), drives.IdList()));

  // A count of 0 is the desktop's special folder.
  ASSERT_TRUE(loaded.LoadDesignData({0x00, 0, 0, 0, 0}));
  EXPECT_EQ(loaded.GetKind(), TVtShellLocator::Kind::SpecialFolder);
  EXPECT_EQ(loaded.SpecialFolder(), 0);

  // Truncated or inconsistent data is refused and changes nothing.
  std::vector<uint8_t> truncated = data;
  truncated.pop_back();
  EXPECT_FALSE(loaded.LoadDesignData(truncated));
  std::vector<uint8_t> overlong = data;
  overlong[5] = 0xFF;  // the first item claims more bytes than there are
  EXPECT_FALSE(loaded.LoadDesignData(overlong));
  EXPECT_FALSE(loaded.LoadDesignData({0x02, 0x11}));
  EXPECT_FALSE(loaded.LoadDesignData({}));
  EXPECT_EQ(loaded.SpecialFolder(), 0);
}

TEST(ShellTree, VirtualFoldersAreListedOnlyWithTheirOption) {
  FolderDialog dialog;
  const auto plain = RootLabels(dialog);
  SetOption(dialog, Option::sfdoVirtualFolders, true);
  const auto all = RootLabels(dialog);
  EXPECT_EQ(all.size(), plain.size() + 1);
  EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const std::string& label) {
    return label.find("Control") != std::string::npos;
  }));
}

TEST(ShellTree, HiddenFoldersAndFilesFollowTheirOptions) {
  TempDir temp;
  WriteFiles(temp, {{"visible/", ""}, {"secret/", ""}, {"file.txt", "x"}});
  ASSERT_TRUE(SetFileAttributesA((temp / "secret").c_str(), FILE_ATTRIBUTE_HIDDEN));

  FolderDialog dialog(temp.path().string());  // the defaults show hidden items
  EXPECT_EQ(RootLabels(dialog), (std::vector<std::string>{"secret", "visible"}));  // no files

  SetOption(dialog, Option::sfdoShowHidden, false);
  SetOption(dialog, Option::sfdoIncludeNonFolders, true);
  const auto labels = RootLabels(dialog);
  EXPECT_TRUE(Has(labels, "visible"));
  EXPECT_FALSE(Has(labels, "secret"));
  EXPECT_TRUE(std::any_of(labels.begin(), labels.end(),
                          [](const std::string& label) { return label.rfind("file", 0) == 0; }));
}

TEST(ShellTree, TheItemFilterLeavesItemsOut) {
  TempDir temp;
  WriteFiles(temp, {{"keep/", ""}, {"drop/", ""}});
  FolderDialog dialog(temp.path().string());
  int asked = 0;
  dialog.OnAddItem = [&](IShellFolder* folder, LPCITEMIDLIST parent, LPCITEMIDLIST item,
                         ULONG attributes, bool& accept) {
    ++asked;
    EXPECT_NE(folder, nullptr);
    EXPECT_NE(parent, nullptr);
    EXPECT_NE(attributes & SFGAO_FOLDER, 0u);
    STRRET name{};
    char text[MAX_PATH] = {};
    folder->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &name);
    StrRetToBufA(&name, item, text, sizeof text);
    accept = std::string(text).find("drop") == std::string::npos;
  };
  const auto labels = RootLabels(dialog);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(labels, std::vector<std::string>{"keep"});
}

TEST(ShellTree, APresetFolderIsReachedThroughItsParentsAndAMissingStepBeeps) {
  TempDir temp;
  const std::string parent = temp / "outer";
  const std::string child = temp / "outer\\inner";
  WriteFiles(temp, {{"outer/inner/", ""}});
  FolderDialog dialog;
  dialog.ChosenFolder() = LocatorOf(child);
  Inspect(dialog, [&](TVtSelectFolderForm& form) {
    const ui::TreeView& view = form.ShellTree.View();
    HTREEITEM selected = view.Selected();
    EXPECT_EQ(view.ItemText(selected), "inner");
    EXPECT_FALSE(view.IsExpanded(selected));
    EXPECT_TRUE(view.IsExpanded(view.Parent(selected)));
    EXPECT_EQ(form.ShellTree.NodeData(selected)->path, child);
    EXPECT_EQ(form.VtStatusBar1.SimpleText().substr(0, 3), "C:\\");
  });

  // The folder is gone: the walk stops at its parent, which is selected.
  ASSERT_TRUE(RemoveDirectoryA(child.c_str()));
  RunWithSteps(dialog, {[&](TVtSelectFolderForm& form) {
                          const ui::TreeView& view = form.ShellTree.View();
                          EXPECT_EQ(view.ItemText(view.Selected()), "outer");
                          EXPECT_EQ(form.ShellTree.NodeData(view.Selected())->path, parent);
                        },
                        ClickOk()});
  EXPECT_EQ(dialog.ChosenPath(), parent);
}

TEST(ShellTree, CreateFolderMakesNewFolderThenNewFolder2AndEditsItsLabel) {
  TempDir temp;
  FolderDialog dialog(temp.path().string(), {Option::sfdoCreateDeleteButtons});
  std::string edited;
  // The new folder's label is read at once: under a busy display another program's window
  // can take the focus, which ends the edit.
  const Step createAndEdit = [&](TVtSelectFolderForm& form) {
    ClickToolButton(form.BtnNewFolder);
    const ui::TreeView& view = form.ShellTree.View();
    HWND edit = view.EditControl();
    ASSERT_NE(edit, nullptr) << "no label being edited";
    edited = ui::WindowText(edit);
    EXPECT_EQ(view.Parent(view.Selected()), nullptr) << "the root stays selected";
    // Enter and Escape belong to the editor: Escape ends the edit, not the form.
    folder_testing::PressKey(edit, VK_ESCAPE);
  };
  RunWithSteps(dialog, {createAndEdit,
                        [&](TVtSelectFolderForm& form) {
                          EXPECT_EQ(edited, "New Folder");
                          EXPECT_EQ(form.ShellTree.View().EditControl(), nullptr);
                          EXPECT_EQ(form.ModalResult(), 0);
                        },
                        createAndEdit,
                        [&](TVtSelectFolderForm& form) {
                          EXPECT_EQ(edited, "New Folder (2)");
                          const ui::TreeView& view = form.ShellTree.View();
                          EXPECT_EQ(Labels(view, view.Root()),
                                    (std::vector<std::string>{"New Folder", "New Folder (2)"}));
                        },
                        ClickCancel()});
  EXPECT_TRUE(IsDirectory(temp / "New Folder"));
  EXPECT_TRUE(IsDirectory(temp / "New Folder (2)"));
}

// The first step of a rename in place: the folder "before" selected, its label edited to the
// name, and Enter pressed.
Step RenameBeforeTo(std::wstring name) {
  return [name](TVtSelectFolderForm& form) {
    ui::TreeView& view = form.ShellTree.View();
    HTREEITEM item = ChildContaining(view, view.Root(), "before");
    ASSERT_NE(item, nullptr);
    view.Select(item);
    SetFocus(view.Handle());
    HWND edit = view.EditLabel(item);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, name.c_str());
    folder_testing::PressKey(edit, VK_RETURN);
  };
}

TEST(ShellTree, ALabelEditedInPlaceRenamesTheFolder) {
  TempDir temp;
  ASSERT_TRUE(CreateDirectoryA((temp / "before").c_str(), nullptr));
  FolderDialog dialog(temp.path().string());
  RunWithSteps(dialog, {RenameBeforeTo(L"after"),
                        [&](TVtSelectFolderForm& form) {
                          const ui::TreeView& view = form.ShellTree.View();
                          EXPECT_EQ(form.ModalResult(), 0) << "Enter ended the edit only";
                          EXPECT_EQ(view.ItemText(view.Selected()), "after");
                          EXPECT_EQ(form.ShellTree.NodeData(view.Selected())->path, temp / "after");
                          EXPECT_EQ(form.VtStatusBar1.SimpleText().substr(0, 3), "C:\\");
                        },
                        ClickOk()});
  EXPECT_TRUE(IsDirectory(temp / "after"));
  EXPECT_FALSE(IsDirectory(temp / "before"));
  EXPECT_EQ(dialog.ChosenPath(), temp / "after");
}

// A name typed with a character outside the code page (a c with circumflex) is the name the
// folder gets, not the system's look-alike ("c").
TEST(ShellTree, ALabelTypedOutsideTheCodePageIsTheNewNameAsTyped) {
  TempDir temp;
  ASSERT_TRUE(CreateDirectoryA((temp / "before").c_str(), nullptr));
  FolderDialog dialog(temp.path().string());
  RunWithSteps(dialog, {RenameBeforeTo(L"\x0109"), ClickCancel()});
  const std::wstring folder = platform::Widened(temp.path().string()) + L"\\";
  EXPECT_NE(GetFileAttributesW((folder + L"\x0109").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(IsDirectory(temp / "c"));
  EXPECT_FALSE(IsDirectory(temp / "before"));
}

TEST(ShellTree, AFolderThatCannotBeCreatedIsReportedOncePerSeries) {
  TempDir temp;
  const std::string gone = temp / "gone";
  ASSERT_TRUE(CreateDirectoryA(gone.c_str(), nullptr));
  FolderDialog dialog(gone, {Option::sfdoCreateDeleteButtons});
  BoxCatcher boxes;
  bool created = true;
  Inspect(dialog, [&](TVtSelectFolderForm& form) {
    ASSERT_TRUE(RemoveDirectoryA(gone.c_str()));
    created = form.ShellTree.CreateNewFolder();
  });
  EXPECT_FALSE(created);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  // The system's own text ("The system cannot find the path specified." on Windows, "Path not
  // found." under Wine).
  const std::string reason = "\r\n\r\n" + gui_test::SystemText(ERROR_PATH_NOT_FOUND) + ".";
  ASSERT_GT(reason.size(), 8u);
  EXPECT_EQ(boxes.Boxes()[0].caption, "Warning");
  EXPECT_EQ(boxes.Boxes()[0].text.substr(0, 42), "Unable to create the folder 'New Folder'\r\n");
  EXPECT_EQ(boxes.Boxes()[0].text, "Unable to create the folder 'New Folder'" + reason);
  EXPECT_EQ(boxes.Boxes()[1].text, "Unable to create the folder 'fldr'" + reason);
}

TEST(ShellTree, WhenEveryNameIsTakenTheNameClashIsReported) {
  TempDir temp;
  for (int number = 1; number <= 50; ++number) {
    const std::string suffix = number == 1 ? "" : std::to_string(number);
    ASSERT_TRUE(CreateDirectoryA(
        (temp / ("New Folder" + (number == 1 ? "" : " (" + suffix + ")"))).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((temp / ("fldr" + suffix)).c_str(), nullptr));
  }
  FolderDialog dialog(temp.path().string(), {Option::sfdoCreateDeleteButtons});
  BoxCatcher boxes;
  bool created = true;
  Inspect(dialog, [&](TVtSelectFolderForm& form) { created = form.ShellTree.CreateNewFolder(); });
  EXPECT_FALSE(created);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].caption, "Warning");
  EXPECT_EQ(boxes.Boxes()[0].text.rfind("Unable to create the folder 'New Folder'\r\n\r\n", 0), 0u)
      << boxes.Boxes()[0].text;
  EXPECT_GT(boxes.Boxes()[0].text.size(), 45u);  // the system's text for "already exists"

  // With one name free the fldr series is used.
  ASSERT_TRUE(RemoveDirectoryA((temp / "fldr7").c_str()));
  Inspect(dialog, [&](TVtSelectFolderForm& form) {
    created = form.ShellTree.CreateNewFolder();
    form.ShellTree.View().EndEditLabel(true);
  });
  EXPECT_TRUE(created);
  EXPECT_TRUE(IsDirectory(temp / "fldr7"));
}

// A fullwidth full stop has no byte in code page 1252; the system's look-alike, ".", would name
// the folder's parent: Go! would scan it and replace its checkfile, and a new folder would go
// there. The path holds "?" instead, which names nothing.
TEST(ShellTree, AFolderNamedOutsideTheCodePageIsNeverTakenForItsParent) {
  TempDir temp;
  std::wstring folder = platform::Widened(temp.path().string()) + L"\\\xff0e";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
  ui::ComPtr<IShellFolder> desktop;
  ASSERT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
  ui::Pidl list;
  desktop->ParseDisplayName(nullptr, nullptr, folder.data(), nullptr, list.Put(), nullptr);
  ASSERT_FALSE(list.IsNull());
  FolderDialog dialog(temp.path().string(), {Option::sfdoCreateDeleteButtons});
  dialog.ChosenFolder().SetIdList(list.Get());
  EXPECT_EQ(dialog.ChosenPath(), temp / "?");
  BoxCatcher boxes;
  Inspect(dialog, [&](TVtSelectFolderForm& form) {
    EXPECT_EQ(form.ShellTree.NodeData(form.ShellTree.Selected())->path, temp / "?");
    EXPECT_FALSE(form.ShellTree.CreateNewFolder());
  });
  EXPECT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_FALSE(IsDirectory(temp / "New Folder"));
}

TEST(ShellTree, DeleteHandsTheFolderToTheShellAndRefreshes) {
  TempDir temp;
  WriteFiles(temp, {{"victim/", ""}, {"keeper/", ""}});
  FolderDialog dialog(temp.path().string(), {Option::sfdoCreateDeleteButtons});
  BoxCatcher confirmations(BoxCatcher::Press(IDYES));
  RunWithSteps(dialog, {[](TVtSelectFolderForm& form) {
                          ui::TreeView& view = form.ShellTree.View();
                          // The root itself is never handed to the shell.
                          form.ShellTree.InvokeVerb(view.Root(), "delete");
                          view.Select(ChildContaining(view, view.Root(), "victim"));
                          EXPECT_TRUE(form.BtnDeleteFolder.IsEnabled());
                          ClickToolButton(form.BtnDeleteFolder);
                        },
                        [](TVtSelectFolderForm& form) {
                          const ui::TreeView& view = form.ShellTree.View();
                          EXPECT_EQ(Labels(view, view.Root()), std::vector<std::string>{"keeper"});
                        },
                        ClickCancel()});
  // The shell asked first, in its own box ("Confirm Folder Delete" on Windows, "Confirm
  // folder deletion" under Wine).
  ASSERT_EQ(confirmations.Boxes().size(), 1u);
  EXPECT_EQ(confirmations.Boxes()[0].caption.rfind("Confirm", 0), 0u)
      << confirmations.Boxes()[0].caption;
  EXPECT_FALSE(IsDirectory(temp / "victim"));
  EXPECT_TRUE(IsDirectory(temp / "keeper"));
  EXPECT_TRUE(IsDirectory(temp.path().string()));
}

// Closes the open popup menu once it is up, noting how many items it had.
int menuItems = -1;
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND menu = FindWindowA("#32768", nullptr);
  if (menu == nullptr) return;
  KillTimer(nullptr, timer);
  HMENU items = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
  menuItems = items != nullptr ? GetMenuItemCount(items) : 0;
  EndMenu();
}

TEST(ShellTree, TheContextMenuIsTheShellsOwnAndNeedsItsOption) {
  FolderDialog dialog;
  const Step openMenu = [](TVtSelectFolderForm& form) {
    ui::TreeView& view = form.ShellTree.View();
    view.Select(ChildContaining(view, view.Root(), "(C:)"));
    menuItems = -1;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &CloseMenu);
    // Shift+F10 and the menu key send this with no position: the selected item's menu.
    SendMessageA(view.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view.Handle()),
                 MAKELPARAM(-1, -1));
    KillTimer(nullptr, timer);
  };
  Inspect(dialog, openMenu);
  EXPECT_GT(menuItems, 0);

  SetOption(dialog, Option::sfdoContextMenus, false);
  Inspect(dialog, openMenu);
  EXPECT_EQ(menuItems, -1);
}

TEST(ShellTree, DropRegistrationFollowsItsOption) {
  FolderDialog dialog;
  const auto registered = [](TVtSelectFolderForm& form) {
    // The system keeps a registered target in this property of the window.
    return GetPropA(form.ShellTree.Handle(), "OleDropTargetInterface") != nullptr;
  };
  bool withOption = false;
  bool withoutOption = true;
  Inspect(dialog, [&](TVtSelectFolderForm& form) { withoutOption = registered(form); });
  SetOption(dialog, Option::sfdoOleDrop, true);
  SetOption(dialog, Option::sfdoOleDrag, true);
  Inspect(dialog, [&](TVtSelectFolderForm& form) {
    withOption = registered(form);
    using Tree = app::TVtShellTreeOption;
    EXPECT_TRUE(form.ShellTree.Options().Contains(Tree::stoOleDrag));
  });
  EXPECT_TRUE(withOption);
  EXPECT_FALSE(withoutOption);
}

// A drop ends in a refresh, which reads the folder again through the item filter: a filter that
// throws makes Drop answer with an error code instead of unwinding into the system's drag and
// drop, and the next drop works.
TEST(ShellTreeDropTarget, AnExceptionInsideADropComesBackAsAnErrorCode) {
  TempDir temp;
  ASSERT_TRUE(CreateDirectoryA((temp / "child").c_str(), nullptr));
  FolderDialog dialog(temp.path().string());
  const struct {
    const char* what;
    void (*fail)();
    HRESULT answer;
  } rows[] = {
      {"a failed allocation", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY},
      {"any other exception", [] { throw std::runtime_error("filter failed"); }, E_UNEXPECTED},
      {"no exception", [] {}, S_OK},
  };
  Inspect(dialog, [&](TVtSelectFolderForm& form) {
    ui::ComPtr<IDropTarget> target(new app::ShellTreeDropTarget(form.ShellTree));
    for (const auto& row : rows) {
      SCOPED_TRACE(row.what);
      form.ShellTree.OnAddItem = [&row](IShellFolder*, LPCITEMIDLIST, LPCITEMIDLIST, ULONG, bool&) {
        row.fail();
      };
      DWORD effect = DROPEFFECT_COPY;
      const POINTL nowhere{-10000, -10000};  // over no item
      EXPECT_EQ(target->Drop(nullptr, 0, nowhere, &effect), row.answer);
      EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    }
    form.ShellTree.OnAddItem = nullptr;
  });
}

}  // namespace
