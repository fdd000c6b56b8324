#include "tools/VerifyCommand.h"

#include "engine/VerifyStore.h"
#include "platform/Utf8.h"

namespace qtr {

int VerifyCommand(FileSystem& fs, const std::u16string& target, std::string* out) {
  const std::u16string root = target + u"\\QTRPMB";
  FindEntry store;
  if (fs.Find(root, &store) != 0 || !store.IsFolder()) {
    *out = "no store on " + Utf16ToUtf8(target) + " (" + Utf16ToUtf8(root) + " is not a folder)\n";
    return 2;
  }
  const VerifyReport report = VerifyStore(fs, root, nullptr);
  out->clear();
  if (!report.indexDamage.empty())
    *out += "index damaged, read without it: " + Utf16ToUtf8(report.indexDamage) + "\n";
  for (const std::u16string& line : report.damaged) *out += "damaged " + Utf16ToUtf8(line) + "\n";
  for (const std::u16string& line : report.missing) *out += "missing " + Utf16ToUtf8(line) + "\n";
  for (const std::u16string& line : report.unknown) *out += "unknown " + Utf16ToUtf8(line) + "\n";
  for (const std::u16string& line : report.skipped) *out += "encrypted " + Utf16ToUtf8(line) + "\n";
  *out += Utf16ToUtf8(VerifySummary(report)) + "\n";
  if (report.stopped) return 2;
  return report.Sound() ? 0 : 1;
}

}  // namespace qtr
