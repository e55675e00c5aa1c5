#include "app/VtShellTree.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/resources/FolderDialog.h"
#include "ui/Application.h"
#include "ui/StringResource.h"

namespace app {

namespace {

constexpr UINT kFirstMenuCommand = 1;
constexpr UINT kLastMenuCommand = 0x7FFF;
constexpr int kHighestNumberedName = 50;
constexpr DWORD kDesktopWaitMs = 2100;
constexpr DWORD kFolderWaitMs = 1000;
constexpr ULONG kWantedAttributes =
    SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_CANRENAME;

bool IsCode(UINT code, UINT ansi, UINT wide) {
  return code == ansi || code == wide;
}

std::string Narrow(const wchar_t* text) {
  if (text == nullptr) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(size - 1));
  return narrow;
}

std::wstring Widen(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
  wide.resize(static_cast<size_t>(size - 1));
  return wide;
}

// The text of a display name; a name handed over as task memory is freed here.
std::string StrRetText(STRRET& name, LPCITEMIDLIST item) {
  switch (name.uType) {
    case STRRET_WSTR: {
      std::string text = Narrow(name.pOleStr);
      CoTaskMemFree(name.pOleStr);
      name.pOleStr = nullptr;
      return text;
    }
    case STRRET_OFFSET:
      return reinterpret_cast<const char*>(item) + name.uOffset;
    case STRRET_CSTR:
      return name.cStr;
    default:
      return {};
  }
}

std::string DisplayName(IShellFolder& folder, LPCITEMIDLIST item, SHGDNF flags) {
  STRRET name{};
  if (FAILED(folder.GetDisplayNameOf(item, flags, &name))) return {};
  return StrRetText(name, item);
}

std::string FileSystemPath(LPCITEMIDLIST absolute) {
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(absolute, path)) return {};
  return path;
}

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

// The folder that holds an item and the item's list relative to it; false for the desktop.
bool BindToParent(LPCITEMIDLIST absolute, ui::ComPtr<IShellFolder>& parent, LPCITEMIDLIST& last) {
  if (ui::PidlItemCount(absolute) == 0) return false;
  return SUCCEEDED(SHBindToParent(absolute, IID_IShellFolder, parent.PutVoid(), &last));
}

bool SameItem(IShellFolder& folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
  const HRESULT order = folder.CompareIDs(0, a, b);
  return SUCCEEDED(order) && static_cast<short>(HRESULT_CODE(order)) == 0;
}

// The system's text for an error, with its line break removed.
std::string SystemMessage(DWORD error) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
  LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

// A pattern with the system's positional inserts (%1, %2, ...) filled in.
std::string FormatInserts(const std::string& pattern, const std::vector<std::string>& inserts) {
  std::vector<DWORD_PTR> arguments;
  for (const std::string& insert : inserts) {
    arguments.push_back(reinterpret_cast<DWORD_PTR>(insert.c_str()));
  }
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      pattern.c_str(), 0, 0, reinterpret_cast<char*>(&buffer), 0,
      reinterpret_cast<va_list*>(arguments.data()));
  std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length) : pattern;
  LocalFree(buffer);
  return text;
}

std::string CurrentDirectory() {
  char path[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

// Orders two children of one folder as the folder itself does.
int CALLBACK CompareSiblings(LPARAM first, LPARAM second, LPARAM folder) {
  const auto* a = reinterpret_cast<const TVtShellNode*>(first);
  const auto* b = reinterpret_cast<const TVtShellNode*>(second);
  const HRESULT order = reinterpret_cast<IShellFolder*>(folder)->CompareIDs(
      0, ui::PidlLast(a->absolute.Get()), ui::PidlLast(b->absolute.Get()));
  return FAILED(order) ? 0 : static_cast<short>(HRESULT_CODE(order));
}

// A COM object implementing one interface besides IUnknown; it deletes itself at its last
// release. COM interfaces have no virtual destructor: their objects are only ever ended by
// Release, never deleted through the interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
template <typename Interface>
class ComObject : public Interface {
 public:
  explicit ComObject(const IID& iid) : iid_(iid) {}
  virtual ~ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, iid_)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 private:
  IID iid_;
  LONG references_ = 1;
};

// The source side of dragging an item: the drag ends when the button that started it is
// released, and Escape cancels it.
class DropSource final : public ComObject<IDropSource> {
 public:
  explicit DropSource(DWORD button) : ComObject(IID_IDropSource), button_(button) {}

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    return (keyState & button_) == 0 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  DWORD button_;
};
#pragma GCC diagnostic pop

}  // namespace

