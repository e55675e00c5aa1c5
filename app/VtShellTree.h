// The shell folder tree: a tree-view control showing the shell namespace below one base
// folder. Folders are read when they are first expanded; every node carries its absolute
// item identifier list and its file-system path. The right-click menu, the in-place rename,
// new folders and the drag and drop are the shell's own operations on the items; each has a
// file of its own (VtShellTreeContextMenu.cpp, VtShellTreeRename.cpp, VtShellTreeNewFolder.cpp,
// VtShellTreeDragDrop.cpp), and VtShellTree.cpp holds the rest: filling, expanding, selecting,
// finding a folder.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/OptionSet.h"
#include "app/VtShellLocator.h"
#include "ui/ComPtr.h"
#include "ui/Pidl.h"
#include "ui/TreeView.h"

namespace app {

enum class TVtShellTreeOption : uint8_t {
  stoAutoFill = 0,            // assigning a base folder to a filled tree fills it again
  stoVirtualFolders = 1,      // also items that are no part of the file system
  stoDesignInteractive = 2,   // kept for layout data; no effect at run time
  stoDefaultKeyHandling = 3,  // F2 renames, F5 refreshes
  stoContextMenus = 4,        // right-click shows the shell's menu for the item
  stoDynamicRefresh = 5,      // kept for layout data; no effect at run time
  stoIncludeNonFolders = 6,   // files as well as folders
  stoOleDrag = 7,             // items can be dragged with the system's drag and drop
  stoOleDrop = 8,             // the tree is a target of the system's drag and drop
  stoShowHidden = 9,          // hidden items too
};
using TVtShellTreeOptions = OptionSet<TVtShellTreeOption>;

// What a node knows of its shell item.
struct TVtShellNode {
  ui::Pidl absolute;  // the item's absolute item identifier list
  std::string path;   // its file-system path; empty when it has none
  ULONG attributes = 0;
  bool childrenRead = false;
  ui::ComPtr<IShellFolder> folder;  // bound when the children are first read
};

class TVtShellTree;

// The item filter: the parent folder, its absolute list, the item's relative list and
// attributes; clearing accept leaves the item out.
using TVtShAddItemEvent =
    std::function<void(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsolute, LPCITEMIDLIST item,
                       ULONG attributes, bool& accept)>;
using TVtShellTreeChangeEvent = std::function<void(TVtShellTree& sender, HTREEITEM node)>;

class TVtShellTree {
 public:
  TVtShellTree();
  ~TVtShellTree();
  TVtShellTree(const TVtShellTree&) = delete;
  TVtShellTree& operator=(const TVtShellTree&) = delete;

  // Creates the control. Its parent hands the control's notifications to HandleNotify and
  // its context-menu messages to HandleContextMenu and HandleMenuMessage.
  void Create(HWND parent, int id, RECT bounds, HFONT font);
  // Lets go of the shell's objects and the drop registration before the control goes; the
  // tree does nothing with the control afterwards.
  void ReleaseHandle();
  HWND Handle() const { return view_.Handle(); }
  ui::TreeView& View() { return view_; }
  const ui::TreeView& View() const { return view_; }

  TVtShellTreeOptions Options() const { return options_; }
  void SetOptions(TVtShellTreeOptions options);

  const TVtShellLocator& BaseFolder() const { return baseFolder_; }
  void SetBaseFolder(const TVtShellLocator& folder);
  // Before the fill: the folder to walk down to and select. Afterwards: the selected item.
  const TVtShellLocator& SelectedFolder() const { return selectedFolder_; }
  void SetSelectedFolder(const TVtShellLocator& folder);

  void SetShowRoot(bool show) { view_.SetStyleBit(TVS_LINESATROOT, show); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);

  // Clears the tree, adds the base folder as the root with its children, expands it and
  // selects the preset folder, or the root when none is set.
  void Fill();
  // Re-reads the expanded part of the tree, keeping the selection.
  void Refresh();

  HTREEITEM Selected() const { return view_.Selected(); }
  const TVtShellNode* NodeData(HTREEITEM node) const;
  // The node's position in the whole tree, parents before children; 0 is the root.
  int AbsoluteIndex(HTREEITEM node) const;
  // Reads the children if need be and expands the node.
  void Expand(HTREEITEM node);

