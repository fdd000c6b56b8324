#include "trees/InitTreeCtrl.h"

#include <shellapi.h>
#include <shlobj.h>

#include <unordered_map>

#include "platform/Handles.h"
#include "platform/PathText.h"
#include "platform/WideText.h"
#include "trees/SmallIconList.h"
#include "trees/TreePaths.h"

namespace qtr {
namespace {

constexpr int kOverlayShare = 1;
constexpr int kOverlayLink = 2;

// A path the file calls take whatever its length: past MAX_PATH it needs the
// "\\?\" form.
std::wstring CallPath(const std::u16string& path) {
  std::wstring wide(reinterpret_cast<const wchar_t*>(path.c_str()), path.size());
  if (wide.size() >= MAX_PATH - 12 && wide.rfind(L"\\\\", 0) != 0) wide.insert(0, L"\\\\?\\");
  return wide;
}

bool IsLinkName(std::u16string_view name) {
  if (name.size() < 4) return false;
  std::u16string tail(name.substr(name.size() - 4));
  for (auto& c : tail) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return tail == u".lnk";
}

// The restoring of the cursor when a listing ends.
class WaitCursor {
 public:
  WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(old_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR old_;
};

}  // namespace

// The tree-view control as TreeItems. Names are kept beside the control,
// because a label shows the shell's display name, which need not be the
// file-system name a path is built from.
class CInitTreeCtrl::Win32Items : public TreeItems {
 public:
  explicit Win32Items(CInitTreeCtrl& owner) : owner_(owner) {}

  HWND Tree() const { return owner_.tree_; }

