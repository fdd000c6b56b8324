// The check states that filepath.xml records, looked up by path when the
// source tree fills or expands: a recorded path without recorded paths
// inside it is checked (and so is everything inside it), a recorded path with
// some inside is partly checked, anything else is unchecked.
#pragma once
#include <string>
#include <string_view>
#include <unordered_set>

#include "config/SelectionFiles.h"

namespace qtr {

class SelectionStates {
 public:
  // False (and every path unchecked) when the file does not load.
  bool Load(std::u16string_view file);

  CheckState StateOf(std::u16string_view path) const;
  bool Empty() const { return checked_.empty(); }

 private:
  std::unordered_set<std::u16string> checked_;  // folded paths
  std::unordered_set<std::u16string> partly_;   // folded folders above them
};

}  // namespace qtr
