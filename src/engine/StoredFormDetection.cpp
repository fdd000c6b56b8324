#include "engine/StoredFormDetection.h"

#include <cstring>

#include "crypto/EncryptedFile.h"
#include "engine/Container.h"
#include "engine/StoreLayout.h"
#include "platform/SystemError.h"

namespace qtr {

bool OtherFormBelongsToAnotherSource(BackupJob& job, std::u16string_view source, StoredForm otherForm) {
  const std::u16string name = std::u16string(source) + SuffixOf(otherForm);
  const std::u16string self = Lowercase(source);
  for (const StoredForm form : kAllStoredForms) {
    const std::u16string suffix = SuffixOf(form);
    if (!EndsWithNoCase(name, suffix)) continue;
    const std::u16string other = name.substr(0, name.size() - suffix.size());
    if (Lowercase(other) == self) continue;
    FindEntry entry;
    if (job.fs.Find(other, &entry) == 0 && !entry.IsFolder()) return true;
  }
  return false;
}

uint32_t DetectStoredForm(BackupJob& job, std::u16string_view stored, File& in, uint32_t attributes,
                          StoredForm* form) {
  *form = StoredForm::kPlain;
  uint8_t marker[4] = {};
  size_t total = 0;
  while (total < sizeof marker) {
    size_t got = 0;
    if (const uint32_t error = in.Read(marker + total, sizeof marker - total, &got); error != 0) return error;
    if (got == 0) break;
    total += got;
  }
  if (const uint32_t error = in.Seek(0); error != 0) return error;
  if (total == 4 && EndsWithNoCase(stored, kEncryptedSuffix) && std::memcmp(marker, "QTRX", 4) == 0) {
    if (!job.settings.storeKey) return kErrorNoStoreKey;
    EncryptedFileInfo header;
    const uint32_t error = ReadEncryptedInfo(in, job.settings.storeKey->bytes, &header);
    if (const uint32_t seek = in.Seek(0); error == 0 && seek != 0) return seek;
    if (error != 0) return error;
    *form = header.containerInside ? StoredForm::kCompressedEncrypted : StoredForm::kEncrypted;
    return 0;
  }
  if (total == 4 && EndsWithNoCase(stored, kCompressedSuffix) &&
      ((attributes & kAttributeCompressed) != 0 || !job.volumes.Of(stored).supportsFileCompression) &&
      std::memcmp(marker, kContainerMarker, 4) == 0)
    *form = StoredForm::kCompressed;
  return 0;
}

bool ResolveRestoreForm(BackupJob& job, std::u16string_view stored, File& in, const FindEntry& info,
                        const StoreIndexEntry* entry, StoredForm* form) {
  if (entry != nullptr) {
    *form = entry->form;
    return true;
  }
  if (const uint32_t error = DetectStoredForm(job, stored, in, info.attributes, form); error != 0) {
    job.results.AddFailure(stored, error);
    return false;
  }
  return true;
}

}  // namespace qtr
