#include "engine/StoredForms.h"

#include <cstring>
#include <memory>
#include <vector>

#include "crypto/EncryptedFile.h"
#include "engine/StoreLayout.h"

namespace qtr {
namespace {

// Passes writes to the sink and counts them, to hold the count against the
// source size an encrypted file's header recorded.
class CountingSink final : public File {
 public:
  explicit CountingSink(File& inner) : inner_(inner) {}
  uint32_t Write(const void* buffer, size_t size) override {
    const uint32_t error = inner_.Write(buffer, size);
    if (error == 0) bytes_ += size;
    return error;
  }
  uint32_t Read(void*, size_t, size_t*) override { return kErrorNotSupported; }
  uint32_t Seek(uint64_t) override { return kErrorNotSupported; }
  uint32_t Size(uint64_t* size) override {
    *size = bytes_;
    return 0;
  }
  uint32_t GetInfo(FindEntry* info) override { return inner_.GetInfo(info); }
  uint32_t SetTimesAndAttributes(const FileTimes& t, uint32_t a) override {
    return inner_.SetTimesAndAttributes(t, a);
  }
  uint32_t SetCompression(bool c) override { return inner_.SetCompression(c); }
  uint32_t Flush() override { return inner_.Flush(); }
  uint32_t RenameTo(std::u16string_view path) override { return inner_.RenameTo(path); }
  uint64_t Bytes() const { return bytes_; }

 private:
  File& inner_;
  uint64_t bytes_ = 0;
};

// The marker, then the blocks of a container size bytes long.
ContainerStatus ExpandContainer(File& source, uint64_t size, File& sink, ContainerControl* control) {
  uint8_t marker[4] = {};
  size_t total = 0;
  while (total < sizeof marker) {
    size_t got = 0;
    if (const uint32_t error = source.Read(marker + total, sizeof marker - total, &got); error != 0)
      return {ContainerResult::kReadFailed, error};
    if (got == 0) break;
    total += got;
  }
  if (total != sizeof marker || std::memcmp(marker, kContainerMarker, sizeof marker) != 0)
    return {ContainerResult::kDamaged, 0};
  if (control != nullptr) control->AddProgress(sizeof marker);
  return ReadContainer(source, size, sink, control);
}

}  // namespace

StoredForm FormOfStoredName(std::u16string_view stored) {
  const bool encrypted = EndsWithNoCase(stored, kEncryptedSuffix);
  if (encrypted) stored.remove_suffix(kEncryptedSuffix.size());
  return FormFor(EndsWithNoCase(stored, kCompressedSuffix), encrypted);
}

StoredForm FormFor(bool compress, bool encrypt) {
  if (encrypt) return compress ? StoredForm::kCompressedEncrypted : StoredForm::kEncrypted;
  return compress ? StoredForm::kCompressed : StoredForm::kPlain;
}

bool IsEncryptedForm(StoredForm form) {
  return form == StoredForm::kEncrypted || form == StoredForm::kCompressedEncrypted;
}

bool HasContainer(StoredForm form) {
  return form == StoredForm::kCompressed || form == StoredForm::kCompressedEncrypted;
}

std::u16string SuffixOf(StoredForm form) {
  std::u16string suffix;
  if (HasContainer(form)) suffix += kCompressedSuffix;
  if (IsEncryptedForm(form)) suffix += kEncryptedSuffix;
  return suffix;
}

std::u16string RestoredNameOf(std::u16string_view stored, StoredForm form) {
  std::u16string name(stored);
  if (IsEncryptedForm(form) && EndsWithNoCase(name, kEncryptedSuffix))
    name.resize(name.size() - kEncryptedSuffix.size());
  if (HasContainer(form) && EndsWithNoCase(name, kCompressedSuffix))
    name.resize(name.size() - kCompressedSuffix.size());
  return name;
}

ContainerStatus DecodeStored(File& stored, uint64_t storedSize, StoredForm form, const StoreKey* key,
                             File& sink, ContainerControl* control) {
  if (!IsEncryptedForm(form)) {
    if (HasContainer(form)) return ExpandContainer(stored, storedSize, sink, control);
    return CopyStream(stored, sink, control);
  }
  if (key == nullptr) return {ContainerResult::kReadFailed, kErrorNoStoreKey};
  uint32_t error = 0;
  std::unique_ptr<DecryptingFile> plain = DecryptingFile::Open(stored, key->bytes, &error);
  if (!plain) return {ContainerResult::kReadFailed, error};
  // The authenticated inner form must be the one the name or the index says:
  // otherwise a person's "a.zip" would be expanded, or a container kept as is.
  if (plain->Info().containerInside != HasContainer(form))
    return {ContainerResult::kDamaged, kErrorInvalidData};
  CountingSink counted(sink);
  ContainerStatus status = HasContainer(form)
                               ? ExpandContainer(*plain, plain->InnerSize(storedSize), counted, control)
                               : CopyStream(*plain, counted, control);
  if (!status.Ok()) return status;
  // A container read stops at its own end: the last chunk must still have
  // authenticated, and nothing may follow.
  uint8_t extra = 0;
  size_t got = 0;
  if ((error = plain->Read(&extra, 1, &got)) != 0) return {ContainerResult::kReadFailed, error};
  if (got != 0 || counted.Bytes() != plain->Info().sourceSize)
    return {ContainerResult::kDamaged, kErrorInvalidData};
  return {};
}

}  // namespace qtr
