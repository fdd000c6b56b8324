#include "trees/BackUpTreeCtrl.h"

#include <shellapi.h>
#include <shlobj.h>

#include <utility>

#include "config/LanguageText.h"
#include "config/SelectionStates.h"
#include "devices/DeviceList.h"
#include "devices/PasswordRecord.h"
#include "platform/ShellMemory.h"
#include "trees/DiskItems.h"
#include "trees/ShellItemLook.h"
#include "trees/SmallIconList.h"
#include "trees/TreePaths.h"
#include "trees/UsbTreeCtrl.h"

namespace qtr {
namespace {

TreeItem Item(HTREEITEM item) {
  return reinterpret_cast<TreeItem>(item);
}
HTREEITEM ItemHandle(TreeItem item) {
  return reinterpret_cast<HTREEITEM>(item);
}

void DeleteFileOf(const std::u16string& path) {
  DeleteFileW(reinterpret_cast<const wchar_t*>(path.c_str()));
}

// Whether one of the listed USB disks holds the drive (their letters are
// target drives, never sources).
bool IsUsbDrive(const DeviceList* disks, char16_t letter) {
  if (disks == nullptr) return false;
  for (size_t i = 0; i < disks->Size(); ++i) {
    for (char16_t c : (*disks)[i].m_partitions) {
      if ((c & ~0x20) == (letter & ~0x20) && c != u' ' && c != u':') return true;
    }
  }
  return false;
}

// The drives worth showing: listed by the system or reachable (a new drive
// letter can be reachable before the list shows it).
std::vector<std::u16string> LocalDriveRoots() {
  std::vector<std::u16string> roots;
  const DWORD listed = GetLogicalDrives();
  for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
    std::u16string root{letter, u':', u'\\'};
    const UINT type = GetDriveTypeW(reinterpret_cast<const wchar_t*>(root.c_str()));
    const bool present = (listed & (1u << (letter - u'A'))) != 0 || type > DRIVE_NO_ROOT_DIR;
    if (!present || type == DRIVE_CDROM || type == DRIVE_REMOTE || type == DRIVE_NO_ROOT_DIR) continue;
    roots.push_back(root);
  }
  return roots;
}

}  // namespace

CBackUpTreeCtrl::CBackUpTreeCtrl(std::u16string programFolder)
    : programFolder_(std::move(programFolder)),
      selection_(Items(), m_selectedDisk, programFolder_, DeleteFileOf) {}

CBackUpTreeCtrl::~CBackUpTreeCtrl() = default;

void CBackUpTreeCtrl::SetTargetTree(CUsbTreeCtrl* target) {
  target_ = target;
  selection_.SetTarget(target != nullptr ? &target->Items() : nullptr);
}

void CBackUpTreeCtrl::ReadSystemFolderSwitches() {
  Filter().ReadSwitches(programFolder_ + u"init.xml");
}

HTREEITEM CBackUpTreeCtrl::RootItem() const {
  return ItemHandle(FirstRoot(Items()));
}

bool CBackUpTreeCtrl::FillComputer(const DeviceList& disks) {
  if (Handle() == nullptr) return false;
  disks_ = &disks;
  ReadSystemFolderSwitches();
  SendMessageW(Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  NewTreeItem computer;
  CoTaskMemBlock<PIDLIST_ABSOLUTE> drives;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, drives.Out())) && drives) {
    TakeShellLook(drives.Get(), computer);
    drives.Reset();
  }
  if (computer.text.empty()) computer.text = DisplayText(TextId::MyComputer);
  computer.state = kStateDisabled;
  computer.data = kFolderData;
  HTREEITEM root = InsertItem(TVI_ROOT, TVI_FIRST, computer);
  if (root == nullptr) return false;
  for (const std::u16string& drive : LocalDriveRoots()) {
    if (IsUsbDrive(disks_, drive[0])) continue;
    InsertDrive(root, drive, kStateUnchecked);
  }
  selection_.RestoreDrives();
  return true;
}

HTREEITEM CBackUpTreeCtrl::InsertDiskItem(const CUSBDevice& disk) {
  TreeItem after = kNoItem;
  if (!DiskItemPlace(Items(), disk.m_deviceNumber, after)) return nullptr;
  NewTreeItem item;
  item.text = DiskItemText(disk.m_displayName, disk.m_deviceNumber);
  item.name = item.text;
  item.data = DiskData(disk.m_deviceNumber);
  item.state = HasPassword(disk.m_passwordRecord) && disk.m_unlocked == 0 ? kStateDisabled : kStateUnchecked;
  item.image = UsbDiskIconIndex();
  return ItemHandle(Items().Insert(kNoItem, after == kNoItem ? kInsertFirst : after, item));
}

