// The guard in a backup's copy pass: each copy that replaces a stored one
// is judged against the stored copy (its first 64 KiB, decoded), the new
// files that look renamed from stored ones are counted, and once the job
// looks like an attack (GuardTally) the pass asks the person through the
// job's JobGuard and waits, or stops the job with a line. The copies the
// job replaced until then are in its version folder.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BackupJob.h"
#include "engine/ReplacementGuard.h"
#include "engine/StoreIndex.h"

namespace qtr {

class BackupGuard {
 public:
  explicit BackupGuard(BackupJob& job) : job_(job) {}

  // False once the person chose to go on: nothing more is judged.
  bool Active() const { return active_; }
  // Up to kGuardHeadBytes of file from its start; file is back at its start after.
  static std::vector<uint8_t> HeadOf(File& file);
  // The first bytes of the content the stored copy at path holds, decoded from its form.
  std::vector<uint8_t> StoredHeadOf(std::u16string_view path, StoredForm form);

  // A copy whose source changed replaces the stored copy whose head was storedHead.
  void JudgeReplacement(std::u16string_view name, const std::vector<uint8_t>& storedHead,
                        const std::vector<uint8_t>& newHead);
  // A new file of the job; renamedFrom as GuardTally takes it.
  void CountNewFile(std::u16string_view name, bool renamedFrom);

 private:
  // Once the tally trips: the person's answer, or a stop.
  void Act();

  BackupJob& job_;
  GuardTally tally_;
  bool active_ = true;
};

}  // namespace qtr
