#include "trees/ManageTreeCtrl.h"

#include <shellapi.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "config/LanguageText.h"
#include "config/SelectionPath.h"
#include "devices/DeviceList.h"
#include "devices/PasswordRecord.h"
#include "platform/PathText.h"
#include "platform/ShellMemory.h"
#include "platform/WideText.h"
#include "trees/DropRules.h"
#include "trees/ManageRules.h"
#include "trees/ShellItemLook.h"
#include "trees/ShellPathList.h"
#include "trees/TreeDropTarget.h"
#include "trees/TreePaths.h"

namespace qtr {
namespace {

constexpr UINT kFirstShellCommand = 1;
constexpr UINT kLastShellCommand = 1000;

std::vector<CManageTreeCtrl*>& LiveTrees() {
  static std::vector<CManageTreeCtrl*> trees;
  return trees;
}

}  // namespace

CManageTreeCtrl::ItemMenu::~ItemMenu() {
  if (menu_ != nullptr) DestroyMenu(menu_);
}

std::u16string CManageTreeCtrl::ItemMenu::VerbOf(unsigned id) const {
  if (!menu1_ || id < kFirstShellCommand || id > kLastShellCommand) return {};
  wchar_t verb[256] = {};
  if (FAILED(menu1_->GetCommandString(id - kFirstShellCommand, GCS_VERBW, nullptr,
                                      reinterpret_cast<char*>(verb), 255)))
    return {};
  return AsU16string(verb);
}

bool CManageTreeCtrl::ItemMenu::HandleMenuMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) {
  if (menu3_) return SUCCEEDED(menu3_->HandleMenuMsg2(message, w, l, &result));
  if (menu2_) {
    result = 0;
    return SUCCEEDED(menu2_->HandleMenuMsg(message, w, l));
  }
  return false;
}

CManageTreeCtrl::CManageTreeCtrl(std::u16string programFolder, DeviceList& disks)
    : programFolder_(std::move(programFolder)), disks_(disks) {
  LiveTrees().push_back(this);
}

CManageTreeCtrl::~CManageTreeCtrl() {
  Detach();
  auto& trees = LiveTrees();
  trees.erase(std::remove(trees.begin(), trees.end(), this), trees.end());
}

CManageTreeCtrl* CManageTreeCtrl::FromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  for (CManageTreeCtrl* tree : LiveTrees()) {
    if (tree->Handle() == hwnd) return tree;
  }
  return nullptr;
}

bool CManageTreeCtrl::Attach(HWND tree) {
  Detach();
  if (!CInitTreeCtrl::Attach(tree)) return false;
  // Names are edited in place here; there are no check boxes.
  SetWindowLongPtrW(tree, GWL_STYLE, GetWindowLongPtrW(tree, GWL_STYLE) | TVS_EDITLABELS | WS_VISIBLE);
  TreeView_SetImageList(tree, nullptr, TVSIL_STATE);
  Filter().ReadSwitches(programFolder_ + u"init.xml");
  // Installed after the base's subclass, so it sees the notifications first.
  parent_ = GetParent(tree);
  if (parent_ != nullptr)
    SetWindowSubclass(parent_, ParentProc, reinterpret_cast<UINT_PTR>(this),
                      reinterpret_cast<DWORD_PTR>(this));
  return true;
}

void CManageTreeCtrl::Detach() {
  if (parent_ != nullptr && IsWindow(parent_))
    RemoveWindowSubclass(parent_, ParentProc, reinterpret_cast<UINT_PTR>(this));
  parent_ = nullptr;
  CInitTreeCtrl::Detach();
}

LRESULT CALLBACK CManageTreeCtrl::ParentProc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                             DWORD_PTR data) {
  auto* self = reinterpret_cast<CManageTreeCtrl*>(data);
  if (message == WM_NOTIFY && self->Handle() != nullptr) {
    auto* header = reinterpret_cast<NMHDR*>(l);
    if (header != nullptr && header->hwndFrom == self->Handle()) {
      LRESULT result = 0;
      if (self->OnNotify(header, result)) return result;
    }
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, ParentProc, id);
    self->parent_ = nullptr;
  }
  return DefSubclassProc(hwnd, message, w, l);
}

