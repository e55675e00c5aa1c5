// What the shell folder tree asks of the shell about one item: its display name, its
// file-system path, the folder that holds it, and the objects the shell offers for it (a
// context menu, a data object, a drop target).
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <string>

#include "ui/ComPtr.h"

namespace app {

// The item's name as the folder shows it; empty when the folder gives none.
std::string DisplayName(IShellFolder& folder, LPCITEMIDLIST item, SHGDNF flags);

// The item's file-system path; empty when it has none.
std::string FileSystemPath(LPCITEMIDLIST absolute);

// The folder that holds an item and the item's list relative to it; false for the desktop.
bool BindToParent(LPCITEMIDLIST absolute, ui::ComPtr<IShellFolder>& parent, LPCITEMIDLIST& last);

// Two items of one folder that the folder takes for the same.
bool SameItem(IShellFolder& folder, LPCITEMIDLIST a, LPCITEMIDLIST b);

// An object the item's folder offers for the item (IContextMenu, IDataObject, IDropTarget);
// empty for the desktop and when the folder offers none.
template <typename Interface>
ui::ComPtr<Interface> ItemObject(HWND owner, LPCITEMIDLIST absolute, REFIID iid) {
  ui::ComPtr<Interface> object;
  ui::ComPtr<IShellFolder> parent;
  LPCITEMIDLIST last = nullptr;
  if (BindToParent(absolute, parent, last)) {
    parent->GetUIObjectOf(owner, 1, &last, iid, nullptr, object.PutVoid());
  }
  return object;
}

}  // namespace app
