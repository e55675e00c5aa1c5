#include "app/VtSelectFolderForm.h"

#include <algorithm>
#include <array>
#include <utility>

#include "app/PathFit.h"
#include "app/resources/FolderDialog.h"
#include "ui/ExceptionGuards.h"
#include "ui/StringResource.h"

namespace app {

namespace {

using ui::BoundsInParent;

constexpr char kClassName[] = "TVtSelectFolderForm";
constexpr char kDesignFontFace[] = "MS Sans Serif";
constexpr int kFontPoints = 8;
constexpr SIZE kDesignClientSize{358, 325};

constexpr int kShellTreeId = 100;
constexpr int kButtonPanelId = 101;
constexpr int kStatusBarId = 102;
constexpr int kNewFolderId = 103;
constexpr int kDeleteFolderId = 104;

constexpr int kButtonPanelHeight = 29;
constexpr int kStatusBarHeight = 19;
constexpr int kTreeGap = 4;          // between the tool buttons (or the panel) and the tree
constexpr int kTreeTop = 8;          // without tool buttons
constexpr int kWidthAllowance = 24;  // the tree's right edge: left + outer width - this
constexpr int kButtonGap = 8;        // between OK and Cancel, and from Cancel to the edge
constexpr int kStatusMargin = 20;    // the status text is fitted to the bar's width - this

// The window's own visible flag, which holds while the form itself is still hidden.
bool IsShown(HWND window) {
  return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Place(HWND window, int left, int top, int width, int height) {
  SetWindowPos(window, nullptr, left, top, std::max(0, width), std::max(0, height),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
  return ui::GuardedCallback(TRUE, [&] {
    SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
  });
}

void SetFontOfChildren(HWND parent, HFONT font) {
  EnumChildWindows(parent, &SetChildFont, reinterpret_cast<LPARAM>(font));
}

// The classes of the tree, the status bar and the toolbars, registered before the first of
// them is made (version 6 of the common controls asks for it).
void RegisterControlClasses() {
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof classes;
  classes.dwICC = ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&classes);
}

}  // namespace

TVtSelectFolderForm::TVtSelectFolderForm(HWND owner)
    : font_(ui::CreatePointFont(kDesignFontFace, kFontPoints, DEFAULT_CHARSET)) {
  RegisterControlClasses();
  CreateForm(
      kClassName, owner, "",
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN,
      kDesignClientSize);
  CreateComponents();
  FormCreate();
}

TVtSelectFolderForm::~TVtSelectFolderForm() {
  ShellTree.ReleaseHandle();
  DestroyHandle();
}

void TVtSelectFolderForm::CreateComponents() {
  HWND form = Handle();
  HFONT font = font_.Get();
  const int panelTop = kDesignClientSize.cy - kStatusBarHeight - kButtonPanelHeight;
  ShellTree.Create(form, kShellTreeId, ui::Bounds(8, 32, 341, 241), font);
  ShellTree.View().SetIndent(19);
  ShellTree.OnChange = [this](TVtShellTree& sender, HTREEITEM node) {
    ShellTreeChange(sender, node);
  };
  ButtonPanel.Create(*this, form, ui::Bounds(0, panelTop, kDesignClientSize.cx, kButtonPanelHeight),
                     kButtonPanelId);
  ShowWindow(ButtonPanel.Handle(), SW_SHOW);
  OkBtn.Create(ButtonPanel.Handle(), IDOK, "OK", ui::Bounds(12, 2, 75, 23), font);
  SendMessageA(OkBtn.Handle(), BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  CancelBtn.Create(ButtonPanel.Handle(), IDCANCEL, "Cancel", ui::Bounds(92, 2, 75, 23), font);
  SetDialogButtons(OkBtn.Handle(), CancelBtn.Handle());
  VtStatusBar1.Create(form, kStatusBarId,
                      ui::Bounds(0, kDesignClientSize.cy - kStatusBarHeight, kDesignClientSize.cx,
                                 kStatusBarHeight),
                      font, true);
  BtnNewFolder.Create(form, kNewFolderId, "Create Folder", ui::Bounds(8, 4, 101, 25), font);
  BtnDeleteFolder.Create(form, kDeleteFolderId, "&Delete", ui::Bounds(117, 4, 68, 25), font);

  ImageList1 = ui::ImageList::FromBitmapStrip(IDB_FOLDER_BUTTONS, 16, RGB(255, 0, 255));
  // The toolbar shows the picture at a button's own index when it is disabled, so this list
  // holds each button's disabled picture at the index of its normal one.
  disabledImages_ = ui::ImageList::FromBitmapStrip(IDB_FOLDER_BUTTONS, 16, RGB(255, 0, 255));
  if (disabledImages_.Count() > kDeleteDisabledImage) {
    ImageList_Copy(disabledImages_.Get(), kNewFolderImage, disabledImages_.Get(),
                   kNewFolderDisabledImage, ILCF_MOVE);
    ImageList_Copy(disabledImages_.Get(), kDeleteImage, disabledImages_.Get(), kDeleteDisabledImage,
                   ILCF_MOVE);
  }
  for (ui::ToolButton* button : {&BtnNewFolder, &BtnDeleteFolder}) {
    button->SetImageLists(ImageList1.Get(), disabledImages_.Get());
  }
  BtnNewFolder.SetImageIndex(kNewFolderImage);
  BtnDeleteFolder.SetImageIndex(kDeleteImage);
}

void TVtSelectFolderForm::FormCreate() {
  ShellTree.SetShowRoot(true);
  // Of the two bottom-docked components the lower one is the one further down: moving the
  // status bar to the form's height puts it below the button panel.
  const RECT bar = BoundsInParent(VtStatusBar1.Handle());
  Place(VtStatusBar1.Handle(), bar.left, OuterHeight(), bar.right - bar.left, bar.bottom - bar.top);
  DockBottomComponents();
}

void TVtSelectFolderForm::ApplyOptions(TVtSelectFolderDialogOptions options) {
  using Dialog = TVtSelectFolderDialogOption;
  using Tree = TVtShellTreeOption;
  options_ = options;
  TVtShellTreeOptions tree = ShellTree.Options();
  tree.Set(Tree::stoOleDrag, options.Contains(Dialog::sfdoOleDrag));
  tree.Set(Tree::stoOleDrop, options.Contains(Dialog::sfdoOleDrop));
  tree.Set(Tree::stoIncludeNonFolders, options.Contains(Dialog::sfdoIncludeNonFolders));
  tree.Set(Tree::stoVirtualFolders, options.Contains(Dialog::sfdoVirtualFolders));
  tree.Set(Tree::stoContextMenus, options.Contains(Dialog::sfdoContextMenus));
  tree.Set(Tree::stoShowHidden, options.Contains(Dialog::sfdoShowHidden));
  ShellTree.SetOptions(tree);

  const bool buttons = options.Contains(Dialog::sfdoCreateDeleteButtons);
  BtnNewFolder.SetVisible(buttons);
  BtnDeleteFolder.SetVisible(buttons);
  const bool newIcon = options.Contains(Dialog::sfdoCreateFolderIcon);
  const bool deleteIcon = options.Contains(Dialog::sfdoDeleteFolderIcon);
  BtnNewFolder.SetImageIndex(newIcon ? kNewFolderImage : ui::ToolButton::kNoImage);
  BtnDeleteFolder.SetImageIndex(deleteIcon ? kDeleteImage : ui::ToolButton::kNoImage);
  if (!newIcon || !deleteIcon) {
    BtnNewFolder.SetFlat(false);
    BtnDeleteFolder.SetFlat(false);
  }
  ShellTree.SetReadOnly(options.Contains(Dialog::sfdoReadOnly));
}

void TVtSelectFolderForm::LoadCaptions() {
  OkBtn.SetText(ui::LoadStringResource(IDS_FOLDER_OK));
  CancelBtn.SetText(ui::LoadStringResource(IDS_FOLDER_CANCEL));
  BtnNewFolder.SetCaption(ui::LoadStringResource(IDS_FOLDER_CREATE));
  BtnDeleteFolder.SetCaption(ui::LoadStringResource(IDS_FOLDER_DELETE));
  if (Caption().empty()) SetCaption(ui::LoadStringResource(IDS_FOLDER_TITLE));
}

void TVtSelectFolderForm::DockBottomComponents() {
  std::array<HWND, 2> docked = {ButtonPanel.Handle(), VtStatusBar1.Handle()};
  if (docked[0] == nullptr || docked[1] == nullptr) return;
  // The component further down docks first, at the very bottom.
  std::sort(docked.begin(), docked.end(),
            [](HWND a, HWND b) { return BoundsInParent(a).top > BoundsInParent(b).top; });
  RECT client{};
  GetClientRect(Handle(), &client);
  int bottom = client.bottom;
  for (HWND window : docked) {
    const RECT bounds = BoundsInParent(window);
    const int height = bounds.bottom - bounds.top;
    bottom -= height;
    Place(window, 0, bottom, client.right, height);
  }
}

void TVtSelectFolderForm::FormResize() {
  if (ShellTree.Handle() == nullptr || CancelBtn.Handle() == nullptr) return;
  const RECT tree = BoundsInParent(ShellTree.Handle());
  const int left = tree.left;
  int top = kTreeTop;
  if (IsShown(BtnNewFolder.Handle())) {
    top = BoundsInParent(BtnNewFolder.Handle()).bottom + kTreeGap;
  } else if (IsShown(BtnDeleteFolder.Handle())) {
    top = BoundsInParent(BtnDeleteFolder.Handle()).bottom + kTreeGap;
  }
  const int right = left + OuterWidth() - kWidthAllowance;
  const int bottom = BoundsInParent(ButtonPanel.Handle()).top - kTreeGap;
  Place(ShellTree.Handle(), left, top, right - left, bottom - top);

  RECT client{};
  GetClientRect(Handle(), &client);
  const RECT cancel = BoundsInParent(CancelBtn.Handle());
  const RECT ok = BoundsInParent(OkBtn.Handle());
  const int cancelLeft = client.right - kButtonGap - (cancel.right - cancel.left);
  Place(CancelBtn.Handle(), cancelLeft, cancel.top, cancel.right - cancel.left,
        cancel.bottom - cancel.top);
  const int okLeft = cancelLeft - kButtonGap - (ok.right - ok.left);
  Place(OkBtn.Handle(), okLeft, ok.top, ok.right - ok.left, ok.bottom - ok.top);

  if (const TVtShellNode* node = ShellTree.NodeData(ShellTree.Selected())) {
    SetStatusText(FitToStatusBar(node->path));
  }
}

std::string TVtSelectFolderForm::FitToStatusBar(const std::string& path) const {
  const ui::WindowDC dc(Handle());
  const ui::SelectedObject font(dc.Get(), font_.Get());
  const auto width = [&dc](const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  RECT bar{};
  GetWindowRect(VtStatusBar1.Handle(), &bar);
  return FitPathToWidth(path, width, bar.right - bar.left - kStatusMargin);
}

void TVtSelectFolderForm::ShellTreeChange(TVtShellTree&, HTREEITEM node) {
  const TVtShellNode* data = ShellTree.NodeData(node);
  if (data == nullptr) return;
  const std::string& path = data->path;
  SetStatusText(FitToStatusBar(path));
  BtnNewFolder.SetEnabled(!path.empty());
  BtnDeleteFolder.SetEnabled(!path.empty() && ShellTree.AbsoluteIndex(node) != 0);
  if (OnSelChange) OnSelChange(*this, data->absolute.Get());
}

void TVtSelectFolderForm::CreateBtnClick() {
  ShellTree.CreateNewFolder();
}

void TVtSelectFolderForm::DeleteBtnClick() {
  ShellTree.InvokeVerb(ShellTree.Selected(), "delete");
}

void TVtSelectFolderForm::SetFontFace(const std::string& face) {
  ui::Font font = ui::CreatePointFont(face, kFontPoints, DEFAULT_CHARSET);
  if (font.Get() == nullptr) return;
  SetFontOfChildren(Handle(), font.Get());
  font_ = std::move(font);  // the old font goes only after no control uses it any more
}

void TVtSelectFolderForm::DoShow() {
  SetFontFace(ui::LoadStringResource(IDS_FOLDER_FONT));
  TVtShellTreeOptions options = ShellTree.Options();
  options.Include(TVtShellTreeOption::stoAutoFill);
  ShellTree.SetOptions(options);
  ShellTree.Fill();
  LoadCaptions();
  if (OnFormShow) OnFormShow(*this);
}

void TVtSelectFolderForm::DoHide() {
  if (OnFormClose) OnFormClose(*this);
}

void TVtSelectFolderForm::DoResize() {
  DockBottomComponents();
  FormResize();
}

void TVtSelectFolderForm::DoGetMinMaxInfo(MINMAXINFO& limits) {
  limits.ptMinTrackSize = {kMinTrackWidth, kMinTrackHeight};
}

bool TVtSelectFolderForm::FocusWantsAllKeys(HWND focus) const {
  // Enter and Escape end an in-place rename rather than the form.
  return ShellTree.View().EditControl() != nullptr || ModalForm::FocusWantsAllKeys(focus);
}

LRESULT TVtSelectFolderForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // The tree hands over a label typed in place in UTF-16: in the code page a character it has no
  // byte for would arrive as the system's look-alike, and the folder would get another name.
  if (message == WM_NOTIFYFORMAT && lParam == NF_QUERY &&
      GetDlgCtrlID(reinterpret_cast<HWND>(wParam)) == kShellTreeId) {
    return NFR_UNICODE;
  }
  LRESULT result = 0;
  if (ShellTree.HandleMenuMessage(message, wParam, lParam, result)) return result;
  if (message == WM_CONTEXTMENU &&
      ShellTree.HandleContextMenu(reinterpret_cast<HWND>(wParam), lParam)) {
    return 0;
  }
  return ModalForm::OnMessage(message, wParam, lParam);
}

bool TVtSelectFolderForm::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDOK:
      SetModalResult(IDOK);
      return true;
    case IDCANCEL:
      SetModalResult(IDCANCEL);
      return true;
    case kNewFolderId:
      if (BtnNewFolder.IsEnabled()) CreateBtnClick();
      return true;
    case kDeleteFolderId:
      if (BtnDeleteFolder.IsEnabled()) DeleteBtnClick();
      return true;
    default:
      return false;
  }
}

bool TVtSelectFolderForm::OnNotify(const NMHDR& header, LRESULT& result) {
  return ShellTree.HandleNotify(header, result) || ModalForm::OnNotify(header, result);
}

}  // namespace app
