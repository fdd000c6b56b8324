#include "engine/ChangedOnly.h"

#include <cstdint>
#include <memory>
#include <string>

#include "crypto/EncryptedFile.h"
#include "engine/Container.h"
#include "engine/StoreLayout.h"
#include "engine/StoredFormDetection.h"
#include "engine/StoredForms.h"

namespace qtr {
namespace {

bool SameLastWrite(BackupJob& job, const FindEntry& a, std::u16string_view pathA, const FindEntry& b,
                   std::u16string_view pathB) {
  const uint64_t x = a.times.lastWrite, y = b.times.lastWrite;
  const uint64_t difference = x > y ? x - y : y - x;
  const bool coarse = job.volumes.Of(pathA).coarseTimes || job.volumes.Of(pathB).coarseTimes;
  return coarse ? difference <= 20'000'000 : difference == 0;
}

// The size a stored file restores to; UINT64_MAX when a container cannot be read.
uint64_t StoredRawSize(BackupJob& job, std::u16string_view path, const FindEntry& entry, bool compressed) {
  if (!compressed) return entry.size;
  std::unique_ptr<File> file;
  uint64_t raw = 0;
  if (job.fs.Open(path, OpenMode::kReadExisting, &file) != 0 || !ContainerRawSize(*file, entry.size, &raw))
    return UINT64_MAX;
  return raw;
}

}  // namespace

bool IsUnchanged(BackupJob& job, const FindEntry& source, std::u16string_view sourcePath,
                 std::u16string_view storedPlain, const StoreIndex* index) {
  const bool compress = job.settings.compress != 0;
  const bool encrypt = job.settings.encrypt != 0;
  const StoredForm form = FormFor(compress, encrypt);
  const std::u16string stored = std::u16string(storedPlain) + SuffixOf(form);
  FindEntry copy;
  if (job.fs.Find(stored, &copy) != 0 || copy.IsFolder()) return false;
  if (index != nullptr) {
    // A copy the index does not describe (never recorded, changed outside,
    // found damaged by a verify) is stored anew, and so is a file whose
    // other form is still in the store: its copy goes with the new one.
    if (index->StateOf(stored, copy) != IndexState::kCurrent || index->MarkedDamaged(stored)) return false;
    for (const StoredForm other : kAllStoredForms)
      if (other != form && index->HasEntry(std::u16string(storedPlain) + SuffixOf(other)) &&
          !OtherFormBelongsToAnotherSource(job, sourcePath, other))
        return false;
  }
  if (!SameLastWrite(job, source, sourcePath, copy, stored)) return false;
  if (source.attributes != (copy.attributes & ~kAttributeCompressed)) return false;
  if (encrypt) {
    // The header says what it was made from, without a byte of the body
    // decrypted; one that does not authenticate (damaged, another key) is a
    // copy to make again.
    if (!job.settings.storeKey) return false;
    std::unique_ptr<File> file;
    EncryptedFileInfo header;
    if (job.fs.Open(stored, OpenMode::kReadExisting, &file) != 0 ||
        ReadEncryptedInfo(*file, job.settings.storeKey->bytes, &header) != 0)
      return false;
    return header == EncryptedFileInfo{source.size, source.times.lastWrite, compress};
  }
  if (StoredRawSize(job, stored, copy, compress) != source.size) return false;
  if (job.volumes.Of(stored).supportsFileCompression &&
      ((copy.attributes & kAttributeCompressed) != 0) != compress)
    return false;
  return true;
}

bool IsUnchangedOnRestore(BackupJob& job, const FindEntry& stored, std::u16string_view storedPath,
                          const StoreIndex* index) {
  std::u16string destination = MapToSource(storedPath);
  if (destination.empty()) return false;
  StoredForm form = StoredForm::kPlain;
  uint64_t sourceSize = 0;
  const StoreIndexEntry* entry = nullptr;
  if (index != nullptr && index->StateOf(storedPath, stored, &entry) == IndexState::kCurrent) {
    // The entry knows the form and the size, whatever the first bytes look like.
    form = entry->form;
    sourceSize = entry->sourceSize;
  } else {
    std::unique_ptr<File> file;
    if (job.fs.Open(storedPath, OpenMode::kReadExisting, &file) != 0 ||
        DetectStoredForm(job, storedPath, *file, stored.attributes, &form) != 0)
      return false;
    if (IsEncryptedForm(form)) {
      EncryptedFileInfo header;
      if (ReadEncryptedInfo(*file, job.settings.storeKey->bytes, &header) != 0) return false;
      sourceSize = header.sourceSize;
    } else {
      file.reset();
      sourceSize = StoredRawSize(job, storedPath, stored, form == StoredForm::kCompressed);
    }
  }
  destination = RestoredNameOf(destination, form);
  FindEntry pc;
  if (job.fs.Find(destination, &pc) != 0 || pc.IsFolder()) return false;
  if (!SameLastWrite(job, pc, destination, stored, storedPath)) return false;
  if (pc.attributes != (stored.attributes & ~kAttributeCompressed)) return false;
  return pc.size == sourceSize;
}

}  // namespace qtr
