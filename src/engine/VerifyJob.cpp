#include "engine/VerifyJob.h"

#include <memory>
#include <utility>
#include <vector>

#include "config/LanguageText.h"
#include "engine/StoreIndex.h"
#include "engine/StoreLayout.h"
#include "engine/StoreVersions.h"
#include "platform/NumberText.h"

namespace qtr {
namespace {

bool IsDriveFolder(const FindEntry& entry) {
  if (!entry.IsFolder() || entry.name.size() != 1) return false;
  const char16_t c = entry.name[0];
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// The entries of a folder, "." and ".." left out; false when it cannot be listed.
bool ListFolder(FileSystem& fs, std::u16string_view folder, std::vector<FindEntry>* entries) {
  std::unique_ptr<FolderListing> listing;
  if (fs.List(folder, &listing) != 0) return false;
  FindEntry entry;
  while (listing->Next(&entry)) {
    if (entry.name != u"." && entry.name != u"..") entries->push_back(entry);
  }
  return true;
}

// False when the job was stopped.
bool CountFolder(BackupJob& job, const std::u16string& folder, std::map<std::u16string, uint64_t>* sizes) {
  std::vector<FindEntry> entries;
  // A folder that cannot be listed is reported by the verify pass itself.
  if (!ListFolder(job.fs, folder, &entries)) return true;
  for (const FindEntry& entry : entries) {
    if (job.control.stop != 0) return false;
    const std::u16string path = JoinPath(folder, entry.name);
    if (entry.IsFolder()) {
      if (!CountFolder(job, path, sizes)) return false;
      continue;
    }
    (*sizes)[Lowercase(path)] = entry.size;
    ++job.counters.scannedCount;
    job.counters.totalBytes += entry.size;
  }
  return true;
}

// Every "%d" of text in turn replaced by the next value; empty when text has
// not exactly as many "%d" as values (a table's text from another version).
std::u16string WithCounts(std::u16string_view text, std::initializer_list<uint64_t> values) {
  std::u16string out;
  auto next = values.begin();
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == u'%' && at + 1 < text.size() && text[at + 1] == u'd') {
      if (next == values.end()) return {};
      out += DigitsOf(*next++);
      ++at;
    } else {
      out += text[at];
    }
  }
  return next == values.end() ? out : std::u16string();
}

std::u16string Formatted(const LanguageTable& table, TextId id, std::initializer_list<uint64_t> values) {
  std::u16string text = WithCounts(DisplayText(table, id), values);
  if (text.empty()) text = WithCounts(KeyOf(id).englishDefault, values);
  return text;
}

std::u16string TextOrDefault(const LanguageTable& table, TextId id) {
  std::u16string text = DisplayText(table, id);
  return text.empty() ? std::u16string(KeyOf(id).englishDefault) : text;
}

// A damaged line of the verify pass, "path;reason", with the reason in the
// window's language where it is one of the pass's common ones. A path may
// hold ";", a reason never does.
std::u16string ShownDamage(const std::u16string& line, const VerifyReasons& reasons) {
  const size_t split = line.rfind(u';');
  if (split == std::u16string::npos) return line;
  const std::u16string_view reason = std::u16string_view(line).substr(split + 1);
  const std::u16string* shown = reason == u"size differs"                 ? &reasons.sizeDiffers
                                : reason == u"content differs"            ? &reasons.contentDiffers
                                : reason == u"container does not decode"  ? &reasons.notDecoded
                                : reason == u"not a compressed container" ? &reasons.notContainer
                                : reason == u"changed since it was backed up" ? &reasons.changed
                                                                          : nullptr;
  if (shown == nullptr || shown->empty()) return line;
  return line.substr(0, split + 1) + *shown;
}

}  // namespace

VerifyReasons VerifyReasonsFrom(const LanguageTable& table) {
  VerifyReasons reasons;
  reasons.missing = TextOrDefault(table, TextId::VerifyMissingReason);
  reasons.unknown = TextOrDefault(table, TextId::VerifyUnknownReason);
  reasons.notChecked = TextOrDefault(table, TextId::VerifyNotCheckedReason);
  reasons.indexDamaged = TextOrDefault(table, TextId::VerifyIndexDamagedReason);
  reasons.sizeDiffers = TextOrDefault(table, TextId::VerifySizeDiffersReason);
  reasons.contentDiffers = TextOrDefault(table, TextId::VerifyContentDiffersReason);
  reasons.notDecoded = TextOrDefault(table, TextId::VerifyNotDecodedReason);
  reasons.notContainer = TextOrDefault(table, TextId::VerifyNotContainerReason);
  reasons.changed = TextOrDefault(table, TextId::VerifyChangedReason);
  reasons.keyCheckMissing = TextOrDefault(table, TextId::VerifyKeyCheckMissingReason);
  return reasons;
}

JobVerifyControl::JobVerifyControl(BackupJob& job, std::map<std::u16string, uint64_t> sizes)
    : job_(job), sizes_(std::move(sizes)) {}

bool JobVerifyControl::WaitUnlessStopped() {
  return job_.control.WaitUnlessStopped();
}

