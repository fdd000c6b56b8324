// A check of a store against its index: every stored file below the
// one-letter drive folders is read and decoded, its size and SHA-256
// compared with its current entry. It only reads: the store is left as it was.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/StoreKey.h"
#include "platform/FileSystem.h"

namespace qtr {

// What a verify pass asks of the job it runs in.
class VerifyControl {
 public:
  virtual ~VerifyControl() = default;
  // Waits while paused; false when the pass must stop.
  virtual bool WaitUnlessStopped() = 0;
  // Stored bytes read since the last call.
  virtual void AddProgress(uint64_t bytes) = 0;
  // The stored file about to be read (full path).
  virtual void OnFile(std::u16string_view path) = 0;
};

struct VerifyReport {
  // "path;reason": size or hash differs, container that does not decode,
  // unreadable.
  std::vector<std::u16string> damaged;
  // Stored paths (full) of current entries whose stored file is gone.
  std::vector<std::u16string> missing;
  // Stored files without an entry, or whose entry is stale.
  std::vector<std::u16string> unknown;
  // Encrypted stored files not read: the pass had no key.
  std::vector<std::u16string> skipped;
  uint64_t filesChecked = 0;  // files read with a current entry that matched
  uint64_t bytesRead = 0;
  bool stopped = false;
  // The index's own damage, reported once (the readable pieces still count).
  std::u16string indexDamage;
  bool Sound() const { return damaged.empty() && missing.empty() && !stopped; }
};

// Verifies the store at storeRoot ("F:\QTRPMB"). control may be null. With
// key (the store's), encrypted files are decrypted and checked like the
// others; without it they are listed in skipped.
VerifyReport VerifyStore(FileSystem& fs, std::u16string_view storeRoot, VerifyControl* control,
                         const StoreKey* key = nullptr);

// The summary line: "Verified N files: D damaged, M missing, U unknown."
std::u16string VerifySummary(const VerifyReport& report);

}  // namespace qtr
