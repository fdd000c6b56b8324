// The check-state rules the selection trees share: carrying a new state down
// to the descendants, and bringing the ancestors in line afterwards.
#pragma once
#include "trees/TreeItems.h"

namespace qtr {

// Sets item and every descendant that is not disabled (5) to state.
void SetSubtreeState(TreeItems& items, TreeItem item, int state);

// After item changed to state (1 or 3), going up one parent at a time: when
// a sibling differs (and is not disabled) every ancestor becomes partly
// checked; otherwise the parent takes the state. root is the tree's top
// item for these rules: it never becomes checked (it becomes partly
// checked) and it takes 5, nothing selected, when everything below it is
// unchecked. A disabled parent other than root changes only to checked, and
// stays disabled when a sibling differs. With root kNoItem no item is
// special and the top-level item takes states like any other.
void ApplyParentRule(TreeItems& items, TreeItem item, int state, TreeItem root);

}  // namespace qtr
