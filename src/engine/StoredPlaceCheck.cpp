#include "engine/StoredPlaceCheck.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "crypto/EncryptedFile.h"
#include "engine/StoredForms.h"

namespace qtr {

PlaceVerdict CheckStoredPlace(BackupJob& job, const StoreIndex& index, std::u16string_view stored, File& in,
                              StoredForm form, const StoreIndexEntry* entry, bool encryptedStore) {
  if (!IsEncryptedForm(form)) {
    // Written before encryption was switched on, and recorded under the key
    // since: the index vouches for it, and the restore checks its hash.
    if (!encryptedStore || (entry != nullptr && entry->vouched)) return PlaceVerdict::kRestore;
    job.results.AddFailure(stored, job.settings.notes.readableRefused);
    return PlaceVerdict::kRefused;
  }
  // Without the key, or with a header that does not authenticate, the
  // decryption fails and says so.
  if (!job.settings.storeKey) return PlaceVerdict::kRestore;
  EncryptedFileInfo info;
  EncryptedFileOrigin origin;
  const uint32_t error = ReadEncryptedInfo(in, job.settings.storeKey->bytes, &info, &origin);
  if (const uint32_t seek = in.Seek(0); seek != 0) {
    job.results.AddFailure(stored, seek);
    return PlaceVerdict::kRefused;
  }
  // A file of the release before places were written carries none.
  if (error != 0 || origin.version < 2) return PlaceVerdict::kRestore;
  std::array<uint8_t, 16> fileId;
  std::copy(std::begin(origin.fileId), std::end(origin.fileId), fileId.begin());
  PlaceVerdict verdict = PlaceVerdict::kRestore;
  uint8_t place[kEncryptedPlaceSize];
  if (index.Key() != nullptr) {
    index.Key()->Place(stored, place);
  } else {
    StoreIndexKey(*job.settings.storeKey).Place(stored, place);
  }
  if (std::memcmp(place, origin.place, sizeof place) != 0) {
    // Its header names another path: a rename through the program left a
    // record under the key for this very file id and this path; anything
    // else moved it here.
    if (!index.RenamedTo(fileId, stored)) {
      job.results.AddFailure(stored, job.settings.notes.movedRefused);
      return PlaceVerdict::kRefused;
    }
    verdict = PlaceVerdict::kRenamed;
  }
  if (index.CheckFileId(stored, fileId) == FileIdVerdict::kOther) {
    job.results.AddFailure(stored, job.settings.notes.olderRefused);
    return PlaceVerdict::kRefused;
  }
  return verdict;
}

}  // namespace qtr