bool CManageTreeCtrl::OnNotify(NMHDR* header, LRESULT& result) {
  switch (header->code) {
    case TVN_BEGINLABELEDITW: {
      // Only entries on a drive have a name to change; the computer and the drives keep theirs.
      HTREEITEM item = reinterpret_cast<NMTVDISPINFOW*>(header)->item.hItem;
      result = item == RootItem() || IsDriveItem(item) || FullPath(item).empty() ? TRUE : FALSE;
      editing_ = result == FALSE;
      return true;
    }
    case TVN_ENDLABELEDITW: {
      auto* info = reinterpret_cast<NMTVDISPINFOW*>(header);
      // Wine's control reports the end of one edit twice (also when the
      // edit box loses the focus); only the first counts.
      if (editing_) {
        editing_ = false;
        OnEndLabelEdit(info->item.hItem, info->item.pszText);
      }
      result = FALSE;
      return true;
    }
    case NM_RCLICK: {
      const DWORD where = GetMessagePos();
      ShowContextMenu({static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))});
      result = TRUE;
      return true;
    }
    case TVN_BEGINDRAGW: {
      StartTreeDrag(*this, reinterpret_cast<NMTREEVIEWW*>(header)->itemNew.hItem);
      result = 0;
      return true;
    }
    default: return false;
  }
}

HTREEITEM CManageTreeCtrl::RootItem() const {
  return reinterpret_cast<HTREEITEM>(FirstRoot(Items()));
}

HTREEITEM CManageTreeCtrl::Selected() const {
  return Handle() == nullptr ? nullptr : TreeView_GetSelection(Handle());
}

bool CManageTreeCtrl::IsDriveItem(HTREEITEM item) const {
  return item != nullptr && RootItem() != nullptr &&
         Items().Parent(reinterpret_cast<TreeItem>(item)) == reinterpret_cast<TreeItem>(RootItem());
}

int CManageTreeCtrl::DiskOfDrive(HTREEITEM item) const {
  if (!IsDriveItem(item)) return -1;
  const std::u16string root = DriveRootOf(FullPath(item));
  if (root.empty()) return -1;
  std::lock_guard lock(disks_.Mutex());
  for (size_t i = 0; i < disks_.Size(); ++i) {
    for (char16_t c : disks_[i].m_partitions) {
      if (c != u' ' && c != u':' && (c & ~0x20) == (root[0] & ~0x20)) return static_cast<int>(i);
    }
  }
  return -1;
}

