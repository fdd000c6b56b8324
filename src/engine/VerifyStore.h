// A check of a store against its index: every stored file below the
// one-letter drive folders is read and decoded, its size and SHA-256
// compared with the entry that describes it.
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
  // unreadable, changed since it was backed up.
  std::vector<std::u16string> damaged;
  // Stored paths (full) of current entries whose stored file is gone.
  std::vector<std::u16string> missing;
  // Stored files without an entry: nothing tells what they should hold.
  std::vector<std::u16string> unknown;
  // Encrypted stored files not read: the pass had no key.
  std::vector<std::u16string> skipped;
  uint64_t filesChecked = 0;  // files read with a current entry that matched
  uint64_t filesMet = 0;      // stored files the walk met, whatever became of them
  uint64_t bytesRead = 0;
  bool stopped = false;
  // The index's own damage, reported once (the readable pieces still count).
  std::u16string indexDamage;
  // The store holds encrypted files but no key check file: no password can be checked against it.
  bool keyCheckMissing = false;

  bool Damaged() const { return !damaged.empty() || !missing.empty(); }
  // Something the pass could not check: a damaged index, unknown files,
  // encrypted files without the key, no key check, a stop.
  bool Unverifiable() const {
    return stopped || !indexDamage.empty() || !unknown.empty() || !skipped.empty() || keyCheckMissing;
  }
  // Every stored file was read and matched its entry, and every entry has its file.
  bool Sound() const { return !Damaged() && !Unverifiable(); }
};

// The exit code of a verify from the command line: 0 sound, 1 damaged or
// missing files, 3 nothing damaged found but not every file could be checked.
int VerifyExitCode(const VerifyReport& report);

// Verifies the store at storeRoot ("F:\QTRPMB"). control may be null. With
// key (the store's), encrypted files are decrypted and checked like the
// others; without it they are listed in skipped. The store is only read,
// except that files found damaged while their entries still describe them
// are marked so in the index, for the next backup to store them anew.
VerifyReport VerifyStore(FileSystem& fs, std::u16string_view storeRoot, VerifyControl* control,
                         const StoreKey* key = nullptr);

// The summary line: "Verified N files: S sound, D damaged, U unknown; M missing."
std::u16string VerifySummary(const VerifyReport& report);

}  // namespace qtr
