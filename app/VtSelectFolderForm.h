// The window of the folder selection dialog: the shell folder tree, OK and Cancel, a status
// bar that shows the selected folder's path, and optional Create Folder and Delete buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/OptionSet.h"
#include "app/VtShellTree.h"
#include "ui/Controls.h"
#include "ui/Gdi.h"
#include "ui/ImageList.h"
#include "ui/ModalForm.h"
#include "ui/StatusBar.h"
#include "ui/ToolButton.h"
#include "ui/Window.h"

namespace app {

enum class TVtSelectFolderDialogOption : uint8_t {
  sfdoCreateDeleteButtons = 0,  // Create Folder and Delete are visible
  sfdoContextMenus = 1,         // the tree shows the shell's right-click menu
  sfdoReadOnly = 2,             // labels cannot be edited in place
  sfdoIncludeNonFolders = 3,    // files are listed too
  sfdoOleDrag = 4,              // items can be dragged
  sfdoOleDrop = 5,              // items can be dropped on the tree
  sfdoCreateFolderIcon = 6,     // Create Folder shows its image
  sfdoDeleteFolderIcon = 7,     // Delete shows its image
  sfdoVirtualFolders = 8,       // items outside the file system are listed
  sfdoShowHidden = 9,           // hidden items are listed
};
using TVtSelectFolderDialogOptions = OptionSet<TVtSelectFolderDialogOption>;

inline constexpr TVtSelectFolderDialogOptions kDefaultSelectFolderOptions{
    TVtSelectFolderDialogOption::sfdoContextMenus,
    TVtSelectFolderDialogOption::sfdoCreateFolderIcon,
    TVtSelectFolderDialogOption::sfdoDeleteFolderIcon, TVtSelectFolderDialogOption::sfdoShowHidden};

// A notification; the sender is the form (or the dialog) that raises it.
using TVtFormNotifyEvent = std::function<void(ui::Window& sender)>;
// The new selection of the folder tree, as an absolute item identifier list.
using TVtFolderBrowseSelChangeEvent =
    std::function<void(ui::Window& sender, LPCITEMIDLIST selection)>;

class TVtSelectFolderForm : public ui::ModalForm {
 public:
  static constexpr int kMinTrackWidth = 366;
  static constexpr int kMinTrackHeight = 340;
  // Images of ImageList1.
  static constexpr int kNewFolderImage = 0;
  static constexpr int kNewFolderDisabledImage = 1;
  static constexpr int kDeleteImage = 2;
  static constexpr int kDeleteDisabledImage = 3;

  // Creates the form hidden, with its design layout, owned by the given window.
  explicit TVtSelectFolderForm(HWND owner);
  ~TVtSelectFolderForm() override;

  TVtShellTree ShellTree;
  ui::Container ButtonPanel;
  ui::Button OkBtn;
  ui::Button CancelBtn;
  ui::StatusBar VtStatusBar1;
  ui::ToolButton BtnNewFolder;
  ui::ToolButton BtnDeleteFolder;
  ui::ImageList ImageList1;

  virtual void ApplyOptions(TVtSelectFolderDialogOptions options);
  TVtSelectFolderDialogOptions Options() const { return options_; }
  void SetStatusText(const std::string& text) { VtStatusBar1.SetSimpleText(text); }
  HFONT Font() const { return font_.Get(); }

  TVtFormNotifyEvent OnFormShow;
  TVtFormNotifyEvent OnFormClose;
  TVtFolderBrowseSelChangeEvent OnSelChange;

 protected:
  virtual void LoadCaptions();

  void FormCreate();
  void FormResize();
  void ShellTreeChange(TVtShellTree& sender, HTREEITEM node);
  void CreateBtnClick();
  void DeleteBtnClick();

  void DoShow() override;
  void DoHide() override;
  void DoResize() override;
  void DoGetMinMaxInfo(MINMAXINFO& limits) override;
  bool FocusWantsAllKeys(HWND focus) const override;

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;

 private:
  void CreateComponents();
  void SetFontFace(const std::string& face);
  void DockBottomComponents();
  std::string FitToStatusBar(const std::string& path) const;

  ui::Font font_;
  ui::ImageList disabledImages_;
  TVtSelectFolderDialogOptions options_;
};

}  // namespace app
