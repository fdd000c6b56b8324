// The path-list files of the program folder: root "filepath" with empty
// "path" elements whose attribute "path" holds a full path. filepath.xml nests
// them along the folder hierarchy (the check states of the source tree);
// backupfullpath.xml and restoreTempPath.xml are flat lists.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qtr {

inline constexpr std::u16string_view kCheckStateFileName = u"filepath.xml";
inline constexpr std::u16string_view kBackupPathsFileName = u"backupfullpath.xml";
inline constexpr std::u16string_view kRestorePathsFileName = u"restoreTempPath.xml";

// The "path" attributes of the root's "path" children, in file order. A file
// that does not load (missing, truncated, ill-formed) gives an empty list.
std::vector<std::u16string> ReadPathList(std::u16string_view file);
// As ReadPathList; false when the file does not load.
bool LoadPathList(std::u16string_view file, std::vector<std::u16string>& paths);

// Writes a flat list, replacing the file.
bool WritePathList(std::u16string_view file, const std::vector<std::u16string>& paths);

// The fully checked paths of filepath.xml: its "path" elements that have no
// "path" children, in file order. Empty when the file does not load.
std::vector<std::u16string> ReadCheckedPaths(std::u16string_view file);
bool LoadCheckedPaths(std::u16string_view file, std::vector<std::u16string>& checked);

// Writes filepath.xml for a set of fully checked paths, none inside another:
// each path nested in elements for the folders above it, one element per
// folder, shared by the paths below it.
bool WriteCheckedPaths(std::u16string_view file, const std::vector<std::u16string>& checked);

}  // namespace qtr
