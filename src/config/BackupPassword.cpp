#include "config/BackupPassword.h"

#include <memory>

#include "platform/FileReplacement.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

// "QTBP", format 1, then the sealed bytes. The purpose ties the seal to
// this file, so a sealed blob of another kind pasted in does not open.
constexpr std::string_view kMagic{"QTBP\x01", 5};
constexpr std::string_view kPurpose = "QTR XVQ backup password 1";
// A sealed password is a few hundred bytes; anything far larger is not ours.
constexpr uint64_t kMaxFileSize = 64 * 1024;

uint32_t ReadSmallFile(FileSystem& fs, std::u16string_view path, std::string* bytes) {
  std::unique_ptr<File> file;
  if (const uint32_t error = fs.Open(path, OpenMode::kReadExisting, &file); error != 0) return error;
  uint64_t size = 0;
  if (const uint32_t error = file->Size(&size); error != 0) return error;
  if (size > kMaxFileSize) return kErrorInvalidData;
  bytes->resize(static_cast<size_t>(size));
  size_t got = 0;
  if (const uint32_t error = file->Read(bytes->data(), bytes->size(), &got); error != 0) return error;
  if (got != bytes->size()) return kErrorHandleEof;
  return 0;
}

}  // namespace

BackupPassword::BackupPassword(FileSystem& fs, UserDataProtection& protection,
                               std::u16string_view programFolder)
    : fs_(fs), protection_(protection), path_(std::u16string(programFolder) + kBackupPasswordFileName) {}

std::optional<std::string> BackupPassword::Read() const {
  std::string bytes;
  if (ReadSmallFile(fs_, path_, &bytes) != 0) return std::nullopt;
  if (bytes.size() <= kMagic.size() || std::string_view(bytes).substr(0, kMagic.size()) != kMagic)
    return std::nullopt;
  std::string plain;
  if (protection_.Unprotect(std::string_view(bytes).substr(kMagic.size()), kPurpose, &plain) != 0 ||
      plain.empty()) {
    WipeSecret(plain);
    return std::nullopt;
  }
  return plain;
}

uint32_t BackupPassword::Keep(std::string_view password) {
  if (password.empty()) return Remove();
  std::string sealed;
  if (const uint32_t error = protection_.Protect(password, kPurpose, &sealed); error != 0) return error;
  return ReplaceFileContents(fs_, path_, std::string(kMagic) + sealed);
}

uint32_t BackupPassword::Remove() {
  const uint32_t error = fs_.RemoveFile(path_);
  return error == kErrorFileNotFound || error == kErrorPathNotFound ? 0 : error;
}

}  // namespace qtr
