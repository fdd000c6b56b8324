// Creates the partial files a backup writes its copies into, empty and
// open, in the store's partial folder, a few ahead of the pass on a thread
// of its own (see MadeAhead): a create is the pass's costliest call under
// Wine after the copying itself. It starts at the pass's first copy, so a
// backup that copies nothing creates nothing, and one that copies little
// removes at most the few made ahead.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/BackupJob.h"
#include "engine/MadeAhead.h"

namespace qtr {

// True for a name the maker gives ("17.~qtrpart"): the only files of the
// partial folder a job may take for another job's leftovers.
bool IsPartialFileName(std::u16string_view name);

class PartialFileMaker {
 public:
  static constexpr size_t kAhead = 8;

  // folder must exist. ahead 0: each file is created when it is asked for.
  PartialFileMaker(BackupJob& job, std::u16string folder, size_t ahead);
  // Removes the files made and not taken.
  ~PartialFileMaker();
  PartialFileMaker(const PartialFileMaker&) = delete;
  PartialFileMaker& operator=(const PartialFileMaker&) = delete;

  // A fresh partial file, created and opened for writing; a name another
  // job running now holds is skipped.
  uint32_t Create(std::u16string* partial, std::unique_ptr<File>* file);

 private:
  struct Made {
    std::u16string path;
    std::unique_ptr<File> file;  // null when error is set
    uint32_t error = 0;
  };
  bool MakeNext(Made* made);

  BackupJob& job_;
  const std::u16string folder_;
  uint64_t next_ = 0;  // the number of the next name tried
  MadeAhead<Made> made_;  // last: its thread starts once the rest is made
};

}  // namespace qtr
