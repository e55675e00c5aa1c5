#include "app/VtShellTree.h"

#include <algorithm>
#include <utility>

#include "app/ShellItem.h"
#include "ui/Application.h"
#include "ui/ExceptionGuards.h"

namespace app {

namespace {

constexpr ULONG kWantedAttributes =
    SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_CANRENAME;

int SystemIconIndex(LPCITEMIDLIST absolute, UINT extraFlags) {
  SHFILEINFOA info{};
  SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extraFlags);
  return info.iIcon;
}

// The system's list of small icons, asked for by a made-up folder name so that no disk is
// touched.
HIMAGELIST SystemSmallImages() {
  SHFILEINFOA info{};
  return reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                     SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

// Orders two children of one folder as the folder itself does.
int CALLBACK CompareSiblings(LPARAM first, LPARAM second, LPARAM folder) {
  return ui::GuardedCallback(0, [&] {
    const auto* a = reinterpret_cast<const TVtShellNode*>(first);
    const auto* b = reinterpret_cast<const TVtShellNode*>(second);
    const HRESULT order = reinterpret_cast<IShellFolder*>(folder)->CompareIDs(
        0, ui::PidlLast(a->absolute.Get()), ui::PidlLast(b->absolute.Get()));
    return FAILED(order) ? 0 : static_cast<int>(static_cast<short>(HRESULT_CODE(order)));
  });
}

}  // namespace

// Selection notifications of items being deleted are not changes the owner hears of.
struct TVtShellTree::Clearing {
  explicit Clearing(TVtShellTree& tree) : tree_(tree) { ++tree_.clearing_; }
  ~Clearing() { --tree_.clearing_; }
  Clearing(const Clearing&) = delete;
  Clearing& operator=(const Clearing&) = delete;
  TVtShellTree& tree_;
};

TVtShellTree::TVtShellTree() = default;

TVtShellTree::~TVtShellTree() {
  ReleaseHandle();
}

void TVtShellTree::Create(HWND parent, int id, RECT bounds, HFONT font) {
  released_ = false;
  view_.Create(parent, id, bounds, font,
               WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS |
                   (readOnly_ ? 0 : TVS_EDITLABELS));
  SHGetDesktopFolder(desktop_.Put());
  view_.SetImageList(SystemSmallImages());  // shared by the system: never destroyed here
  UpdateDropRegistration();
}

void TVtShellTree::ReleaseHandle() {
  if (released_) return;
  released_ = true;
  ReleaseDropTarget();
  if (Handle() != nullptr) {
    const Clearing clearing(*this);
    view_.DeleteAll();
  }
  nodes_.clear();
  openMenu_.Close();
}

void TVtShellTree::SetOptions(TVtShellTreeOptions options) {
  options_ = options;
  UpdateDropRegistration();
}

void TVtShellTree::SetBaseFolder(const TVtShellLocator& folder) {
  baseFolder_ = folder;
  if (filled_ && options_.Contains(TVtShellTreeOption::stoAutoFill)) Fill();
}

void TVtShellTree::SetSelectedFolder(const TVtShellLocator& folder) {
  selectedFolder_ = folder;
  if (filled_ && !folder.IsEmpty()) {
    const ui::Pidl target = ui::Pidl::Copy(folder.IdList());
    SelectAlong(target.Get());
  }
}

void TVtShellTree::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  if (Handle() != nullptr) view_.SetStyleBit(TVS_EDITLABELS, !readOnly);
}

void TVtShellTree::Fill() {
  const ui::ScopedScreenCursor hourglass;
  {
    const Clearing clearing(*this);
    view_.DeleteAll();
    nodes_.clear();
  }
  filled_ = true;
  HTREEITEM root = AddRoot();
  if (root == nullptr) return;
  Expand(root);
  if (selectedFolder_.IsEmpty()) {
    SelectForFill(root);
    return;
  }
  const ui::Pidl target = ui::Pidl::Copy(selectedFolder_.IdList());
  SelectAlong(target.Get());
}