void CManageTreeCtrl::CollapseDisk(const CUSBDevice& disk) {
  HTREEITEM root = RootItem();
  if (root == nullptr) return;
  for (HTREEITEM drive = TreeView_GetChild(Handle(), root); drive != nullptr;
       drive = TreeView_GetNextSibling(Handle(), drive)) {
    const std::u16string path = FullPath(drive);
    if (path.empty()) continue;
    for (char16_t c : disk.m_partitions) {
      if (c != u' ' && c != u':' && (c & ~0x20) == (path[0] & ~0x20))
        SendMessageW(Handle(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(drive));
    }
  }
}

HTREEITEM CManageTreeCtrl::InsertComputerDrive(const std::u16string& root) {
  HTREEITEM item = InsertDrive(RootItem(), root, kStateNone);
  if (item == nullptr) return nullptr;
  char letter = 0;
  WideCharToMultiByte(CP_ACP, 0, WidePointer(root), 1, &letter, 1, nullptr, nullptr);
  bool noFileSystem = false;
  // A floppy drive is not asked: without a disk in it the question takes seconds.
  if ((root[0] & ~0x20) != u'A') {
    wchar_t fileSystem[MAX_PATH + 1] = {};
    GetVolumeInformationW(WidePointer(root), nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH);
    noFileSystem = fileSystem[0] == L'\0';
  }
  Items().SetData(reinterpret_cast<TreeItem>(item), ManageDriveData(letter, noFileSystem));
  return item;
}

bool CManageTreeCtrl::FillComputer() {
  if (Handle() == nullptr) return false;
  SendMessageW(Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  NewTreeItem computer;
  CoTaskMemBlock<PIDLIST_ABSOLUTE> drives;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, drives.Out())) && drives)
    TakeShellLook(drives.Get(), computer);
  if (computer.text.empty()) computer.text = DisplayText(TextId::MyComputer);
  computer.state = kStateNone;
  HTREEITEM root = InsertItem(TVI_ROOT, TVI_FIRST, computer);
  if (root == nullptr) return false;
  ComPointer<IShellFolder> desktop;
  ComPointer<IShellFolder> folder;
  ComPointer<IEnumIDList> children;
  if (drives && SUCCEEDED(SHGetDesktopFolder(desktop.Out())) &&
      SUCCEEDED(desktop->BindToObject(drives.Get(), nullptr, IID_IShellFolder, OutObject(folder))) &&
      folder->EnumObjects(Handle(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, children.Out()) == S_OK &&
      children) {
    for (CoTaskMemBlock<PITEMID_CHILD> child; children->Next(1, child.Out(), nullptr) == S_OK;) {
      const ItemIdList full(ILCombine(drives.Get(), child.Get()));
      wchar_t path[MAX_PATH + 1] = {};
      const bool hasPath = full && SHGetPathFromIDListW(full.Get(), path);
      const std::u16string text = hasPath ? AsU16string(path) : std::u16string();
      if (!SkipsComputerChild(text)) {
        if (IsDriveRoot(text)) {
          if (FindDrive(root, text) == nullptr) InsertComputerDrive(DriveRootOf(text));
        } else {
          // A folder the computer shows beside its drives: named by its whole path.
          NewTreeItem item;
          item.name = text;
          TakeShellLook(full.Get(), item);
          item.state = kStateNone;
          InsertItem(root, TVI_LAST, item);
        }
      }
    }
  }
  children.Reset();
  folder.Reset();
  desktop.Reset();
  // The system's drive list can lag behind a drive letter that was just
  // made; a drive that answers is shown too.
  for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
    const std::u16string drive{letter, u':', u'\\'};
    if (FindDrive(root, drive) != nullptr) continue;
    if (GetDriveTypeW(WidePointer(drive)) > DRIVE_NO_ROOT_DIR) InsertComputerDrive(drive);
  }
  SendMessageW(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  return true;
}

void CManageTreeCtrl::DriveArrived(const std::u16string& path) {
  HTREEITEM root = RootItem();
  const std::u16string drive = DriveRootOf(path);
  if (root == nullptr || drive.empty() || FindDrive(root, drive) != nullptr) return;
  if (GetDriveTypeW(WidePointer(drive)) <= DRIVE_NO_ROOT_DIR) return;
  InsertComputerDrive(drive);
}

LRESULT CManageTreeCtrl::OnItemExpanding(const NMTREEVIEWW& info) {
  HTREEITEM item = info.itemNew.hItem;
  const bool opening = (info.action & TVE_EXPAND) != 0 && (info.itemNew.state & TVIS_EXPANDED) == 0;
  if (opening && item == RootItem()) return 0;  // the drives are already there
  if (opening && host_ != nullptr) {
    const int disk = DiskOfDrive(item);
    std::u16string diskPath;
    if (disk >= 0) {
      std::lock_guard lock(disks_.Mutex());
      const CUSBDevice& record = disks_[static_cast<size_t>(disk)];
      if (HasPassword(record.m_passwordRecord) && record.m_unlocked == 0) diskPath = record.m_devicePath;
    }
    if (!diskPath.empty() && !host_->VerifyPassword(diskPath)) return TRUE;
  }
  return CInitTreeCtrl::OnItemExpanding(info);
}

