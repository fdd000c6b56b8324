// qtr_guard_judge: the backup guard's verdicts on files of this machine, to
// count its false alarms on people's changes and to see it catch an attack.
//
//   qtr_guard_judge OLD NEW [OLD NEW ...]
//   qtr_guard_judge -        pairs from standard input, one a line: OLD<TAB>NEW[<TAB>renamed]
//
// OLD is the stored copy's content, NEW the changed source; an empty OLD makes
// NEW a new file of the job ("renamed": the store holds a file it was renamed
// from, whose source is gone). Prints a line per pair (verdict, entropy of
// both heads, NEW), then the counts and whether one job of them all would
// have been stopped.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "engine/ReplacementGuard.h"
#include "platform/Utf8.h"

namespace {

bool ReadHead(const std::string& path, std::vector<uint8_t>* head) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  head->resize(qtr::kGuardHeadBytes);
  file.read(reinterpret_cast<char*>(head->data()), static_cast<std::streamsize>(head->size()));
  head->resize(static_cast<size_t>(file.gcount()));
  return !file.bad();
}

struct Counts {
  int none = 0, encrypted = 0, signature = 0, added = 0, unreadable = 0;
};

void Judge(const std::string& oldPath, const std::string& newPath, bool renamed, qtr::GuardTally* tally,
           Counts* counts) {
  std::vector<uint8_t> stored, fresh;
  if (!ReadHead(newPath, &fresh) || (!oldPath.empty() && !ReadHead(oldPath, &stored))) {
    ++counts->unreadable;
    std::printf("unreadable\t-\t-\t%s\n", newPath.c_str());
    return;
  }
  const std::u16string name = qtr::Utf8ToUtf16(newPath);
  if (oldPath.empty()) {
    tally->CountNewFile(name, renamed);
    ++counts->added;
    std::printf("new%s\t-\t%.3f\t%s\n", renamed ? "-renamed" : "", qtr::EntropyBitsPerByte(fresh), newPath.c_str());
    return;
  }
  const qtr::Suspicion verdict = qtr::JudgeReplacement(name, stored, fresh);
  tally->CountReplacement(verdict);
  const char* word = "none";
  switch (verdict) {
    case qtr::Suspicion::kNone: ++counts->none; break;
    case qtr::Suspicion::kLooksEncrypted: ++counts->encrypted; word = "looks-encrypted"; break;
    case qtr::Suspicion::kSignatureLost: ++counts->signature; word = "signature-lost"; break;
  }
  std::printf("%s\t%.3f\t%.3f\t%s\n", word, qtr::EntropyBitsPerByte(stored), qtr::EntropyBitsPerByte(fresh),
              newPath.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  qtr::GuardTally tally;
  Counts counts;
  if (argc == 2 && std::string(argv[1]) == "-") {
    std::string line;
    while (std::getline(std::cin, line)) {
      const size_t tab = line.find('\t');
      if (tab == std::string::npos) continue;
      const size_t flag = line.find('\t', tab + 1);
      const std::string newPath = line.substr(tab + 1, flag == std::string::npos ? flag : flag - tab - 1);
      const bool renamed = flag != std::string::npos && line.substr(flag + 1) == "renamed";
      Judge(line.substr(0, tab), newPath, renamed, &tally, &counts);
    }
  } else if (argc >= 3 && argc % 2 == 1) {
    for (int k = 1; k + 1 < argc; k += 2) Judge(argv[k], argv[k + 1], false, &tally, &counts);
  } else {
    std::fprintf(stderr, "usage: qtr_guard_judge OLD NEW [OLD NEW ...] | qtr_guard_judge -\n");
    return 2;
  }
  std::printf("replacements %d: none %d, looks-encrypted %d, signature-lost %d; new files %d; unreadable %d\n",
              tally.Replaced(), counts.none, counts.encrypted, counts.signature, counts.added, counts.unreadable);
  std::printf("job %s: %d suspicious of %d replaced, %d renamed to \"%s\"\n",
              tally.Tripped() ? "stopped" : "not stopped", tally.Suspicious(), tally.Replaced(),
              tally.RenamedToOneExtension(), qtr::Utf16ToUtf8(tally.RenamedExtension()).c_str());
  return 0;
}
