#include "tools/VerifyCommand.h"

#include <optional>

#include "engine/StoreKey.h"
#include "engine/VerifyStore.h"
#include "platform/UserDataProtection.h"
#include "platform/Utf8.h"

namespace qtr {

int VerifyCommand(FileSystem& fs, const std::u16string& target, std::string* out,
                  const std::function<bool(std::string* password)>& readPassword) {
  const std::u16string root = target + u"\\QTRPMB";
  FindEntry store;
  if (fs.Find(root, &store) != 0 || !store.IsFolder()) {
    *out = "no store on " + Utf16ToUtf8(target) + " (" + Utf16ToUtf8(root) + " is not a folder)\n";
    return 2;
  }
  std::optional<StoreKey> key;
  if (readPassword && StoreIsEncrypted(fs, root)) {
    std::string password;
    if (!readPassword(&password)) {
      *out = "the store on " + Utf16ToUtf8(target) + " is encrypted: give its password on standard input\n";
      return 2;
    }
    StoreKey opened;
    uint32_t error = 0;
    const StoreKeyResult result = OpenStoreKey(fs, root, password, false, &opened, &error);
    WipeSecret(password);
    switch (result) {
      case StoreKeyResult::kOk: key = std::move(opened); break;
      case StoreKeyResult::kLost:
        *out = "the store on " + Utf16ToUtf8(target) +
               " cannot be verified: it holds encrypted files but its key check (~key.bin and "
               "~keycopy\\~key.bin) is missing or damaged, so no password can be checked\n";
        return 2;
      case StoreKeyResult::kWrongPassword:
        *out = "wrong password for the store on " + Utf16ToUtf8(target) + "; nothing was read\n";
        return 2;
      case StoreKeyResult::kDamaged:
        *out = "the key check file " + Utf16ToUtf8(root) +
               "\\~key.bin is damaged: the password cannot be checked\n";
        return 2;
      default:
        *out = "the key check file " + Utf16ToUtf8(root) + "\\~key.bin cannot be read (error " +
               std::to_string(error) + ")\n";
        return 2;
    }
  }
  const VerifyReport report = VerifyStore(fs, root, nullptr, key ? &*key : nullptr);
  out->clear();
  if (!report.indexDamage.empty())
    *out += "index damaged, read without it: " + Utf16ToUtf8(report.indexDamage) + "\n";
  for (const std::u16string& line : report.damaged) *out += "damaged " + Utf16ToUtf8(line) + "\n";
  for (const std::u16string& line : report.missing) *out += "missing " + Utf16ToUtf8(line) + "\n";
  for (const std::u16string& line : report.unknown) *out += "unknown " + Utf16ToUtf8(line) + "\n";
  for (const std::u16string& line : report.skipped) *out += "encrypted " + Utf16ToUtf8(line) + "\n";
  if (report.keyCheckMissing)
    *out += "no key check file " + Utf16ToUtf8(root) + "\\~key.bin beside the encrypted files\n";
  *out += Utf16ToUtf8(VerifySummary(report)) + "\n";
  if (report.stopped) return 2;
  return VerifyExitCode(report);
}

}  // namespace qtr
