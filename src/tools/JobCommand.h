// The backup and restore commands of qtrpack: RunJob as the program runs
// it, for a target drive and a program folder, with progress and failure
// lines on the console.
#pragma once
#include <functional>
#include <string>

#include "crypto/KeyCheck.h"
#include "platform/FileSystem.h"

namespace qtr {

struct JobCommandOptions {
  bool restore = false;
  std::u16string target;         // "F:"
  std::u16string programFolder;  // holds init.xml and the selection files
  std::u16string typeFilter;     // "jpg,png"; empty for all files
  unsigned threads = 0;          // coding threads of a compressed backup; 0: one per processor
  // A backup without encryption may store readable copies in a store that
  // holds encrypted ones (--store-readable); refused otherwise.
  bool storeReadable = false;
  // A restore of the store as it stood when the job of this stamp started
  // ("2026-12-09 193800", --as-of); empty: the current copies.
  std::u16string asOfStamp;
  // A restore's way to read an encrypted file's salt and count (none: a lost key check is not rebuilt).
  std::function<bool(File& file, KeyParameters* parameters)> readParameters;
};

// 0 when every file was copied, 1 when a file failed or the job stopped, 2
// when an encrypted job's password is missing or wrong (nothing was done).
// The password is one line of standard input, read for a backup when
// init.xml's "SetPassword" is "1" (the store's key check file is made with
// it when the store has none) and for a restore from an encrypted store.
// A backup without encryption into an encrypted store exits 2 unless
// storeReadable is set; a store whose key check is lost is given no new key
// (exit 2), and its restore rebuilds the key when readParameters reads the
// salt and count off its encrypted files.
int RunJobCommand(const JobCommandOptions& options);

}  // namespace qtr
