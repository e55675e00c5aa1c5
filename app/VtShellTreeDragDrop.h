// The shell folder tree as a target of the system's drag and drop.
#pragma once

#include <windows.h>

#include <oleidl.h>

#include "app/VtShellTree.h"
#include "ui/ComObject.h"
#include "ui/ComPtr.h"

namespace app {

// Hands a drag over the tree on to the drop target of the item under the mouse (the shell
// folder's own, which moves, copies or links the dropped items), and refreshes the tree after a
// drop.
class ShellTreeDropTarget final : public ui::ComObject<IDropTarget> {
 public:
  explicit ShellTreeDropTarget(TVtShellTree& tree) : ComObject(IID_IDropTarget), tree_(&tree) {}
  // The tree is going away; later calls do nothing.
  void Detach();

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                 DWORD* effect) override;

 private:
  HRESULT Over(DWORD keys, POINTL point, DWORD* effect);
  void HoverOver(DWORD keys, POINTL point, DWORD effect);
  void LeaveItem(bool tellTarget);

  TVtShellTree* tree_;
  ui::ComPtr<IDataObject> data_;
  ui::ComPtr<IDropTarget> itemTarget_;
  HTREEITEM hover_ = nullptr;
};

}  // namespace app
