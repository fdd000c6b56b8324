#include "trees/UsbTreeCtrl.h"

#include <shellapi.h>

#include <utility>

#include "config/LanguageTable.h"
#include "config/PathList.h"
#include "config/SelectionPath.h"
#include "engine/StoreVersions.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/PathText.h"
#include "platform/WideText.h"
#include "trees/DiskItems.h"
#include "trees/TreePaths.h"
#include "ui/VersionEntryLabel.h"

namespace qtr {
namespace {

TreeItem Item(HTREEITEM item) {
  return reinterpret_cast<TreeItem>(item);
}
HTREEITEM ItemHandle(TreeItem item) {
  return reinterpret_cast<HTREEITEM>(item);
}

}  // namespace

CUsbTreeCtrl::CUsbTreeCtrl(std::u16string programFolder)
    : CBackUpTreeCtrl(std::move(programFolder)), selection_(Items(), m_selectedDisk) {}

CUsbTreeCtrl::~CUsbTreeCtrl() = default;

void CUsbTreeCtrl::SetSourceTree(CBackUpTreeCtrl* source) {
  source_ = source;
  selection_.SetSource(source != nullptr ? &source->Items() : nullptr);
}

bool CUsbTreeCtrl::RemoveDiskItem(uint32_t deviceNumber) {
  selection_.ForgetDisk(deviceNumber);
  return qtr::RemoveDiskItem(Items(), deviceNumber);
}

bool CUsbTreeCtrl::DisplayTree(const std::u16string& driveRoot) {
  const TreeItem old = selection_.PartitionItem();
  if (old != kNoItem) Items().Delete(old);
  if (driveRoot.empty()) {
    selection_.SetTargetRoot({});
    selection_.FindCheckedDisk();
    return true;
  }
  selection_.SetTargetRoot(driveRoot);
  const std::u16string& root = selection_.TargetRoot();
  SHFILEINFOW shell{};
  bool shown = false;
  if (SHGetFileInfoW(WidePointer(root), 0, &shell, sizeof shell,
                     SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME | SHGFI_SMALLICON) != 0 &&
      shell.szDisplayName[0] != 0) {
    wchar_t fileSystem[MAX_PATH + 1] = {};
    const bool formatted = GetVolumeInformationW(WidePointer(root), nullptr, 0, nullptr, nullptr, nullptr,
                                                 fileSystem, MAX_PATH) &&
                           fileSystem[0] != 0;
    NewTreeItem partition;
    partition.name = root;
    partition.text = std::u16string(reinterpret_cast<const char16_t*>(shell.szDisplayName));
    partition.image = shell.iIcon;
    partition.data = kPartitionData;
    partition.state = formatted ? kStateUnchecked : kStateDisabled;
    const TreeItem item = Items().Insert(kNoItem, kInsertFirst, partition);
    shown = item != kNoItem;
    WIN32_FIND_DATAW found{};
    const std::u16string store = root + std::u16string(kStoreFolderName);
    UniqueFindHandle find(shown && formatted ? FindFirstFileW(WidePointer(store), &found)
                                             : INVALID_HANDLE_VALUE);
    if (find) {
      NewTreeItem folder;
      folder.name = std::u16string(reinterpret_cast<const char16_t*>(found.cFileName));
      const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      folder.data = isFolder ? kFolderData : kFileData;
      folder.state = kStateUnchecked;
      folder.placeholder = isFolder;
      Items().Insert(item, kInsertLast, folder);
    }
  }
  selection_.FindCheckedDisk();
  return shown;
}

bool CUsbTreeCtrl::HasPartitionItem() const {
  return selection_.PartitionItem() != kNoItem;
}

bool CUsbTreeCtrl::HasRootItem() const {
  return Items().FirstChild(kNoItem) != kNoItem;
}

int CUsbTreeCtrl::PartitionState() const {
  const TreeItem item = selection_.PartitionItem();
  return item == kNoItem ? kStateNone : Items().State(item);
}

std::vector<std::u16string> CUsbTreeCtrl::CheckedStorePaths() const {
  return selection_.CheckedPaths();
}

bool CUsbTreeCtrl::WriteRestoreSelection(const std::u16string& listFileName) {
  const std::u16string file = ProgramFolderPath() + listFileName;
  DeleteFileW(WidePointer(file));
  return WritePathList(file, CheckedStorePaths());
}

void CUsbTreeCtrl::RefreshPath(const std::u16string& path) {
  const std::u16string& root = selection_.TargetRoot();
  if (root.empty() || path.size() < 3 || !SamePath(path.substr(0, 3), root)) return;
  if (path.size() <= 3) {
    DisplayTree(root);
    return;
  }
  const std::u16string trimmed(WithoutTrailingBackslashes(path));
  const TreeItem item = FindItemByPath(Items(), kNoItem, trimmed);
  if (item == kNoItem || Items().Data(item) == kFileData) return;
  ListFolder(ItemHandle(item), ItemPath(Items(), item));
  SendMessageW(Handle(), TVM_EXPAND, TVE_EXPAND, static_cast<LPARAM>(item));
}

void CUsbTreeCtrl::DriveArrived(const std::u16string& /*path*/) {}

void CUsbTreeCtrl::DriveRemoved(const std::u16string& path) {
  const std::u16string& root = selection_.TargetRoot();
  if (root.empty() || DriveRootOf(path) != DriveRootOf(root)) return;
  const TreeItem item = selection_.PartitionItem();
  if (item != kNoItem) Items().Delete(item);
  selection_.SetTargetRoot({});
}

void CUsbTreeCtrl::OnStateIconClick(HTREEITEM item) {
  selection_.Click(Item(item));
}

LRESULT CUsbTreeCtrl::OnItemExpanding(const NMTREEVIEWW& info) {
  HTREEITEM item = info.itemNew.hItem;
  if ((info.action & TVE_EXPAND) == 0) return 0;
  // The partition shows only its store folder; a folder is read once, so
  // that the marks made inside it stay when it is closed and opened again.
  if (!selection_.ListsOnExpansion(Item(item)) || !HasPlaceholder(Items(), Item(item))) return 0;
  const std::u16string folder = FullPath(item);
  if (!folder.empty()) ListFolder(item, folder);
  return 0;
}

void CUsbTreeCtrl::FolderListed(HTREEITEM item, const std::u16string& folder) {
  if (Item(item) == selection_.StoreItem()) ShowVersions(Item(item), folder);
}

void CUsbTreeCtrl::ShowVersions(TreeItem store, const std::u16string& storePath) {
  for (TreeItem child = Items().FirstChild(store); child != kNoItem;) {
    const TreeItem next = Items().NextSibling(child);
    if (IsVersionEntry(Items(), child) || SamePath(Items().Name(child), kVersionsFolder)) Items().Delete(child);
    child = next;
  }
  for (const std::u16string& stamp : ListVersionStamps(SystemFileSystem(), storePath)) {
    const auto parsed = ParseVersionStamp(stamp);
    if (!parsed) continue;
    NewTreeItem entry;
    entry.name = VersionEntryName(stamp);
    entry.text = VersionEntryLabel(*parsed, ActiveLanguageTable());
    entry.data = kFolderData;
    // Ticking the store chooses the stored files as they are now, not their versions.
    entry.state = kStateUnchecked;
    entry.placeholder = true;
    Items().Insert(store, kInsertLast, entry);
  }
}

void CUsbTreeCtrl::ShowTexts() {
  const TreeItem store = selection_.StoreItem();
  if (store == kNoItem) return;
  for (TreeItem child = Items().FirstChild(store); child != kNoItem; child = Items().NextSibling(child)) {
    if (!IsVersionEntry(Items(), child)) continue;
    const std::u16string name = Items().Name(child);
    if (const auto stamp = ParseVersionStamp(std::u16string_view(name).substr(kVersionsFolder.size() + 1)))
      Items().Rename(child, name, VersionEntryLabel(*stamp, ActiveLanguageTable()));
  }
}

void CUsbTreeCtrl::AddPath(const std::u16string& path) {
  const TreeItem store = selection_.StoreItem();
  if (store != kNoItem && (IsVersionsFolder(WithoutTrailingBackslashes(path)) ||
                           (LiesInVersionFolder(path) && IsVersionsFolder(ParentFolderOf(path))))) {
    // Only a store that was read shows its versions.
    if (!HasPlaceholder(Items(), store) && Items().FirstChild(store) != kNoItem) {
      ShowVersions(store, ItemPath(Items(), store));
    }
    return;
  }
  CInitTreeCtrl::AddPath(path);
}

CInitTreeCtrl::ChildStates CUsbTreeCtrl::ChildStatesUnder(HTREEITEM parent) const {
  return CInitTreeCtrl::ChildStatesUnder(parent);
}

}  // namespace qtr
