// What a restore does with a file on the PC it is about to replace, so that
// a wrong restore can be undone: one whose content differs from the
// restored copy goes to the Recycle Bin of its volume, or, on a volume
// without one, stays beside the restored file under a name that says when
// and why. A file that already holds exactly the restored bytes is simply
// replaced. Files the restore cannot keep are not replaced.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "crypto/Sha256.h"
#include "engine/BackupJob.h"
#include "platform/SlimLock.h"

namespace qtr {

class ReplacedFileKeeper {
 public:
  explicit ReplacedFileKeeper(BackupJob& job);

  // On the pass's thread, once the restored copy of destination is written
  // (size bytes with digest): when the file at destination, as listed,
  // holds those very bytes, it needs no keeping, as long as it is still as
  // listed when it is replaced.
  void CompareWithRestored(std::u16string_view destination, const FindEntry& listed, uint64_t size,
                           const Sha256Digest& digest);
  // On the committer's thread, right before the restored copy goes in place
  // of destination: sets aside the file there unless it is the identical
  // one. True when destination may be replaced; false with a failure line
  // when the file there could be neither recycled nor kept beside.
  bool SetAside(std::u16string_view destination);

 private:
  // The file at destination renamed beside it; 0 or the rename's error.
  uint32_t KeepBeside(std::u16string_view destination);

  BackupJob& job_;
  const std::u16string stamp_;
  SlimMutex mutex_;                                // identical_ is filled by the pass, read by the committer
  std::map<std::u16string, FindEntry> identical_;  // lowercased destination -> its listing when compared
};

// The name a replaced file is kept under beside its restored copy: the
// words and the stamp in brackets before its extension, so that it still
// opens with its program and sorts beside the original:
// "C:\d\report.docx" -> "C:\d\report (before restore 2026-12-09 1830).docx",
// with " 2", " 3"... after the stamp for the n-th name tried. Characters a
// file name cannot hold are left out of words, and a stem too long for one
// name is shortened.
std::u16string KeptBesideName(std::u16string_view path, std::u16string_view words, std::u16string_view stamp,
                              int n = 1);
// The local date and time now as the stamp of such names: "2026-12-09 1830".
std::u16string SetAsideStampNow();

}  // namespace qtr
