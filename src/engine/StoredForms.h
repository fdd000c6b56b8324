// The four forms a source file may be stored in (plain, compressed,
// encrypted, compressed then encrypted), the stored name of each, and the
// decode of a stored file back to the source's bytes, whatever its form.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Container.h"
#include "engine/StoreIndex.h"
#include "engine/StoreKey.h"
#include "platform/FileSystem.h"

namespace qtr {

// ERROR_INVALID_PASSWORD: an encrypted file met without the store's key.
inline constexpr uint32_t kErrorNoStoreKey = 86;

inline constexpr std::array<StoredForm, 4> kAllStoredForms = {
    StoredForm::kPlain, StoredForm::kCompressed, StoredForm::kEncrypted, StoredForm::kCompressedEncrypted};

StoredForm FormFor(bool compress, bool encrypt);
// The form a stored name says: "a.txt.zip.qtrx" compressed and encrypted.
StoredForm FormOfStoredName(std::u16string_view stored);
bool IsEncryptedForm(StoredForm form);
bool HasContainer(StoredForm form);
// What the form adds to the source's name: "", ".zip", ".qtrx", ".zip.qtrx".
std::u16string SuffixOf(StoredForm form);
// The name a stored file of that form restores to: its form's suffix taken
// off where the name ends with it ("a.zip.qtrx" -> "a").
std::u16string RestoredNameOf(std::u16string_view stored, StoredForm form);

// Decodes the stored file (open at its start, storedSize bytes long) of the
// given form into sink: decrypted with key, then expanded. Only bytes of
// chunks that authenticated reach sink, and the result is kOk only when the
// whole file authenticated and, when encrypted, gave the source size its
// header recorded. A container that does not decode is kDamaged with error
// 0; any other damage (authentication, inner form, size) is kDamaged with
// kErrorInvalidData, or kReadFailed with the read's error; no key for an
// encrypted form is kReadFailed with kErrorNoStoreKey. Progress counts
// stored bytes as the container read counts them, plain bytes otherwise.
ContainerStatus DecodeStored(File& stored, uint64_t storedSize, StoredForm form, const StoreKey* key,
                             File& sink, ContainerControl* control);

}  // namespace qtr
