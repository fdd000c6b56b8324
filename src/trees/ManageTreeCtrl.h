// CManageTreeCtrl: one of the two trees of the File Management page. The
// computer with every drive the shell lists, folders and files read on
// expansion, the shell's own context menu on any item (with the password
// commands on a USB disk's drive), renaming in place through the shell, and
// the start of a drag to the other tree. A locked disk's drive asks for the
// password before it opens.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/ComPointer.h"
#include "trees/InitTreeCtrl.h"

namespace qtr {

class CUSBDevice;
class DeviceList;

// What the tree needs from its page: the password dialogs and what follows a password command.
class ManageTreeHost {
 public:
  virtual ~ManageTreeHost() = default;
  // The password prompt for the listed disk with interface path diskPath;
  // true when the right password was entered (the disk is then unlocked).
  virtual bool VerifyPassword(const std::u16string& diskPath) = 0;
  // The password dialog in set (reset false) or reset mode.
  virtual void EditPassword(const std::u16string& diskPath, bool reset) = 0;
  // After any password command: the disk's record is read again and the
  // target disk must be chosen again.
  virtual void PasswordCommandDone(const std::u16string& diskPath) = 0;
};

class CManageTreeCtrl : public CInitTreeCtrl {
 public:
  // programFolder ends with a backslash (init.xml holds the system-folder switches).
  CManageTreeCtrl(std::u16string programFolder, DeviceList& disks);
  ~CManageTreeCtrl() override;

  // Takes over the control with the management tree's style (labels editable).
  bool Attach(HWND tree);
  void Detach();
  // The tree whose window is hwnd, among the live management trees; null for none.
  static CManageTreeCtrl* FromHandle(HWND hwnd);

  void SetHost(ManageTreeHost* host) { host_ = host; }
  // The trees a rename or drop refreshes (the four trees that follow the
  // file system); none: only this one.
  void SetAllTrees(ShellChangeSink* trees) { allTrees_ = trees; }
  ShellChangeSink& AllTrees() { return allTrees_ != nullptr ? *allTrees_ : *this; }
  // Where a refused rename is told; by default a message box.
  void SetMessageSink(std::function<void(const std::u16string&)> tell) { tell_ = std::move(tell); }
  // Takes over the rename of a label edit (from and to, full paths) where it
  // returns true: a stored file, whose record in its store moves with it.
  void SetStoredRename(std::function<bool(const std::u16string&, const std::u16string&)> rename) {
    storedRename_ = std::move(rename);
  }

  // The computer item with every drive of the shell's computer folder.
  bool FillComputer();
  HTREEITEM RootItem() const;
  HTREEITEM Selected() const;
  // A drive item (a child of the computer).
  bool IsDriveItem(HTREEITEM item) const;
  // The listed USB disk whose drive item is item; -1 for none.
  int DiskOfDrive(HTREEITEM item) const;
  // Collapses every drive item of the disk, so that it is asked for again.
  void CollapseDisk(const CUSBDevice& disk);

  // The item's context menu as the shell fills it, with the password
  // entries for a USB disk's drive. Null when the item has no path the shell can parse.
  class ItemMenu;
  std::unique_ptr<ItemMenu> MenuFor(HTREEITEM item);
  // Carries out a chosen menu id (0: nothing chosen).
  void RunMenuCommand(ItemMenu& menu, unsigned id);
  // The right click at a screen point: select, fill, show, carry out.
  void ShowContextMenu(POINT screen);
  // The label edit of the selected item (the shell's rename command).
  void StartRename();

  // The new label of a label edit (null when cancelled); renames on disk.
  // The label edit itself is always refused: the change notification and
  // the refresh of the parent folder show the new name.
  void OnEndLabelEdit(HTREEITEM item, const wchar_t* text);

  void DriveArrived(const std::u16string& path) override;

 protected:
  LRESULT OnItemExpanding(const NMTREEVIEWW& info) override;
  ChildStates ChildStatesUnder(HTREEITEM parent) const override;
  HTREEITEM DriveParent() const override { return RootItem(); }

 private:
  static LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                     DWORD_PTR data);
  static LRESULT CALLBACK MenuProc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR data);
  bool OnNotify(NMHDR* header, LRESULT& result);
  HTREEITEM InsertComputerDrive(const std::u16string& root);
  void Tell(const std::u16string& text);

  std::u16string programFolder_;
  DeviceList& disks_;
  ManageTreeHost* host_ = nullptr;
  ShellChangeSink* allTrees_ = nullptr;
  std::function<void(const std::u16string&)> tell_;
  std::function<bool(const std::u16string&, const std::u16string&)> storedRename_;
  HWND parent_ = nullptr;
  ItemMenu* shownMenu_ = nullptr;  // while TrackPopupMenu runs
  bool editing_ = false;           // a label edit was allowed and has not ended
};

// The shell's context menu of one item and the interfaces that fill it.
class CManageTreeCtrl::ItemMenu {
 public:
  ItemMenu() = default;
  ~ItemMenu();
  ItemMenu(const ItemMenu&) = delete;
  ItemMenu& operator=(const ItemMenu&) = delete;

  HMENU Menu() const { return menu_; }
  // The shell's verb of a menu id ("delete"); empty for our own entries.
  std::u16string VerbOf(unsigned id) const;
  // Passes a message of the shown menu to the shell's menu; true when taken.
  bool HandleMenuMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result);

 private:
  friend class CManageTreeCtrl;
  HMENU menu_ = nullptr;
  ComPointer<IContextMenu> menu1_;
  ComPointer<IContextMenu2> menu2_;
  ComPointer<IContextMenu3> menu3_;
  HTREEITEM item_ = nullptr;
  int disk_ = -1;
  std::u16string diskPath_;
};

}  // namespace qtr