bool CBackUpTreeCtrl::RemoveDiskItem(uint32_t deviceNumber) {
  selection_.ForgetDisk(deviceNumber);
  return qtr::RemoveDiskItem(Items(), deviceNumber);
}

bool CBackUpTreeCtrl::SetDiskItemState(uint32_t deviceNumber, int state) {
  const TreeItem item = FindRootByData(Items(), DiskData(deviceNumber));
  if (item == kNoItem) return false;
  Items().SetState(item, state);
  return true;
}

HTREEITEM CBackUpTreeCtrl::DiskItem(uint32_t deviceNumber) const {
  return ItemHandle(FindRootByData(Items(), DiskData(deviceNumber)));
}

void CBackUpTreeCtrl::ExpandFirstRoot() {
  HTREEITEM first = ItemHandle(FirstRoot(Items()));
  if (first != nullptr) SendMessageW(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(first));
}

int CBackUpTreeCtrl::RootState() const {
  return selection_.RootState();
}

int CBackUpTreeCtrl::FirstChildState() const {
  const TreeItem root = FirstRoot(Items());
  const TreeItem first = root == kNoItem ? kNoItem : Items().FirstChild(root);
  return first == kNoItem ? kStateNone : Items().State(first);
}

bool CBackUpTreeCtrl::NothingSelected() const {
  return selection_.NothingSelected();
}

bool CBackUpTreeCtrl::GreyDisk(uint32_t deviceNumber, bool grey) {
  return selection_.GreyDisk(deviceNumber, grey);
}

void CBackUpTreeCtrl::ShowDiskLock(uint32_t deviceNumber, bool locked, bool chosenInOtherTree) {
  const TreeItem item = FindRootByData(Items(), DiskData(deviceNumber));
  if (item == kNoItem) return;
  if (locked)
    Items().SetState(item, kStateDisabled);
  else if (Items().State(item) == kStateDisabled && !chosenInOtherTree)
    Items().SetState(item, kStateUnchecked);
}

void CBackUpTreeCtrl::OnStateIconClick(HTREEITEM item) {
  selection_.Click(Item(item));
}

CInitTreeCtrl::ChildStates CBackUpTreeCtrl::ChildStatesUnder(HTREEITEM parent) const {
  const int state = StateOf(parent);
  if (state != kStatePartly) return CInitTreeCtrl::ChildStatesUnder(parent);
  auto recorded = std::make_shared<SelectionStates>();
  recorded->Load(selection_.Files().CheckStatePath());
  return [recorded](const std::u16string& path) { return static_cast<int>(recorded->StateOf(path)); };
}

void CBackUpTreeCtrl::UpdateRootState() {
  const TreeItem root = FirstRoot(Items());
  if (root == kNoItem) return;
  bool any = false;
  for (TreeItem drive = Items().FirstChild(root); drive != kNoItem; drive = Items().NextSibling(drive)) {
    const int state = Items().State(drive);
    if (state == kStatePartly || state == kStateChecked) any = true;
  }
  Items().SetState(root, any ? kStatePartly : kStateDisabled);
}

void CBackUpTreeCtrl::DriveArrived(const std::u16string& path) {
  HTREEITEM root = RootItem();
  const std::u16string drive = DriveRootOf(path);
  if (root == nullptr || drive.empty() || FindDrive(root, drive) != nullptr || IsUsbDrive(disks_, drive[0]))
    return;
  const UINT type = GetDriveTypeW(reinterpret_cast<const wchar_t*>(drive.c_str()));
  if (type == DRIVE_CDROM || type == DRIVE_REMOTE || type == DRIVE_NO_ROOT_DIR) return;
  SelectionStates recorded;
  recorded.Load(selection_.Files().CheckStatePath());
  // A drive that comes back brings its recorded selection with it, unless a whole disk is chosen.
  const int state = RootState() == kStateDisabled && m_selectedDisk >= 0
                        ? kStateUnchecked
                        : static_cast<int>(recorded.StateOf(drive));
  InsertDrive(root, drive, state);
  UpdateRootState();
}

void CBackUpTreeCtrl::DriveRemoved(const std::u16string& path) {
  CInitTreeCtrl::DriveRemoved(path);
  if (m_selectedDisk < 0) UpdateRootState();
}

void CBackUpTreeCtrl::RenameInPlace(const std::u16string& oldPath, const std::u16string& newPath) {
  const bool shown = FindPath(oldPath) != nullptr;
  CInitTreeCtrl::RenameInPlace(oldPath, newPath);
  if (shown) selection_.PathRenamed(oldPath, newPath);
}

}  // namespace qtr
