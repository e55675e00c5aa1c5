// In-place renaming: the label editor of the tree-view control, with the item renamed through
// its folder when the edit ends.
#include "app/ShellItem.h"
#include "app/VtShellTree.h"
#include "platform/win32/TextConversion.h"

namespace app {

bool TVtShellTree::HandleLabelEdit(const NMHDR& header, LRESULT& result) {
  const UINT code = header.code;
  if (IsCode(code, TVN_BEGINLABELEDITA, TVN_BEGINLABELEDITW)) {
    const auto& edit = reinterpret_cast<const NMTVDISPINFOA&>(header);
    result = BeginLabelEdit(edit.item.hItem) ? FALSE : TRUE;
  } else if (code == TVN_ENDLABELEDITA) {
    const auto& edit = reinterpret_cast<const NMTVDISPINFOA&>(header);
    const std::wstring text =
        platform::Widened(edit.item.pszText != nullptr ? edit.item.pszText : "");
    EndLabelEdit(edit.item.hItem, edit.item.pszText != nullptr ? text.c_str() : nullptr);
    result = FALSE;  // the label is set from the shell's name, not from the typed text
  } else if (code == TVN_ENDLABELEDITW) {
    const auto& edit = reinterpret_cast<const NMTVDISPINFOW&>(header);
    EndLabelEdit(edit.item.hItem, edit.item.pszText);
    result = FALSE;
  } else {
    return false;
  }
  return true;
}

bool TVtShellTree::BeginLabelEdit(HTREEITEM node) {
  const TVtShellNode* data = Node(node);
  const bool canRename =
      data != nullptr && (data->attributes & SFGAO_CANRENAME) != 0 && !data->absolute.IsEmpty();
  return !readOnly_ && canRename;
}

// Renames the item through its folder and labels the node with the shell's new name; the
// old label stays when the shell refused.
void TVtShellTree::EndLabelEdit(HTREEITEM node, const wchar_t* text) {
  TVtShellNode* data = Node(node);
  if (data == nullptr || text == nullptr || *text == L'\0') return;
  ui::ComPtr<IShellFolder> parent;
  LPCITEMIDLIST last = nullptr;
  if (!BindToParent(data->absolute.Get(), parent, last)) return;
  ui::Pidl renamed;
  if (FAILED(parent->SetNameOf(Handle(), last, text, SHGDN_INFOLDER, renamed.Put())) ||
      renamed.IsNull()) {
    return;
  }
  ui::Pidl parentList =
      ui::Pidl::Prefix(data->absolute.Get(), ui::PidlItemCount(data->absolute.Get()) - 1);
  data->absolute = ui::Pidl::Join(parentList.Get(), renamed.Get());
  data->path = FileSystemPath(data->absolute.Get());
  data->folder.Close();
  ForgetChildren(node);
  view_.SetItemText(node, DisplayName(*parent.Get(), renamed.Get(), SHGDN_INFOLDER));
  if (node == Selected()) RaiseChange(node);  // the selected item's path has changed
}

}  // namespace app
