#include "support/MappedDrive.h"

#include <windows.h>

#include <cwctype>
#include <string>

#include "platform/Handles.h"

namespace qtr::test {
namespace {

std::wstring Widen(const std::string& s) {
  return std::wstring(s.begin(), s.end());
}

}  // namespace

namespace {

// The host path of link, whose last name need not exist yet.
std::wstring HostPathOfName(const std::wstring& link) {
  const size_t slash = link.find_last_of(L'\\');
  const std::string folder = HostPath(link.substr(0, slash));
  return folder.empty() ? std::wstring() : Widen(folder + "/") + link.substr(slash + 1);
}

bool WaitUntilShown(const std::wstring& path, bool shown) {
  for (int i = 0; i < 500; ++i) {
    if ((GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) == shown) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace

bool PlantHostLink(const std::wstring& link, const std::wstring& target) {
  const std::wstring host = HostPathOfName(link);
  const std::string to = HostPath(target);
  return !host.empty() && !to.empty() &&
         RunHostCommand(L"/bin/ln", L"-sn \"" + Widen(to) + L"\" \"" + host + L"\"") && WaitUntilShown(link, true);
}

bool RemoveHostLink(const std::wstring& link) {
  const std::wstring host = HostPathOfName(link);
  return !host.empty() && RunHostCommand(L"/bin/rm", L"-f \"" + host + L"\"") && WaitUntilShown(link, false);
}

MappedDrive::MappedDrive(wchar_t letter, const std::wstring& folder)
    : letter_(static_cast<wchar_t>(std::towlower(letter))) {
  const std::string target = HostPath(folder);
  if (target.empty()) return;
  // A letter someone else made (a person's own link, even one whose folder
  // is gone for now) is neither replaced nor, later, removed.
  if (LetterInUse()) return;
  link_ = DriveLinkPath(letter_);
  // No -f: should the letter be taken in between, the other link stays.
  if (!RunHostCommand(L"/bin/ln", L"-sn \"" + Widen(target) + L"\" \"" + Widen(link_) + L"\"") ||
      !WaitForReachable(true)) {
    link_.clear();
    return;
  }
  // The letter is ours only when it shows our folder.
  const std::wstring marker = folder + L"\\.qtr-mapped-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount());
  UniqueHandle file(CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  const std::wstring seen = Root() + marker.substr(marker.find_last_of(L'\\') + 1);
  ok_ = file && GetFileAttributesW(seen.c_str()) != INVALID_FILE_ATTRIBUTES;
  file.Reset();
  DeleteFileW(marker.c_str());
  if (!ok_) link_.clear();
}

MappedDrive::~MappedDrive() {
  if (ok_ && RunHostCommand(L"/bin/rm", L"-f \"" + Widen(link_) + L"\"")) WaitForReachable(false);
}

bool MappedDrive::LetterInUse() const {
  const wchar_t device[] = {static_cast<wchar_t>(std::towupper(letter_)), L':', L'\0'};
  wchar_t target[MAX_PATH];
  return QueryDosDeviceW(device, target, MAX_PATH) != 0 ||
         GetFileAttributesW(Root().c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MappedDrive::WaitForReachable(bool reachable) const {
  return WaitForDriveRoot(letter_, reachable);
}

std::wstring MappedDrive::Root() const {
  return std::wstring(1, static_cast<wchar_t>(std::towupper(letter_))) + L":\\";
}

}  // namespace qtr::test
