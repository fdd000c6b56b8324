// Drag and drop between the File Management page's trees: the drag starts
// from an item of either tree, and a CTreeDropTarget registered on each tree
// copies, moves or makes a shortcut when it is dropped on a folder or drive.
// The item travels through the tree it came from (its selection), not in
// the data object.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <atomic>

#include "trees/DropRules.h"

namespace qtr {

class CManageTreeCtrl;

// The window of the tree in which the running drag began; null between drags.
HWND DragSourceWindow();
void SetDragSourceWindow(HWND tree);

// Runs an OLE drag of item (never the computer item) with copy, move and
// link allowed; returns the effect of the drop (DROPEFFECT_NONE when none).
DWORD StartTreeDrag(CManageTreeCtrl& tree, HTREEITEM item);

// COM interfaces have no virtual destructor: objects are released through
// them, never deleted through them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class CTreeDropTarget final : public IDropTarget {
 public:
  explicit CTreeDropTarget(CManageTreeCtrl& target);
  ~CTreeDropTarget();
  CTreeDropTarget(const CTreeDropTarget&) = delete;
  CTreeDropTarget& operator=(const CTreeDropTarget&) = delete;

  // RegisterDragDrop on the tree's window; Revoke undoes it (also the destructor).
  bool Register();
  void Revoke();

  // IUnknown. The owner keeps the object alive beyond its registration; the
  // count only follows the references OLE takes.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

 private:
  // The effect for the keys, none when nothing is dragged from a tree.
  DWORD EffectFor(DWORD keys) const;
  // The folder or drive item at a screen point; null over empty area or a file.
  HTREEITEM FolderAt(POINTL point) const;
  void ClearHighlight();
  bool Copy(const std::u16string& source, const std::u16string& destination, bool move);
  bool MakeShortcut(const std::u16string& source, const std::u16string& destination);

  CManageTreeCtrl& target_;
  CManageTreeCtrl* source_ = nullptr;
  HTREEITEM dragged_ = nullptr;
  HTREEITEM draggedParent_ = nullptr;
  HTREEITEM over_ = nullptr;  // the highlighted folder under the cursor, where a drop goes
  HoverTimer hover_;
  std::atomic<ULONG> references_{1};
  bool registered_ = false;
};
#pragma GCC diagnostic pop

}  // namespace qtr
