#include "shell/SplashWindow.h"

#include "platform/WideText.h"
#include "resource.h"
#include "widgets/ControlColours.h"
#include "widgets/WindowPlacement.h"
#include "widgets/WindowShape.h"

namespace qtr {
namespace {

constexpr UINT_PTR kTimerId = 1;

}  // namespace

CInitDlg::CInitDlg() : PaintedDialog(IDD_SPLASH) {}

CInitDlg::~CInitDlg() {
  RequestClose();
  Join();
}

void CInitDlg::Start(std::u16string text) {
  if (thread_.joinable()) return;
  text_ = std::move(text);
  running_.store(true);
  thread_ = std::thread([this] {
    RunModal(nullptr);
    running_.store(false);
  });
}

void CInitDlg::Join() {
  if (thread_.joinable()) thread_.join();
}

bool CInitDlg::OnInit() {
  RemoveTaskbarButton(Handle());
  // No title: a second start looks for the running program by the main
  // window's title, and must not raise this window instead.
  SetWindowTextW(Handle(), L"");
  picture_.Load(IDP_SPLASH);
  const POINT corner = CentredIn(WorkArea(), {kWidth, kHeight});
  SetWindowPos(Handle(), HWND_TOPMOST, corner.x, corner.y, kWidth, kHeight, 0);
  SetWindowPos(Item(IDC_SPLASH_TEXT), nullptr, 124, kHeight - 40, kWidth - 140, 20, SWP_NOZORDER);
  SetItemText(IDC_SPLASH_TEXT, AsWstring(text_));
  ApplyRoundedRegion(Handle());
  SetTimer(Handle(), kTimerId, 1, nullptr);
  return true;
}

bool CInitDlg::OnTimer(UINT_PTR id) {
  if (id != kTimerId) return false;
  ticks_.fetch_add(1);
  if (closeRequested_.load()) {
    KillTimer(Handle(), kTimerId);
    EndModal(IDOK);
  }
  return true;
}

void CInitDlg::PaintSurface(HDC dc, const RECT& client) {
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  // 5 pixels beyond every edge, so no border of the picture shows.
  picture_.Draw(dc, -5, -5, client.right + 10, client.bottom + 10);
}

INT_PTR CInitDlg::ColourStatic(HDC dc) {
  return ControlColours::Transparent(dc, RGB(216, 228, 240));
}

}  // namespace qtr
