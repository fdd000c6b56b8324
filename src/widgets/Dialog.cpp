#include "widgets/Dialog.h"

#include <algorithm>
#include <vector>

#include "widgets/OwnerDrawn.h"

namespace qtr {

Dialog::~Dialog() {
  if (hwnd_ != nullptr && !modal_) DestroyWindow(hwnd_);
}

namespace {

// The modal dialogs of the user-interface thread, outermost first, and the
// one that is ending with everything over it (none opens until it has).
struct ModalStack {
  std::vector<Dialog*> running;
  Dialog* endingWith = nullptr;
};

ModalStack& Modals() {
  thread_local ModalStack stack;
  return stack;
}

}  // namespace

INT_PTR Dialog::RunModal(HWND owner) {
  ModalStack& modals = Modals();
  if (modals.endingWith != nullptr) return IDCANCEL;
  modal_ = true;
  modals.running.push_back(this);
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                                         &Procedure, reinterpret_cast<LPARAM>(this));
  std::erase(modals.running, this);
  if (modals.endingWith == this) modals.endingWith = nullptr;
  return result;
}

void Dialog::EndWithNestedModals(INT_PTR code) {
  ModalStack& modals = Modals();
  const auto self = std::find(modals.running.begin(), modals.running.end(), this);
  if (self != modals.running.end()) {
    modals.endingWith = this;
    for (auto nested = modals.running.end(); nested != self + 1;) {
      --nested;
      if ((*nested)->hwnd_ != nullptr) EndDialog((*nested)->hwnd_, IDCANCEL);
    }
  }
  EndModal(code);
}

bool Dialog::CreateModeless(HWND owner) {
  modal_ = false;
  return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner, &Procedure,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
}

std::wstring Dialog::ItemText(int id) const {
  HWND item = Item(id);
  const int length = GetWindowTextLengthW(item);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), length + 1)));
  return text;
}

void Dialog::EndModal(INT_PTR code) {
  if (modal_) {
    EndDialog(hwnd_, code);
  } else {
    DestroyWindow(hwnd_);
  }
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(l);
    SetWindowLongPtrW(hwnd, DWLP_USER, l);
    self->hwnd_ = hwnd;
    return self->OnInit() ? TRUE : FALSE;
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (self == nullptr) return FALSE;
  return self->Dispatch(message, w, l);
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND: return OnCommand(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l)) ? TRUE : FALSE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!OnNotify(static_cast<int>(w), reinterpret_cast<NMHDR*>(l), result)) return FALSE;
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_TIMER: return OnTimer(w) ? TRUE : FALSE;
    case WM_DRAWITEM: {
      // Owner-drawn controls draw themselves.
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      if (OwnerDrawn* control = OwnerDrawn::From(item->hwndItem)) {
        control->Draw(*item);
        return TRUE;
      }
      INT_PTR result = FALSE;
      return OnMessage(message, w, l, result) ? result : FALSE;
    }
    case WM_NCDESTROY: {
      SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
      hwnd_ = nullptr;
      OnDestroyed();
      return FALSE;
    }
    default: {
      INT_PTR result = FALSE;
      return OnMessage(message, w, l, result) ? result : FALSE;
    }
  }
}

}  // namespace qtr
