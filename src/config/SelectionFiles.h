// The two files that keep the source selection: filepath.xml (the check
// states of the source tree) and backupfullpath.xml (the topmost checked
// paths, which the backup job reads). The source tree calls these on every
// check change; start-up prunes paths that no longer exist.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qtr {

enum class CheckState { kUnchecked = 1, kPartlyChecked = 2, kChecked = 3 };

// The full paths of the items the source tree shows under a folder.
using ChildrenOf = std::function<std::vector<std::u16string>(const std::u16string& folder)>;
// Whether a file or folder exists (the file system's answer in the program).
using PathExists = std::function<bool(const std::u16string& path)>;

class SelectionFiles {
 public:
  // programFolder ends with a backslash.
  explicit SelectionFiles(std::u16string_view programFolder);

  const std::u16string& CheckStatePath() const { return checkStatePath_; }
  const std::u16string& BackupPathsPath() const { return backupPathsPath_; }

  // Records that an item changed to state. Checking drops whatever was
  // recorded inside it and records the item; unchecking drops the item and
  // everything inside it. Unchecking an item whose folder is checked as a
  // whole leaves that folder partly checked: the items beside the path down
  // to the item (childrenOf tells which they are) stay checked. A partly
  // checked state changes nothing. Missing or unreadable files start empty.
  bool ApplyCheckChange(const std::u16string& path, CheckState state, const ChildrenOf& childrenOf) const;

  // Drops every path of backupfullpath.xml that no longer exists from both
  // files. Does nothing when backupfullpath.xml does not load.
  bool Prune(const PathExists& pathExists) const;

 private:
  std::u16string checkStatePath_;
  std::u16string backupPathsPath_;
};

// The edit itself, on a list of topmost checked paths (none inside another).
void CheckPath(std::vector<std::u16string>& checked, const std::u16string& path);
void UncheckPath(std::vector<std::u16string>& checked, const std::u16string& path,
                 const ChildrenOf& childrenOf);

}  // namespace qtr
