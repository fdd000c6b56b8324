// The FileSystem over the Win32 file API. Paths that start with a drive
// letter are passed in their \\?\ form, so trees deeper than MAX_PATH work;
// the error code is read right after the call that failed.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <winioctl.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Handles.h"

namespace qtr {
namespace {


// "C:\dir" -> "\\?\C:\dir"; "C:" -> "\\?\C:\". Other forms pass unchanged.
std::wstring Long(std::u16string_view path) {
  std::wstring p(path.begin(), path.end());
  const bool drive = p.size() >= 2 && p[1] == L':' && ((p[0] | 0x20) >= L'a' && (p[0] | 0x20) <= L'z');
  if (!drive) return p;
  if (p.size() == 2) p += L'\\';
  for (auto& c : p)
    if (c == L'/') c = L'\\';
  return L"\\\\?\\" + p;
}

// The root "C:\" of a drive path, for the volume calls.
std::wstring RootOf(std::u16string_view path) {
  if (path.size() >= 2 && path[1] == u':') return std::wstring{wchar_t(path[0]), L':', L'\\'};
  return std::wstring(path.begin(), path.end());
}

uint64_t Time64(const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }
FILETIME TimeOf(uint64_t t) { return FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)}; }

FindEntry EntryOf(const WIN32_FIND_DATAW& data) {
  FindEntry entry;
  entry.name.assign(reinterpret_cast<const char16_t*>(data.cFileName));
  entry.attributes = data.dwFileAttributes;
  entry.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  entry.times = {Time64(data.ftCreationTime), Time64(data.ftLastAccessTime), Time64(data.ftLastWriteTime)};
  return entry;
}

class Win32File : public File {
 public:
  explicit Win32File(HANDLE h) : handle_(h) {}
  uint32_t Read(void* buffer, size_t size, size_t* got) override {
    DWORD n = 0;
    const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!ReadFile(handle_.Get(), buffer, want, &n, nullptr)) {
      *got = 0;
      return GetLastError();
    }
    *got = n;
    return 0;
  }
  uint32_t Write(const void* buffer, size_t size) override {
    const char* p = static_cast<const char*>(buffer);
    while (size > 0) {
      const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      DWORD n = 0;
      if (!WriteFile(handle_.Get(), p, want, &n, nullptr)) return GetLastError();
      if (n == 0) return ERROR_WRITE_FAULT;
      p += n;
      size -= n;
    }
    return 0;
  }
  uint32_t Seek(uint64_t offset) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(handle_.Get(), to, nullptr, FILE_BEGIN) ? 0 : GetLastError();
  }
  uint32_t Size(uint64_t* size) override {
    LARGE_INTEGER s;
    if (!GetFileSizeEx(handle_.Get(), &s)) return GetLastError();
    *size = static_cast<uint64_t>(s.QuadPart);
    return 0;
  }
  // Two questions of the file itself rather than GetFileInformationByHandle,
  // which also asks the volume for its serial number: Wine answers that
  // through its mount manager in another process, which made opening a
  // source file for a copy six times slower.
  uint32_t GetInfo(FindEntry* info) override {
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    if (!GetFileInformationByHandleEx(handle_.Get(), FileBasicInfo, &basic, sizeof basic) ||
        !GetFileInformationByHandleEx(handle_.Get(), FileStandardInfo, &standard, sizeof standard))
      return GetLastError();
    info->name.clear();
    info->attributes = basic.FileAttributes;
    info->size = static_cast<uint64_t>(standard.EndOfFile.QuadPart);
    info->times = {static_cast<uint64_t>(basic.CreationTime.QuadPart),
                   static_cast<uint64_t>(basic.LastAccessTime.QuadPart),
                   static_cast<uint64_t>(basic.LastWriteTime.QuadPart)};
    return 0;
  }
  uint32_t SetTimesAndAttributes(const FileTimes& times, uint32_t attributes) override {
    FILE_BASIC_INFO info = {};
    info.CreationTime.QuadPart = static_cast<LONGLONG>(times.creation);
    info.LastAccessTime.QuadPart = static_cast<LONGLONG>(times.lastAccess);
    info.LastWriteTime.QuadPart = static_cast<LONGLONG>(times.lastWrite);
    info.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;  // 0 would mean "unchanged"
    return SetFileInformationByHandle(handle_.Get(), FileBasicInfo, &info, sizeof info) ? 0 : GetLastError();
  }
  uint32_t Flush() override { return FlushFileBuffers(handle_.Get()) ? 0 : GetLastError(); }
  // Renamed through its own handle: no second open of the file, which Wine makes costly.
  uint32_t RenameTo(std::u16string_view path) override {
    std::wstring target = Long(path);
    if (target.rfind(L"\\\\?\\", 0) == 0) target = L"\\??\\" + target.substr(4);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, target.data(), info->FileNameLength);
    return SetFileInformationByHandle(handle_.Get(), FileRenameInfo, info, static_cast<DWORD>(buffer.size()))
               ? 0
               : GetLastError();
  }
  uint32_t SetCompression(bool compressed) override {
    USHORT format = compressed ? COMPRESSION_FORMAT_DEFAULT : COMPRESSION_FORMAT_NONE;
    DWORD returned = 0;
    return DeviceIoControl(handle_.Get(), FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0, &returned,
                           nullptr)
               ? 0
               : GetLastError();
  }

 private:
  UniqueHandle handle_;
};

