// The versions command of qtrpack: the previous versions a target's store
// keeps, newest backup first, so that a person can pick the stamp a
// restore --as-of takes the store as of.
#pragma once
#include <string>

#include "platform/FileSystem.h"

namespace qtr {

// out receives, for each version folder of the store on target ("F:"),
// newest first, its stamp on a line of its own and then one line per file
// in it: its size right-aligned and the path it was backed up from
// ("          12  C:\Users\ann\a.txt"); the summary comes last. below (empty
// for all) keeps only the files at or below a source path ("C:\Users\ann")
// or a stored one ("F:\QTRPMB\C\Users\ann", a version's path too), and
// the version folders holding any. Exit 0, or 2 when target holds no store
// or below is neither kind of path (out then says so).
int VersionsCommand(FileSystem& fs, const std::u16string& target, const std::u16string& below, std::string* out);

}  // namespace qtr
