// The keys an encrypted store's own records are made with, derived from the
// store key: the keyed hash that stands in the store index for a file's
// content hash, the tag that makes an index record authentic, and the place
// that binds an encrypted file to the stored path it was written for. None
// of them can be made or checked without the store key.
#pragma once
#include <cstdint>
#include <string_view>

#include "crypto/EncryptedFile.h"
#include "crypto/Sha256.h"
#include "engine/StoreKey.h"

namespace qtr {

class StoreIndexKey {
 public:
  explicit StoreIndexKey(const StoreKey& key);
  ~StoreIndexKey();
  StoreIndexKey(const StoreIndexKey&) = delete;
  StoreIndexKey& operator=(const StoreIndexKey&) = delete;

  // False when the library failed: nothing made with this key is then sound.
  bool Ok() const { return ok_; }
  // What the index keeps of a file's content: its SHA-256 under this key.
  Sha256Digest Keyed(const Sha256Digest& content) const;
  // The tag of an index record, over its canonical text.
  Sha256Digest Tag(std::u16string_view record) const;
  // The place of a stored file: from its path below the store root
  // ("C\dir\a.txt.qtrx", or the full "F:\QTRPMB\C\dir\a.txt.qtrx", any
  // letter case), so that the disk may come back under another letter.
  void Place(std::u16string_view storedPath, uint8_t (&place)[kEncryptedPlaceSize]) const;

 private:
  Sha256Digest Mac(std::string_view label, const void* data, size_t size) const;
  uint8_t key_[32] = {};
  bool ok_ = true;
};

// storedPath below its store root, case-folded: "F:\QTRPMB\C\A.txt" -> "c\a.txt".
std::u16string FoldedBelowStoreRoot(std::u16string_view storedPath);

}  // namespace qtr