// Removes the second name of a file the Recycle Bin now holds. The two
// names share the file's attributes: a read-only one is cleared to let the
// name go and set again before it goes, so the file in the bin keeps it.
void RemoveSecondName(const std::wstring& name) {
  UniqueHandle h(CreateFileW(name.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  FILE_BASIC_INFO basic = {};
  if (!h || !GetFileInformationByHandleEx(h.Get(), FileBasicInfo, &basic, sizeof basic)) {
    h.Reset();
    DeleteFileW(name.c_str());
    return;
  }
  const DWORD attributes = basic.FileAttributes;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    basic.FileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(h.Get(), FileBasicInfo, &basic, sizeof basic);
  }
  FILE_DISPOSITION_INFO disposition = {TRUE};
  SetFileInformationByHandle(h.Get(), FileDispositionInfo, &disposition, sizeof disposition);
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    basic.FileAttributes = attributes;
    SetFileInformationByHandle(h.Get(), FileBasicInfo, &basic, sizeof basic);
  }
}

// How many names the file has; 0 when it cannot be told.
DWORD NameCount(const std::wstring& name) {
  UniqueHandle h(CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!h || !GetFileInformationByHandle(h.Get(), &info)) return 0;
  return info.nNumberOfLinks;
}

// The shell's delete with undo, for one file. Where it cannot recycle (a
// bin turned off or too small for the file, a volume whose bin it does not
// reach) it deletes the file for good, and asked to be silent it says
// nothing; so the file gets a second name first, and the outcome is read
// from that name: still two names, the bin holds the file; one, the shell
// deleted it, and the second name puts it back. A volume whose files have
// no second names (FAT, exFAT) is taken as one without a bin.
uint32_t RecycleOneFile(std::u16string_view path) {
  if (path.size() < 3 || path[1] != u':') return kErrorNoRecycleBin;
  // Removable media, network shares, CD and RAM disks keep no Recycle Bin.
  if (GetDriveTypeW(RootOf(path).c_str()) != DRIVE_FIXED) return kErrorNoRecycleBin;
  const std::wstring full = Long(path);
  std::wstring plain(path.begin(), path.end());
  if (plain.size() >= MAX_PATH) return kErrorNoRecycleBin;  // the shell takes no longer paths
  std::wstring second;
  for (int n = 0; n < 100 && second.empty(); ++n) {
    std::wstring name = full + L".qtr-recycling" + (n == 0 ? L"" : std::to_wstring(n));
    if (CreateHardLinkW(name.c_str(), full.c_str(), nullptr)) {
      second = std::move(name);
    } else if (const DWORD error = GetLastError();
               error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? error : kErrorNoRecycleBin;
    }
  }
  if (second.empty()) return kErrorNoRecycleBin;
  plain.push_back(L'\0');  // the list of names ends with an empty one
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = plain.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const int result = SHFileOperationW(&operation);
  if (SUCCEEDED(com)) CoUninitialize();
  if (GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES) {
    // Refused or cut short: the file is where it was.
    RemoveSecondName(second);
    // Below 0x71 the result is a Win32 code; from there up, the shell's own.
    return result != 0 && result < 0x71 ? static_cast<uint32_t>(result) : kErrorNoRecycleBin;
  }
  if (NameCount(second) >= 2) {
    RemoveSecondName(second);
    return 0;
  }
  // Deleted for good, or copied into a bin elsewhere: the second name goes
  // back in its place, and the caller keeps the file its own way.
  if (!MoveFileExW(second.c_str(), full.c_str(), MOVEFILE_WRITE_THROUGH)) return GetLastError();
  return kErrorNoRecycleBin;
}

