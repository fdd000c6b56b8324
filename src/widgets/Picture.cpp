#include "widgets/Picture.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>
#include "platform/ComPointer.h"

namespace qtr {

Picture::Picture() = default;
Picture::~Picture() = default;
Picture::Picture(Picture&&) noexcept = default;
Picture& Picture::operator=(Picture&&) noexcept = default;

bool Picture::Load(UINT resourceId, HMODULE module) {
  bitmap_.reset();
  if (module == nullptr) module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"PNG");
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) return false;
  // GDI+ reads the picture lazily from its stream, so the bitmap is copied
  // out before the stream goes away.
  const ComPointer<IStream> stream(SHCreateMemStream(static_cast<const BYTE*>(bytes), size));
  if (!stream) return false;
  std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream.Get()));
  if (decoded && decoded->GetLastStatus() == Gdiplus::Ok) {
    bitmap_.reset(decoded->Clone(0, 0, decoded->GetWidth(), decoded->GetHeight(), PixelFormat32bppPARGB));
    if (bitmap_ && bitmap_->GetLastStatus() != Gdiplus::Ok) bitmap_.reset();
  }
  decoded.reset();
  return bitmap_ != nullptr;
}

int Picture::Width() const {
  return bitmap_ ? static_cast<int>(bitmap_->GetWidth()) : 0;
}
int Picture::Height() const {
  return bitmap_ ? static_cast<int>(bitmap_->GetHeight()) : 0;
}

void Picture::Draw(HDC dc, int x, int y, int width, int height) const {
  if (!bitmap_) return;
  Gdiplus::Graphics graphics(dc);
  graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  graphics.DrawImage(bitmap_.get(), x, y, width, height);
}

}  // namespace qtr
