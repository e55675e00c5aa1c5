#include "tests/windows/FolderDialogDriver.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include "platform/win32/TextConversion.h"
#include "tests/windows/GuiTestSupport.h"
#include "ui/Application.h"
#include "ui/ComPtr.h"
#include "ui/Pidl.h"

namespace folder_testing {

namespace {

constexpr UINT kStepDelayMs = 20;
constexpr UINT kWatchdogMs = 20000;

// The application object and OLE for the whole test program, as the program has them.
class FolderTestEnvironment : public testing::Environment {
 public:
  void SetUp() override { gui_test::TestApplication(); }
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new FolderTestEnvironment);

struct Script {
  app::TVtCustomSelectFolderDialog* dialog = nullptr;
  std::vector<Step> steps;
  size_t next = 0;
  UINT_PTR timer = 0;
  UINT_PTR watchdog = 0;
  bool timedOut = false;
};

Script* current = nullptr;

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
  Script& script = *current;
  app::TVtSelectFolderForm* form = script.dialog->CurrentForm();
  if (form == nullptr || script.next >= script.steps.size()) return;
  // Each step runs once; the timer fires again only after the step's messages are through.
  KillTimer(nullptr, script.timer);
  script.steps[script.next++](*form);
  if (script.next < script.steps.size()) {
    script.timer = SetTimer(nullptr, 0, kStepDelayMs, &RunNextStep);
  }
}

void CALLBACK CancelStuckForm(HWND, UINT, UINT_PTR, DWORD) {
  current->timedOut = true;
  KillTimer(nullptr, current->watchdog);
  if (app::TVtSelectFolderForm* form = current->dialog->CurrentForm()) {
    form->SetModalResult(IDCANCEL);
  }
}

}  // namespace

void DriveRun(app::TVtCustomSelectFolderDialog& dialog, const std::function<void()>& start,
              std::vector<Step> steps) {
  Script script{&dialog, std::move(steps)};
  Script* outer = current;
  current = &script;
  script.timer = SetTimer(nullptr, 0, kStepDelayMs, &RunNextStep);
  script.watchdog = SetTimer(nullptr, 0, kWatchdogMs, &CancelStuckForm);
  struct Restore {
    Script& script;
    Script* outer;
    ~Restore() {
      KillTimer(nullptr, script.timer);
      KillTimer(nullptr, script.watchdog);
      current = outer;
    }
  } restore{script, outer};
  start();
  EXPECT_FALSE(script.timedOut) << "the form did not close; step " << script.next << " of "
                                << script.steps.size();
  EXPECT_EQ(script.next, script.steps.size()) << "not every step ran";
}

bool RunWithSteps(app::TVtCustomSelectFolderDialog& dialog, app::TVtShellDialog& runner,
                  std::vector<Step> steps) {
  bool result = false;
  DriveRun(
      dialog, [&] { result = runner.RunModal(); }, std::move(steps));
  return result;
}

Step ClickOk() {
  return [](app::TVtSelectFolderForm& form) { SendMessageA(form.OkBtn.Handle(), BM_CLICK, 0, 0); };
}

Step ClickCancel() {
  return
      [](app::TVtSelectFolderForm& form) { SendMessageA(form.CancelBtn.Handle(), BM_CLICK, 0, 0); };
}

std::vector<HTREEITEM> Children(const ui::TreeView& view, HTREEITEM parent) {
  std::vector<HTREEITEM> children;
  for (HTREEITEM child = view.FirstChild(parent); child != nullptr;
       child = view.NextSibling(child)) {
    children.push_back(child);
  }
  return children;
}

HTREEITEM ChildContaining(const ui::TreeView& view, HTREEITEM parent, const std::string& text) {
  for (HTREEITEM child : Children(view, parent)) {
    if (view.ItemText(child).find(text) != std::string::npos) return child;
  }
  return nullptr;
}

HTREEITEM Drive(app::TVtSelectFolderForm& form, char letter) {
  const ui::TreeView& view = form.ShellTree.View();
  return ChildContaining(view, view.Root(), std::string("(") + letter + ":)");
}

Step SelectDrive(char letter) {
  return [letter](app::TVtSelectFolderForm& form) {
    HTREEITEM drive = Drive(form, letter);
    ASSERT_NE(drive, nullptr) << "no drive " << letter;
    form.ShellTree.View().Select(drive);
  };
}

app::TVtShellLocator LocatorOf(const std::string& path) {
  ui::ComPtr<IShellFolder> desktop;
  SHGetDesktopFolder(desktop.Put());
  std::wstring wide = platform::Widened(path);
  ui::Pidl list;
  if (desktop) {
    desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, list.Put(), nullptr);
  }
  EXPECT_FALSE(list.IsNull()) << "no item for " << path;
  return app::TVtShellLocator::FromIdList(list.Get());
}

RECT ClientOf(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return client;
}

void ClickToolButton(const ui::ToolButton& button) {
  const RECT rect = button.ButtonRect();
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  SendMessageA(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(button.Handle(), WM_LBUTTONUP, 0, at);
}

void PressKey(HWND window, WPARAM key) {
  PostMessageA(window, WM_KEYDOWN, key, 1);
  PostMessageA(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

}  // namespace folder_testing
