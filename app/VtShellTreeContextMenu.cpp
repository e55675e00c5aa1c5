// The shell's own context menu for an item of the tree, and its commands run by verb.
#include <windowsx.h>

#include "app/ShellItem.h"
#include "app/VtShellTree.h"
#include "ui/Menu.h"

namespace app {

namespace {

constexpr UINT kFirstMenuCommand = 1;
constexpr UINT kLastMenuCommand = 0x7FFF;

void InvokeMenuCommand(IContextMenu& menu, HWND owner, LPCSTR verb) {
  CMINVOKECOMMANDINFO invoke{};
  invoke.cbSize = sizeof invoke;
  invoke.hwnd = owner;
  invoke.lpVerb = verb;
  invoke.nShow = SW_SHOWNORMAL;
  menu.InvokeCommand(&invoke);
}

}  // namespace

ui::ComPtr<IContextMenu> TVtShellTree::ItemContextMenu(HTREEITEM node) {
  const TVtShellNode* data = Node(node);
  if (data == nullptr) return {};
  return ItemObject<IContextMenu>(Handle(), data->absolute.Get(), IID_IContextMenu);
}

void TVtShellTree::InvokeVerb(HTREEITEM node, const char* verb) {
  if (node == nullptr || node == view_.Root()) return;
  ui::ComPtr<IContextMenu> menu = ItemContextMenu(node);
  if (!menu) return;
  {
    // Some menus know their verbs only after they have been asked for their items.
    const ui::Menu popup(CreatePopupMenu());
    menu->QueryContextMenu(popup.Get(), 0, kFirstMenuCommand, kLastMenuCommand, CMF_NORMAL);
    InvokeMenuCommand(*menu.Get(), Handle(), verb);
  }
  Refresh();
}

bool TVtShellTree::HandleContextMenu(HWND source, LPARAM point) {
  if (source != Handle() || !options_.Contains(TVtShellTreeOption::stoContextMenus)) return false;
  POINT screen{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  HTREEITEM node = nullptr;
  if (screen.x == -1 && screen.y == -1) {  // from the keyboard: the selected item
    node = Selected();
    if (node == nullptr) return false;
    const RECT label = view_.ItemRect(node, true);
    screen = {label.left, label.bottom};
    ClientToScreen(Handle(), &screen);
  } else {
    POINT client = screen;
    ScreenToClient(Handle(), &client);
    node = view_.ItemAt(client);
  }
  if (node == nullptr) return false;
  ShowContextMenu(node, screen);
  return true;
}

bool TVtShellTree::ShowContextMenu(HTREEITEM node, POINT screenPoint) {
  ui::ComPtr<IContextMenu> menu = ItemContextMenu(node);
  if (!menu) return false;
  const ui::Menu popup(CreatePopupMenu());
  const UINT flags = CMF_EXPLORE | (readOnly_ ? 0u : static_cast<UINT>(CMF_CANRENAME));
  if (FAILED(menu->QueryContextMenu(popup.Get(), 0, kFirstMenuCommand, kLastMenuCommand, flags))) {
    return true;
  }
  openMenu_ = menu.Query<IContextMenu2>(IID_IContextMenu2);
  view_.Select(node, TVGN_DROPHILITE);
  const UINT command = static_cast<UINT>(
      TrackPopupMenuEx(popup.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y,
                       GetParent(Handle()), nullptr));
  view_.Select(nullptr, TVGN_DROPHILITE);
  openMenu_.Close();
  if (command >= kFirstMenuCommand) RunMenuCommand(node, *menu.Get(), command);
  return true;
}

void TVtShellTree::RunMenuCommand(HTREEITEM node, IContextMenu& menu, UINT command) {
  const UINT offset = command - kFirstMenuCommand;
  char verb[64] = {};
  menu.GetCommandString(offset, GCS_VERBA, nullptr, verb, sizeof verb);
  if (lstrcmpiA(verb, "rename") == 0) {  // renaming is done in place, in the tree
    if (!readOnly_) view_.EditLabel(node);
    return;
  }
  InvokeMenuCommand(menu, Handle(), MAKEINTRESOURCEA(offset));
  Refresh();
}

bool TVtShellTree::HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!openMenu_) return false;
  if (message != WM_INITMENUPOPUP && message != WM_DRAWITEM && message != WM_MEASUREITEM) {
    return false;
  }
  openMenu_->HandleMenuMsg(message, wParam, lParam);
  result = message == WM_INITMENUPOPUP ? 0 : TRUE;
  return true;
}

}  // namespace app
