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

  // On the pass's thread, once the restored copy of destination is written:
  // its size and digest, against which the file there is compared when it
  // is about to be replaced.
  void NoteRestored(std::u16string_view destination, uint64_t size, const Sha256Digest& digest);
  // On the committer's thread, right before the restored copy goes in place
  // of destination: sets aside the file there unless it holds the very
  // bytes noted for it. Compared here rather than on the pass's thread, so
  // that reading the person's file overlaps the next copies, and it is the
  // file as it is at the moment it is replaced. True when destination may
  // be replaced; false with a failure line when the file there could be
  // neither recycled nor kept beside.
  bool SetAside(std::u16string_view destination);

 private:
  struct Restored {
    uint64_t size = 0;
    Sha256Digest digest{};
  };
  // Whether the file at destination, of size bytes now, holds exactly the restored bytes.
  bool HoldsRestored(std::u16string_view destination, uint64_t size, const Restored& restored);
  // The file at destination renamed beside it; 0 or the rename's error.
  uint32_t KeepBeside(std::u16string_view destination);

  BackupJob& job_;
  const std::u16string stamp_;
  SlimMutex mutex_;                           // restored_ is filled by the pass, read by the committer
  std::map<std::u16string, Restored> restored_;  // lowercased destination -> the copy written for it
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
