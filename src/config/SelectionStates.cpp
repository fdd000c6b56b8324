#include "config/SelectionStates.h"

#include <vector>

#include "config/PathList.h"
#include "config/SelectionPath.h"

namespace qtr {

bool SelectionStates::Load(std::u16string_view file) {
  checked_.clear();
  partly_.clear();
  std::vector<std::u16string> checked;
  if (!LoadCheckedPaths(file, checked)) return false;
  for (const std::u16string& path : checked) {
    checked_.insert(FoldPath(path));
    for (const std::u16string& folder : AncestorsOf(path)) partly_.insert(FoldPath(folder));
  }
  return true;
}

CheckState SelectionStates::StateOf(std::u16string_view path) const {
  const std::u16string folded = FoldPath(path);
  if (checked_.contains(folded)) return CheckState::kChecked;
  for (const std::u16string& folder : AncestorsOf(folded))
    if (checked_.contains(folder)) return CheckState::kChecked;
  if (partly_.contains(folded)) return CheckState::kPartlyChecked;
  return CheckState::kUnchecked;
}

}  // namespace qtr