void JobVerifyControl::AddProgress(uint64_t bytes) {
  job_.counters.currentDone += bytes;
  // A file that grew since it was counted adds no more than its counted
  // size, so the overall bar never passes the total.
  const uint64_t room = size_ > counted_ ? size_ - counted_ : 0;
  const uint64_t take = bytes < room ? bytes : room;
  counted_ += take;
  job_.counters.doneBytes += take;
}

void JobVerifyControl::OnFile(std::u16string_view path) {
  FinishFile();
  const auto it = sizes_.find(Lowercase(path));
  size_ = it != sizes_.end() ? it->second : 0;
  counted_ = 0;
  inFile_ = true;
  job_.counters.currentDone = 0;
  job_.counters.currentSize = size_;
  job_.counters.SetCurrentFile(std::u16string(path));
}

void JobVerifyControl::FinishFile() {
  if (!inFile_) return;
  inFile_ = false;
  // A file passed without being read in full (unknown, damaged, encrypted)
  // still counts its whole size: the bar tells how much of the store is through.
  if (size_ > counted_) job_.counters.doneBytes += size_ - counted_;
  counted_ = size_;
  ++job_.counters.finishedCount;
}

bool CountStoredFiles(BackupJob& job, std::u16string_view storeRoot,
                      std::map<std::u16string, uint64_t>* sizes) {
  std::vector<FindEntry> top;
  if (!ListFolder(job.fs, storeRoot, &top)) return true;
  for (const FindEntry& entry : top) {
    if (!IsDriveFolder(entry)) continue;
    if (!CountFolder(job, JoinPath(storeRoot, entry.name), sizes)) return false;
  }
  for (const std::u16string& folder : VersionDriveFolders(job.fs, storeRoot))
    if (!CountFolder(job, folder, sizes)) return false;
  return job.control.stop == 0;
}

VerifyOutcome RunVerifyJob(BackupJob& job, const VerifyReasons& reasons) {
  VerifyOutcome outcome;
  const std::u16string storeRoot = StoreRootOf(job.settings.targetRoot);
  std::vector<FindEntry> top;
  outcome.storeFound = !job.settings.targetRoot.empty() && ListFolder(job.fs, storeRoot, &top);

  if (outcome.storeFound) {
    std::map<std::u16string, uint64_t> sizes;
    job.counters.scanning = 1;
    const bool counted = CountStoredFiles(job, storeRoot, &sizes);
    job.counters.scanning = 0;
    if (!counted) {
      outcome.stopped = true;
    } else {
      JobVerifyControl control(job, std::move(sizes));
      // With the store's key its encrypted files are read too; without it they are listed as not checked.
      const VerifyReport report =
          VerifyStore(job.fs, storeRoot, &control, job.settings.storeKey ? &*job.settings.storeKey : nullptr);
      if (!report.stopped) control.FinishFile();
      outcome.stopped = report.stopped;
      outcome.indexDamaged = !report.indexDamage.empty();
      outcome.keyCheckMissing = report.keyCheckMissing;
      outcome.stored = report.filesMet;
      outcome.sound = report.filesChecked;
      outcome.checked = report.filesChecked + report.damaged.size();
      outcome.damaged = report.damaged.size();
      outcome.missing = report.missing.size();
      outcome.unknown = report.unknown.size();
      outcome.notChecked = report.skipped.size();
      if (outcome.indexDamaged)
        job.results.failures.AddFailureLine(IndexFolderOf(storeRoot) + u";" + reasons.indexDamaged + u" (" +
                                            report.indexDamage + u")");
      if (report.keyCheckMissing)
        job.results.failures.AddFailureLine(JoinPath(storeRoot, u"~key.bin") + u";" +
                                            reasons.keyCheckMissing);
      for (const std::u16string& line : report.damaged)
        job.results.failures.AddFailureLine(ShownDamage(line, reasons));
      for (const std::u16string& path : report.missing)
        job.results.failures.AddFailureLine(path + u";" + reasons.missing);
      for (const std::u16string& path : report.unknown)
        job.results.failures.AddFailureLine(path + u";" + reasons.unknown);
      for (const std::u16string& path : report.skipped)
        job.results.failures.AddFailureLine(path + u";" + reasons.notChecked);
    }
  }

  // The end of every job: the window's timer sees the stop flag and finishes.
  job.control.stop = 1;
  return outcome;
}

VerifyOutcome RunVerifyJob(BackupJob& job) {
  return RunVerifyJob(job, VerifyReasonsFrom(LanguageTable()));
}

std::u16string VerifySummaryText(const VerifyOutcome& outcome, const LanguageTable& table) {
  if (!outcome.storeFound) return TextOrDefault(table, TextId::VerifyNoStore);
  // "No damage found" only of a store whose every file was read; the first
  // figure is the Total above it, and the others add up to it.
  if (outcome.Sound()) return Formatted(table, TextId::VerifySoundSummary, {outcome.checked});
  std::u16string text = Formatted(table, TextId::VerifyStoreSummary,
                                  {outcome.stored, outcome.sound, outcome.damaged,
                                   outcome.unknown + outcome.notChecked, outcome.missing});
  text += u" " + TextOrDefault(table, outcome.Damaged() ? TextId::VerifyDamagedVerdict
                                                          : TextId::VerifyUnverifiableVerdict);
  return text;
}

}  // namespace qtr