  // Creates a folder inside the selected one ("New Folder", "New Folder (2)", ...), shows
  // it and starts editing its label. False, after a warning box, when none was created.
  bool CreateNewFolder();
  // Runs the shell's command with the verb ("delete") on the node's item, then refreshes.
  // Does nothing for the root node.
  void InvokeVerb(HTREEITEM node, const char* verb);

  bool HandleNotify(const NMHDR& header, LRESULT& result);
  // WM_CONTEXTMENU from the control (a screen point, or -1, -1 from the keyboard).
  bool HandleContextMenu(HWND source, LPARAM point);
  // Menu messages for an open context menu that draws parts of itself.
  bool HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  TVtShellTreeChangeEvent OnChange;
  TVtShAddItemEvent OnAddItem;

 private:
  friend class ShellTreeDropTarget;
  struct ChildItem {
    ui::Pidl relative;
    ULONG attributes = 0;
  };
  struct Clearing;

  TVtShellNode* Node(HTREEITEM node) const;
  HTREEITEM InsertNode(HTREEITEM parent, ui::Pidl absolute, ULONG attributes,
                       const std::string& label);
  HTREEITEM AddRoot();
  IShellFolder* FolderOf(TVtShellNode& node);
  std::vector<ChildItem> EnumerateChildren(TVtShellNode& node);
  void ReadChildren(HTREEITEM node);
  void InsertChild(HTREEITEM parent, TVtShellNode& parentNode, const ChildItem& child);
  void SortChildren(HTREEITEM parent);
  void RefreshChildren(HTREEITEM parent);
  void ForgetChildren(HTREEITEM parent);
  HTREEITEM FindChild(HTREEITEM parent, LPCITEMIDLIST item);
  void SelectAlong(LPCITEMIDLIST target);
  void SelectForFill(HTREEITEM node);
  void RaiseChange(HTREEITEM node);
  bool HandleKey(WORD key);
  static bool IsCode(UINT code, UINT ansi, UINT wide) { return code == ansi || code == wide; }

  // The context menu (VtShellTreeContextMenu.cpp).
  ui::ComPtr<IContextMenu> ItemContextMenu(HTREEITEM node);
  bool ShowContextMenu(HTREEITEM node, POINT screenPoint);
  void RunMenuCommand(HTREEITEM node, IContextMenu& menu, UINT command);

  // Drag and drop (VtShellTreeDragDrop.cpp).
  void StartOleDrag(HTREEITEM node);
  ui::ComPtr<IDropTarget> ItemDropTarget(HTREEITEM node);
  void UpdateDropRegistration();
  void ReleaseDropTarget();

  // In-place renaming (VtShellTreeRename.cpp).
  bool HandleLabelEdit(const NMHDR& header, LRESULT& result);
  bool BeginLabelEdit(HTREEITEM node);
  void EndLabelEdit(HTREEITEM node, const wchar_t* text);

  // New folders (VtShellTreeNewFolder.cpp).
  enum class SeriesEnd { Created, Failed, AllExist };
  SeriesEnd TryNameSeries(const std::string& parent, const std::string& base,
                          const char* numberFormat, std::string& created);
  void ShowCreateWarning(DWORD error, const std::string& name);
  void EditNewFolderLabel(const std::string& name);

  ui::TreeView view_;
  TVtShellTreeOptions options_;
  bool readOnly_ = false;
  bool filled_ = false;
  int clearing_ = 0;
  int selectionChanges_ = 0;
  TVtShellLocator baseFolder_;
  TVtShellLocator selectedFolder_;
  ui::ComPtr<IShellFolder> desktop_;
  std::unordered_map<HTREEITEM, std::unique_ptr<TVtShellNode>> nodes_;
  ui::ComPtr<IContextMenu2> openMenu_;
  ui::ComPtr<IDropTarget> dropTarget_;
  bool dropRegistered_ = false;
  bool released_ = true;  // no control, or the control is going away
};

}  // namespace app
