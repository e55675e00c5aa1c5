#include "app/VtSelectFolderDialog.h"

#include "app/ShellItem.h"
#include "app/resources/FolderDialog.h"
#include "ui/Application.h"
#include "ui/Pidl.h"
#include "ui/StringResource.h"

namespace app {

namespace {

// Clears a flag when the scope ends, however it ends.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

// Forgets the current form when the run ends, however it ends.
class CurrentFormScope {
 public:
  explicit CurrentFormScope(TVtSelectFolderForm*& current) : current_(current) {}
  ~CurrentFormScope() { current_ = nullptr; }
  CurrentFormScope(const CurrentFormScope&) = delete;
  CurrentFormScope& operator=(const CurrentFormScope&) = delete;

 private:
  TVtSelectFolderForm*& current_;
};

}  // namespace

bool TVtShellDialog::RunModal() {
  if (running_) throw DialogError(std::string(ClassName()) + " already executing");
  const FlagScope running(running_);
  return RunForm();
}

void TVtShellDialog::FireInitialized() {
  if (OnInitialized) OnInitialized(*this);
}

bool TVtCustomSelectFolderDialog::RunForm() {
  if (currentForm_ != nullptr) throw DialogError("TVtSelectFolderDialog form already active");
  // Destroyed in reverse order: the form goes first, then CurrentForm, then the hourglass.
  const ui::ScopedScreenCursor hourglass(ui::kCursorHourGlass);
  const CurrentFormScope forget(currentForm_);
  const std::unique_ptr<TVtSelectFolderForm> form = CreateFolderForm();
  PrepareForm(*form);
  currentForm_ = form.get();
  FireInitialized();
  const int result = form->ShowModal();
  ReadBackForm(*form);
  return result == IDOK;
}

std::unique_ptr<TVtSelectFolderForm> TVtCustomSelectFolderDialog::CreateFolderForm() {
  return std::make_unique<TVtSelectFolderForm>(ui::ModalOwner());
}

void TVtCustomSelectFolderDialog::PrepareForm(TVtSelectFolderForm& form) {
  form.OnSelChange = OnSelChange;
  form.OnFormShow = OnFormShow;
  form.OnFormClose = OnFormClose;
  form.ShellTree.OnAddItem = OnAddItem;
  form.SetStatusText(statusText_);
  if (FormWidth() > 0 || FormHeight() > 0) {
    form.SetOuterSize(FormWidth() > 0 ? FormWidth() : form.OuterWidth(),
                      FormHeight() > 0 ? FormHeight() : form.OuterHeight());
  }
  form.SetState(FormWindowState());
  form.ApplyOptions(options_);
  form.SetCaption(Title().empty() ? ui::LoadStringResource(IDS_FOLDER_TITLE) : Title());
  form.ShellTree.SetBaseFolder(baseFolder_);
  form.ShellTree.SetSelectedFolder(chosenFolder_);
}

void TVtCustomSelectFolderDialog::ReadBackForm(TVtSelectFolderForm& form) {
  // The restored rectangle, so that a form closed maximized records its normal size.
  const RECT normal = form.NormalBounds();
  SetFormWidth(normal.right - normal.left);
  SetFormHeight(normal.bottom - normal.top);
  SetFormWindowState(form.State());
  if (form.ModalResult() == IDOK) chosenFolder_ = form.ShellTree.SelectedFolder();
}

std::string TVtCustomSelectFolderDialog::ChosenPath() const {
  ui::Pidl desktop;
  LPCITEMIDLIST list = chosenFolder_.IdList();
  if (list == nullptr) {
    desktop = ui::Pidl::Empty();
    list = desktop.Get();
  }
  return FileSystemPath(list);
}

}  // namespace app
