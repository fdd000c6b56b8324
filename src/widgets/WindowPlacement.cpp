#include "widgets/WindowPlacement.h"

namespace qtr {

RECT WorkArea() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

RECT OwnerOrWorkArea(HWND owner) {
  RECT over;
  if (owner == nullptr || !IsWindowVisible(owner) || !GetWindowRect(owner, &over)) return WorkArea();
  return over;
}

SIZE WindowSize(HWND window) {
  RECT own{};
  GetWindowRect(window, &own);
  return {own.right - own.left, own.bottom - own.top};
}

POINT CentredIn(const RECT& area, SIZE size) {
  return {(area.left + area.right - size.cx) / 2, (area.top + area.bottom - size.cy) / 2};
}

void CentreOver(HWND window, const RECT& area) {
  const POINT corner = CentredIn(area, WindowSize(window));
  SetWindowPos(window, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CentreOverOwner(HWND window) {
  CentreOver(window, OwnerOrWorkArea(GetWindow(window, GW_OWNER)));
}

}  // namespace qtr
