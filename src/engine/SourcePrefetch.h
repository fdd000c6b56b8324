// Opens the source files of a copy pass a few files ahead of it, on a thread
// of its own (see MadeAhead). Asking the open file for its size and times
// fetches its descriptor in another server round trip, also done ahead.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/BackupJob.h"
#include "engine/MadeAhead.h"

namespace qtr {

class SourcePrefetch {
 public:
  // How many opened files may wait for a backup (each holds one handle). A
  // restore opens none ahead: its copies replace files and its commits
  // carry more of the work, and a third thread measured slower there.
  static constexpr size_t kBackupAhead = 8;

  struct Opened {
    std::unique_ptr<File> file;  // null when error is set
    FindEntry info;
    uint32_t error = 0;
  };

  // paths must outlive the prefetch and stay unchanged. ahead 0: no thread.
  // The files opened and not taken are closed when it ends.
  SourcePrefetch(BackupJob& job, const std::vector<std::u16string>& paths, size_t ahead);

  // The next path's file, in the order of paths; false once every path was
  // taken, or when the job stopped before the prefetcher came to it.
  bool Take(Opened* opened) { return made_.Take(opened); }

 private:
  bool OpenNext(Opened* opened);

  BackupJob& job_;
  const std::vector<std::u16string>& paths_;
  size_t next_ = 0;  // the paths opened so far
  MadeAhead<Opened> made_;  // last: its thread starts once the rest is made
};

}  // namespace qtr
