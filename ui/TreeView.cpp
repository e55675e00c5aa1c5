#include "ui/TreeView.h"

#include <cstring>

namespace ui {

HTREEITEM TreeView::Insert(HTREEITEM parent, const std::string& text, LPARAM data, int image,
                           int selectedImage, bool hasChildren) {
  std::string label = text;  // the structure takes a writable string
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = label.data();
  insert.item.lParam = data;
  insert.item.iImage = image;
  insert.item.iSelectedImage = selectedImage;
  insert.item.cChildren = hasChildren ? 1 : 0;
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(hwnd_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::string TreeView::ItemText(HTREEITEM item) const {
  char text[MAX_PATH + 1] = {};
  TVITEMA info{};
  info.mask = TVIF_TEXT;
  info.hItem = item;
  info.pszText = text;
  info.cchTextMax = sizeof text;
  SendMessageA(hwnd_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
  return text;
}

void TreeView::SetItemText(HTREEITEM item, const std::string& text) {
  std::string label = text;  // the structure takes a writable string
  TVITEMA info{};
  info.mask = TVIF_TEXT;
  info.hItem = item;
  info.pszText = label.data();
  SendMessageA(hwnd_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&info));
}

LPARAM TreeView::ItemData(HTREEITEM item) const {
  TVITEMA info{};
  info.mask = TVIF_PARAM;
  info.hItem = item;
  if (!SendMessageA(hwnd_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info))) return 0;
  return info.lParam;
}

void TreeView::SetHasChildren(HTREEITEM item, bool hasChildren) {
  TVITEMA info{};
  info.mask = TVIF_CHILDREN;
  info.hItem = item;
  info.cChildren = hasChildren ? 1 : 0;
  SendMessageA(hwnd_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&info));
}

RECT TreeView::ItemRect(HTREEITEM item, bool textOnly) const {
  RECT rect{};
  // TVM_GETITEMRECT takes the item in the rectangle it fills.
  std::memcpy(&rect, &item, sizeof item);
  SendMessageA(hwnd_, TVM_GETITEMRECT, textOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

HTREEITEM TreeView::ItemAt(POINT point) const {
  TVHITTESTINFO hit{};
  hit.pt = point;
  HTREEITEM item = reinterpret_cast<HTREEITEM>(
      SendMessageA(hwnd_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & TVHT_ONITEM) != 0 ? item : nullptr;
}

void TreeView::SetStyleBit(DWORD bit, bool on) {
  LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
  style = on ? (style | static_cast<LONG>(bit)) : (style & ~static_cast<LONG>(bit));
  SetWindowLongA(hwnd_, GWL_STYLE, style);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

}  // namespace ui
