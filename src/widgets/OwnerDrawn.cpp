#include "widgets/OwnerDrawn.h"

namespace qtr {
namespace {

constexpr wchar_t kProperty[] = L"QtrOwnerDrawn";

}  // namespace

OwnerDrawn* OwnerDrawn::From(HWND control) {
  return control != nullptr ? static_cast<OwnerDrawn*>(GetPropW(control, kProperty)) : nullptr;
}

void OwnerDrawn::Register(HWND control) {
  SetPropW(control, kProperty, static_cast<HANDLE>(this));
}

void OwnerDrawn::Unregister(HWND control) {
  RemovePropW(control, kProperty);
}

}  // namespace qtr
