// A view over the system's tree-view control: items, their texts and data, expansion,
// selection and label editing. One-line operations over SendMessage.
#pragma once

#include "ui/Controls.h"

namespace ui {

class TreeView : public Control {
 public:
  void Create(HWND parent, int id, RECT bounds, HFONT font, DWORD style) {
    hwnd_ = CreateControl(WC_TREEVIEWA, "", style, WS_EX_CLIENTEDGE, bounds, parent, id, font);
  }

  // Inserts an item as the last child of parent (TVI_ROOT for a top-level item).
  HTREEITEM Insert(HTREEITEM parent, const std::string& text, LPARAM data, int image,
                   int selectedImage, bool hasChildren);
  void DeleteItem(HTREEITEM item) {
    SendMessageA(hwnd_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
  }
  void DeleteAll() { DeleteItem(TVI_ROOT); }

  HTREEITEM Related(HTREEITEM item, UINT relation) const {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(hwnd_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
  }
  HTREEITEM Root() const { return Related(nullptr, TVGN_ROOT); }
  HTREEITEM FirstChild(HTREEITEM item) const { return Related(item, TVGN_CHILD); }
  HTREEITEM NextSibling(HTREEITEM item) const { return Related(item, TVGN_NEXT); }
  HTREEITEM Parent(HTREEITEM item) const { return Related(item, TVGN_PARENT); }
  HTREEITEM Selected() const { return Related(nullptr, TVGN_CARET); }
  int Count() const { return static_cast<int>(SendMessageA(hwnd_, TVM_GETCOUNT, 0, 0)); }

  void Select(HTREEITEM item) { Select(item, TVGN_CARET); }
  void Select(HTREEITEM item, UINT how) {
    SendMessageA(hwnd_, TVM_SELECTITEM, how, reinterpret_cast<LPARAM>(item));
  }
  void Expand(HTREEITEM item, UINT how = TVE_EXPAND) {
    SendMessageA(hwnd_, TVM_EXPAND, how, reinterpret_cast<LPARAM>(item));
  }
  bool IsExpanded(HTREEITEM item) const { return (State(item) & TVIS_EXPANDED) != 0; }
  void EnsureVisible(HTREEITEM item) {
    SendMessageA(hwnd_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  }
  HWND EditLabel(HTREEITEM item) {
    return reinterpret_cast<HWND>(
        SendMessageA(hwnd_, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item)));
  }
  HWND EditControl() const {
    return reinterpret_cast<HWND>(SendMessageA(hwnd_, TVM_GETEDITCONTROL, 0, 0));
  }
  void EndEditLabel(bool cancel) {
    SendMessageA(hwnd_, TVM_ENDEDITLABELNOW, cancel ? TRUE : FALSE, 0);
  }

  std::string ItemText(HTREEITEM item) const;
  void SetItemText(HTREEITEM item, const std::string& text);
  LPARAM ItemData(HTREEITEM item) const;
  UINT State(HTREEITEM item) const {
    return static_cast<UINT>(
        SendMessageA(hwnd_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED));
  }
  void SetHasChildren(HTREEITEM item, bool hasChildren);
  // The item's rectangle in the client area (the label only when textOnly).
  RECT ItemRect(HTREEITEM item, bool textOnly) const;
  // The item at a point of the client area; null when there is none.
  HTREEITEM ItemAt(POINT point) const;

  void SetImageList(HIMAGELIST images) {
    SendMessageA(hwnd_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  }
  void SetIndent(int pixels) { SendMessageA(hwnd_, TVM_SETINDENT, static_cast<WPARAM>(pixels), 0); }
  int Indent() const { return static_cast<int>(SendMessageA(hwnd_, TVM_GETINDENT, 0, 0)); }
  void SetStyleBit(DWORD bit, bool on);
  bool HasStyle(DWORD bit) const {
    return (static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE)) & bit) == bit;
  }
};

}  // namespace ui