class Win32Listing : public FolderListing {
 public:
  Win32Listing(HANDLE h, const WIN32_FIND_DATAW& first) : find_(h), data_(first) {}
  bool Next(FindEntry* entry) override {
    while (hasCurrent_) {
      const WIN32_FIND_DATAW current = data_;
      hasCurrent_ = FindNextFileW(find_.Get(), &data_) != 0;
      if (wcscmp(current.cFileName, L".") == 0 || wcscmp(current.cFileName, L"..") == 0) continue;
      *entry = EntryOf(current);
      return true;
    }
    return false;
  }

 private:
  UniqueFindHandle find_;
  WIN32_FIND_DATAW data_;
  bool hasCurrent_ = true;
};

class Win32FileSystem : public FileSystem {
 public:
  uint32_t Open(std::u16string_view path, OpenMode mode, std::unique_ptr<File>* file) override {
    DWORD access = GENERIC_READ, share = FILE_SHARE_READ, disposition = OPEN_EXISTING;
    DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN;
    switch (mode) {
      case OpenMode::kReadExisting:
        break;
      case OpenMode::kWriteNew:
        access = GENERIC_WRITE | DELETE;
        share = 0;
        disposition = CREATE_NEW;
        break;
      case OpenMode::kWriteTruncate:
        access = GENERIC_READ | GENERIC_WRITE | DELETE;
        share = 0;
        disposition = CREATE_ALWAYS;
        break;
      case OpenMode::kReadWriteExisting:
        access = GENERIC_READ | GENERIC_WRITE;
        share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        break;
    }
    const HANDLE h = CreateFileW(Long(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    *file = std::make_unique<Win32File>(h);
    return 0;
  }

  // GetFileAttributesEx rather than a find-first search: Wine answers it
  // from one stat, where a search reads the whole folder.
  uint32_t Find(std::u16string_view path, FindEntry* entry) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Long(path).c_str(), GetFileExInfoStandard, &data)) return GetLastError();
    const size_t slash = path.find_last_of(u"\\/");
    entry->name.assign(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
    entry->attributes = data.dwFileAttributes;
    entry->size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    entry->times = {Time64(data.ftCreationTime), Time64(data.ftLastAccessTime), Time64(data.ftLastWriteTime)};
    return 0;
  }

  uint32_t List(std::u16string_view folder, std::unique_ptr<FolderListing>* listing) override {
    std::wstring pattern = Long(folder);
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data;
    const HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    *listing = std::make_unique<Win32Listing>(h, data);
    return 0;
  }

