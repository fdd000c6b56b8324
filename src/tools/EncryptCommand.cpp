#include "tools/EncryptCommand.h"

#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "crypto/EncryptedFile.h"
#include "crypto/KeyCheck.h"
#include "crypto/WipeBytes.h"
#include "engine/StoreKey.h"
#include "engine/StoreLayout.h"
#include "platform/NumberText.h"
#include "platform/SystemError.h"
#include "platform/Utf8.h"
#include "tools/HostFile.h"

namespace qtr {
namespace {

constexpr size_t kCopyBuffer = 256 * 1024;

std::string Describe(std::u16string_view path, uint32_t error) {
  if (error == kErrorNotAuthentic)
    return Utf16ToUtf8(path) + " is damaged, altered or was encrypted under another key";
  return Utf16ToUtf8(path) + ": " + Utf16ToUtf8(SystemErrorMessage(error)) + " (error " +
         std::to_string(error) + ")";
}

// The key wiped when it goes out of scope.
struct CommandKey {
  CommandKey() = default;
  CommandKey(const CommandKey&) = delete;
  CommandKey& operator=(const CommandKey&) = delete;
  ~CommandKey() { WipeBytes(bytes, sizeof bytes); }
  uint8_t bytes[kAesKeySize] = {};
  KeyParameters parameters;  // what the key check holds besides its check value
};

// The copy of a store's key check, "QTRPMB\~keycopy\~key.bin" beside
// "QTRPMB\~key.bin"; empty for a key check file elsewhere.
std::u16string KeyCheckCopyOf(const std::u16string& keyFile) {
  const size_t slash = keyFile.find_last_of(u"\\/");
  if (slash == std::u16string::npos || keyFile.substr(slash + 1) != kKeyCheckFileName) return {};
  if (KeyCheckFileOf(keyFile) != keyFile) return {};
  return keyFile.substr(0, slash + 1) + std::u16string(kKeyCheckCopyFolder) + keyFile[slash] + kKeyCheckFileName;
}

// The key check written under a partial name of its own (created
// exclusively), flushed and renamed: a cut leaves no torn key check file,
// and one another writer put in place meanwhile is kept.
uint32_t WriteKeyCheckFile(const std::u16string& path, const std::vector<uint8_t>& bytes) {
  std::random_device random;
  std::u16string partial;
  std::unique_ptr<File> file;
  uint32_t error = kErrorFileExists;
  for (int attempt = 0; attempt < 100 && error == kErrorFileExists; ++attempt) {
    partial = path + u"." + DigitsOf(random()) + std::u16string(kPartialSuffix);
    error = CreateNewHostFile(partial, &file);
  }
  if (error != 0) return error;
  if ((error = file->Write(bytes.data(), bytes.size())) == 0) error = file->Flush();
  file.reset();
  if (error == 0 && KindOfHostPath(path) != HostPathKind::kMissing) error = kErrorFileExists;
  if (error == 0) error = RenameHostFile(partial, path);
  if (error != 0) RemoveHostFile(partial);
  return error;
}

uint32_t ReadWhole(const std::u16string& path, std::vector<uint8_t>* bytes) {
  std::unique_ptr<File> file;
  if (uint32_t error = OpenHostFile(path, false, &file)) return error;
  uint8_t buffer[4096];
  for (;;) {
    size_t got = 0;
    if (uint32_t error = file->Read(buffer, sizeof buffer, &got)) return error;
    if (got == 0) return 0;
    bytes->insert(bytes->end(), buffer, buffer + got);
    if (bytes->size() > 65536) return 0;  // far beyond a key check file: damaged
  }
}

bool LoadKey(const std::u16string& keyFile, std::string_view password, bool create, CommandKey* key,
             std::string* message) {
  std::vector<uint8_t> bytes;
  uint32_t error = ReadWhole(keyFile, &bytes);
  const std::u16string copy = KeyCheckCopyOf(keyFile);
  KeyParameters sound;
  if (!copy.empty() && (error != 0 || ReadKeyCheckParameters(bytes, &sound) != KeyCheckResult::kOk)) {
    // The store's first key check is gone or damaged: its copy serves.
    std::vector<uint8_t> second;
    if (ReadWhole(copy, &second) == 0 && ReadKeyCheckParameters(second, &sound) == KeyCheckResult::kOk) {
      bytes = std::move(second);
      error = 0;
    }
  }
  if (error == kErrorFileNotFound && create) {
    if (KindOfHostPath(copy.empty() ? keyFile : copy) != HostPathKind::kMissing) {
      // A damaged copy beside no first file: never a new key over it.
      *message = "the key check file " + Utf16ToUtf8(copy) + " is damaged";
      return false;
    }
    if (CreateKeyCheck(password, kMinKeyIterations, &bytes, key->bytes, &key->parameters) != KeyCheckResult::kOk) {
      *message = "the system's crypto library failed to derive a key";
      return false;
    }
    if ((error = WriteKeyCheckFile(keyFile, bytes)) != 0) {
      *message = error == kErrorFileExists ? "the key check file " + Utf16ToUtf8(keyFile) +
                                                 " was made by another writer meanwhile: try again"
                                           : "cannot write the key check file " + Describe(keyFile, error);
      return false;
    }
    if (!copy.empty()) {
      CreateHiddenHostFolder(copy.substr(0, copy.find_last_of(u"\\/")));
      WriteKeyCheckFile(copy, bytes);  // when it fails, the program puts it back at its next open
    }
    return true;
  }
  if (error != 0) {
    *message = "cannot read the key check file " + Describe(keyFile, error);
    return false;
  }
  switch (OpenKeyCheck(bytes, password, key->bytes, &key->parameters)) {
    case KeyCheckResult::kOk: return true;
    case KeyCheckResult::kWrongPassword: *message = "wrong password"; return false;
    case KeyCheckResult::kDamaged:
      *message = "the key check file " + Utf16ToUtf8(keyFile) + " is damaged";
      return false;
    case KeyCheckResult::kLibraryFailed: break;
  }
  *message = "the system's crypto library failed to derive the key";
  return false;
}

// Whether the key check file, or the copy of a store's, is whole.
bool HasSoundKeyCheck(const std::u16string& keyFile) {
  KeyParameters ignored;
  for (const std::u16string& path : {keyFile, KeyCheckCopyOf(keyFile)}) {
    std::vector<uint8_t> bytes;
    if (!path.empty() && ReadWhole(path, &bytes) == 0 && ReadKeyCheckParameters(bytes, &ignored) == KeyCheckResult::kOk)
      return true;
  }
  return false;
}

// A partial file beside the output, created exclusively.
uint32_t CreatePartial(const std::u16string& output, std::u16string* partial, std::unique_ptr<File>* file) {
  std::random_device random;
  uint32_t error = kErrorFileExists;
  for (int attempt = 0; attempt < 100 && error == kErrorFileExists; ++attempt) {
    *partial = output + u"." + DigitsOf(random()) + std::u16string(kPartialSuffix);
    error = CreateNewHostFile(*partial, file);
  }
  return error;
}

// Copies in to out, then puts the partial output in place; on any failure
// the partial output is removed.
// expectedSize: the size the header of a decrypted file records (none: not checked).
int CopyThrough(File& in, const std::u16string& input, const std::u16string& output, std::u16string& partial,
                std::unique_ptr<File>& outFile, File& sink, EncryptingFile* encrypting,
                std::optional<uint64_t> expectedSize, std::string* message) {
  std::vector<uint8_t> buffer(kCopyBuffer);
  uint32_t error = 0;
  bool readSide = true;
  uint64_t copied = 0;
  for (;;) {
    size_t got = 0;
    if ((error = in.Read(buffer.data(), buffer.size(), &got)) != 0) break;
    if (got == 0) break;
    copied += got;
    if ((error = sink.Write(buffer.data(), got)) != 0) {
      readSide = false;
      break;
    }
  }
  if (error == 0 && expectedSize && copied != *expectedSize) {
    outFile.reset();
    RemoveHostFile(partial);
    *message = Utf16ToUtf8(input) + " holds " + std::to_string(copied) + " bytes where its header records " +
               std::to_string(*expectedSize) + ": damaged or altered; nothing written";
    return 1;
  }
  if (error == 0 && encrypting != nullptr && (error = encrypting->Finish()) != 0) readSide = false;
  if (error == 0 && (error = outFile->Flush()) != 0) readSide = false;
  outFile.reset();
  if (error == 0 && (error = RenameHostFile(partial, output)) != 0) readSide = false;
  if (error == 0) return 0;
  RemoveHostFile(partial);
  *message = readSide ? (error == kErrorNotAuthentic ? Describe(input, error)
                                                     : "cannot read " + Describe(input, error))
                      : "cannot write " + Describe(output, error);
  return 1;
}

bool OpenInput(const std::u16string& input, const std::u16string& output, std::unique_ptr<File>* in,
               std::string* message) {
  if (uint32_t error = OpenHostFile(input, false, in)) {
    *message = "cannot read " + Describe(input, error);
    return false;
  }
  if (KindOfHostPath(output) == HostPathKind::kFolder || KindOfHostPath(output) == HostPathKind::kRefused) {
    *message = "the output " + Utf16ToUtf8(output) + " is not a regular file; nothing written";
    return false;
  }
  if (SameHostFile(input, output)) {
    *message = "the output " + Utf16ToUtf8(output) + " is the input itself; nothing written";
    return false;
  }
  return true;
}

// The key check file given, or the one of the store path lies in.
bool ResolveKeyFile(const std::u16string& given, const std::u16string& path, std::u16string* keyFile,
                    std::string* message) {
  *keyFile = given.empty() ? KeyCheckFileOf(path) : given;
  if (!keyFile->empty()) return true;
  *message = Utf16ToUtf8(path) + " is not inside a store's QTRPMB folder: give its key check file with --key-file";
  return false;
}

}  // namespace

std::u16string KeyCheckFileOf(std::u16string_view path) {
  // Windows and host paths alike: either separator.
  const size_t lastSlash = path.find_last_of(u"\\/");
  const char16_t separator = lastSlash == std::u16string_view::npos ? u'\\' : path[lastSlash];
  size_t end = path.size();
  while (end > 0) {
    const size_t slash = path.find_last_of(u"\\/", end - 1);
    const size_t start = slash == std::u16string_view::npos ? 0 : slash + 1;
    if (Lowercase(path.substr(start, end - start)) == Lowercase(kStoreFolder))
      return std::u16string(path.substr(0, end)) + separator + kKeyCheckFileName;
    if (slash == std::u16string_view::npos) break;
    end = slash;
  }
  return {};
}

int EncryptCommand(const std::u16string& input, const std::u16string& output, const std::u16string& keyFile,
                   std::string_view password, std::string* message) {
  // As the program: no store key from an empty password.
  if (password.empty()) {
    *message = "no password on standard input: an empty password is refused; nothing written";
    return 1;
  }
  // The header records the size before the contents: only a file has one.
  if (KindOfHostPath(input) != HostPathKind::kRegular) {
    *message = "the input " + Utf16ToUtf8(input) + " is not a regular file; nothing written";
    return 1;
  }
  std::unique_ptr<File> in;
  if (!OpenInput(input, output, &in, message)) return 1;
  FindEntry entry;
  if (uint32_t error = in->GetInfo(&entry)) {
    *message = "cannot read " + Describe(input, error);
    return 1;
  }
  CommandKey key;
  std::u16string keyPath;
  if (!ResolveKeyFile(keyFile, output, &keyPath, message) || !LoadKey(keyPath, password, true, &key, message))
    return 1;
  std::u16string partial;
  std::unique_ptr<File> out;
  if (uint32_t error = CreatePartial(output, &partial, &out)) {
    *message = "cannot write " + Describe(output, error);
    return 1;
  }
  uint32_t error = 0;
  // The file carries the salt and count, so that it can be decrypted with
  // the password alone should its key check be lost.
  EncryptedFileOrigin origin;
  origin.parameters = key.parameters;
  auto sink = EncryptingFile::Create(*out, key.bytes, {entry.size, entry.times.lastWrite}, &error,
                                     kEncryptedChunkSize, origin);
  if (!sink) {
    out.reset();
    RemoveHostFile(partial);
    *message = "cannot write " + Describe(output, error);
    return 1;
  }
  return CopyThrough(*in, input, output, partial, out, *sink, sink.get(), std::nullopt, message);
}

int DecryptCommand(const std::u16string& input, const std::u16string& output, const std::u16string& keyFile,
                   std::string_view password, std::string* message, const EncryptedParametersReader& readParameters) {
  std::unique_ptr<File> in;
  if (!OpenInput(input, output, &in, message)) return 1;
  CommandKey key;
  std::u16string keyPath;
  if (!ResolveKeyFile(keyFile, input, &keyPath, message)) return 1;
  bool rebuilt = false;
  KeyParameters carried;
  if (readParameters && !HasSoundKeyCheck(keyPath) && readParameters(*in, &carried)) {
    // The key check is lost: the key from the salt and count the file
    // carries; only the file's own authentication says the password is right.
    std::vector<uint8_t> ignored;
    if (MakeKeyCheck(password, carried, &ignored, key.bytes) != KeyCheckResult::kOk) {
      *message = "the key check file " + Utf16ToUtf8(keyPath) + " is lost and " + Utf16ToUtf8(input) +
                 " carries no usable salt and count";
      return 1;
    }
    rebuilt = in->Seek(0) == 0;
  }
  if (!rebuilt && !LoadKey(keyPath, password, false, &key, message)) return 1;
  uint32_t error = 0;
  auto source = DecryptingFile::Open(*in, key.bytes, &error);
  if (!source && rebuilt && error == kErrorNotAuthentic) {
    *message = "wrong password (the key check file " + Utf16ToUtf8(keyPath) +
               " is lost: the key was made from what the file carries, and the file does not open under it)";
    return 1;
  }
  if (!source) {
    *message = error == kErrorNotAuthentic ? Describe(input, error) : "cannot read " + Describe(input, error);
    return 1;
  }
  std::u16string partial;
  std::unique_ptr<File> out;
  if ((error = CreatePartial(output, &partial, &out)) != 0) {
    *message = "cannot write " + Describe(output, error);
    return 1;
  }
  // A container inside comes out as itself, whose size the header does not record.
  std::optional<uint64_t> expected;
  if (!source->Info().containerInside) expected = source->Info().sourceSize;
  return CopyThrough(*source, input, output, partial, out, *out, nullptr, expected, message);
}

}  // namespace qtr