HTREEITEM TVtShellTree::AddRoot() {
  if (!desktop_) return nullptr;
  LPCITEMIDLIST base = baseFolder_.IdList();
  ui::Pidl absolute = base != nullptr ? ui::Pidl::Copy(base) : ui::Pidl::Empty();
  ULONG attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR;
  ui::ComPtr<IShellFolder> parent;
  LPCITEMIDLIST last = nullptr;
  if (BindToParent(absolute.Get(), parent, last)) {
    attributes = kWantedAttributes;
    parent->GetAttributesOf(1, &last, &attributes);
  }
  const std::string label = DisplayName(*desktop_.Get(), absolute.Get(), SHGDN_NORMAL);
  return InsertNode(TVI_ROOT, std::move(absolute), attributes, label);
}

HTREEITEM TVtShellTree::InsertNode(HTREEITEM parent, ui::Pidl absolute, ULONG attributes,
                                   const std::string& label) {
  auto node = std::make_unique<TVtShellNode>();
  node->path = FileSystemPath(absolute.Get());
  node->attributes = attributes;
  const int image = SystemIconIndex(absolute.Get(), 0);
  const int openImage = SystemIconIndex(absolute.Get(), SHGFI_OPENICON);
  node->absolute = std::move(absolute);
  const bool mayHaveChildren = (attributes & SFGAO_HASSUBFOLDER) != 0 ||
                               ((attributes & SFGAO_FOLDER) != 0 &&
                                options_.Contains(TVtShellTreeOption::stoIncludeNonFolders));
  HTREEITEM item = view_.Insert(parent, label, reinterpret_cast<LPARAM>(node.get()), image,
                                openImage, mayHaveChildren);
  if (item != nullptr) nodes_[item] = std::move(node);
  return item;
}

TVtShellNode* TVtShellTree::Node(HTREEITEM node) const {
  if (node == nullptr) return nullptr;
  auto it = nodes_.find(node);
  return it != nodes_.end() ? it->second.get() : nullptr;
}

const TVtShellNode* TVtShellTree::NodeData(HTREEITEM node) const {
  return Node(node);
}

int TVtShellTree::AbsoluteIndex(HTREEITEM node) const {
  int index = 0;
  // Parents before children, siblings in order: the order the items are drawn when all
  // are expanded.
  std::vector<HTREEITEM> pending;
  for (HTREEITEM item = view_.Root(); item != nullptr; item = view_.NextSibling(item)) {
    pending.push_back(item);
  }
  std::reverse(pending.begin(), pending.end());
  while (!pending.empty()) {
    HTREEITEM item = pending.back();
    pending.pop_back();
    if (item == node) return index;
    ++index;
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = view_.FirstChild(item); child != nullptr;
         child = view_.NextSibling(child)) {
      children.push_back(child);
    }
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return -1;
}

IShellFolder* TVtShellTree::FolderOf(TVtShellNode& node) {
  if (!node.folder) {
    if (node.absolute.IsEmpty()) {
      node.folder = desktop_.Share();
    } else if (desktop_) {
      desktop_->BindToObject(node.absolute.Get(), nullptr, IID_IShellFolder, node.folder.PutVoid());
    }
  }
  return node.folder.Get();
}

std::vector<TVtShellTree::ChildItem> TVtShellTree::EnumerateChildren(TVtShellNode& node) {
  std::vector<ChildItem> children;
  IShellFolder* folder = FolderOf(node);
  if (folder == nullptr) return children;
  SHCONTF flags = SHCONTF_FOLDERS;
  if (options_.Contains(TVtShellTreeOption::stoShowHidden)) flags |= SHCONTF_INCLUDEHIDDEN;
  if (options_.Contains(TVtShellTreeOption::stoIncludeNonFolders)) flags |= SHCONTF_NONFOLDERS;
  ui::ComPtr<IEnumIDList> items;
  if (folder->EnumObjects(Handle(), flags, items.Put()) != S_OK || !items) return children;
  for (;;) {
    ChildItem child;
    ULONG fetched = 0;
    if (items->Next(1, child.relative.Put(), &fetched) != S_OK || fetched != 1) break;
    LPCITEMIDLIST relative = child.relative.Get();
    child.attributes = kWantedAttributes;
    if (FAILED(folder->GetAttributesOf(1, &relative, &child.attributes))) continue;
    const bool inFileSystem = (child.attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) != 0;
    if (!inFileSystem && !options_.Contains(TVtShellTreeOption::stoVirtualFolders)) continue;
    bool accept = true;
    if (OnAddItem) OnAddItem(folder, node.absolute.Get(), relative, child.attributes, accept);
    if (accept) children.push_back(std::move(child));
  }
  return children;
}

