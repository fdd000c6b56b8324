#include "pages/HistoryWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "config/LanguageText.h"
#include "platform/WideText.h"
#include "resource.h"
#include "widgets/BandedSurface.h"
#include "widgets/WindowPlacement.h"

namespace qtr {
namespace {

constexpr COLORREF kBody = RGB(240, 244, 248);
constexpr UINT_PTR kKeysId = 0x4853;  // the subclass of the window's controls

// The columns, left to right, with their widths in pixels.
struct Column {
  TextId heading;
  int width;
};
constexpr Column kColumns[] = {
    {TextId::HistoryColumnWhen, 150},    {TextId::HistoryColumnKind, 80},
    {TextId::HistoryColumnTrigger, 120}, {TextId::HistoryColumnTarget, 130},
    {TextId::HistoryColumnResult, 160},  {TextId::HistoryColumnDuration, 76},
};

// Tab moves through these in turn.
constexpr int kFocusOrder[] = {IDC_HISTORY_LIST, IDC_HISTORY_LINES, IDC_HISTORY_COPY, IDC_HISTORY_DONE};

const std::u16string& ColumnText(const HistoryRow& row, int column) {
  switch (column) {
    case 0: return row.when;
    case 1: return row.kind;
    case 2: return row.trigger;
    case 3: return row.target;
    case 4: return row.result;
    default: return row.duration;
  }
}

bool PutOnClipboard(HWND owner, const std::u16string& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(char16_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  bool done = false;
  if (memory != nullptr) {
    if (void* at = GlobalLock(memory)) {
      std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<char16_t*>(at));
      GlobalUnlock(memory);
      // The clipboard owns the memory once it took it.
      done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (!done) GlobalFree(memory);
  }
  CloseClipboard();
  return done;
}

}  // namespace

CHistoryWnd::CHistoryWnd() : PaintedDialog(IDD_HISTORY) {}

CHistoryWnd& HistoryWindow() {
  // Lives as long as the process; its window comes and goes.
  static CHistoryWnd* window = new CHistoryWnd();
  return *window;
}

bool CHistoryWnd::Show(HWND owner, std::vector<JobRecord> records, uint64_t openId) {
  records_ = std::move(records);
  if (Handle() == nullptr) {
    opened_ = 0;
    if (!CreateModeless(owner)) return false;
  } else {
    if (RecordOf(opened_) == nullptr) opened_ = 0;
    FillList();
  }
  if (openId != 0) OpenJob(openId);
  ShowOpenedLines();
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  SetFocus(Item(IDC_HISTORY_LIST));
  return true;
}

bool CHistoryWnd::OnInit() {
  font_.Reset(CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"\u5b8b\u4f53"));
  for (int id : {IDC_HISTORY_TITLE, IDC_HISTORY_LIST, IDC_HISTORY_LINES, IDC_HISTORY_COPY, IDC_HISTORY_DONE})
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  HWND list = Item(IDC_HISTORY_LIST);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.cx = kColumns[i].width;
    column.pszText = const_cast<wchar_t*>(L"");
    column.iSubItem = i;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  closeButton_.Attach(Item(IDC_HISTORY_CLOSE));
  closeButton_.SetPictures(IDP_QUIT_NORMAL, IDP_QUIT_PRESSED, IDP_QUIT_HOVER);
  copyButton_.Attach(Item(IDC_HISTORY_COPY));
  doneButton_.Attach(Item(IDC_HISTORY_DONE));
  for (PictureButton* button : {&closeButton_, &copyButton_, &doneButton_}) button->SetBackground(Surface());
  for (int id : kFocusOrder) SetWindowSubclass(Item(id), &Keys, kKeysId, reinterpret_cast<DWORD_PTR>(this));
  Layout();
  ApplyRoundedRegion(Handle());
  ShowTexts();
  return true;
}

void CHistoryWnd::Layout() {
  const int width = kWidth, height = kHeight;
  SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowPos(Item(IDC_HISTORY_CLOSE), nullptr, width - 5 - 16, 7, 16, 16, SWP_NOZORDER);
  SetWindowPos(Item(IDC_HISTORY_TITLE), nullptr, 20, 34, width - 40, 18, SWP_NOZORDER);
  SetWindowPos(Item(IDC_HISTORY_LIST), nullptr, 20, 58, width - 40, 230, SWP_NOZORDER);
  SetWindowPos(Item(IDC_HISTORY_LINES), nullptr, 20, 298, width - 40, 116, SWP_NOZORDER);
  const int buttonTop = height - 10 - 24;
  SetWindowPos(Item(IDC_HISTORY_DONE), nullptr, width - 20 - 80, buttonTop, 80, 24, SWP_NOZORDER);
  SetWindowPos(Item(IDC_HISTORY_COPY), nullptr, width - 20 - 80 - 10 - 80, buttonTop, 80, 24, SWP_NOZORDER);
  const POINT corner = CentredIn(OwnerOrWorkArea(GetWindow(Handle(), GW_OWNER)), {width, height});
  SetWindowPos(Handle(), nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CHistoryWnd::ShowTexts() {
  if (Handle() == nullptr) return;
  const std::wstring title = AsWstring(DisplayText(TextId::HistoryTitle));
  SetWindowTextW(Handle(), title.c_str());
  SetItemText(IDC_HISTORY_TITLE, title);
  SetItemText(IDC_HISTORY_COPY, AsWstring(DisplayText(TextId::HistoryCopy)));
  SetItemText(IDC_HISTORY_DONE, AsWstring(DisplayText(TextId::Close)));
  HWND list = Item(IDC_HISTORY_LIST);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    std::wstring heading = AsWstring(DisplayText(kColumns[i].heading));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = heading.data();
    SendMessageW(list, LVM_SETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  FillList();
  ShowOpenedLines();
}

// The list holds no texts of its own: it asks for each one it draws, so
// that a few hundred jobs cost no more than the rows on the screen.
void CHistoryWnd::FillList() {
  rows_ = HistoryRows(records_, ActiveLanguageTable());
  HWND list = Item(IDC_HISTORY_LIST);
  SendMessageW(list, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOSCROLL);
  const auto at =
      std::find_if(rows_.begin(), rows_.end(), [this](const HistoryRow& r) { return r.id == opened_; });
  if (opened_ != 0 && at != rows_.end()) {
    const auto index = static_cast<WPARAM>(at - rows_.begin());
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
  } else if (!rows_.empty() &&
             SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) < 0) {
    // The arrows start from the newest job.
    LVITEMW state{};
    state.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    state.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
  }
  InvalidateRect(list, nullptr, FALSE);
}

const JobRecord* CHistoryWnd::RecordOf(uint64_t id) const {
  if (id == 0) return nullptr;
  const auto at =
      std::find_if(records_.begin(), records_.end(), [id](const JobRecord& r) { return r.id == id; });
  return at == records_.end() ? nullptr : &*at;
}

bool CHistoryWnd::OpenJob(uint64_t id) {
  const auto at = std::find_if(rows_.begin(), rows_.end(), [id](const HistoryRow& r) { return r.id == id; });
  if (id == 0 || at == rows_.end()) return false;
  opened_ = id;
  HWND list = Item(IDC_HISTORY_LIST);
  const auto index = static_cast<WPARAM>(at - rows_.begin());
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
  SendMessageW(list, LVM_ENSUREVISIBLE, index, FALSE);
  ShowOpenedLines();
  return true;
}

void CHistoryWnd::ShowOpenedLines() {
  std::u16string text;
  if (const JobRecord* record = RecordOf(opened_)) {
    text = OpenedJobText(*record, ActiveLanguageTable());
  } else {
    text = DisplayText(records_.empty() ? TextId::HistoryEmpty : TextId::HistoryOpenHint);
  }
  SetItemText(IDC_HISTORY_LINES, AsWstring(text));
  EnableWindow(Item(IDC_HISTORY_COPY), RecordOf(opened_) != nullptr ? TRUE : FALSE);
}

void CHistoryWnd::OpenSelected() {
  const auto index = static_cast<int>(
      SendMessageW(Item(IDC_HISTORY_LIST), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (index >= 0 && index < static_cast<int>(rows_.size())) OpenJob(rows_[static_cast<size_t>(index)].id);
}

bool CHistoryWnd::CopyOpenedJob() {
  const JobRecord* record = RecordOf(opened_);
  if (record == nullptr) return false;
  return PutOnClipboard(Handle(), OpenedJobText(*record, ActiveLanguageTable()));
}

void CHistoryWnd::MoveFocus(bool back) {
  const HWND focus = GetFocus();
  const int count = static_cast<int>(std::size(kFocusOrder));
  int at = 0;
  for (int i = 0; i < count; ++i) {
    if (Item(kFocusOrder[i]) == focus) at = i;
  }
  // Past a control that cannot take the focus (Copy with no job opened).
  for (int step = 1; step < count; ++step) {
    const int next = ((at + (back ? -step : step)) % count + count) % count;
    HWND control = Item(kFocusOrder[next]);
    if (IsWindowEnabled(control)) {
      SetFocus(control);
      return;
    }
  }
}

LRESULT CALLBACK CHistoryWnd::Keys(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<CHistoryWnd*>(data);
  const bool inList = hwnd == self->Item(IDC_HISTORY_LIST);
  const bool inLines = hwnd == self->Item(IDC_HISTORY_LINES);
  switch (message) {
    case WM_KEYDOWN:
      switch (w) {
        case VK_ESCAPE: self->Close(); return 0;
        case VK_TAB: self->MoveFocus(GetKeyState(VK_SHIFT) < 0); return 0;
        case VK_RETURN:
          if (inList) self->OpenSelected();
          if (!inList && !inLines) SendMessageW(hwnd, BM_CLICK, 0, 0);
          return 0;
        default: break;
      }
      break;
    case WM_CHAR:
      // Ctrl+C arrives as character 3. In the lines a selection is copied
      // as the edit control copies it; without one, the whole job is.
      if (w == 3) {
        if (inLines) {
          DWORD from = 0, to = 0;
          SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
          if (from != to) break;
        }
        if (inList) self->OpenSelected();
        self->CopyOpenedJob();
        return 0;
      }
      // Enter, Esc and Tab were handled as keys; the controls would only beep.
      if (w == L'\r' || w == 27 || w == L'\t') return 0;
      break;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, message, w, l);
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &Keys, kKeysId); break;
    default: break;
  }
  return DefSubclassProc(hwnd, message, w, l);
}

bool CHistoryWnd::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_HISTORY_COPY:
      if (code == BN_CLICKED) CopyOpenedJob();
      return true;
    case IDC_HISTORY_CLOSE:
    case IDC_HISTORY_DONE:
    case IDCANCEL:
      if (code == BN_CLICKED) Close();
      return true;
    case IDOK: return true;
    default: return false;
  }
}

bool CHistoryWnd::OnNotify(int id, NMHDR* header, LRESULT& result) {
  if (id != IDC_HISTORY_LIST) return false;
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      const auto row = static_cast<size_t>(info->item.iItem);
      if ((info->item.mask & LVIF_TEXT) != 0 && row < rows_.size() && info->item.cchTextMax > 0) {
        const std::u16string& text = ColumnText(rows_[row], info->item.iSubItem);
        const size_t length = std::min(text.size(), static_cast<size_t>(info->item.cchTextMax - 1));
        std::copy_n(text.begin(), length, info->item.pszText);
        info->item.pszText[length] = L'\0';
      }
      result = 0;
      return true;
    }
    case NM_DBLCLK: {
      const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
      if (activate->iItem >= 0 && activate->iItem < static_cast<int>(rows_.size()))
        OpenJob(rows_[static_cast<size_t>(activate->iItem)].id);
      result = 0;
      return true;
    }
    default: return false;
  }
}

void CHistoryWnd::PaintSurface(HDC dc, const RECT& client) {
  PaintBandedSurface(dc, client, kBody, 26);
}

bool CHistoryWnd::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: captionDrag_.OnMessage(Handle(), message, l); return false;
    case WM_CLOSE:
      Close();
      result = TRUE;
      return true;
    case WM_CTLCOLORSTATIC:
      // The read-only lines paint their own white background; the title lies over the painting.
      if (reinterpret_cast<HWND>(l) != Item(IDC_HISTORY_LINES)) break;
      result = linesColours_.Apply(reinterpret_cast<HDC>(w));
      return true;
    default: break;
  }
  return PaintedDialog::OnMessage(message, w, l, result);
}

void CHistoryWnd::OnDestroyed() {
  for (PictureButton* button : {&closeButton_, &copyButton_, &doneButton_}) button->Attach(nullptr);
  records_.clear();
  rows_.clear();
  opened_ = 0;
}

}  // namespace qtr
