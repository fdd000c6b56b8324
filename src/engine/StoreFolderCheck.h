// Keeps a backup from working through a link in the store. Every folder
// from the store root down (QTRPMB, ~partial, ~index, the drive folders and
// all below them) must be a folder of the store itself, not a junction,
// symbolic link or mount point that leads onto a person's files, before
// anything in it is written, renamed, deleted or given attributes or times.
#pragma once
#include <map>
#include <string>
#include <string_view>

#include "engine/BackupJob.h"

namespace qtr {

class StoreFolderCheck {
 public:
  // storeRoot "F:\QTRPMB"; empty checks nothing (a restore writes beside the person's files).
  StoreFolderCheck(BackupJob& job, std::u16string storeRoot);

  // True when folder (the store root or a folder inside it) and every
  // folder between the store root and it is a plain folder or does not
  // exist yet. A link on the way gives a failure line naming it, once per
  // link and job, and false. Asks the volume once per folder.
  bool Plain(std::u16string_view folder);

 private:
  BackupJob& job_;
  const std::u16string storeRoot_;
  std::map<std::u16string, bool> known_;  // lowercased folder -> plain
};

}  // namespace qtr