void TVtShellTree::ReadChildren(HTREEITEM item) {
  TVtShellNode* node = Node(item);
  if (node == nullptr || node->childrenRead) return;
  const ui::ScopedScreenCursor hourglass;
  node->childrenRead = true;
  const std::vector<ChildItem> children = EnumerateChildren(*node);
  for (const ChildItem& child : children)
    InsertChild(item, *node, child);
  SortChildren(item);
  if (children.empty()) view_.SetHasChildren(item, false);
}

void TVtShellTree::InsertChild(HTREEITEM parent, TVtShellNode& parentNode, const ChildItem& child) {
  IShellFolder* folder = FolderOf(parentNode);
  if (folder == nullptr) return;
  const std::string label = DisplayName(*folder, child.relative.Get(), SHGDN_INFOLDER);
  InsertNode(parent, ui::Pidl::Join(parentNode.absolute.Get(), child.relative.Get()),
             child.attributes, label);
}

void TVtShellTree::SortChildren(HTREEITEM parent) {
  TVtShellNode* node = Node(parent);
  IShellFolder* folder = node != nullptr ? FolderOf(*node) : nullptr;
  if (folder == nullptr) return;
  TVSORTCB sort{};
  sort.hParent = parent;
  sort.lParam = reinterpret_cast<LPARAM>(folder);
  sort.lpfnCompare = &CompareSiblings;
  SendMessageA(Handle(), TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

void TVtShellTree::Expand(HTREEITEM node) {
  ReadChildren(node);
  view_.Expand(node);
}

HTREEITEM TVtShellTree::FindChild(HTREEITEM parent, LPCITEMIDLIST item) {
  TVtShellNode* node = Node(parent);
  IShellFolder* folder = node != nullptr ? FolderOf(*node) : nullptr;
  if (folder == nullptr) return nullptr;
  for (HTREEITEM child = view_.FirstChild(parent); child != nullptr;
       child = view_.NextSibling(child)) {
    const TVtShellNode* childNode = Node(child);
    if (childNode != nullptr && SameItem(*folder, ui::PidlLast(childNode->absolute.Get()), item)) {
      return child;
    }
  }
  return nullptr;
}

// Walks from the root down the target's items, expanding each folder on the way. A step
// that is not there sounds the default beep and leaves the deepest folder reached selected.
void TVtShellTree::SelectAlong(LPCITEMIDLIST target) {
  HTREEITEM item = view_.Root();
  const TVtShellNode* root = Node(item);
  if (root == nullptr || !desktop_) return;
  const size_t rootItems = ui::PidlItemCount(root->absolute.Get());
  const ui::Pidl prefix = ui::Pidl::Prefix(target, rootItems);
  if (ui::PidlItemCount(target) < rootItems ||
      !SameItem(*desktop_.Get(), root->absolute.Get(), prefix.Get())) {
    MessageBeep(MB_OK);
    SelectForFill(item);
    return;
  }
  LPCITEMIDLIST step = target;
  for (size_t i = 0; i < rootItems; ++i)
    step = ui::PidlNext(step);
  while (step != nullptr && step->mkid.cb != 0) {
    ReadChildren(item);
    const ui::Pidl stepItem = ui::Pidl::Prefix(step, 1);
    HTREEITEM child = FindChild(item, stepItem.Get());
    if (child == nullptr) {
      MessageBeep(MB_OK);
      break;
    }
    item = child;
    step = ui::PidlNext(step);
    if (step != nullptr && step->mkid.cb != 0) Expand(item);
  }
  if (item == view_.Root()) Expand(item);
  SelectForFill(item);
  view_.EnsureVisible(item);
}

// Selects the node and makes sure the owner hears of it, also when the control had already
// selected that node by itself.
void TVtShellTree::SelectForFill(HTREEITEM node) {
  const int changesBefore = selectionChanges_;
  view_.Select(node);
  if (selectionChanges_ == changesBefore) RaiseChange(node);
}

void TVtShellTree::RaiseChange(HTREEITEM node) {
  ++selectionChanges_;
  if (const TVtShellNode* data = Node(node)) selectedFolder_.SetIdList(data->absolute.Get());
  if (OnChange) OnChange(*this, node);
}

void TVtShellTree::Refresh() {
  HTREEITEM root = view_.Root();
  if (root == nullptr) return;
  const ui::ScopedScreenCursor hourglass;
  RefreshChildren(root);
}

void TVtShellTree::RefreshChildren(HTREEITEM parent) {
  TVtShellNode* node = Node(parent);
  if (node == nullptr || !node->childrenRead) return;
  if (!view_.IsExpanded(parent)) {
    ForgetChildren(parent);  // read again when next expanded
    return;
  }
  IShellFolder* folder = FolderOf(*node);
  if (folder == nullptr) return;
  std::vector<ChildItem> fresh = EnumerateChildren(*node);
  std::vector<bool> present(fresh.size(), false);
  std::vector<HTREEITEM> gone;
  for (HTREEITEM child = view_.FirstChild(parent); child != nullptr;
       child = view_.NextSibling(child)) {
    const TVtShellNode* childNode = Node(child);
    auto match = std::find_if(fresh.begin(), fresh.end(), [&](const ChildItem& item) {
      return childNode != nullptr &&
             SameItem(*folder, ui::PidlLast(childNode->absolute.Get()), item.relative.Get());
    });
    if (match == fresh.end()) {
      gone.push_back(child);
    } else {
      present[static_cast<size_t>(match - fresh.begin())] = true;
    }
  }
  for (HTREEITEM child : gone)
    view_.DeleteItem(child);
  for (size_t i = 0; i < fresh.size(); ++i) {
    if (!present[i]) InsertChild(parent, *node, fresh[i]);
  }
  SortChildren(parent);
  view_.SetHasChildren(parent, view_.FirstChild(parent) != nullptr);
  for (HTREEITEM child = view_.FirstChild(parent); child != nullptr;
       child = view_.NextSibling(child)) {
    RefreshChildren(child);
  }
}

void TVtShellTree::ForgetChildren(HTREEITEM parent) {
  TVtShellNode* node = Node(parent);
  if (node == nullptr) return;
  {
    const Clearing clearing(*this);
    while (HTREEITEM child = view_.FirstChild(parent))
      view_.DeleteItem(child);
  }
  node->childrenRead = false;
  view_.SetHasChildren(parent, true);
}

bool TVtShellTree::HandleKey(WORD key) {
  if (!options_.Contains(TVtShellTreeOption::stoDefaultKeyHandling)) return false;
  if (key == VK_F2 && !readOnly_ && Selected() != nullptr) {
    view_.EditLabel(Selected());
    return true;
  }
  if (key == VK_F5) {
    Refresh();
    return true;
  }
  return false;
}

bool TVtShellTree::HandleNotify(const NMHDR& header, LRESULT& result) {
  if (released_ || header.hwndFrom != Handle()) return false;
  if (HandleLabelEdit(header, result)) return true;
  const auto& tree = reinterpret_cast<const NMTREEVIEWA&>(header);
  const UINT code = header.code;
  if (IsCode(code, TVN_SELCHANGEDA, TVN_SELCHANGEDW)) {
    if (clearing_ == 0) RaiseChange(tree.itemNew.hItem);
  } else if (IsCode(code, TVN_ITEMEXPANDINGA, TVN_ITEMEXPANDINGW)) {
    if ((tree.action & TVE_EXPAND) != 0) ReadChildren(tree.itemNew.hItem);
    result = FALSE;
  } else if (IsCode(code, TVN_DELETEITEMA, TVN_DELETEITEMW)) {
    nodes_.erase(tree.itemOld.hItem);
  } else if (IsCode(code, TVN_BEGINDRAGA, TVN_BEGINDRAGW) ||
             IsCode(code, TVN_BEGINRDRAGA, TVN_BEGINRDRAGW)) {
    if (options_.Contains(TVtShellTreeOption::stoOleDrag)) StartOleDrag(tree.itemNew.hItem);
  } else if (code == TVN_KEYDOWN) {
    HandleKey(reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey);
    result = 0;
  } else {
    return false;
  }
  return true;
}

}  // namespace app
