#include "config/SelectionFiles.h"

#include <algorithm>
#include <unordered_set>

#include "config/PathList.h"
#include "config/SelectionPath.h"
#include "xml/XmlDocument.h"

namespace qtr {
namespace {

// Whether path, or a folder above it, is one of the folded paths.
bool CoveredBy(const std::unordered_set<std::u16string>& folded, const std::u16string& path) {
  if (folded.contains(FoldPath(path))) return true;
  for (const std::u16string& ancestor : AncestorsOf(path))
    if (folded.contains(FoldPath(ancestor))) return true;
  return false;
}

// Drops empty paths, repeats and paths inside another path of the list, so
// that a hand-edited or damaged file still gives a list in which no path is
// inside another. Linear in the number of paths (times their depth).
void KeepTopmost(std::vector<std::u16string>& paths) {
  std::unordered_set<std::u16string> all;
  for (const std::u16string& path : paths) all.insert(FoldPath(path));
  std::unordered_set<std::u16string> seen;
  std::erase_if(paths, [&](const std::u16string& path) {
    if (path.empty() || !seen.insert(FoldPath(path)).second) return true;
    for (const std::u16string& ancestor : AncestorsOf(path))
      if (all.contains(FoldPath(ancestor))) return true;
    return false;
  });
}

}  // namespace

void CheckPath(std::vector<std::u16string>& checked, const std::u16string& path) {
  const bool covered = std::any_of(checked.begin(), checked.end(),
                                   [&](const std::u16string& c) { return IsSameOrBelow(path, c); });
  std::erase_if(checked, [&](const std::u16string& c) { return IsBelow(c, path); });
  if (!covered) checked.push_back(path);
}

void UncheckPath(std::vector<std::u16string>& checked, const std::u16string& path,
                 const ChildrenOf& childrenOf) {
  const auto holder =
      std::find_if(checked.begin(), checked.end(), [&](const std::u16string& c) { return IsBelow(path, c); });
  std::u16string folder;
  if (holder != checked.end()) {
    folder = *holder;
    checked.erase(holder);
  }
  std::erase_if(checked, [&](const std::u16string& c) { return IsSameOrBelow(c, path); });
  if (folder.empty()) return;

  // The folder was checked as a whole. Everything in it but the path stays
  // checked: at each level from the folder down to the path's own folder, the
  // items beside the one that leads to the path.
  std::vector<std::u16string> levels{folder};
  for (std::u16string& ancestor : AncestorsOf(path))
    if (IsBelow(ancestor, folder)) levels.push_back(std::move(ancestor));
  if (!childrenOf) return;
  for (const std::u16string& level : levels) {
    for (const std::u16string& child : childrenOf(level)) {
      // Only items inside that folder, and not the ones leading to the path.
      if (!IsBelow(child, level) || IsSameOrBelow(path, child) || IsBelow(child, path)) continue;
      if (std::any_of(checked.begin(), checked.end(),
                      [&](const std::u16string& c) { return IsSameOrBelow(child, c); }))
        continue;
      checked.push_back(child);
    }
  }
}

SelectionFiles::SelectionFiles(std::u16string_view programFolder) {
  checkStatePath_ = std::u16string(programFolder) + std::u16string(kCheckStateFileName);
  backupPathsPath_ = std::u16string(programFolder) + std::u16string(kBackupPathsFileName);
}

bool SelectionFiles::ApplyCheckChange(const std::u16string& path, CheckState state,
                                      const ChildrenOf& childrenOf) const {
  if (state == CheckState::kPartlyChecked || path.empty()) return true;
  std::vector<std::u16string> states = ReadCheckedPaths(checkStatePath_);
  std::vector<std::u16string> topmost = ReadPathList(backupPathsPath_);
  KeepTopmost(states);
  KeepTopmost(topmost);
  if (state == CheckState::kChecked) {
    CheckPath(states, path);
    CheckPath(topmost, path);
  } else {
    UncheckPath(states, path, childrenOf);
    UncheckPath(topmost, path, childrenOf);
  }
  // Both files are written even when one fails, so that they stay as close as they can.
  const bool statesSaved = WriteCheckedPaths(checkStatePath_, states);
  const bool topmostSaved = WritePathList(backupPathsPath_, topmost);
  return statesSaved && topmostSaved;
}

bool SelectionFiles::Prune(const PathExists& pathExists) const {
  std::vector<std::u16string> topmost;
  if (!LoadPathList(backupPathsPath_, topmost)) return false;
  std::unordered_set<std::u16string> gone;
  std::erase_if(topmost, [&](const std::u16string& p) {
    if (pathExists(p)) return false;
    gone.insert(FoldPath(p));
    return true;
  });
  if (gone.empty()) return true;  // nothing to change, nothing rewritten
  bool saved = WritePathList(backupPathsPath_, topmost);
  std::vector<std::u16string> checked;
  if (LoadCheckedPaths(checkStatePath_, checked)) {
    const size_t before = checked.size();
    std::erase_if(checked, [&](const std::u16string& c) { return CoveredBy(gone, c); });
    if (checked.size() != before) saved = WriteCheckedPaths(checkStatePath_, checked) && saved;
  }
  return saved;
}

}  // namespace qtr
