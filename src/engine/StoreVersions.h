// Where the store keeps the copies a backup replaced: a stored copy whose
// source changed is renamed, in the form it had, to
//   X:\QTRPMB\~versions\<stamp>\<drive>\<path>
// where <stamp> is the local date and time the job started
// ("2026-12-09 193800"; a second job in the same second takes
// "2026-12-09 193800.2"). A version folder is plain like the mirror, so
// the versions are browsable; the folder "~versions" is hidden and system.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qtr {

inline constexpr std::u16string_view kVersionsFolder = u"~versions";

// A version folder's stamp read back: its date and time, and the number
// after the dot (1 when there is none).
struct VersionStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int number = 1;
  // Days since 1970-01-01 of the date (any calendar day, no time zone).
  long long DayNumber() const;
  auto operator<=>(const VersionStamp&) const = default;
};

// "F:\QTRPMB" -> "F:\QTRPMB\~versions".
std::u16string VersionsFolderOf(std::u16string_view storeRoot);
// True when path is the versions folder of a store root ("F:\QTRPMB\~versions").
bool IsVersionsFolder(std::u16string_view path);
// The stamp of a job that starts now, in local time: "2026-12-09 193800".
std::u16string VersionStampNow();
// "2026-12-09 193800" or "2026-12-09 193800.2"; nullopt for any other name.
std::optional<VersionStamp> ParseVersionStamp(std::u16string_view name);
std::u16string VersionStampText(const VersionStamp& stamp);
// Days between two stamps' dates (later - earlier), whatever their times.
long long DaysBetween(const VersionStamp& earlier, const VersionStamp& later);

// "F:\QTRPMB\C\a.txt" (or "C\a.txt" below the root), stamp ->
// "F:\QTRPMB\~versions\<stamp>\C\a.txt" ("~versions\<stamp>\C\a.txt").
// Empty for a path that is no stored file's.
std::u16string VersionPathOf(std::u16string_view storedPath, std::u16string_view stamp);
// The other way: the stored file a version was the copy of, full or below
// the root like its argument; empty when path lies in no version folder.
std::u16string CurrentPathOfVersion(std::u16string_view path);
// True for a stamp folder of a store's versions folder and anything below
// it ("F:\QTRPMB\~versions\2026-12-09 193800", "...\C\a.txt").
bool LiesInVersionFolder(std::u16string_view path);
// The stamp folder's name of a version (or of a path in a version folder); empty otherwise.
std::u16string StampOfVersion(std::u16string_view path);

// The stamps of the store's version folders, newest first (names that are
// no stamp, links, and every folder of a versions folder that is a link are left out).
class FileSystem;
std::vector<std::u16string> ListVersionStamps(FileSystem& fs, std::u16string_view storeRoot);
// The drive folders of every version folder ("F:\QTRPMB\~versions\<stamp>\C"),
// newest stamp first; links are left out, never followed.
std::vector<std::u16string> VersionDriveFolders(FileSystem& fs, std::u16string_view storeRoot);

}  // namespace qtr
