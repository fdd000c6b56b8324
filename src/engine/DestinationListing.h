// What a copy pass knows of the names in its destination folders: each
// folder's listing, read when the pass first asks about it, kept up to date
// with the renames and removals the pass's batches commit, and dropped once
// the pass has left the folder (a depth-first pass does not come back to
// it); and the folders the pass has visited.
//
// Exists runs on the pass's thread and Note on the committer's: both take
// the listing's mutex. FirstVisit is the pass thread's alone.
#pragma once
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/SlimLock.h"

namespace qtr {

class DestinationListing {
 public:
  explicit DestinationListing(FileSystem& fs) : fs_(fs) {}

  // Whether path exists, as the listing of its folder said when the pass
  // first came to it, and the notes since.
  bool Exists(std::u16string_view path);
  // A committed rename (present) or removal, in the listing of its folder
  // if it is still kept; a folder left is listed afresh when asked again.
  void Note(std::u16string_view path, bool present);
  // True the first time folder is met (case aside).
  bool FirstVisit(std::u16string_view folder);

 private:
  std::set<std::u16string>& NamesOf(std::u16string_view folder);  // under mutex_

  FileSystem& fs_;
  SlimMutex mutex_;
  std::map<std::u16string, std::set<std::u16string>> names_;  // lowercased folder -> lowercased names
  std::set<std::u16string> visited_;
};

}  // namespace qtr