CInitTreeCtrl::ChildStates CManageTreeCtrl::ChildStatesUnder(HTREEITEM /*parent*/) const {
  return [](const std::u16string&) { return static_cast<int>(kStateNone); };
}

std::unique_ptr<CManageTreeCtrl::ItemMenu> CManageTreeCtrl::MenuFor(HTREEITEM item) {
  const std::u16string path = FullPath(item);
  if (path.empty()) return nullptr;
  CoTaskMemBlock<PIDLIST_ABSOLUTE> list;
  if (FAILED(SHParseDisplayName(WidePointer(path), nullptr, list.Out(), 0, nullptr)) || !list) return nullptr;
  auto menu = std::make_unique<ItemMenu>();
  menu->item_ = item;
  {
    ComPointer<IShellFolder> parent;
    LPCITEMIDLIST last = nullptr;
    if (SUCCEEDED(SHBindToParent(list.Get(), IID_IShellFolder, OutObject(parent), &last)) && parent)
      parent->GetUIObjectOf(Handle(), 1, &last, IID_IContextMenu, nullptr, OutObject(menu->menu1_));
  }
  list.Reset();
  if (!menu->menu1_) return nullptr;
  // What a failed query leaves in its out parameter is forgotten, not released.
  if (FAILED(menu->menu1_->QueryInterface(IID_IContextMenu3, OutObject(menu->menu3_))))
    menu->menu3_.Release();
  if (!menu->menu3_ && FAILED(menu->menu1_->QueryInterface(IID_IContextMenu2, OutObject(menu->menu2_))))
    menu->menu2_.Release();
  menu->menu_ = CreatePopupMenu();
  if (menu->menu_ == nullptr ||
      FAILED(menu->menu1_->QueryContextMenu(menu->menu_, 0, kFirstShellCommand, kLastShellCommand,
                                            CMF_EXPLORE | CMF_CANRENAME)))
    return nullptr;
  menu->disk_ = DiskOfDrive(item);
  if (menu->disk_ >= 0) {
    std::lock_guard lock(disks_.Mutex());
    const CUSBDevice& disk = disks_[static_cast<size_t>(menu->disk_)];
    menu->diskPath_ = disk.m_devicePath;
    UINT position = 0;
    for (const PasswordMenuEntry& entry :
         PasswordMenuEntries(HasPassword(disk.m_passwordRecord), disk.m_unlocked != 0)) {
      const std::u16string text(entry.text);
      if (text.empty()) {
        InsertMenuW(menu->menu_, position++, MF_BYPOSITION | MF_SEPARATOR, entry.id, nullptr);
      } else {
        InsertMenuW(menu->menu_, position++,
                    MF_BYPOSITION | MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED), entry.id,
                    WidePointer(text));
      }
    }
  }
  return menu;
}

void CManageTreeCtrl::RunMenuCommand(ItemMenu& menu, unsigned id) {
  if (id == 0) return;
  if (IsPasswordCommand(id) && !menu.diskPath_.empty()) {
    if (id == kLockCommand) {
      std::lock_guard lock(disks_.Mutex());
      const int index = disks_.FindByPath(menu.diskPath_);
      if (index >= 0) {
        disks_[static_cast<size_t>(index)].m_unlocked = 0;
        CollapseDisk(disks_[static_cast<size_t>(index)]);
      }
    } else if (host_ != nullptr) {
      host_->EditPassword(menu.diskPath_, id == kResetPasswordCommand);
    }
    if (host_ != nullptr) host_->PasswordCommandDone(menu.diskPath_);
    return;
  }
  if (id < kFirstShellCommand || id > kLastShellCommand || !menu.menu1_) return;
  if (IsRenameVerb(menu.VerbOf(id))) {
    StartRename();
    return;
  }
  CMINVOKECOMMANDINFO invoke{};
  invoke.cbSize = sizeof invoke;
  invoke.hwnd = Handle();
  invoke.lpVerb = MAKEINTRESOURCEA(id - kFirstShellCommand);
  invoke.nShow = SW_SHOWNORMAL;
  menu.menu1_->InvokeCommand(&invoke);
}

