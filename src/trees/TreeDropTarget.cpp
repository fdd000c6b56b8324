#include "trees/TreeDropTarget.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/ComPointer.h"
#include "platform/PathText.h"
#include "platform/WideText.h"
#include "trees/ManageTreeCtrl.h"
#include "trees/ShellPathList.h"
#include "trees/TreePaths.h"

namespace qtr {
namespace {

HWND dragSource = nullptr;

// COM objects on the stack: released through their interfaces, never deleted through them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// A data object without formats: the trees hand the item over themselves.
class EmptyDataObject final : public IDataObject {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out != nullptr) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  ULONG references_ = 1;
};

// Drops when the button that started the drag is let go; Escape cancels.
class TreeDropSource final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
      *object = static_cast<IDropSource*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    if ((keys & (MK_LBUTTON | MK_RBUTTON)) == 0) return DRAGDROP_S_DROP;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  ULONG references_ = 1;
};
#pragma GCC diagnostic pop

}  // namespace

HWND DragSourceWindow() {
  return dragSource;
}
void SetDragSourceWindow(HWND tree) {
  dragSource = tree;
}

DWORD StartTreeDrag(CManageTreeCtrl& tree, HTREEITEM item) {
  if (item == nullptr || item == tree.RootItem()) return DROPEFFECT_NONE;
  HWND window = tree.Handle();
  SendMessageW(window, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  SendMessageW(window, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
  SetDragSourceWindow(window);
  EmptyDataObject data;
  TreeDropSource source;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT result =
      DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
  if (IsWindow(window)) SendMessageW(window, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
  SetDragSourceWindow(nullptr);
  return result == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

CTreeDropTarget::CTreeDropTarget(CManageTreeCtrl& target) : target_(target) {}

CTreeDropTarget::~CTreeDropTarget() {
  Revoke();
}

bool CTreeDropTarget::Register() {
  if (registered_) return true;
  registered_ = target_.Handle() != nullptr && SUCCEEDED(RegisterDragDrop(target_.Handle(), this));
  return registered_;
}

void CTreeDropTarget::Revoke() {
  if (registered_ && target_.Handle() != nullptr) RevokeDragDrop(target_.Handle());
  registered_ = false;
}

HRESULT CTreeDropTarget::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}
ULONG CTreeDropTarget::AddRef() {
  return ++references_;
}
ULONG CTreeDropTarget::Release() {
  return --references_;
}

DWORD CTreeDropTarget::EffectFor(DWORD keys) const {
  if (source_ == nullptr || dragged_ == nullptr) return DROPEFFECT_NONE;
  return DropEffectFor(draggedParent_ == source_->RootItem(), keys);
}

HTREEITEM CTreeDropTarget::FolderAt(POINTL point) const {
  TVHITTESTINFO hit{};
  hit.pt = {point.x, point.y};
  ScreenToClient(target_.Handle(), &hit.pt);
  SendMessageW(target_.Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (hit.hItem == nullptr || (hit.flags & TVHT_ONITEM) == 0) return nullptr;
  // A file is no place to drop into, nor is the computer.
  if (target_.DataOf(hit.hItem) == kFileData || target_.FullPath(hit.hItem).empty()) return nullptr;
  return hit.hItem;
}

void CTreeDropTarget::ClearHighlight() {
  SendMessageW(target_.Handle(), TVM_SELECTITEM, TVGN_DROPHILITE, 0);
}

HRESULT CTreeDropTarget::DragEnter(IDataObject* /*data*/, DWORD keys, POINTL point, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  over_ = nullptr;
  source_ = CManageTreeCtrl::FromHandle(DragSourceWindow());
  dragged_ = source_ != nullptr ? source_->Selected() : nullptr;
  draggedParent_ = dragged_ != nullptr ? TreeView_GetParent(source_->Handle(), dragged_) : nullptr;
  hover_.Reset();
  return DragOver(keys, point, effect);
}

HRESULT CTreeDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  const DWORD wanted = EffectFor(keys);
  HTREEITEM item = FolderAt(point);
  over_ = item;
  if (hover_.Over(reinterpret_cast<TreeItem>(item), GetTickCount()))
    SendMessageW(target_.Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  SendMessageW(target_.Handle(), TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
  RECT client{};
  GetClientRect(target_.Handle(), &client);
  POINT inside{point.x, point.y};
  ScreenToClient(target_.Handle(), &inside);
  const ScrollStep step = AutoScrollFor(inside.x, inside.y, client.right, client.bottom);
  if (step.vertical != 0)
    SendMessageW(target_.Handle(), WM_VSCROLL, step.vertical > 0 ? SB_LINEDOWN : SB_LINEUP, 0);
  if (step.horizontal != 0)
    SendMessageW(target_.Handle(), WM_HSCROLL, step.horizontal > 0 ? SB_LINERIGHT : SB_LINELEFT, 0);
  const bool allowed = item != nullptr && source_ != nullptr &&
                       DropAllowed(source_->FullPath(dragged_), target_.FullPath(item), wanted);
  *effect = allowed ? (wanted & *effect) : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT CTreeDropTarget::DragLeave() {
  over_ = nullptr;
  ClearHighlight();
  hover_.Reset();
  return S_OK;
}

HRESULT CTreeDropTarget::Drop(IDataObject* /*data*/, DWORD keys, POINTL /*point*/, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  const DWORD wanted = EffectFor(keys) & *effect;
  // The highlighted item; Wine's control does not report the highlight of the selected item.
  HTREEITEM into = over_;
  over_ = nullptr;
  ClearHighlight();
  hover_.Reset();
  *effect = DROPEFFECT_NONE;
  if (source_ == nullptr || dragged_ == nullptr || into == nullptr) return S_OK;
  const std::u16string source = source_->FullPath(dragged_);
  const std::u16string destination = target_.FullPath(into);
  if (!DropAllowed(source, destination, wanted)) return S_OK;
  bool done = false;
  if (wanted == DROPEFFECT_LINK)
    done = MakeShortcut(source, destination);
  else if (wanted == DROPEFFECT_COPY)
    done = Copy(source, destination, false);
  else if (wanted == DROPEFFECT_MOVE)
    done = Copy(source, destination, true);
  if (!done) return S_OK;
  *effect = wanted;
  ShellChangeSink& trees = target_.AllTrees();
  trees.RefreshFolder(destination);
  if (wanted == DROPEFFECT_MOVE) trees.RefreshFolder(ParentFolderOf(source));
  return S_OK;
}

bool CTreeDropTarget::Copy(const std::u16string& source, const std::u16string& destination, bool move) {
  const std::wstring from = ShellPathList(source);
  const std::wstring to = ShellPathList(destination);
  SHFILEOPSTRUCTW operation{};
  operation.hwnd = target_.Handle();
  operation.wFunc = move ? FO_MOVE : FO_COPY;
  operation.pFrom = from.c_str();
  operation.pTo = to.c_str();
  operation.fFlags = FOF_SIMPLEPROGRESS | FOF_ALLOWUNDO;
  operation.lpszProgressTitle = move ? L"MOVE" : L"COPY";
  return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

bool CTreeDropTarget::MakeShortcut(const std::u16string& source, const std::u16string& destination) {
  const bool isDrive = draggedParent_ == source_->RootItem();
  const std::u16string name = ShortcutFileName(source_->TextOf(dragged_), isDrive);
  // An existing shortcut of the same name is kept; the new one takes the next free name.
  const std::u16string path = FreeShortcutPath(destination, name, [](const std::u16string& candidate) {
    return GetFileAttributesW(WidePointer(candidate)) != INVALID_FILE_ATTRIBUTES;
  });
  if (path.empty()) return false;
  ComPointer<IShellLinkW> link;
  if (FAILED(
          CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, OutObject(link))))
    return false;
  ComPointer<IPersistFile> file;
  return SUCCEEDED(link->SetPath(WidePointer(source))) &&
         SUCCEEDED(link->QueryInterface(IID_IPersistFile, OutObject(file))) &&
         SUCCEEDED(file->Save(WidePointer(path), TRUE));
}

}  // namespace qtr