  TreeItem FirstChild(TreeItem parent) const override {
    const WPARAM how = parent == kNoItem ? TVGN_ROOT : TVGN_CHILD;
    return static_cast<TreeItem>(SendMessageW(Tree(), TVM_GETNEXTITEM, how, static_cast<LPARAM>(parent)));
  }
  TreeItem NextSibling(TreeItem item) const override {
    return static_cast<TreeItem>(SendMessageW(Tree(), TVM_GETNEXTITEM, TVGN_NEXT, static_cast<LPARAM>(item)));
  }
  TreeItem Parent(TreeItem item) const override {
    return static_cast<TreeItem>(
        SendMessageW(Tree(), TVM_GETNEXTITEM, TVGN_PARENT, static_cast<LPARAM>(item)));
  }
  int State(TreeItem item) const override {
    const auto state = SendMessageW(Tree(), TVM_GETITEMSTATE, static_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
    return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
  }
  void SetState(TreeItem item, int state) override {
    TVITEMW tv{};
    tv.mask = TVIF_STATE;
    tv.hItem = ItemHandle(item);
    tv.stateMask = TVIS_STATEIMAGEMASK;
    tv.state = INDEXTOSTATEIMAGEMASK(state);
    SendMessageW(Tree(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  }
  uintptr_t Data(TreeItem item) const override {
    TVITEMW tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = ItemHandle(item);
    if (!SendMessageW(Tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return 0;
    return static_cast<uintptr_t>(tv.lParam);
  }
  void SetData(TreeItem item, uintptr_t data) override {
    TVITEMW tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = ItemHandle(item);
    tv.lParam = static_cast<LPARAM>(data);
    SendMessageW(Tree(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  }
  std::u16string Name(TreeItem item) const override {
    const auto found = names_.find(item);
    if (found != names_.end()) return found->second;
    return owner_.TextOf(ItemHandle(item));
  }
  void Rename(TreeItem item, const std::u16string& name, const std::u16string& text) override {
    names_[item] = name;
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tv.hItem = ItemHandle(item);
    // The shell pictures the renamed item again when it is shown.
    tv.pszText = const_cast<wchar_t*>(WidePointer(text.empty() ? name : text));
    tv.iImage = I_IMAGECALLBACK;
    tv.iSelectedImage = I_IMAGECALLBACK;
    SendMessageW(Tree(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  }
  bool IsExpanded(TreeItem item) const override {
    return (SendMessageW(Tree(), TVM_GETITEMSTATE, static_cast<WPARAM>(item), TVIS_EXPANDED) &
            TVIS_EXPANDED) != 0;
  }
  TreeItem Insert(TreeItem parent, TreeItem after, const NewTreeItem& item) override {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent == kNoItem ? TVI_ROOT : ItemHandle(parent);
    insert.hInsertAfter = after == kInsertFirst  ? TVI_FIRST
                          : after == kInsertLast ? TVI_LAST
                                                 : ItemHandle(after);
    TVITEMW& tv = insert.item;
    tv.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    // A listed entry is labelled with its name: asking the shell for 20,000
    // display names costs seconds, and the control measures every label of a
    // folder it opens. Its picture is asked for when it is drawn.
    tv.pszText = const_cast<wchar_t*>(WidePointer(item.text.empty() ? item.name : item.text));
    tv.lParam = static_cast<LPARAM>(item.data);
    tv.iImage = item.image < 0 ? I_IMAGECALLBACK : item.image;
    tv.iSelectedImage = tv.iImage;
    tv.stateMask = TVIS_STATEIMAGEMASK | TVIS_OVERLAYMASK;
    tv.state = INDEXTOSTATEIMAGEMASK(item.state);
    if (item.data == kFileData && IsLinkName(item.name)) tv.state |= INDEXTOOVERLAYMASK(kOverlayLink);
    auto* made = reinterpret_cast<HTREEITEM>(
        SendMessageW(Tree(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (made == nullptr) return kNoItem;
    const auto handle = reinterpret_cast<TreeItem>(made);
    if (!item.name.empty()) names_[handle] = item.name;
    if (item.placeholder) AddPlaceholder(handle);
    return handle;
  }
  void AddPlaceholder(TreeItem parent) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = ItemHandle(parent);
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    insert.item.pszText = const_cast<wchar_t*>(L"temp");
    insert.item.stateMask = TVIS_STATEIMAGEMASK;
    insert.item.state = INDEXTOSTATEIMAGEMASK(0);
    SendMessageW(Tree(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
  }
  void Delete(TreeItem item) override { SendMessageW(Tree(), TVM_DELETEITEM, 0, static_cast<LPARAM>(item)); }
  void Select(TreeItem item) override {
    SendMessageW(Tree(), TVM_SELECTITEM, TVGN_CARET, static_cast<LPARAM>(item));
  }

  void Forget(TreeItem item) { names_.erase(item); }
  void ForgetAll() { names_.clear(); }

  static HTREEITEM ItemHandle(TreeItem item) { return reinterpret_cast<HTREEITEM>(item); }

 private:
  CInitTreeCtrl& owner_;
  std::unordered_map<TreeItem, std::u16string> names_;
};

namespace {
TreeItem Item(HTREEITEM item) {
  return reinterpret_cast<TreeItem>(item);
}
HTREEITEM ItemHandle(TreeItem item) {
  return reinterpret_cast<HTREEITEM>(item);
}
}  // namespace

CInitTreeCtrl::CInitTreeCtrl() : items_(std::make_unique<Win32Items>(*this)) {}

CInitTreeCtrl::~CInitTreeCtrl() {
  Detach();
}

bool CInitTreeCtrl::Attach(HWND tree) {
  Detach();
  wchar_t className[32] = {};
  if (tree == nullptr || GetClassNameW(tree, className, 32) == 0 || lstrcmpiW(className, WC_TREEVIEWW) != 0)
    return false;
  tree_ = tree;
  parent_ = GetParent(tree);
  // No built-in check boxes and no label editing: the check-state pictures are our own.
  LONG_PTR style = GetWindowLongPtrW(tree_, GWL_STYLE);
  style &= ~static_cast<LONG_PTR>(TVS_CHECKBOXES | TVS_EDITLABELS);
  style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
  SetWindowLongPtrW(tree_, GWL_STYLE, style);
  if (HIMAGELIST icons = SharedSmallIcons(); icons != nullptr)
    TreeView_SetImageList(tree_, icons, TVSIL_NORMAL);
  if (HIMAGELIST states = CheckStatePictures(); states != nullptr)
    TreeView_SetImageList(tree_, states, TVSIL_STATE);
  UsbDiskIconIndex();
  if (parent_ != nullptr)
    SetWindowSubclass(parent_, ParentProc, reinterpret_cast<UINT_PTR>(this),
                      reinterpret_cast<DWORD_PTR>(this));
  return true;
}

void CInitTreeCtrl::Detach() {
  if (parent_ != nullptr && IsWindow(parent_))
    RemoveWindowSubclass(parent_, ParentProc, reinterpret_cast<UINT_PTR>(this));
  parent_ = nullptr;
  tree_ = nullptr;
  items_->ForgetAll();
}

TreeItems& CInitTreeCtrl::Items() {
  return *items_;
}
const TreeItems& CInitTreeCtrl::Items() const {
  return *items_;
}

LRESULT CALLBACK CInitTreeCtrl::ParentProc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                           DWORD_PTR data) {
  auto* self = reinterpret_cast<CInitTreeCtrl*>(data);
  if (message == WM_NOTIFY && self->tree_ != nullptr) {
    auto* header = reinterpret_cast<NMHDR*>(l);
    if (header != nullptr && header->hwndFrom == self->tree_) {
      LRESULT result = 0;
      if (self->HandleNotify(header, result)) return result;
    }
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, ParentProc, id);
    self->parent_ = nullptr;
    self->tree_ = nullptr;
  }
  return DefSubclassProc(hwnd, message, w, l);
}

bool CInitTreeCtrl::HandleNotify(NMHDR* header, LRESULT& result) {
  switch (header->code) {
    case NM_CLICK: {
      const DWORD where = GetMessagePos();
      TVHITTESTINFO hit{};
      hit.pt = {static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
      ScreenToClient(tree_, &hit.pt);
      SendMessageW(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.hItem == nullptr || (hit.flags & TVHT_ONITEMSTATEICON) == 0) return false;
      OnStateIconClick(hit.hItem);
      result = 1;
      return true;
    }
    case TVN_ITEMEXPANDINGW: result = OnItemExpanding(*reinterpret_cast<NMTREEVIEWW*>(header)); return true;
    case TVN_BEGINLABELEDITW:
      result = TRUE;  // labels are names on disk; they are not edited here
      return true;
    case TVN_GETDISPINFOW:
      OnGetDisplayInfo(*reinterpret_cast<NMTVDISPINFOW*>(header));
      result = 0;
      return true;
    case TVN_DELETEITEMW:
      items_->Forget(Item(reinterpret_cast<NMTREEVIEWW*>(header)->itemOld.hItem));
      return false;
    default: return false;
  }
}

void CInitTreeCtrl::OnGetDisplayInfo(NMTVDISPINFOW& info) {
  TVITEMW& item = info.item;
  if ((item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) == 0) return;
  const std::u16string path = FullPath(item.hItem);
  SHFILEINFOW shell{};
  // A file's picture comes from its kind (asking the shell about the file
  // itself costs tens of milliseconds under emulation, per item drawn);
  // folders are asked in full, for their own pictures and the share mark.
  const bool isFile = DataOf(item.hItem) == kFileData;
  const bool found = !isFile && !path.empty() && path.size() < MAX_PATH &&
                     SHGetFileInfoW(WidePointer(path), 0, &shell, sizeof shell,
                                    SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_ATTRIBUTES) != 0;
  if (!found) {
    // Also past MAX_PATH, where the shell does not answer: the picture of the kind of entry.
    const DWORD attributes = isFile ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_DIRECTORY;
    shell = {};
    SHGetFileInfoW(WidePointer(items_->Name(Item(item.hItem))), attributes, &shell, sizeof shell,
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
  }
  item.iImage = shell.iIcon;
  item.iSelectedImage = shell.iIcon;
  item.mask |= TVIF_DI_SETITEM;
  if (found && (shell.dwAttributes & SFGAO_SHARE) != 0 && ShowsShareOverlay()) {
    TreeView_SetItemState(tree_, item.hItem, INDEXTOOVERLAYMASK(kOverlayShare), TVIS_OVERLAYMASK);
  }
}

std::u16string CInitTreeCtrl::FullPath(HTREEITEM item) const {
  return ItemPath(*items_, Item(item));
}

HTREEITEM CInitTreeCtrl::FindPath(const std::u16string& path) const {
  HTREEITEM top = DriveParent();
  return ItemHandle(FindItemByPath(*items_, Item(top), path));
}

int CInitTreeCtrl::StateOf(HTREEITEM item) const {
  return items_->State(Item(item));
}
void CInitTreeCtrl::SetStateOf(HTREEITEM item, int state) {
  items_->SetState(Item(item), state);
}
uintptr_t CInitTreeCtrl::DataOf(HTREEITEM item) const {
  return items_->Data(Item(item));
}

std::u16string CInitTreeCtrl::TextOf(HTREEITEM item) const {
  wchar_t text[MAX_PATH + 1] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = MAX_PATH;
  if (!SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return {};
  return AsU16string(tv.pszText != nullptr ? tv.pszText : text);
}

HTREEITEM CInitTreeCtrl::InsertItem(HTREEITEM parent, HTREEITEM after, const NewTreeItem& item) {
  const TreeItem where = after == TVI_FIRST ? kInsertFirst : after == TVI_LAST ? kInsertLast : Item(after);
  return ItemHandle(items_->Insert(Item(parent), where, item));
}

HTREEITEM CInitTreeCtrl::FindDrive(HTREEITEM parent, const std::u16string& root) const {
  for (TreeItem child = items_->FirstChild(Item(parent)); child != kNoItem;
       child = items_->NextSibling(child)) {
    const std::u16string name = items_->Name(child);
    if (IsDriveRoot(name) && root.size() >= 2 && DriveRootOf(name) == DriveRootOf(root))
      return ItemHandle(child);
  }
  return nullptr;
}

HTREEITEM CInitTreeCtrl::InsertDrive(HTREEITEM parent, const std::u16string& root, int state) {
  const std::u16string drive = DriveRootOf(root);
  if (drive.empty()) return nullptr;
  // Drives stand in letter order.
  TreeItem after = kInsertFirst;
  for (TreeItem child = items_->FirstChild(Item(parent)); child != kNoItem;
       child = items_->NextSibling(child)) {
    const std::u16string name = DriveRootOf(items_->Name(child));
    if (!name.empty() && name < drive) after = child;
  }
  NewTreeItem item;
  item.name = drive;
  SHFILEINFOW shell{};
  if (SHGetFileInfoW(WidePointer(drive), 0, &shell, sizeof shell,
                     SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON) != 0) {
    item.text = AsU16string(shell.szDisplayName);
    item.image = shell.iIcon;
  }
  if (item.text.empty()) item.text = drive.substr(0, 2);
  item.data = kFolderData;
  item.state = state;
  item.placeholder = true;
  return ItemHandle(items_->Insert(Item(parent), after, item));
}

LRESULT CInitTreeCtrl::OnItemExpanding(const NMTREEVIEWW& info) {
  HTREEITEM item = info.itemNew.hItem;
  if (HasPlaceholder(*items_, Item(item))) items_->Delete(items_->FirstChild(Item(item)));
  if ((info.action & TVE_EXPAND) != 0 && (info.itemNew.state & TVIS_EXPANDED) == 0) {
    const std::u16string folder = FullPath(item);
    if (!folder.empty()) ListFolder(item, folder);
  }
  return 0;
}

CInitTreeCtrl::ChildStates CInitTreeCtrl::ChildStatesUnder(HTREEITEM parent) const {
  const int state = StateOf(parent);
  const int childState = state == kStatePartly || state == kStateNone ? kStateUnchecked : state;
  return [childState](const std::u16string&) { return childState; };
}

void CInitTreeCtrl::ListFolder(HTREEITEM item, const std::u16string& folder) {
  WaitCursor wait;
  const ChildStates states = ChildStatesUnder(item);
  SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  DeleteChildren(*items_, Item(item));
  std::u16string pattern = PathInFolder(folder, u"*");
  WIN32_FIND_DATAW found{};
  UniqueFindHandle find(FindFirstFileExW(CallPath(pattern).c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (find) {
    do {
      const std::u16string name = AsU16string(found.cFileName);
      if (!filter_.Lists(folder, name, found.dwFileAttributes)) continue;
      const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      NewTreeItem child;
      child.name = name;
      child.data = isFolder ? kFolderData : kFileData;
      child.state = states(PathInFolder(folder, name));
      child.placeholder = isFolder;
      items_->Insert(Item(item), kInsertLast, child);
    } while (FindNextFileW(find.Get(), &found));
  }
  FolderListed(item, folder);
  SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree_, nullptr, TRUE);
}

void CInitTreeCtrl::AddPath(const std::u16string& path) {
  const std::u16string name(NameOf(path));
  if (name.empty() || name.size() == path.size()) return;
  const std::u16string folder = ParentFolderOf(path);
  HTREEITEM parent = FindPath(folder);
  // A folder not read yet reads the new entry when it is expanded.
  if (parent == nullptr || HasPlaceholder(*items_, Item(parent))) return;
  if (!items_->IsExpanded(Item(parent)) && items_->FirstChild(Item(parent)) == kNoItem) return;
  if (FindChild(*items_, Item(parent), name) != kNoItem) return;
  const DWORD attributes = GetFileAttributesW(CallPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !filter_.Lists(folder, name, attributes)) return;
  const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  NewTreeItem child;
  child.name = name;
  child.data = isFolder ? kFolderData : kFileData;
  child.state = ChildStatesUnder(parent)(path);
  child.placeholder = isFolder;
  items_->Insert(Item(parent), kInsertLast, child);
}

void CInitTreeCtrl::RemovePath(const std::u16string& path) {
  if (IsDriveRoot(path)) {
    DriveRemoved(path);
    return;
  }
  HTREEITEM item = FindPath(path);
  if (item != nullptr) items_->Delete(Item(item));
}

void CInitTreeCtrl::RenameInPlace(const std::u16string& oldPath, const std::u16string& newPath) {
  HTREEITEM item = FindPath(oldPath);
  if (item == nullptr) return;
  const std::u16string_view name = NameOf(newPath);
  if (name.size() == newPath.size()) return;
  items_->Rename(Item(item), std::u16string(name), {});
  // What was read below the old name is read again below the new one.
  if (DataOf(item) != kFileData && items_->FirstChild(Item(item)) != kNoItem &&
      !HasPlaceholder(*items_, Item(item))) {
    SendMessageW(tree_, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
    DeleteChildren(*items_, Item(item));
    items_->AddPlaceholder(Item(item));
  }
}

void CInitTreeCtrl::DriveArrived(const std::u16string& /*path*/) {}
void CInitTreeCtrl::DriveRemoved(const std::u16string& path) {
  HTREEITEM parent = DriveParent();
  if (parent == nullptr) return;
  HTREEITEM drive = FindDrive(parent, path);
  if (drive != nullptr) items_->Delete(Item(drive));
}

void CInitTreeCtrl::ReadShare(HTREEITEM item, const std::u16string& path) {
  SHFILEINFOW shell{};
  const bool shared = ShowsShareOverlay() && path.size() < MAX_PATH &&
                      SHGetFileInfoW(WidePointer(path), 0, &shell, sizeof shell, SHGFI_ATTRIBUTES) != 0 &&
                      (shell.dwAttributes & SFGAO_SHARE) != 0;
  const UINT overlay = shared ? INDEXTOOVERLAYMASK(kOverlayShare) : 0;
  TreeView_SetItemState(tree_, item, overlay, TVIS_OVERLAYMASK);
}

void CInitTreeCtrl::UpdateShare(const std::u16string& path) {
  HTREEITEM item = FindPath(path);
  if (item != nullptr) ReadShare(item, path);
}

void CInitTreeCtrl::RefreshFolder(const std::u16string& path) {
  HTREEITEM item = FindPath(path);
  if (item == nullptr || DataOf(item) == kFileData || HasPlaceholder(*items_, Item(item))) return;
  if (items_->FirstChild(Item(item)) == kNoItem && !items_->IsExpanded(Item(item))) return;
  ListFolder(item, FullPath(item));
}

}  // namespace qtr