LRESULT CALLBACK CManageTreeCtrl::MenuProc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR /*id*/,
                                           DWORD_PTR data) {
  auto* self = reinterpret_cast<CManageTreeCtrl*>(data);
  switch (message) {
    case WM_INITMENUPOPUP:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_MENUCHAR:
      if (self->shownMenu_ != nullptr) {
        LRESULT result = 0;
        if (self->shownMenu_->HandleMenuMessage(message, w, l, result))
          return message == WM_INITMENUPOPUP ? 0 : result;
      }
      break;
    default: break;
  }
  return DefSubclassProc(hwnd, message, w, l);
}

void CManageTreeCtrl::ShowContextMenu(POINT screen) {
  TVHITTESTINFO hit{};
  hit.pt = screen;
  ScreenToClient(Handle(), &hit.pt);
  SendMessageW(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (hit.hItem == nullptr) return;
  if ((hit.flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON)) != 0)
    SendMessageW(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hit.hItem));
  std::unique_ptr<ItemMenu> menu = MenuFor(hit.hItem);
  if (!menu) return;
  // The shell draws its own entries and fills its submenus through the tree's messages.
  shownMenu_ = menu.get();
  SetWindowSubclass(Handle(), MenuProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
  const UINT id = static_cast<UINT>(TrackPopupMenu(menu->Menu(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                                   screen.y, 0, Handle(), nullptr));
  RemoveWindowSubclass(Handle(), MenuProc, reinterpret_cast<UINT_PTR>(this));
  shownMenu_ = nullptr;
  RunMenuCommand(*menu, id);
}

void CManageTreeCtrl::StartRename() {
  HTREEITEM item = Selected();
  if (item != nullptr) SendMessageW(Handle(), TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item));
}

void CManageTreeCtrl::Tell(const std::u16string& text) {
  if (tell_) {
    tell_(text);
    return;
  }
  MessageBoxW(Handle(), WidePointer(text), WidePointer(DisplayText(TextId::RenameTitle)),
              MB_OK | MB_ICONWARNING);
}

void CManageTreeCtrl::OnEndLabelEdit(HTREEITEM item, const wchar_t* text) {
  if (text == nullptr || item == nullptr) return;
  const std::u16string path = FullPath(item);
  if (path.empty() || IsDriveItem(item)) return;
  const std::u16string newName = AsU16string(text);
  const std::u16string oldName(NameOf(path));
  switch (CheckNewName(oldName, newName)) {
    case NewNameCheck::Unchanged:
    case NewNameCheck::Empty: return;
    case NewNameCheck::BadCharacter:
      Tell(DisplayText(TextId::RenameBadCharacters));
      return;
    case NewNameCheck::Accepted: break;
  }
  const std::u16string renamed = RenamedPath(path, newName);
  // Another entry by that name would be replaced without a question; a
  // change of letter case only is the same entry.
  if (!SamePath(path, renamed) && GetFileAttributesW(WidePointer(renamed)) != INVALID_FILE_ATTRIBUTES) {
    Tell(FillText(DisplayText(TextId::RenameNameTaken), {newName}));
    return;
  }
  if (storedRename_ && storedRename_(path, renamed)) {
    AllTrees().RefreshFolder(ParentFolderOf(path));
    return;
  }
  const std::wstring from = ShellPathList(path);
  const std::wstring to = ShellPathList(renamed);
  SHFILEOPSTRUCTW operation{};
  operation.hwnd = Handle();
  operation.wFunc = FO_RENAME;
  operation.pFrom = from.c_str();
  operation.pTo = to.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
  if (SHFileOperationW(&operation) != 0 || operation.fAnyOperationsAborted) return;
  AllTrees().RefreshFolder(ParentFolderOf(path));
}

}  // namespace qtr
