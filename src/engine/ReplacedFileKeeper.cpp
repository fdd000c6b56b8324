#include "engine/ReplacedFileKeeper.h"

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "crypto/HmacSha256.h"
#include "engine/HashingFile.h"
#include "engine/JobText.h"
#include "engine/StoreFileOperations.h"
#include "engine/StoreLayout.h"
#include "engine/StoreVersions.h"
#include "platform/NumberText.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

// The longest name most volumes take for one file or folder.
constexpr size_t kLongestName = 255;

bool FitsInName(char16_t c) {
  return c >= 0x20 && std::u16string_view(u"\\/:*?\"<>|").find(c) == std::u16string_view::npos;
}

}  // namespace

std::u16string KeptBesideName(std::u16string_view path, std::u16string_view words, std::u16string_view stamp,
                              int n) {
  const size_t slash = path.find_last_of(u'\\');
  const std::u16string_view folder =
      slash == std::u16string_view::npos ? std::u16string_view{} : path.substr(0, slash + 1);
  const std::u16string_view name = path.substr(folder.size());
  // A leading dot (".profile") starts no extension.
  const size_t dot = name.find_last_of(u'.');
  const bool hasExtension = dot != std::u16string_view::npos && dot > 0;
  std::u16string stem(hasExtension ? name.substr(0, dot) : name);
  const std::u16string_view extension = hasExtension ? name.substr(dot) : std::u16string_view{};
  std::u16string said;
  for (const char16_t c : words)
    if (FitsInName(c)) said += c;
  std::u16string mark = u" (" + said + (said.empty() ? u"" : u" ") + std::u16string(stamp) +
                        (n > 1 ? u" " + DecimalText(n) : u"") + u")";
  if (stem.size() + mark.size() + extension.size() > kLongestName) {
    const size_t room =
        kLongestName > mark.size() + extension.size() ? kLongestName - mark.size() - extension.size() : 1;
    stem.resize(room < stem.size() ? room : stem.size());
    // Half a surrogate pair is no character.
    if (!stem.empty() && stem.back() >= 0xD800 && stem.back() <= 0xDBFF) stem.pop_back();
  }
  return std::u16string(folder) + stem + mark + std::u16string(extension);
}

std::u16string SetAsideStampNow() {
  // "2026-12-09 193800" -> "2026-12-09 1938": the minute is enough beside a person's file.
  return VersionStampNow().substr(0, 15);
}

ReplacedFileKeeper::ReplacedFileKeeper(BackupJob& job)
    : job_(job),
      stamp_(job.settings.setAsideStamp.empty() ? SetAsideStampNow() : job.settings.setAsideStamp) {}

void ReplacedFileKeeper::NoteRestored(std::u16string_view destination, uint64_t size,
                                      const Sha256Digest& digest) {
  std::lock_guard lock(mutex_);
  restored_[Lowercase(destination)] = {size, digest};
}

bool ReplacedFileKeeper::HoldsRestored(std::u16string_view destination, uint64_t size, const Restored& restored) {
  if (size != restored.size) return false;
  std::unique_ptr<File> file;
  if (job_.fs.Open(destination, OpenMode::kReadExisting, &file) != 0) return false;
  HashingFile hashed(std::move(file), HashingFile::Side::kRead);
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    size_t got = 0;
    // A file that cannot be read whole is taken as different: it is kept.
    if (hashed.Read(buffer.data(), buffer.size(), &got) != 0) return false;
    if (got == 0) break;
  }
  Sha256Digest held{};
  return hashed.Bytes() == size && hashed.Finish(&held) && SameDigest(held, restored.digest);
}

bool ReplacedFileKeeper::SetAside(std::u16string_view destination) {
  FindEntry now;
  // Nothing there to keep; a folder in the way fails the replacement itself.
  if (job_.fs.Find(destination, &now) != 0 || now.IsFolder()) return true;
  std::optional<Restored> restored;
  {
    std::lock_guard lock(mutex_);
    if (const auto found = restored_.find(Lowercase(destination)); found != restored_.end()) {
      restored = found->second;
      restored_.erase(found);
    }
  }
  // The restore puts the same bytes back.
  if (restored && HoldsRestored(destination, now.size, *restored)) return true;
  // The bin lists what it holds with its place and time; only the count is told.
  if (job_.fs.MoveToRecycleBin(destination) == 0) {
    ++job_.counters.recycledCount;
    return true;
  }
  if (const uint32_t error = KeepBeside(destination); error != 0) {
    job_.results.AddFailure(destination, job_.settings.notes.notKept + u" " + ErrorText(error));
    return false;
  }
  return true;
}

uint32_t ReplacedFileKeeper::KeepBeside(std::u16string_view destination) {
  uint32_t error = kErrorFileExists;
  for (int n = 1; n <= 100; ++n) {
    const std::u16string kept = KeptBesideName(destination, job_.settings.notes.beforeRestore, stamp_, n);
    FindEntry taken;
    // A rename replaces what it meets: a name in use is passed over.
    if (job_.fs.Find(kept, &taken) == 0) continue;
    error = job_.fs.Rename(destination, kept);
    if (error != 0) return error;
    // The first rename reaches the disk before the restored copy takes the
    // old name: on a FAT-family volume a flush carries only its own file's
    // entry, and a power cut could otherwise keep the second rename and lose
    // the first, and with it the person's file. Best effort: the file is
    // kept beside already, and a failure here changes nothing of that.
    FlushByName(job_.fs, kept);
    ++job_.counters.keptBesideCount;
    job_.results.AddNote(destination, job_.settings.notes.keptBeside + u" " + std::u16string(NameOf(kept)));
    return 0;
  }
  return error;
}

}  // namespace qtr
