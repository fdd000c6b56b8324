#include "pages/ManageDialog.h"

#include "config/LanguageText.h"
#include "platform/Handles.h"
#include "resource.h"

namespace qtr {

CMangeDialog::CMangeDialog() : PaintedDialog(IDD_MANAGE_PAGE) {}

bool CMangeDialog::OnInit() {
  ShowTexts();
  return true;
}

void CMangeDialog::ShowTexts() {
  const std::u16string title = DisplayText(TextId::Manage);
  SetItemText(IDC_MANAGE_TITLE, std::wstring(title.begin(), title.end()));
}

void CMangeDialog::PaintSurface(HDC dc, const RECT& client) {
  GdiObject<HBRUSH> body(CreateSolidBrush(RGB(255, 255, 255)));
  FillRect(dc, &client, body.Get());
}

}  // namespace qtr
