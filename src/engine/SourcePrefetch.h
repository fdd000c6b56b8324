// Opens the source files of a copy pass a few files ahead of it, on a thread
// of its own. Under Wine an open is a round trip to the server, and asking
// the open file for its size and times fetches its descriptor in another;
// done ahead, the pass's own thread spends that time copying. The
// prefetcher waits at the job's pause gate like the pass and ends with the
// job's stop. With nothing ahead, each file is opened when it is taken.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/BackupJob.h"
#include "platform/SlimLock.h"

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
  SourcePrefetch(BackupJob& job, const std::vector<std::u16string>& paths, size_t ahead);
  // Ends the thread; the files opened and not taken are closed.
  ~SourcePrefetch();
  SourcePrefetch(const SourcePrefetch&) = delete;
  SourcePrefetch& operator=(const SourcePrefetch&) = delete;

  // The next path's file, in the order of paths; false once every path was
  // taken, or when the job stopped before the prefetcher came to it.
  bool Take(Opened* opened);

 private:
  void Run();
  static Opened Open(BackupJob& job, const std::u16string& path);

  BackupJob& job_;
  const std::vector<std::u16string>& paths_;
  const size_t ahead_;
  size_t taken_ = 0;  // with nothing ahead: the paths opened so far
  SlimMutex mutex_;
  SlimCondition changed_;
  std::deque<Opened> ready_;
  bool finished_ = false;  // the prefetcher has opened all it will
  bool quit_ = false;
  std::thread thread_;  // last: started once the rest is made (when anything is opened ahead)
};

}  // namespace qtr
