#include "JourneyFiles.h"

#include <windows.h>

#include <memory>

#include "ProgramDriver.h"
#include "engine/Container.h"
#include "platform/FileSystem.h"
#include "support/MappedDrive.h"

namespace qtr::test {

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

std::string StoredBytes(const std::wstring& path) {
  const std::u16string packed(path.begin(), path.end());
  FileSystem& fs = SystemFileSystem();
  std::unique_ptr<File> in;
  if (fs.Open(packed, OpenMode::kReadExisting, &in) != 0) return "<missing>";
  uint64_t size = 0;
  in->Size(&size);
  const std::u16string unpacked = packed + u".unpacked";
  std::unique_ptr<File> out;
  if (fs.Open(unpacked, OpenMode::kWriteTruncate, &out) != 0) return "<no room>";
  // The container begins with its four-byte marker.
  ContainerStatus status{ContainerResult::kReadFailed, 0};
  if (in->Seek(4) == 0) status = ReadContainer(*in, size, *out, nullptr);
  out.reset();
  const std::string bytes = status.result == ContainerResult::kOk
                                ? ReadFileBytes(std::wstring(unpacked.begin(), unpacked.end()))
                                : "<bad container>";
  fs.RemoveFile(unpacked);
  return bytes;
}

std::vector<std::wstring> FilesBelow(const std::wstring& folder) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      for (std::wstring& below : FilesBelow(folder + L"\\" + name)) files.push_back(std::move(below));
    } else {
      files.push_back(folder + L"\\" + name);
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return files;
}

bool RunHostScript(const std::wstring& folder, const std::string& script, unsigned milliseconds) {
  // A host process cannot be waited for from Wine: the script's last step leaves a mark.
  const std::wstring done = folder + L"\\script.done";
  DeleteFileW(done.c_str());
  const std::string host = HostPath(folder);
  if (host.empty()) return false;
  if (!WriteFileBytes(folder + L"\\script.sh",
                      script + "\ntouch '" + host + "/script.done'\n"))
    return false;
  const std::wstring path(host.begin(), host.end());
  if (!RunHostCommand(L"/bin/sh", L"\"" + path + L"/script.sh\"")) return false;
  const bool ran = WaitFor([&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; },
                           milliseconds);
  DeleteFileW(done.c_str());
  DeleteFileW((folder + L"\\script.sh").c_str());
  return ran;
}

}  // namespace qtr::test
