#include "engine/StoreVersions.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <algorithm>

#include "engine/StoreLayout.h"
#include "platform/FileSystem.h"

namespace qtr {
namespace {

// "X:\QTRPMB\" when path starts with a store root and a backslash; 0 otherwise.
size_t RootPrefixSize(std::u16string_view path) {
  const size_t rootSize = 3 + kStoreFolder.size();
  if (path.size() > rootSize && IsStoreRoot(path.substr(0, rootSize)) && path[rootSize] == u'\\')
    return rootSize + 1;
  return 0;
}

bool IsDriveFolderStart(std::u16string_view rest) {
  if (rest.empty()) return false;
  const char16_t drive = static_cast<char16_t>(rest[0] | 0x20);
  return drive >= u'a' && drive <= u'z' && (rest.size() == 1 || rest[1] == u'\\');
}

// Where "~versions\<stamp>\" starts and ends in path; false when it is no version path.
bool FindVersionPart(std::u16string_view path, size_t* begin, size_t* end) {
  const size_t at = RootPrefixSize(path);
  std::u16string_view rest = path.substr(at);
  if (rest.size() <= kVersionsFolder.size() || rest[kVersionsFolder.size()] != u'\\' ||
      Lowercase(rest.substr(0, kVersionsFolder.size())) != kVersionsFolder)
    return false;
  rest.remove_prefix(kVersionsFolder.size() + 1);
  const size_t slash = rest.find(u'\\');
  if (slash == std::u16string_view::npos || !ParseVersionStamp(rest.substr(0, slash))) return false;
  if (!IsDriveFolderStart(rest.substr(slash + 1))) return false;
  *begin = at;
  *end = at + kVersionsFolder.size() + 1 + slash + 1;
  return true;
}

bool ReadDigits(std::u16string_view text, size_t at, size_t count, int* value) {
  if (at + count > text.size()) return false;
  int v = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    v = v * 10 + (text[i] - u'0');
  }
  *value = v;
  return true;
}

}  // namespace

long long VersionStamp::DayNumber() const {
  // Days from civil, proleptic Gregorian.
  const int y = year - (month <= 2 ? 1 : 0);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::u16string VersionsFolderOf(std::u16string_view storeRoot) {
  return JoinPath(storeRoot, kVersionsFolder);
}

bool IsVersionsFolder(std::u16string_view path) {
  path = WithoutTrailingBackslashes(path);
  return Lowercase(NameOf(path)) == kVersionsFolder && IsStoreRoot(ParentOf(path));
}

std::u16string VersionStampNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  VersionStamp stamp{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec};
  return VersionStampText(stamp);
}

std::optional<VersionStamp> ParseVersionStamp(std::u16string_view name) {
  VersionStamp s;
  if (name.size() < 17 || name[4] != u'-' || name[7] != u'-' || name[10] != u' ') return std::nullopt;
  if (!ReadDigits(name, 0, 4, &s.year) || !ReadDigits(name, 5, 2, &s.month) ||
      !ReadDigits(name, 8, 2, &s.day) || !ReadDigits(name, 11, 2, &s.hour) ||
      !ReadDigits(name, 13, 2, &s.minute) || !ReadDigits(name, 15, 2, &s.second))
    return std::nullopt;
  if (s.month < 1 || s.month > 12 || s.day < 1 || s.day > 31 || s.hour > 23 || s.minute > 59 || s.second > 59)
    return std::nullopt;
  if (name.size() == 17) return s;
  if (name[17] != u'.' || name.size() == 18 || name.size() > 22 || name[18] == u'0') return std::nullopt;
  if (!ReadDigits(name, 18, name.size() - 18, &s.number) || s.number < 2) return std::nullopt;
  return s;
}

std::u16string VersionStampText(const VersionStamp& s) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d%02d%02d", s.year, s.month, s.day, s.hour, s.minute,
                s.second);
  std::u16string out(text, text + std::char_traits<char>::length(text));
  if (s.number > 1) {
    std::snprintf(text, sizeof text, ".%d", s.number);
    out.append(text, text + std::char_traits<char>::length(text));
  }
  return out;
}

long long DaysBetween(const VersionStamp& earlier, const VersionStamp& later) {
  return later.DayNumber() - earlier.DayNumber();
}

std::u16string VersionPathOf(std::u16string_view storedPath, std::u16string_view stamp) {
  const size_t at = RootPrefixSize(storedPath);
  if (!IsDriveFolderStart(storedPath.substr(at)) || CurrentPathOfVersion(storedPath).size() != 0) return {};
  return std::u16string(storedPath.substr(0, at)) + std::u16string(kVersionsFolder) + u"\\" +
         std::u16string(stamp) + u"\\" + std::u16string(storedPath.substr(at));
}

std::u16string CurrentPathOfVersion(std::u16string_view path) {
  size_t begin = 0, end = 0;
  if (!FindVersionPart(path, &begin, &end)) return {};
  return std::u16string(path.substr(0, begin)) + std::u16string(path.substr(end));
}

std::u16string StampOfVersion(std::u16string_view path) {
  size_t begin = 0, end = 0;
  if (!FindVersionPart(path, &begin, &end)) return {};
  const size_t stampAt = begin + kVersionsFolder.size() + 1;
  return std::u16string(path.substr(stampAt, end - 1 - stampAt));
}

bool LiesInVersionFolder(std::u16string_view path) {
  path = WithoutTrailingBackslashes(path);
  const size_t at = RootPrefixSize(path);
  if (at == 0) return false;
  std::u16string_view rest = path.substr(at);
  if (rest.size() <= kVersionsFolder.size() + 1 || rest[kVersionsFolder.size()] != u'\\' ||
      Lowercase(rest.substr(0, kVersionsFolder.size())) != kVersionsFolder)
    return false;
  rest.remove_prefix(kVersionsFolder.size() + 1);
  return ParseVersionStamp(rest.substr(0, rest.find(u'\\'))).has_value();
}

std::vector<std::u16string> ListVersionStamps(FileSystem& fs, std::u16string_view storeRoot) {
  std::vector<std::pair<VersionStamp, std::u16string>> found;
  // A link as the versions folder holds none of the store's versions: nothing is read or removed through it.
  FindEntry self;
  if (fs.Find(VersionsFolderOf(storeRoot), &self) != 0 || !self.IsFolder() || self.IsLink()) return {};
  std::unique_ptr<FolderListing> listing;
  if (fs.List(VersionsFolderOf(storeRoot), &listing) != 0) return {};
  FindEntry entry;
  while (listing->Next(&entry))
    if (entry.IsFolder() && !entry.IsLink())
      if (const auto stamp = ParseVersionStamp(entry.name)) found.emplace_back(*stamp, entry.name);
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::u16string> stamps;
  for (auto& [stamp, name] : found) stamps.push_back(std::move(name));
  return stamps;
}

}  // namespace qtr

namespace qtr {

std::vector<std::u16string> VersionDriveFolders(FileSystem& fs, std::u16string_view storeRoot) {
  std::vector<std::u16string> folders;
  for (const std::u16string& stamp : ListVersionStamps(fs, storeRoot)) {
    const std::u16string folder = JoinPath(VersionsFolderOf(storeRoot), stamp);
    std::unique_ptr<FolderListing> listing;
    if (fs.List(folder, &listing) != 0) continue;
    FindEntry entry;
    while (listing->Next(&entry))
      if (entry.IsFolder() && !entry.IsLink() && IsDriveFolderStart(entry.name) && entry.name.size() == 1)
        folders.push_back(JoinPath(folder, entry.name));
  }
  return folders;
}

}  // namespace qtr
