#include "trees/SmallIconList.h"

#include <shellapi.h>

#include "platform/Handles.h"
#include "resource.h"
#include "widgets/SelectedObject.h"
#include "widgets/WindowDc.h"

namespace qtr {

bool ShowsShareOverlay() {
  static const bool shows = [] {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExW(&version) && version.dwMajorVersion < 6;
  }();
  return shows;
}

HIMAGELIST SharedSmallIcons() {
  static const HIMAGELIST list = [] {
    SHFILEINFOW info{};
    auto* icons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (icons == nullptr) return icons;
    // Before version 6 the share, link and third overlays are the list's
    // first three pictures; later systems keep the shell's own binding of
    // its list, where overlay 2 is the link arrow.
    if (ShowsShareOverlay())
      for (int overlay = 1; overlay <= 3; ++overlay) ImageList_SetOverlayImage(icons, overlay - 1, overlay);
    ImageList_SetBkColor(icons, CLR_NONE);
    return icons;
  }();
  return list;
}

namespace {

// Appends a 16-pixel icon resource to the shared list; its index, or -1.
int AppendIcon(UINT resource) {
  HIMAGELIST icons = SharedSmallIcons();
  if (icons == nullptr) return -1;
  auto* icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_ICON, 16, 16, 0));
  if (icon == nullptr) return -1;
  const int added = ImageList_ReplaceIcon(icons, -1, icon);
  DestroyIcon(icon);
  return added;
}

}  // namespace

int ProgramIconIndex() {
  static const int index = AppendIcon(IDI_TREE_PROGRAM);
  return index;
}

int UsbDiskIconIndex() {
  // After the program's icon, whichever of the two is asked for first.
  ProgramIconIndex();
  static const int index = AppendIcon(IDI_TREE_USB_DISK);
  return index;
}

namespace {

constexpr COLORREF kMaskColour = RGB(255, 0, 255);

enum class Look { kNone, kEmpty, kPartly, kTick, kGrey };

// One 16x16 picture: a 13x13 box, empty, with a square (partly), with a
// tick, or greyed.
void DrawPicture(HDC dc, Look look) {
  RECT all{0, 0, 16, 16};
  GdiObject<HBRUSH> mask(CreateSolidBrush(kMaskColour));
  FillRect(dc, &all, mask.Get());
  if (look == Look::kNone) return;
  const bool grey = look == Look::kGrey;
  GdiObject<HPEN> frame(CreatePen(PS_SOLID, 1, grey ? RGB(160, 160, 160) : RGB(28, 28, 28)));
  GdiObject<HBRUSH> inside(CreateSolidBrush(grey ? RGB(224, 224, 224) : RGB(255, 255, 255)));
  SelectedObject pen(dc, frame.Get());
  SelectedObject brush(dc, inside.Get());
  Rectangle(dc, 1, 2, 14, 15);
  if (look == Look::kPartly || look == Look::kGrey) {
    RECT square{4, 5, 11, 12};
    GdiObject<HBRUSH> fill(CreateSolidBrush(grey ? RGB(160, 160, 160) : RGB(40, 40, 40)));
    FillRect(dc, &square, fill.Get());
  } else if (look == Look::kTick) {
    GdiObject<HPEN> tick(CreatePen(PS_SOLID, 2, RGB(28, 28, 28)));
    pen.Select(tick.Get());
    MoveToEx(dc, 4, 8, nullptr);
    LineTo(dc, 6, 11);
    LineTo(dc, 11, 5);
    pen.Select(frame.Get());
  }
}

void AddPicture(HIMAGELIST list, HDC screen, Look look) {
  GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, 16, 16));
  MemoryDc dc(CreateCompatibleDC(screen));
  if (!dc || !bitmap) return;
  {
    SelectedObject selected(dc.Get(), bitmap.Get());
    DrawPicture(dc.Get(), look);
  }
  // The image list takes a bitmap that no device context holds.
  dc.Reset();
  ImageList_AddMasked(list, bitmap.Get(), kMaskColour);
}

}  // namespace

HIMAGELIST CheckStatePictures() {
  static const HIMAGELIST list = [] {
    HIMAGELIST pictures = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 6, 0);
    if (pictures == nullptr) return pictures;
    WindowDc screen(nullptr);
    AddPicture(pictures, screen.Get(), Look::kNone);    // no check box
    AddPicture(pictures, screen.Get(), Look::kEmpty);   // 1 unchecked
    AddPicture(pictures, screen.Get(), Look::kPartly);  // 2 partly checked
    AddPicture(pictures, screen.Get(), Look::kTick);    // 3 checked
    AddPicture(pictures, screen.Get(), Look::kEmpty);   // 4 disk not chosen
    AddPicture(pictures, screen.Get(), Look::kGrey);    // 5 disabled, nothing selected
    return pictures;
  }();
  return list;
}

}  // namespace qtr
