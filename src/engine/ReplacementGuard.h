// The guard of a backup against ransomware: it judges each changed file against
// the stored copy it is about to replace, and tallies a job's verdicts so the
// copy pass can stop before the attack's output replaces good copies.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qtr {

// The head of a file's content that is judged: enough for the byte counts to
// tell random from structured data, little enough to read from every file.
inline constexpr size_t kGuardHeadBytes = 64 * 1024;
// Below this many bytes a head is not judged by its entropy: a short sample of
// random bytes falls far below 8 bits per byte (a 40-byte one below 5.33,
// whatever it holds), so text and ciphertext overlap there. From here on the
// bar scales with the sample: 128 random bytes show 6.55 bits, text about 4.5.
inline constexpr size_t kGuardEntropyMinBytes = 128;

// Shannon entropy of the bytes' frequencies, 0..8 bits per byte; 0 for none.
double EntropyBitsPerByte(std::span<const uint8_t> bytes);

// True when head starts the way its extension promises, or when the extension
// promises nothing (".txt", no extension). Letter case does not matter; name
// may be a bare name or a path.
bool HeadFitsExtension(std::u16string_view name, std::span<const uint8_t> head);

enum class Suspicion {
  kNone,
  kLooksEncrypted,  // random-looking where the stored copy was clearly not
  kSignatureLost,   // the stored copy started as its type promises, the new one does not
};

// storedHead: the first bytes (up to kGuardHeadBytes) of what the stored copy
// holds, decoded; newHead: the same of the new source. A file that was
// compressed or encrypted before (a photo, an archive) is judged against its
// own stored copy, so a re-encoded picture or a re-packed archive raises
// nothing. An empty new file raises nothing either: there is nothing of an
// attacker's in it.
Suspicion JudgeReplacement(std::u16string_view name, std::span<const uint8_t> storedHead,
                           std::span<const uint8_t> newHead);

// The stored names the new file may have been renamed from, read from its name
// alone: the name with its last extensions taken off one at a time, longest
// first, while a dot remains ("a.docx.id7.locked" -> "a.docx.id7", "a.docx";
// ".profile.locked" -> ".profile"). Empty where the name has one extension or
// none ("a.locked"): an
// attack that replaced the extension is found by the stem (StemOf) instead,
// which the caller matches against stored names with another extension.
std::vector<std::u16string> NamesRenamedFrom(std::u16string_view newName);
// The name without its last extension: "a.locked" -> "a"; a name without one
// (or a dot file such as ".profile") is its own stem.
std::u16string_view StemOf(std::u16string_view name);

// One backup job's tally of the guard's verdicts. The copy pass reports each
// replacement it judged and each new file; Tripped() turns true, and stays
// true, once the job looks like an attack:
//
// - at least 10 suspicious replacements, and they are at least half of the
//   replacements judged so far. An attack encrypts nearly every file it
//   reaches, so its share is close to all; a person's day (edited texts, new
//   photos, re-packed archives) gives a suspicious verdict now and then but
//   not ten of them making up half the changes. The count keeps one odd file
//   in a small job from stopping it; the share keeps a long job with a few
//   odd files from stopping.
// - or at least 10 new files renamed from stored files whose sources are gone,
//   all to one and the same new extension that no common file type uses
//   ("a.docx" -> "a.docx.locked", "b.xlsx" -> "b.locked"). An attack names its
//   output with one extension of its own; a person converting a folder of
//   pictures or packing logs renames to a known type (".jpg", ".gz"), which is
//   not counted here.
//
// Not thread-safe: the copy pass reports from its one thread.
class GuardTally {
 public:
  static constexpr int kTripSuspicious = 10;
  static constexpr int kTripRenamed = 10;

  void CountReplacement(Suspicion suspicion);
  // A new file of the job (no stored copy at its place). renamedFrom: the
  // store holds a file this one looks renamed from (NamesRenamedFrom, or the
  // same stem with another extension) whose source no longer exists; the
  // caller decides that. These are grouped by the new name's last extension,
  // case-folded.
  void CountNewFile(std::u16string_view name, bool renamedFrom);

  bool Tripped() const { return tripped_; }
  int Suspicious() const { return suspicious_; }
  int Replaced() const { return replaced_; }
  int NewFiles() const { return newFiles_; }
  // The count of renamed files of the most common new extension, and that
  // extension ("locked", without its dot); 0 and empty before any.
  int RenamedToOneExtension() const { return renamedMost_; }
  std::u16string RenamedExtension() const { return renamedMostExtension_; }

 private:
  void Judge();

  int replaced_ = 0;
  int suspicious_ = 0;
  int newFiles_ = 0;
  std::map<std::u16string, int> renamedTo_;  // by case-folded extension
  int renamedMost_ = 0;
  std::u16string renamedMostExtension_;
  bool tripped_ = false;
};

}  // namespace qtr