// The tree as a drop target: it hands the drag on to the drop target of the item under the
// mouse (the shell folder's own, which moves, copies or links the dropped items).
class TVtShellTree::DropTarget final : public ComObject<IDropTarget> {
 public:
  explicit DropTarget(TVtShellTree& tree) : ComObject(IID_IDropTarget), tree_(&tree) {}
  // The tree is going away; later calls do nothing.
  void Detach() {
    LeaveItem(true);
    tree_ = nullptr;
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                      DWORD* effect) override {
    if (data != nullptr) data->AddRef();
    data_.Attach(data);
    hover_ = nullptr;
    return DragOver(keys, point, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override {
    if (effect == nullptr) return E_INVALIDARG;
    HoverOver(keys, point, *effect);
    if (!itemTarget_) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    return itemTarget_->DragOver(keys, point, effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    LeaveItem(true);
    data_.Close();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                 DWORD* effect) override {
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
  }

 private:
  void HoverOver(DWORD keys, POINTL point, DWORD effect) {
    if (tree_ == nullptr) return;
    POINT client{point.x, point.y};
    ScreenToClient(tree_->Handle(), &client);
    HTREEITEM item = tree_->view_.ItemAt(client);
    if (item == hover_) return;
    LeaveItem(true);
    hover_ = item;
    if (item == nullptr) return;
    itemTarget_ = tree_->ItemDropTarget(item);
    if (itemTarget_ && FAILED(itemTarget_->DragEnter(data_.Get(), keys, point, &effect))) {
      itemTarget_.Close();
    }
    tree_->view_.Select(item, TVGN_DROPHILITE);
  }
  void LeaveItem(bool tellTarget) {
    if (itemTarget_ && tellTarget) itemTarget_->DragLeave();
    itemTarget_.Close();
    hover_ = nullptr;
    if (tree_ != nullptr) tree_->view_.Select(nullptr, TVGN_DROPHILITE);
  }

  TVtShellTree* tree_;
  ui::ComPtr<IDataObject> data_;
  ui::ComPtr<IDropTarget> itemTarget_;
  HTREEITEM hover_ = nullptr;
};

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
  if (dropRegistered_) RevokeDragDrop(Handle());
  dropRegistered_ = false;
  if (dropTarget_) static_cast<DropTarget*>(dropTarget_.Get())->Detach();
  dropTarget_.Close();
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

bool TVtShellTree::CreateNewFolder() {
  const TVtShellNode* node = Node(Selected());
  std::string parent = node != nullptr && !node->path.empty() ? node->path : CurrentDirectory();
  if (parent.empty() || parent.back() != '\\') parent += '\\';
  std::string created;
  const SeriesEnd first = TryNameSeries(parent, "New Folder", " (%d)", created);
  SeriesEnd second = SeriesEnd::Created;
  if (first != SeriesEnd::Created) second = TryNameSeries(parent, "fldr", "%d", created);
  if (first != SeriesEnd::Created && second != SeriesEnd::Created) {
    // A failure already explained in a box is not reported again as a name clash.
    if (first == SeriesEnd::AllExist && second == SeriesEnd::AllExist) {
      ShowCreateWarning(ERROR_ALREADY_EXISTS, "New Folder");
    }
    return false;
  }
  {
    const ui::ScopedScreenCursor hourglass;
    const bool onDesktop = node != nullptr && node->absolute.IsEmpty();
    Sleep(onDesktop ? kDesktopWaitMs : kFolderWaitMs);
  }
  Refresh();
  HTREEITEM selected = Selected();
  if (selected == nullptr) return true;
  Expand(selected);
  for (HTREEITEM child = view_.FirstChild(selected); child != nullptr;
       child = view_.NextSibling(child)) {
    if (view_.ItemText(child) == created) {
      view_.EnsureVisible(child);
      SetFocus(Handle());
      view_.EditLabel(child);
      break;
    }
  }
  return true;
}

TVtShellTree::SeriesEnd TVtShellTree::TryNameSeries(const std::string& parent,
                                                    const std::string& base,
                                                    const char* numberFormat,
                                                    std::string& created) {
  for (int number = 1; number <= kHighestNumberedName; ++number) {
    std::string name = base;
    if (number > 1) {
      char suffix[16] = {};
      std::snprintf(suffix, sizeof suffix, numberFormat, number);
      name += suffix;
    }
    if (CreateDirectoryA((parent + name).c_str(), nullptr)) {
      created = name;
      return SeriesEnd::Created;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) {
      ShowCreateWarning(error, name);
      return SeriesEnd::Failed;
    }
  }
  return SeriesEnd::AllExist;
}

void TVtShellTree::ShowCreateWarning(DWORD error, const std::string& name) {
  const std::string pattern = ui::LoadStringResource(IDS_FOLDER_CREATE_FAILED) + "\r\n\r\n%1";
  const std::string text = FormatInserts(pattern, {SystemMessage(error), name});
  const std::string caption = ui::LoadStringResource(IDS_FOLDER_WARNING);
  MessageBoxA(GetAncestor(Handle(), GA_ROOT), text.c_str(), caption.c_str(),
              MB_OK | MB_ICONWARNING);
}

ui::ComPtr<IContextMenu> TVtShellTree::ItemContextMenu(HTREEITEM node) {
  ui::ComPtr<IContextMenu> menu;
  const TVtShellNode* data = Node(node);
  ui::ComPtr<IShellFolder> parent;
  LPCITEMIDLIST last = nullptr;
  if (data == nullptr || !BindToParent(data->absolute.Get(), parent, last)) return menu;
  parent->GetUIObjectOf(Handle(), 1, &last, IID_IContextMenu, nullptr, menu.PutVoid());
  return menu;
}

void TVtShellTree::InvokeVerb(HTREEITEM node, const char* verb) {
  if (node == nullptr || node == view_.Root()) return;
  ui::ComPtr<IContextMenu> menu = ItemContextMenu(node);
  if (!menu) return;
  // Some menus know their verbs only after they have been asked for their items.
  HMENU popup = CreatePopupMenu();
  menu->QueryContextMenu(popup, 0, kFirstMenuCommand, kLastMenuCommand, CMF_NORMAL);
  CMINVOKECOMMANDINFO invoke{};
  invoke.cbSize = sizeof invoke;
  invoke.hwnd = Handle();
  invoke.lpVerb = verb;
  invoke.nShow = SW_SHOWNORMAL;
  menu->InvokeCommand(&invoke);
  DestroyMenu(popup);
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
  HMENU popup = CreatePopupMenu();
  const UINT flags = CMF_EXPLORE | (readOnly_ ? 0u : static_cast<UINT>(CMF_CANRENAME));
  if (SUCCEEDED(menu->QueryContextMenu(popup, 0, kFirstMenuCommand, kLastMenuCommand, flags))) {
    openMenu_ = menu.Query<IContextMenu2>(IID_IContextMenu2);
    view_.Select(node, TVGN_DROPHILITE);
    const UINT command =
        static_cast<UINT>(TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPoint.x,
                                           screenPoint.y, GetParent(Handle()), nullptr));
    view_.Select(nullptr, TVGN_DROPHILITE);
    openMenu_.Close();
    if (command >= kFirstMenuCommand) RunMenuCommand(node, *menu.Get(), command);
  }
  DestroyMenu(popup);
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
  CMINVOKECOMMANDINFO invoke{};
  invoke.cbSize = sizeof invoke;
  invoke.hwnd = Handle();
  invoke.lpVerb = MAKEINTRESOURCEA(offset);
  invoke.nShow = SW_SHOWNORMAL;
  menu.InvokeCommand(&invoke);
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

void TVtShellTree::StartOleDrag(HTREEITEM node) {
  const TVtShellNode* data = Node(node);
  ui::ComPtr<IShellFolder> parent;
  LPCITEMIDLIST last = nullptr;
  if (data == nullptr || !BindToParent(data->absolute.Get(), parent, last)) return;
  ui::ComPtr<IDataObject> dataObject;
  if (FAILED(parent->GetUIObjectOf(Handle(), 1, &last, IID_IDataObject, nullptr,
                                   dataObject.PutVoid()))) {
    return;
  }
  const DWORD button = GetKeyState(VK_RBUTTON) < 0 ? MK_RBUTTON : MK_LBUTTON;
  ui::ComPtr<IDropSource> source(new DropSource(button));
  DWORD effect = DROPEFFECT_NONE;
  DoDragDrop(dataObject.Get(), source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK,
             &effect);
  Refresh();
}

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
    if (!dropTarget_) dropTarget_.Attach(new DropTarget(*this));
    dropRegistered_ = SUCCEEDED(RegisterDragDrop(Handle(), dropTarget_.Get()));
  } else {
    RevokeDragDrop(Handle());
    dropRegistered_ = false;
  }
}

bool TVtShellTree::BeginLabelEdit(HTREEITEM node) {
  const TVtShellNode* data = Node(node);
  const bool canRename =
      data != nullptr && (data->attributes & SFGAO_CANRENAME) != 0 && !data->absolute.IsEmpty();
  return !readOnly_ && canRename;
}

// Renames the item through its folder and labels the node with the shell's new name; the
// old label stays when the shell refused.
void TVtShellTree::EndLabelEdit(HTREEITEM node, const char* text) {
  TVtShellNode* data = Node(node);
  if (data == nullptr || text == nullptr || *text == '\0') return;
  ui::ComPtr<IShellFolder> parent;
  LPCITEMIDLIST last = nullptr;
  if (!BindToParent(data->absolute.Get(), parent, last)) return;
  const std::wstring name = Widen(text);
  ui::Pidl renamed;
  if (FAILED(parent->SetNameOf(Handle(), last, name.c_str(), SHGDN_INFOLDER, renamed.Put())) ||
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
  } else if (IsCode(code, TVN_BEGINLABELEDITA, TVN_BEGINLABELEDITW)) {
    const auto& edit = reinterpret_cast<const NMTVDISPINFOA&>(header);
    result = BeginLabelEdit(edit.item.hItem) ? FALSE : TRUE;
  } else if (code == TVN_ENDLABELEDITA) {
    const auto& edit = reinterpret_cast<const NMTVDISPINFOA&>(header);
    EndLabelEdit(edit.item.hItem, edit.item.pszText);
    result = FALSE;  // the label is set from the shell's name, not from the typed text
  } else if (code == TVN_ENDLABELEDITW) {
    const auto& edit = reinterpret_cast<const NMTVDISPINFOW&>(header);
    const std::string text = Narrow(edit.item.pszText);
    EndLabelEdit(edit.item.hItem, edit.item.pszText != nullptr ? text.c_str() : nullptr);
    result = FALSE;
  } else if (code == TVN_KEYDOWN) {
    HandleKey(reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey);
    result = 0;
  } else {
    return false;
  }
  return true;
}

}  // namespace app
