// How the selection files relate paths to each other: Windows paths ("C:\",
// "C:\dir", "C:\dir\file") compared without regard to ASCII case, as the
// file system compares names.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qtr {

bool SamePath(std::u16string_view a, std::u16string_view b);
// True when path lies inside folder (not when it is the folder itself).
bool IsBelow(std::u16string_view path, std::u16string_view folder);
bool IsSameOrBelow(std::u16string_view path, std::u16string_view folder);

// The folders that contain a path, outermost first: "C:\a\b" gives "C:\" and
// "C:\a". A drive keeps its backslash ("C:\"), as the tree names drives.
std::vector<std::u16string> AncestorsOf(std::u16string_view path);

// The path with ASCII letters in lower case, for looking paths up.
std::u16string FoldPath(std::u16string_view path);

}  // namespace qtr
