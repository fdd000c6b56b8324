#include "ProgramDriver.h"

#include <cstddef>
#include <vector>

#include "support/MappedDrive.h"

namespace qtr::test {
namespace {

std::wstring ProgramPath() {
  std::wstring path = L"Z:" QTR_PROGRAM_PATH_W;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

struct ChildSearch {
  int id;
  HWND found = nullptr;
};

// The first descendant of parent that holds a control with the id.
HWND ChildHolding(HWND parent, int id) {
  ChildSearch search{id};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<ChildSearch*>(data);
        if (GetDlgItem(child, s->id) == nullptr) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Tree-view messages that carry a structure: from another process the
// structure must live in the program's own memory.
class RemoteBlock {
 public:
  explicit RemoteBlock(HANDLE process)
      : process_(process),
        at_(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~RemoteBlock() {
    if (at_ != nullptr) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  bool Ok() const { return at_ != nullptr; }
  void* At() const { return at_; }
  // Writes value, sends the message with the block as its lParam, reads value back.
  template <typename T>
  LRESULT Send(HWND window, UINT message, WPARAM wParam, T* value) {
    SIZE_T moved = 0;
    if (!WriteProcessMemory(process_, at_, value, sizeof(T), &moved) || moved != sizeof(T)) return 0;
    const LRESULT result = SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(at_));
    if (!ReadProcessMemory(process_, at_, value, sizeof(T), &moved) || moved != sizeof(T)) return 0;
    return result;
  }

 private:
  HANDLE process_;
  void* at_;
};

}  // namespace

bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(50);
  }
  return true;
}

ProgramDriver::ProgramDriver(std::wstring folder) : folder_(std::move(folder)) {}

ProgramDriver::~ProgramDriver() {
  if (process_.Get() != nullptr) Quit();
}

bool ProgramDriver::Start() {
  const std::wstring copy = folder_ + L"QtrBackup.exe";
  if (!CopyFileW(ProgramPath().c_str(), copy.c_str(), FALSE)) return false;
  // The language tables beside it, as the build puts them beside the program.
  const std::wstring from = ProgramPath().substr(0, ProgramPath().rfind(L'\\') + 1) + L"Language\\";
  const std::wstring to = folder_ + L"Language\\";
  CreateDirectoryW(to.c_str(), nullptr);
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((from + L"*.xml").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      CopyFileW((from + found.cFileName).c_str(), (to + found.cFileName).c_str(), FALSE);
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  std::wstring command = L"\"" + copy + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &startup,
                      &info))
    return false;
  CloseHandle(info.hThread);
  process_.Reset(info.hProcess);
  processId_ = info.dwProcessId;
  return WaitFor(
      [this] {
        main_ = FindTopLevel(L"QTR XVQ GUI");
        return main_ != nullptr && PageBox() != nullptr;
      },
      20000);
}

void ProgramDriver::Quit() {
  if (main_ != nullptr && IsWindow(main_)) PostMessageW(main_, WM_COMMAND, MAKEWPARAM(1008, BN_CLICKED), 0);
  if (WaitForSingleObject(process_.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process_.Get(), 1);
  process_.Reset(nullptr);
  main_ = nullptr;
}

HWND ProgramDriver::PageBox() const {
  return main_ == nullptr ? nullptr : ChildHolding(main_, 1014);
}

HWND ProgramDriver::BackUpPage() const {
  HWND box = PageBox();
  return box == nullptr ? nullptr : ChildHolding(box, 1112);
}

HWND ProgramDriver::JobWindow() const {
  HWND box = PageBox();
  return box == nullptr ? nullptr : ChildHolding(box, 1083);
}

int ProgramDriver::CountTopLevel(const std::wstring& title) const {
  struct Search {
    DWORD process;
    const std::wstring* title;
    int count = 0;
  } search{processId_, &title};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (owner == s->process && IsWindowVisible(window) && *s->title == text) ++s->count;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.count;
}

bool ProgramDriver::Ended(DWORD milliseconds) const {
  return process_.Get() != nullptr && WaitForSingleObject(process_.Get(), milliseconds) == WAIT_OBJECT_0;
}

HWND ProgramDriver::FindTopLevel(const std::wstring& title) const {
  struct Search {
    DWORD process;
    const std::wstring* title;
    HWND found = nullptr;
  } search{processId_, &title};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s->process || !IsWindowVisible(window)) return TRUE;
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (*s->title != text) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ProgramDriver::FindDialogHolding(int id) const {
  struct Search {
    DWORD process;
    int id;
    HWND found = nullptr;
  } search{processId_, id};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s->process || !IsWindowVisible(window) || GetDlgItem(window, s->id) == nullptr) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void ProgramDriver::Click(HWND window, int id) {
  PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

bool ProgramDriver::Choose(HWND parent, int id, const std::wstring& text) {
  HWND box = GetDlgItem(parent, id);
  const LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t entry[64] = {};
    if (SendMessageW(box, CB_GETLBTEXTLEN, i, 0) >= 64) continue;
    SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
    if (text != entry) continue;
    SendMessageW(box, CB_SETCURSEL, i, 0);
    PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    return true;
  }
  return false;
}

bool ProgramDriver::ClickCheckBox(HWND tree, HTREEITEM item) const {
  RemoteBlock block(process_.Get());
  if (!block.Ok()) return false;
  SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  // A label wider than the tree scrolls it sideways, its check box out of sight.
  SendMessageW(tree, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
  // The message takes the item in the rectangle's first bytes.
  union {
    HTREEITEM item;
    RECT rect;
  } asked{};
  asked.item = item;
  if (!block.Send(tree, TVM_GETITEMRECT, TRUE, &asked)) return false;
  const RECT text = asked.rect;
  // The check box is left of the label, past the item's picture if it has one.
  TVHITTESTINFO hit{};
  hit.pt.y = (text.top + text.bottom) / 2;
  for (hit.pt.x = text.left - 1; hit.pt.x >= 0; --hit.pt.x) {
    TVHITTESTINFO probe = hit;
    if (reinterpret_cast<HTREEITEM>(block.Send(tree, TVM_HITTEST, 0, &probe)) == item &&
        (probe.flags & TVHT_ONITEMSTATEICON) != 0)
      break;
  }
  if (hit.pt.x < 0) return false;
  POINT screen = hit.pt;
  ClientToScreen(tree, &screen);
  return RunHostCommand(L"/usr/bin/xdotool", L"mousemove " + std::to_wstring(screen.x) + L" " +
                                                 std::to_wstring(screen.y) + L" sleep 0.3 click 1");
}

LPARAM ProgramDriver::ItemData(HWND tree, HTREEITEM item) const {
  RemoteBlock block(process_.Get());
  if (!block.Ok()) return 0;
  TVITEMW asked{};
  asked.mask = TVIF_HANDLE | TVIF_PARAM;
  asked.hItem = item;
  return block.Send(tree, TVM_GETITEMW, 0, &asked) ? asked.lParam : 0;
}

std::wstring ProgramDriver::ItemText(HWND tree, HTREEITEM item) const {
  RemoteBlock block(process_.Get());
  if (!block.Ok()) return {};
  // The text buffer lies in the same block, just after the item.
  struct Asked {
    TVITEMW item;
    wchar_t text[260];
  } asked{};
  asked.item.mask = TVIF_HANDLE | TVIF_TEXT;
  asked.item.hItem = item;
  asked.item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(block.At()) + offsetof(Asked, text));
  asked.item.cchTextMax = 260;
  if (!block.Send(tree, TVM_GETITEMW, 0, &asked)) return {};
  asked.text[259] = L'\0';
  return asked.text;
}

std::wstring ProgramDriver::Text(HWND window, int id) {
  // WM_GETTEXT rather than GetWindowTextW: across processes the latter
  // gives only a window's caption, never the text of an edit control.
  wchar_t text[512] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(GetDlgItem(window, id), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, &copied);
  return text;
}

}  // namespace qtr::test
