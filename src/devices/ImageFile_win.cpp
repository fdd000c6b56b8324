// <windows.h> first: the other system headers need its types.
// clang-format off
#include <windows.h>
#include <winioctl.h>
// clang-format on

#include <string>

#include "devices/ImageFile.h"
#include "platform/Handles.h"
#include "platform/WideText.h"

namespace qtr {
namespace {

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED position{};
  position.Offset = static_cast<DWORD>(offset);
  position.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return position;
}

class WinImageFile final : public ImageFile {
 public:
  explicit WinImageFile(HANDLE h) : file_(h) {}

  bool ReadAt(uint64_t offset, uint8_t* buffer, uint32_t length, uint32_t& done, uint32_t& error) override {
    done = 0;
    while (done < length) {
      OVERLAPPED position = At(offset + done);
      DWORD n = 0;
      if (!ReadFile(file_.Get(), buffer + done, length - done, &n, &position)) {
        const DWORD code = GetLastError();
        if (code == ERROR_HANDLE_EOF) break;
        error = code;
        return false;
      }
      if (n == 0) break;
      done += n;
    }
    return true;
  }

  bool WriteAt(uint64_t offset, const uint8_t* buffer, uint32_t length, uint32_t& done,
               uint32_t& error) override {
    done = 0;
    while (done < length) {
      OVERLAPPED position = At(offset + done);
      DWORD n = 0;
      if (!WriteFile(file_.Get(), buffer + done, length - done, &n, &position)) {
        error = GetLastError();
        return false;
      }
      if (n == 0) {
        error = ERROR_WRITE_FAULT;
        return false;
      }
      done += n;
    }
    return true;
  }

 private:
  UniqueHandle file_;
};

}  // namespace

std::unique_ptr<ImageFile> ImageFile::Open(const std::u16string& path, bool writable, uint32_t& error) {
  HANDLE h =
      CreateFileW(AsWstring(path).c_str(), GENERIC_READ | (writable ? GENERIC_WRITE : 0),
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return nullptr;
  }
  return std::make_unique<WinImageFile>(h);
}

uint32_t ImageFile::Prepare(const std::u16string& path, uint64_t size) {
  UniqueHandle file(CreateFileW(AsWstring(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  LARGE_INTEGER current{};
  if (!GetFileSizeEx(file.Get(), &current)) return GetLastError();
  if (static_cast<uint64_t>(current.QuadPart) >= size) return 0;
  // Holes keep a large simulated disk from taking its whole size; a file
  // system without them simply refuses the request.
  DWORD returned = 0;
  DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.Get()))
    return GetLastError();
  return 0;
}

}  // namespace qtr
