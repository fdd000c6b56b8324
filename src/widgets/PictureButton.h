// A button drawn with three pictures (normal, pressed, mouse over), and
// optionally a fourth for its disabled state, over the
// part of its parent's off-screen surface that lies beneath it, so that the
// transparent parts of the pictures show the parent's painting. Its text,
// when it has one, is drawn on top.
#pragma once
#include <windows.h>

#include "widgets/OwnerDrawn.h"
#include "widgets/Picture.h"

namespace qtr {

class OffscreenSurface;

class PictureButton : public OwnerDrawn {
 public:
  enum class Look { Normal, Pressed, Hover, Disabled };

  PictureButton() = default;
  ~PictureButton();
  PictureButton(const PictureButton&) = delete;
  PictureButton& operator=(const PictureButton&) = delete;

  // Takes over the drawing of a button of the parent (made owner-drawn here).
  bool Attach(HWND button);
  // Picture resources; a picture that does not load falls back to the normal one.
  void SetPictures(UINT normal, UINT pressed, UINT hover);
  // Shown while the button is disabled; without it the normal one is.
  void SetDisabledPicture(UINT disabled);
  // The parent's surface in the parent's client coordinates; null: the button face colour.
  void SetBackground(const OffscreenSurface* surface);
  void SetTextColour(COLORREF colour) { textColour_ = colour; }

  HWND Handle() const { return hwnd_; }
  Look CurrentLook() const;
  void Draw(const DRAWITEMSTRUCT& item) override;

 private:
  static LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR self);
  void Detach();

  HWND hwnd_ = nullptr;
  Picture pictures_[4];  // normal, pressed, hover, disabled
  const OffscreenSurface* background_ = nullptr;
  COLORREF textColour_ = RGB(0, 0, 0);
  bool hover_ = false;
  bool pressed_ = false;
};

}  // namespace qtr
