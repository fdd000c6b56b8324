#include "platform/WholeFile.h"

#include <windows.h>

#include "platform/FileReplacement.h"
#include "platform/Handles.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

std::wstring WidePath(std::u16string_view path) {
  return std::wstring(path.begin(), path.end());
}

}  // namespace

uint32_t ReadWholeFile(std::u16string_view path, std::string& bytes) {
  bytes.clear();
  UniqueHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return GetLastError();
  if (size.QuadPart > 0x7FFFFFFF) return kErrorNotEnoughMemory;
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr))
      return GetLastError();
    if (got == 0) break;  // the file shrank while we read it
    done += got;
  }
  bytes.resize(done);
  return 0;
}

uint32_t WriteWholeFile(std::u16string_view path, std::string_view bytes) {
  UniqueHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD put = 0;
    if (!WriteFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &put, nullptr))
      return GetLastError();
    if (put == 0) return kErrorWriteFault;
    done += put;
  }
  return 0;
}

uint32_t ReplaceWholeFile(std::u16string_view path, std::string_view bytes) {
  return ReplaceFileContents(SystemFileSystem(), path, bytes);
}

uint32_t StampOfWholeFile(std::u16string_view path, WholeFileStamp* stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return GetLastError();
  stamp->size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  stamp->lastWrite = (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  return 0;
}

uint32_t RenameWholeFile(std::u16string_view from, std::u16string_view to) {
  if (!MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return GetLastError();
  return 0;
}

WholeFileLock::WholeFileLock(std::u16string_view path, uint32_t waitMs) {
  const ULONGLONG until = GetTickCount64() + waitMs;
  for (;;) {
    // Shared with nobody, and gone once the last handle closes.
    const HANDLE file =
        CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      handle_ = reinterpret_cast<intptr_t>(file);
      return;
    }
    // Held, or its file still being deleted: anything else will not pass by waiting.
    const DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || GetTickCount64() >= until) return;
    Sleep(5);
  }
}

WholeFileLock::~WholeFileLock() {
  if (handle_ != kNone) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace qtr
