// What a backup does with the stored copies it replaces: each one is moved,
// in the form it had, into this job's version folder of the store
// ("~versions\<stamp>\C\..."), never copied and never removed, so that a
// backup that carried damage or an attack into the store loses no good
// copy. It also removes the version folders past the days they are kept,
// and makes room on a full disk by removing the oldest versions first.
#pragma once
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BackupJob.h"
#include "engine/StoreIndex.h"
#include "platform/SlimLock.h"

namespace qtr {

class VersionKeeper {
 public:
  // Below this much free space, beyond the copy about to be written, the
  // oldest versions go: the job stops itself once the disk has less than
  // 4 MiB (see IsLowOnSpace), and versions should go before that happens.
  static constexpr uint64_t kSpareBytes = uint64_t{16} << 20;

  // storeRoot empty (a restore) or versionDays 0: no version is kept.
  VersionKeeper(BackupJob& job, std::u16string storeRoot);

  bool On() const { return !stamp_.empty(); }
  // This job's version folder name ("2026-12-09 193800"); empty when off.
  const std::u16string& Stamp() const { return stamp_; }
  // The version path of a stored file (full, or below the store root, like its argument).
  std::u16string PathFor(std::u16string_view storedPath) const;

  // At the start of a backup: removes the version folders older than the
  // days they are kept, their index entries first (a cut in between leaves
  // a file no entry names, never an entry without its file).
  void RemoveExpired(StoreIndex* index, SlimMutex& indexMutex);
  // Before a copy of bytes into the store: while the disk has less free
  // space than the copy and kSpareBytes, removes the oldest version folder
  // other than this job's. A folder less than a day old goes with a line in
  // the job's list.
  void MakeRoomFor(uint64_t bytes, StoreIndex* index, SlimMutex& indexMutex);

  // Moves the stored file from to its version path to, making the version
  // folders on the way; 0 or the error (from is then where it was).
  uint32_t Move(std::u16string_view from, std::u16string_view to);

 private:
  // Removes a version folder: its entries recorded gone, then its files and folders.
  void RemoveFolder(const std::u16string& stamp, StoreIndex* index, SlimMutex& indexMutex);
  uint32_t MakeFolders(std::u16string_view folder);

  BackupJob& job_;
  const std::u16string storeRoot_;
  std::u16string stamp_;
  std::mutex foldersMutex_;
  std::set<std::u16string> foldersMade_;  // lowercased, made or found by this job
  // The other version folders, oldest first, once MakeRoomFor listed them.
  std::vector<std::u16string> removable_;
  bool removableListed_ = false;
  uint64_t freeBytes_ = 0;  // as last asked, less what was written since
  bool freeKnown_ = false;
};

}  // namespace qtr
