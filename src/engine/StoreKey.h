// The key of an encrypted store. The backup password never reaches the
// store: its key check file "QTRPMB\~key.bin" (crypto/KeyCheck.h) turns the
// password into the key again and tells a wrong password from a damaged file.
// One key per store, made with the store's first encrypted backup; every
// encrypted stored file is under it (each with its own file key derived
// from it, see crypto/EncryptedFile.h).
#pragma once
#include <cstdint>
#include <string_view>

#include "crypto/AesGcm.h"
#include "crypto/KeyCheck.h"
#include "platform/FileSystem.h"

namespace qtr {

struct StoreKey {
  uint8_t bytes[kAesKeySize] = {};
  KeyParameters parameters;  // what the key check file holds besides the check value
};

enum class StoreKeyResult {
  kOk,             // *key is the store's key
  kNotEncrypted,   // the store has no key check file, and none was to be made
  kWrongPassword,  // the key check file is sound, the password is not the store's
  kDamaged,        // the key check file is damaged: the password cannot be checked
  kFailed,         // reading or writing the file, or the library, failed: *error says which
};

// Opens the key check file of the store at storeRoot ("F:\QTRPMB") with
// password (UTF-8). With create set, a store without one gets one made from
// password with a fresh salt (the store folder is created when missing),
// written under a partial name and renamed when whole. The derivation takes
// about a second by design: call it once per job, never per file.
StoreKeyResult OpenStoreKey(FileSystem& fs, std::u16string_view storeRoot, std::string_view password, bool create,
                            StoreKey* key, uint32_t* error = nullptr);

// True when the store at storeRoot has a key check file.
bool StoreHasKeyCheck(FileSystem& fs, std::u16string_view storeRoot);

}  // namespace qtr
