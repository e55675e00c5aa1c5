// The folder selection dialog: a component that shows a TVtSelectFolderForm modally each time
// it runs and remembers, for the length of the program's run, the form's size and window
// state and the folder last confirmed with OK.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "app/VtSelectFolderForm.h"
#include "app/VtShellLocator.h"
#include "app/VtShellTree.h"
#include "ui/ModalForm.h"

namespace app {

// A dialog run while it is already running, or while its form still exists.
class DialogError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TVtShellDialog {
 public:
  TVtShellDialog() = default;
  virtual ~TVtShellDialog() = default;
  TVtShellDialog(const TVtShellDialog&) = delete;
  TVtShellDialog& operator=(const TVtShellDialog&) = delete;

  // Shows the form modally; true when it was closed with OK. Throws DialogError when the
  // dialog is already running.
  bool RunModal();
  bool IsRunning() const { return running_; }

  // The name the dialog's errors begin with.
  virtual const char* ClassName() const { return "TVtShellDialog"; }

 protected:
  int FormWidth() const { return formWidth_; }
  void SetFormWidth(int width) { formWidth_ = width; }
  int FormHeight() const { return formHeight_; }
  void SetFormHeight(int height) { formHeight_ = height; }
  ui::WindowState FormWindowState() const { return formWindowState_; }
  void SetFormWindowState(ui::WindowState state) { formWindowState_ = state; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }

  virtual void FireInitialized();
  virtual bool RunForm() = 0;

  // Sender: the dialog. After the form is prepared, before it is shown.
  std::function<void(TVtShellDialog& sender)> OnInitialized;
  // Sender: the form. Handed to the form, raised when it is shown and hidden.
  TVtFormNotifyEvent OnFormShow;
  TVtFormNotifyEvent OnFormClose;

 private:
  int formWidth_ = -1;   // the form's outer width when greater than 0
  int formHeight_ = -1;  // the form's outer height when greater than 0
  ui::WindowState formWindowState_ = ui::WindowState::Normal;
  std::string title_;  // empty: "Browse for Folder"
  bool running_ = false;
};

class TVtCustomSelectFolderDialog : public TVtShellDialog {
 public:
  const char* ClassName() const override { return "TVtCustomSelectFolderDialog"; }

  // The form while a run is in progress, null otherwise.
  TVtSelectFolderForm* CurrentForm() const { return currentForm_; }
  // The folder confirmed at the last OK, preselected at the next run; empty at first.
  TVtShellLocator& ChosenFolder() { return chosenFolder_; }
  const TVtShellLocator& ChosenFolder() const { return chosenFolder_; }
  // The file-system path of ChosenFolder (an empty locator stands for the desktop); empty
  // when the item has none, as for the drives folder itself.
  std::string ChosenPath() const;

 protected:
  const TVtShellLocator& BaseFolder() const { return baseFolder_; }
  // Copies the locator: the dialog never shares it.
  void SetBaseFolder(const TVtShellLocator& folder) { baseFolder_ = folder; }
  TVtSelectFolderDialogOptions Options() const { return options_; }
  void SetOptions(TVtSelectFolderDialogOptions options) { options_ = options; }
  // Put into the status bar before the tree selects anything.
  const std::string& StatusText() const { return statusText_; }
  void SetStatusText(const std::string& text) { statusText_ = text; }

  bool RunForm() override;
  virtual std::unique_ptr<TVtSelectFolderForm> CreateFolderForm();
  virtual void PrepareForm(TVtSelectFolderForm& form);
  virtual void ReadBackForm(TVtSelectFolderForm& form);

  TVtShAddItemEvent OnAddItem;  // handed on to the tree unchanged
  TVtFolderBrowseSelChangeEvent OnSelChange;

 private:
  TVtSelectFolderForm* currentForm_ = nullptr;
  TVtShellLocator baseFolder_;
  TVtSelectFolderDialogOptions options_ = kDefaultSelectFolderOptions;
  std::string statusText_;
  TVtShellLocator chosenFolder_;
};

// The dialog with its settings and events open to its owner.
class TVtSelectFolderDialog : public TVtCustomSelectFolderDialog {
 public:
  const char* ClassName() const override { return "TVtSelectFolderDialog"; }

  using TVtCustomSelectFolderDialog::BaseFolder;
  using TVtCustomSelectFolderDialog::OnAddItem;
  using TVtCustomSelectFolderDialog::OnSelChange;
  using TVtCustomSelectFolderDialog::Options;
  using TVtCustomSelectFolderDialog::SetBaseFolder;
  using TVtCustomSelectFolderDialog::SetOptions;
  using TVtShellDialog::FormHeight;
  using TVtShellDialog::FormWidth;
  using TVtShellDialog::FormWindowState;
  using TVtShellDialog::OnFormClose;
  using TVtShellDialog::OnFormShow;
  using TVtShellDialog::OnInitialized;
  using TVtShellDialog::SetFormHeight;
  using TVtShellDialog::SetFormWidth;
  using TVtShellDialog::SetFormWindowState;
  using TVtShellDialog::SetTitle;
  using TVtShellDialog::Title;
};

}  // namespace app