  // Asked rarely (a store root, a folder named as one): the volume serial
  // number costs a round trip to Wine's mount manager.
  uint32_t GetIdentity(std::u16string_view path, FileIdentity* identity) override {
    UniqueHandle h(CreateFileW(Long(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return GetLastError();
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h.Get(), &info)) return GetLastError();
    identity->volume = info.dwVolumeSerialNumber;
    identity->file = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return 0;
  }

  uint32_t GetAttributes(std::u16string_view path, uint32_t* attributes) override {
    *attributes = GetFileAttributesW(Long(path).c_str());
    return *attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0;
  }

  uint32_t SetAttributes(std::u16string_view path, uint32_t attributes) override {
    return SetFileAttributesW(Long(path).c_str(), attributes) ? 0 : GetLastError();
  }

  uint32_t SetTimes(std::u16string_view path, const FileTimes& times) override {
    // FILE_FLAG_BACKUP_SEMANTICS lets folders be opened too.
    UniqueHandle h(CreateFileW(Long(path).c_str(), FILE_WRITE_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return GetLastError();
    const FILETIME c = TimeOf(times.creation), a = TimeOf(times.lastAccess), w = TimeOf(times.lastWrite);
    return SetFileTime(h.Get(), &c, &a, &w) ? 0 : GetLastError();
  }

  uint32_t SetCompression(std::u16string_view path, bool compressed) override {
    UniqueHandle h(CreateFileW(Long(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return GetLastError();
    USHORT format = compressed ? COMPRESSION_FORMAT_DEFAULT : COMPRESSION_FORMAT_NONE;
    DWORD returned = 0;
    if (!DeviceIoControl(h.Get(), FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0, &returned, nullptr))
      return GetLastError();
    return 0;
  }

  uint32_t CreateFolder(std::u16string_view path) override {
    return CreateDirectoryW(Long(path).c_str(), nullptr) ? 0 : GetLastError();
  }
  uint32_t RemoveFolder(std::u16string_view path) override {
    return RemoveDirectoryW(Long(path).c_str()) ? 0 : GetLastError();
  }
  uint32_t RemoveFile(std::u16string_view path) override {
    return DeleteFileW(Long(path).c_str()) ? 0 : GetLastError();
  }
  uint32_t Rename(std::u16string_view from, std::u16string_view to) override {
    return MoveFileExW(Long(from).c_str(), Long(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : GetLastError();
  }

  uint32_t ReplaceFile(std::u16string_view replacement, std::u16string_view replaced) override {
    // The data first: otherwise the rename can reach the disk before it,
    // and a power cut leaves a damaged file under the old name.
    {
      UniqueHandle h(CreateFileW(Long(replacement).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!h) return GetLastError();
      if (!FlushFileBuffers(h.Get())) return GetLastError();
    }
    return FileSystem::ReplaceFile(replacement, replaced);
  }

  uint32_t MoveToRecycleBin(std::u16string_view path) override { return RecycleOneFile(path); }

  uint32_t FreeSpace(std::u16string_view path, uint64_t* bytes) override {
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExW(RootOf(path).c_str(), &available, nullptr, nullptr)) return GetLastError();
    *bytes = available.QuadPart;
    return 0;
  }

  uint32_t GetVolumeInfo(std::u16string_view path, VolumeInfo* info) override {
    wchar_t name[MAX_PATH + 1] = {};
    DWORD flags = 0;
    if (!GetVolumeInformationW(RootOf(path).c_str(), nullptr, 0, nullptr, nullptr, &flags, name, MAX_PATH + 1))
      return GetLastError();
    info->fileSystemName.assign(reinterpret_cast<const char16_t*>(name));
    info->supportsFileCompression = (flags & FILE_FILE_COMPRESSION) != 0;
    const std::wstring fs = name;
    const bool fat = fs.rfind(L"FAT", 0) == 0 || fs == L"exFAT";
    info->coarseTimes = fat;
    info->maxFileSize = (fs == L"FAT" || fs == L"FAT32") ? 0xFFFFFFFFull : UINT64_MAX;
    return 0;
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}

}  // namespace qtr
