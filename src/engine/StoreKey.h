// The key of an encrypted store. The backup password never reaches the
// store: its key check (crypto/KeyCheck.h) turns the password into the key
// again and tells a wrong password from a damaged file. The key check is
// kept twice, "QTRPMB\~key.bin" and "QTRPMB\~keycopy\~key.bin", so that
// losing one file or one sector loses no key. One key per store, made with
// the store's first encrypted backup; every encrypted stored file is under
// it (each with its own file key derived from it, see crypto/EncryptedFile.h).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "crypto/AesGcm.h"
#include "crypto/KeyCheck.h"
#include "platform/FileSystem.h"

namespace qtr {

inline constexpr std::u16string_view kKeyCheckCopyFolder = u"~keycopy";

// One owner of the key bytes: not copied by accident, wiped when it goes.
struct StoreKey {
  StoreKey() = default;
  StoreKey(const StoreKey&) = delete;
  StoreKey& operator=(const StoreKey&) = delete;
  StoreKey(StoreKey&& other) noexcept;
  StoreKey& operator=(StoreKey&& other) noexcept;
  ~StoreKey();
  // A second owner, for the few places that need the key twice.
  StoreKey Duplicate() const;

  uint8_t bytes[kAesKeySize] = {};
  KeyParameters parameters;  // what the key check holds besides the check value
};

enum class StoreKeyResult {
  kOk,             // *key is the store's key
  kNotEncrypted,   // the store has no key check and no encrypted file, and none was to be made
  kWrongPassword,  // the key check is sound, the password is not the store's
  kDamaged,        // the key check is damaged and the store holds no encrypted file: no password can be checked
  kLost,           // the store holds encrypted files but no usable key check: never given a new key unasked
  kFailed,         // reading or writing the file, or the library, failed: *error says which
};

// What rebuilds the key of a store whose key check is lost, from the
// encrypted files that remain (each carries the salt and iteration count).
struct StoreKeyRebuild {
  // The salt and iteration count of one of the store's encrypted files; false: none found.
  std::function<bool(KeyParameters* parameters)> findParameters;
  // Whether key opens that file: a wrong password gives a key that does not.
  std::function<bool(const StoreKey& key)> opens;
  explicit operator bool() const { return findParameters && opens; }
};

// Opens the key check of the store at storeRoot ("F:\QTRPMB") with password
// (UTF-8). A missing or damaged copy is put back from the sound one. With
// create set, a store without key check and without encrypted files gets
// one made from password with a fresh salt (the store folder is created
// when missing), each copy written under a partial name created
// exclusively, flushed and renamed. A store whose key check is lost is
// kLost unless rebuild finds the key again from its files (the key check is
// then written again for that key). The derivation takes about a second by
// design (a few at kMaxKeyIterations): call it once per job, off the window's
// thread, never per file.
StoreKeyResult OpenStoreKey(FileSystem& fs, std::u16string_view storeRoot, std::string_view password, bool create,
                            StoreKey* key, uint32_t* error = nullptr, const StoreKeyRebuild& rebuild = {});

// The person's explicit choice for a kLost store: a new key from password
// with a fresh salt, its key check written over what is left of the old
// one. The encrypted copies already in the store stay under the old key.
StoreKeyResult ReplaceLostStoreKey(FileSystem& fs, std::u16string_view storeRoot, std::string_view password,
                                   StoreKey* key, uint32_t* error = nullptr);

// True when either copy of the store's key check is there (sound or not).
bool StoreHasKeyCheck(FileSystem& fs, std::u16string_view storeRoot);
// True when a file of the store's drive folders ends in ".qtrx".
bool StoreHoldsEncryptedFiles(FileSystem& fs, std::u16string_view storeRoot);
// The store is encrypted: it has a key check or holds encrypted files.
bool StoreIsEncrypted(FileSystem& fs, std::u16string_view storeRoot);

// "F:\QTRPMB" -> "F:\QTRPMB\~key.bin" and "F:\QTRPMB\~keycopy\~key.bin".
std::u16string KeyCheckPathOf(std::u16string_view storeRoot);
std::u16string KeyCheckCopyPathOf(std::u16string_view storeRoot);

}  // namespace qtr
