#include "trees/SmallIconList.h"

#include <shellapi.h>

#include "platform/Handles.h"
#include "resource.h"

namespace qtr {

HIMAGELIST SharedSmallIcons() {
  static const HIMAGELIST list = [] {
    SHFILEINFOW info{};
    auto* icons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (icons != nullptr) ImageList_SetBkColor(icons, CLR_NONE);
    return icons;
  }();
  return list;
}

int ProgramIconIndex() {
  static const int index = [] {
    HIMAGELIST icons = SharedSmallIcons();
    if (icons == nullptr) return -1;
    auto* icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TREE_PROGRAM), IMAGE_ICON, 16, 16, 0));
    if (icon == nullptr) return -1;
    const int added = ImageList_ReplaceIcon(icons, -1, icon);
    DestroyIcon(icon);
    return added;
  }();
  return index;
}

namespace {

constexpr COLORREF kMaskColour = RGB(255, 0, 255);

// One 16x16 picture: a check box drawn by the system in the given look.
void AddPicture(HIMAGELIST list, HDC screen, UINT look) {
  GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, 16, 16));
  HDC dc = CreateCompatibleDC(screen);
  if (dc == nullptr || !bitmap) {
    if (dc != nullptr) DeleteDC(dc);
    return;
  }
  HGDIOBJ old = SelectObject(dc, bitmap.Get());
  RECT all{0, 0, 16, 16};
  GdiObject<HBRUSH> mask(CreateSolidBrush(kMaskColour));
  FillRect(dc, &all, mask.Get());
  if (look != 0) {
    RECT box{1, 1, 15, 15};
    DrawFrameControl(dc, &box, DFC_BUTTON, look | DFCS_FLAT);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  ImageList_AddMasked(list, bitmap.Get(), kMaskColour);
}

}  // namespace

HIMAGELIST CheckStatePictures() {
  static const HIMAGELIST list = [] {
    HIMAGELIST pictures = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 6, 0);
    if (pictures == nullptr) return pictures;
    HDC screen = GetDC(nullptr);
    AddPicture(pictures, screen, 0);                                                 // no check box
    AddPicture(pictures, screen, DFCS_BUTTONCHECK);                                  // 1 unchecked
    AddPicture(pictures, screen, DFCS_BUTTON3STATE | DFCS_CHECKED);                  // 2 partly checked
    AddPicture(pictures, screen, DFCS_BUTTONCHECK | DFCS_CHECKED);                   // 3 checked
    AddPicture(pictures, screen, DFCS_BUTTONCHECK);                                  // 4 disk not chosen
    AddPicture(pictures, screen, DFCS_BUTTON3STATE | DFCS_CHECKED | DFCS_INACTIVE);  // 5 disabled
    ReleaseDC(nullptr, screen);
    return pictures;
  }();
  return list;
}

}  // namespace qtr
