#include "app/VtShellTreeDragDrop.h"

#include "app/ShellItem.h"

namespace app {

namespace {

// The source side of dragging an item: the drag ends when the button that started it is
// released, and Escape cancels it.
class DropSource final : public ui::ComObject<IDropSource> {
 public:
  explicit DropSource(DWORD button) : ComObject(IID_IDropSource), button_(button) {}

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
    return ui::GuardedComCall([&]() -> HRESULT {
      if (escapePressed) return DRAGDROP_S_CANCEL;
      return (keyState & button_) == 0 ? DRAGDROP_S_DROP : S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override {
    return ui::GuardedComCall([] { return DRAGDROP_S_USEDEFAULTCURSORS; });
  }

 private:
  DWORD button_;
};

}  // namespace

void ShellTreeDropTarget::Detach() {
  LeaveItem(true);
  tree_ = nullptr;
}

HRESULT ShellTreeDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
  return ui::GuardedComCall([&] {
    if (data != nullptr) data->AddRef();
    data_.Attach(data);
    hover_ = nullptr;
    return Over(keys, point, effect);
  });
}

HRESULT ShellTreeDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
  return ui::GuardedComCall([&] { return Over(keys, point, effect); });
}

HRESULT ShellTreeDropTarget::DragLeave() {
  return ui::GuardedComCall([&] {
    LeaveItem(true);
    data_.Close();
    return S_OK;
  });
}

HRESULT ShellTreeDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
  return ui::GuardedComCall([&] {
    if (effect == nullptr) return E_INVALIDARG;
    HoverOver(keys, point, *effect);
    HRESULT result = S_OK;
    if (itemTarget_) {
      result = itemTarget_->Drop(data, keys, point, effect);
    } else {
      *effect = DROPEFFECT_NONE;
    }
    LeaveItem(false);  // a drop ends the item target's part without a DragLeave
    data_.Close();
    if (tree_ != nullptr) tree_->Refresh();
    return result;
  });
}

HRESULT ShellTreeDropTarget::Over(DWORD keys, POINTL point, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  HoverOver(keys, point, *effect);
  if (!itemTarget_) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  return itemTarget_->DragOver(keys, point, effect);
}

void ShellTreeDropTarget::HoverOver(DWORD keys, POINTL point, DWORD effect) {
  if (tree_ == nullptr) return;
  POINT client{point.x, point.y};
  ScreenToClient(tree_->Handle(), &client);
  HTREEITEM item = tree_->View().ItemAt(client);
  if (item == hover_) return;
  LeaveItem(true);
  hover_ = item;
  if (item == nullptr) return;
  itemTarget_ = tree_->ItemDropTarget(item);
  if (itemTarget_ && FAILED(itemTarget_->DragEnter(data_.Get(), keys, point, &effect))) {
    itemTarget_.Close();
  }
  tree_->View().Select(item, TVGN_DROPHILITE);
}

void ShellTreeDropTarget::LeaveItem(bool tellTarget) {
  if (itemTarget_ && tellTarget) itemTarget_->DragLeave();
  itemTarget_.Close();
  hover_ = nullptr;
  if (tree_ != nullptr) tree_->View().Select(nullptr, TVGN_DROPHILITE);
}

void TVtShellTree::StartOleDrag(HTREEITEM node) {
  const TVtShellNode* data = Node(node);
  if (data == nullptr) return;
  ui::ComPtr<IDataObject> dataObject =
      ItemObject<IDataObject>(Handle(), data->absolute.Get(), IID_IDataObject);
  if (!dataObject) return;
  const DWORD button = GetKeyState(VK_RBUTTON) < 0 ? MK_RBUTTON : MK_LBUTTON;
  ui::ComPtr<IDropSource> source(new DropSource(button));
  DWORD effect = DROPEFFECT_NONE;
  DoDragDrop(dataObject.Get(), source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK,
             &effect);
  Refresh();
}

// The item's own drop target; the desktop's is its view object.
ui::ComPtr<IDropTarget> TVtShellTree::ItemDropTarget(HTREEITEM node) {
  ui::ComPtr<IDropTarget> target;
  const TVtShellNode* data = Node(node);
  if (data == nullptr) return target;
  ui::ComPtr<IShellFolder> parent;
  LPCITEMIDLIST last = nullptr;
  if (BindToParent(data->absolute.Get(), parent, last)) {
    parent->GetUIObjectOf(Handle(), 1, &last, IID_IDropTarget, nullptr, target.PutVoid());
  } else if (desktop_) {
    desktop_->CreateViewObject(Handle(), IID_IDropTarget, target.PutVoid());
  }
  return target;
}

void TVtShellTree::UpdateDropRegistration() {
  if (Handle() == nullptr) return;
  const bool wanted = options_.Contains(TVtShellTreeOption::stoOleDrop);
  if (wanted == dropRegistered_) return;
  if (wanted) {
    if (!dropTarget_) dropTarget_.Attach(new ShellTreeDropTarget(*this));
    dropRegistered_ = SUCCEEDED(RegisterDragDrop(Handle(), dropTarget_.Get()));
  } else {
    RevokeDragDrop(Handle());
    dropRegistered_ = false;
  }
}

void TVtShellTree::ReleaseDropTarget() {
  if (dropRegistered_) RevokeDragDrop(Handle());
  dropRegistered_ = false;
  if (dropTarget_) static_cast<ShellTreeDropTarget*>(dropTarget_.Get())->Detach();
  dropTarget_.Close();
}

}  // namespace app
