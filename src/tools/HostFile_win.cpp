#include <windows.h>

#include <string>

#include "tools/HostFile.h"

namespace qtr {
namespace {

std::wstring W(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

// The volume and file index of an existing file, to tell two names of one file apart from two files.
bool Identity(std::u16string_view path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE h = CreateFileW(W(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const BOOL ok = GetFileInformationByHandle(h, info);
  CloseHandle(h);
  return ok != 0;
}

}  // namespace

uint32_t OpenHostFile(std::u16string_view path, bool write, std::unique_ptr<File>* file) {
  return SystemFileSystem().Open(path, write ? OpenMode::kWriteTruncate : OpenMode::kReadExisting, file);
}

uint32_t CreateNewHostFile(std::u16string_view path, std::unique_ptr<File>* file) {
  return SystemFileSystem().Open(path, OpenMode::kWriteNew, file);
}

// Device names ("\\.\PhysicalDrive1", "NUL", "COM1") are never written: a
// pack is a file's business.
HostPathKind KindOfHostPath(std::u16string_view path) {
  if (path.starts_with(u"\\\\.\\") || path.starts_with(u"\\\\?\\GLOBALROOT")) return HostPathKind::kRefused;
  const DWORD attributes = GetFileAttributesW(W(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return HostPathKind::kMissing;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return HostPathKind::kFolder;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return HostPathKind::kRefused;
  HANDLE h = CreateFileW(W(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return HostPathKind::kRegular;
  const DWORD type = GetFileType(h);
  CloseHandle(h);
  return type == FILE_TYPE_DISK ? HostPathKind::kRegular : HostPathKind::kRefused;
}

// A replace fails with access denied or a sharing violation while another
// process (or a second pack of the same output) is replacing or reading the
// old file; it goes through once that one lets go, so it is tried again for
// up to half a second.
uint32_t RenameHostFile(std::u16string_view from, std::u16string_view to) {
  constexpr uint32_t kErrorSharingViolation = 32;
  uint32_t error = 0;
  for (int attempt = 0; attempt < 50; ++attempt) {
    error = SystemFileSystem().Rename(from, to);
    if (error != kErrorAccessDenied && error != kErrorSharingViolation) return error;
    Sleep(10);
  }
  return error;
}

uint32_t RemoveHostFile(std::u16string_view path) { return SystemFileSystem().RemoveFile(path); }

uint32_t CreateHiddenHostFolder(std::u16string_view path) {
  FileSystem& fs = SystemFileSystem();
  if (const uint32_t error = fs.CreateFolder(path)) return error;
  return fs.SetAttributes(path, kAttributeDirectory | kAttributeHidden | kAttributeSystem);
}

bool SameHostFile(std::u16string_view a, std::u16string_view b) {
  BY_HANDLE_FILE_INFORMATION x, y;
  if (!Identity(a, &x) || !Identity(b, &y)) return false;
  return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

}  // namespace qtr
