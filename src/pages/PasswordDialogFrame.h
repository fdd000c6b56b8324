// The look the two disk password dialogs share: borderless with rounded
// corners, a coloured title band to drag them by, a picture close button,
// and Enter and Esc that close nothing.
#pragma once
#include <string>

#include "platform/Handles.h"
#include "platform/WideText.h"
#include "widgets/PaintedDialog.h"
#include "widgets/PictureButton.h"
#include "widgets/WindowShape.h"

namespace qtr {

class Prompter;
struct Question;

class PasswordDialogFrame : public PaintedDialog {
 public:
  using PaintedDialog::PaintedDialog;
  // The code the dialog closed with: IDOK, IDCANCEL, or 0 while it is open.
  INT_PTR Result() const { return result_; }

 protected:
  // Title text, the close button, the two buttons and the masked fields.
  void SetUpFrame(int titleId, const std::u16string& title, int closeId, int okId, int cancelId,
                  std::initializer_list<int> passwordFields);
  void Close(INT_PTR code);
  // Shows one of the dialog's messages. The dialog takes no input while it
  // is up: a second OK would otherwise run, and write the record, again.
  bool Tell(Prompter& prompter, const Question& question);
  // Enter and Esc decide nothing; the close button cancels.
  bool FrameCommand(int id);
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
  void PaintSurface(HDC dc, const RECT& client) override;
  HFONT Font() const { return font_.Get(); }

 private:
  int titleId_ = 0;
  int closeId_ = 0;
  INT_PTR result_ = 0;
  GdiObject<HFONT> font_;
  PictureButton closeButton_, okButton_, cancelButton_;
  CaptionDrag captionDrag_{22};
};
}  // namespace qtr
