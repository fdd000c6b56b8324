// CInitTreeCtrl: the tree-view base that every tree of the program which
// shows the file system shares. It takes over a tree-view control of a
// dialog, shows the shell's display names and small icons (with link and
// share overlays), reads folders only when they are expanded (behind the
// "temp" placeholder child), refuses label editing and follows the shell's
// change notifications. The subclasses add the check-box rules.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "trees/FolderFilter.h"
#include "trees/TreeItems.h"
#include "ui/ShellChange.h"

namespace qtr {

class CInitTreeCtrl : public ShellChangeSink {
 public:
  CInitTreeCtrl();
  ~CInitTreeCtrl() override;
  CInitTreeCtrl(const CInitTreeCtrl&) = delete;
  CInitTreeCtrl& operator=(const CInitTreeCtrl&) = delete;

  // Takes over a tree-view control that a dialog template made: sets the
  // shared small-icon list, the check-state pictures and the styles, and
  // catches the control's own notifications by subclassing its parent (the
  // dialog need not forward WM_NOTIFY; it must not handle the tree's
  // NM_CLICK or TVN_ITEMEXPANDINGW itself). False when tree is no tree-view.
  bool Attach(HWND tree);
  // Gives the control back (also done by the destructor and when the control is destroyed).
  void Detach();
  HWND Handle() const { return tree_; }

  // The portable view of the items, for the check rules and for tests.
  TreeItems& Items();
  const TreeItems& Items() const;

  // The full path an item stands for ("C:\", "C:\dir\file"); empty for an
  // item outside the file system (the computer, a disk, the placeholder).
  std::u16string FullPath(HTREEITEM item) const;
  // The item that shows path, looked up one component at a time from the
  // top; nullptr when it is not shown (a folder not yet read hides its
  // children).
  HTREEITEM FindPath(const std::u16string& path) const;

  // Reads a folder afresh under item: its children are deleted and the
  // entries the filter lets through inserted, folders with the placeholder.
  // Runs under a wait cursor; a folder that cannot be read shows no children.
  void ListFolder(HTREEITEM item, const std::u16string& folder);

  int StateOf(HTREEITEM item) const;
  void SetStateOf(HTREEITEM item, int state);
  uintptr_t DataOf(HTREEITEM item) const;
  std::u16string TextOf(HTREEITEM item) const;

  // Which entries a listing skips (system, temporary, the system folders whose switch is off).
  FolderFilter& Filter() { return filter_; }

  // ShellChangeSink: each operation touches only what this tree shows.
  void AddPath(const std::u16string& path) override;
  void RemovePath(const std::u16string& path) override;
  void RenameInPlace(const std::u16string& oldPath, const std::u16string& newPath) override;
  void DriveArrived(const std::u16string& path) override;
  void DriveRemoved(const std::u16string& path) override;
  void UpdateShare(const std::u16string& path) override;
  void RefreshFolder(const std::u16string& path) override;
  void ChangeHandled() override {}

  // Handles one notification of the control; true when it was handled.
  // Called from the parent's subclass; public for a container that hosts
  // the control in a window of its own.
  bool HandleNotify(NMHDR* header, LRESULT& result);

 protected:
  // A click on an item's check-state picture.
  virtual void OnStateIconClick(HTREEITEM /*item*/) {}
  // Before an item is expanded or collapsed; result 1 refuses.
  virtual LRESULT OnItemExpanding(const NMTREEVIEWW& info);
  // The check states new children take under parent, by their path; asked
  // once per listing so that a tree reads its records once.
  using ChildStates = std::function<int(const std::u16string& childPath)>;
  virtual ChildStates ChildStatesUnder(HTREEITEM parent) const;
  // The item under which a drive of the computer is shown (the root of the
  // source tree); nullptr where drives are not shown.
  virtual HTREEITEM DriveParent() const { return nullptr; }
  // After ListFolder put a folder's entries under item: a tree adds what
  // is no entry of the folder.
  virtual void FolderListed(HTREEITEM /*item*/, const std::u16string& /*folder*/) {}

  // Inserts one item with its shell picture; name is the file-system name.
  HTREEITEM InsertItem(HTREEITEM parent, HTREEITEM after, const NewTreeItem& item);
  // Inserts a drive ("C:") below parent in letter order, behind the placeholder.
  HTREEITEM InsertDrive(HTREEITEM parent, const std::u16string& root, int state);
  // The drive item ("C:\") a drive root path is shown by, among parent's children.
  HTREEITEM FindDrive(HTREEITEM parent, const std::u16string& root) const;

 private:
  class Win32Items;
  static LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                     DWORD_PTR data);
  void OnGetDisplayInfo(NMTVDISPINFOW& info);

  void ReadShare(HTREEITEM item, const std::u16string& path);

  HWND tree_ = nullptr;
  HWND parent_ = nullptr;
  std::unique_ptr<Win32Items> items_;
  FolderFilter filter_;
};

}  // namespace qtr
