#include "engine/StoreIndexKey.h"

#include <cstring>
#include <string>

#include "crypto/HmacSha256.h"
#include "engine/StoreLayout.h"
#include "engine/StoreVersions.h"
#include "platform/Utf8.h"

namespace qtr {

std::u16string FoldedBelowStoreRoot(std::u16string_view storedPath) {
  // "X:\QTRPMB\" before it: the letter the disk has today is no part of the place.
  const size_t prefix = 3 + kStoreFolder.size() + 1;
  if (storedPath.size() > prefix && storedPath[1] == u':' && storedPath[2] == u'\\' &&
      storedPath[prefix - 1] == u'\\' &&
      Lowercase(storedPath.substr(3, kStoreFolder.size())) == Lowercase(kStoreFolder))
    storedPath.remove_prefix(prefix);
  return Lowercase(storedPath);
}

StoreIndexKey::StoreIndexKey(const StoreKey& key) {
  static constexpr char kLabel[] = "qtr store index key v1";
  HmacSha256 hmac(key.bytes, sizeof key.bytes);
  hmac.Update(kLabel, sizeof kLabel);
  Sha256Digest digest = hmac.Finish();
  ok_ = hmac.Ok();
  std::memcpy(key_, digest.data(), sizeof key_);
  WipeBytes(digest.data(), digest.size());
}

StoreIndexKey::~StoreIndexKey() {
  WipeBytes(key_, sizeof key_);
}

Sha256Digest StoreIndexKey::Mac(std::string_view label, const void* data, size_t size) const {
  HmacSha256 hmac(key_, sizeof key_);
  // The label and its terminating zero keep the three uses apart.
  hmac.Update(label.data(), label.size());
  hmac.Update("", 1);
  hmac.Update(data, size);
  return hmac.Finish();
}

Sha256Digest StoreIndexKey::Keyed(const Sha256Digest& content) const {
  return Mac("content", content.data(), content.size());
}

Sha256Digest StoreIndexKey::Tag(std::u16string_view record) const {
  const std::string text = Utf16ToUtf8(record);
  return Mac("record", text.data(), text.size());
}

void StoreIndexKey::Place(std::u16string_view storedPath, uint8_t (&place)[kEncryptedPlaceSize]) const {
  // A previous version keeps the place of the stored file it was the copy of.
  const std::u16string current = CurrentPathOfVersion(storedPath);
  const std::string text = Utf16ToUtf8(FoldedBelowStoreRoot(current.empty() ? storedPath : current));
  const Sha256Digest digest = Mac("place", text.data(), text.size());
  std::memcpy(place, digest.data(), kEncryptedPlaceSize);
}

}  // namespace qtr
