#include "config/JobHistory.h"

#include <algorithm>
#include <array>

#include "platform/NumberText.h"
#include "platform/SystemError.h"
#include "platform/WholeFile.h"
#include "xml/XmlDocument.h"
#include "xml/XmlEscape.h"

namespace qtr {
namespace {

constexpr std::u16string_view kRoot = u"JobHistory";

// The stored names of the enumerations: the file says what it means, and a
// reordered enumeration does not change what an old file says.
constexpr std::array<std::u16string_view, 4> kKindNames = {u"backup", u"restore", u"verify", u"diskcopy"};
constexpr std::array<std::u16string_view, 6> kTriggerNames = {u"button",    u"quickactivate", u"hotkey",
                                                              u"enclosure", u"schedule",      u"commandline"};
constexpr std::array<std::u16string_view, 5> kEndingNames = {u"finished", u"stopped", u"lowspace", u"removed",
                                                             u"guard"};

template <typename Enum, size_t N>
std::u16string_view NameOf(const std::array<std::u16string_view, N>& names, Enum value) {
  const auto at = static_cast<size_t>(value);
  return at < N ? names[at] : std::u16string_view();
}

template <typename Enum, size_t N>
std::optional<Enum> ValueOf(const std::array<std::u16string_view, N>& names, std::u16string_view text) {
  for (size_t i = 0; i < N; ++i)
    if (names[i] == text) return static_cast<Enum>(i);
  return std::nullopt;
}

std::optional<uint64_t> ParseCount(std::u16string_view text) {
  uint64_t value = 0;
  if (!ParseDigits(text, &value)) return std::nullopt;
  return value;
}

// A file name may hold a lone surrogate and a system message a control
// character; either would make the whole file ill-formed, so they are
// written as the replacement character (tab stays).
std::u16string StorableText(std::u16string_view value) {
  std::u16string text(value);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (high || low || (c < 0x20 && c != u'\t') || c == 0xFFFE || c == 0xFFFF) {
      text[i] = 0xFFFD;
    }
  }
  return text;
}

void AddField(std::u16string& out, std::u16string_view name, std::u16string_view value) {
  out += u'<';
  out += name;
  if (value.empty()) {
    out += u"/>\r\n";
    return;
  }
  out += u'>';
  out += EscapeXmlText(StorableText(value));
  out += u"</";
  out += name;
  out += u">\r\n";
}

void WriteRecord(std::u16string& out, const JobRecord& record) {
  out += u"<Job>\r\n";
  AddField(out, u"Id", DigitsOf(record.id));
  AddField(out, u"Started", FormatBackupTime(record.started));
  AddField(out, u"Ended", FormatBackupTime(record.ended));
  AddField(out, u"Kind", NameOf(kKindNames, record.kind));
  AddField(out, u"Trigger", NameOf(kTriggerNames, record.trigger));
  AddField(out, u"Target", record.target);
  AddField(out, u"DiskName", record.diskName);
  AddField(out, u"Files", DigitsOf(record.files));
  AddField(out, u"Bytes", DigitsOf(record.bytes));
  AddField(out, u"FailedFiles", DigitsOf(record.failedFiles));
  AddField(out, u"Ending", NameOf(kEndingNames, record.ending));
  AddField(out, u"LinesLeftOut", DigitsOf(record.linesLeftOut));
  if (record.lines.empty()) {
    out += u"<Lines/>\r\n";
  } else {
    out += u"<Lines>\r\n";
    for (const std::u16string& line : record.lines) AddField(out, u"Line", line);
    out += u"</Lines>\r\n";
  }
  out += u"</Job>\r\n";
}

// The record at the document's current "Job" element; nothing when a field
// that says what happened is missing or unknown (a record of a later
// version, or one damaged by hand): better left out than shown wrong.
std::optional<JobRecord> ReadRecord(XmlDocument& doc) {
  JobRecord record;
  bool haveId = false, haveKind = false, haveEnding = false;
  while (doc.FindChildElement()) {
    const std::u16string name = doc.GetChildTagName();
    if (name == u"Lines") {
      doc.IntoElement();
      while (doc.FindChildElement(u"Line"))
        if (record.lines.size() < JobHistory::kMaxLinesPerRecord) record.lines.push_back(doc.GetChildData());
      doc.OutOfElement();
      continue;
    }
    const std::u16string value = doc.GetChildData();
    if (name == u"Id") {
      const auto id = ParseCount(value);
      haveId = id && *id != 0;
      record.id = id.value_or(0);
    } else if (name == u"Started" || name == u"Ended") {
      (name == u"Started" ? record.started : record.ended) = ParseBackupTime(value).value_or(BackupStartTime{});
    } else if (name == u"Kind") {
      const auto kind = ValueOf<HistoryJobKind>(kKindNames, value);
      haveKind = kind.has_value();
      record.kind = kind.value_or(HistoryJobKind::kBackup);
    } else if (name == u"Trigger") {
      record.trigger = ValueOf<JobTrigger>(kTriggerNames, value).value_or(JobTrigger::kButton);
    } else if (name == u"Target") {
      record.target = value;
    } else if (name == u"DiskName") {
      record.diskName = value;
    } else if (name == u"Files") {
      record.files = ParseCount(value).value_or(0);
    } else if (name == u"Bytes") {
      record.bytes = ParseCount(value).value_or(0);
    } else if (name == u"FailedFiles") {
      record.failedFiles = ParseCount(value).value_or(0);
    } else if (name == u"Ending") {
      const auto ending = ValueOf<JobEnding>(kEndingNames, value);
      haveEnding = ending.has_value();
      record.ending = ending.value_or(JobEnding::kFinished);
    } else if (name == u"LinesLeftOut") {
      record.linesLeftOut = ParseCount(value).value_or(0);
    }
  }
  if (!haveId || !haveKind || !haveEnding) return std::nullopt;
  return record;
}

}  // namespace

std::optional<BackupStartTime> ParseBackupTime(std::u16string_view text) {
  // "YYYY-MM-DD hh:mm:ss": the year may have fewer digits, as FormatBackupTime writes it.
  const size_t dash = text.find(u'-');
  if (dash == std::u16string_view::npos || dash == 0 || text.size() != dash + 15) return std::nullopt;
  const auto field = [&](size_t at, size_t width) { return ParseCount(text.substr(at, width)); };
  const auto year = field(0, dash), month = field(dash + 1, 2), day = field(dash + 4, 2),
             hour = field(dash + 7, 2), minute = field(dash + 10, 2), second = field(dash + 13, 2);
  if (text[dash + 3] != u'-' || text[dash + 6] != u' ' || text[dash + 9] != u':' || text[dash + 12] != u':' ||
      !year || !month || !day || !hour || !minute || !second || *year > 9999)
    return std::nullopt;
  return BackupStartTime{static_cast<int>(*year),   static_cast<int>(*month),  static_cast<int>(*day),
                         static_cast<int>(*hour),   static_cast<int>(*minute), static_cast<int>(*second)};
}

void JobRecord::AddLine(std::u16string line) {
  if (lines.size() < JobHistory::kMaxLinesPerRecord) {
    lines.push_back(std::move(line));
  } else {
    ++linesLeftOut;
  }
}

JobHistory::JobHistory(std::u16string programFolder)
    : folder_(std::move(programFolder)), path_(folder_ + std::u16string(kJobHistoryFileName)) {}

namespace {

enum class FileState { kLoaded, kAbsent, kUnreadable };

// Reads the file; one that is there but does not load is set aside, so the
// next save starts a new one beside it instead of over it.
FileState ReadHistory(const std::u16string& folder, const std::u16string& path, std::vector<JobRecord>& records) {
  records.clear();
  std::string bytes;
  const uint32_t error = ReadWholeFile(path, bytes);
  if (error == kErrorFileNotFound || error == kErrorPathNotFound) return FileState::kAbsent;
  // Held by another program, say: the file may be whole, so it is neither
  // set aside nor saved over.
  if (error != 0) return FileState::kUnreadable;
  XmlDocument doc;
  if (doc.LoadBytes(bytes) && doc.IsWellFormed() && doc.FindElement(kRoot)) {
    while (doc.FindChildElement(u"Job")) {
      doc.IntoElement();
      if (auto record = ReadRecord(doc)) records.push_back(std::move(*record));
      doc.OutOfElement();
    }
    return FileState::kLoaded;
  }
  if (RenameWholeFile(path, folder + std::u16string(kDamagedJobHistoryFileName)) != 0)
    return FileState::kUnreadable;
  return FileState::kAbsent;
}

}  // namespace

std::vector<JobRecord> JobHistory::Load() const {
  std::vector<JobRecord> records;
  if (ReadHistory(folder_, path_, records) != FileState::kLoaded) records.clear();
  return records;
}

std::optional<JobRecord> JobHistory::Find(uint64_t id) const {
  for (JobRecord& record : Load())
    if (record.id == id) return std::move(record);
  return std::nullopt;
}

uint64_t JobHistory::Append(JobRecord record) const {
  // A save takes well under a second; a lock not had by then (a folder that
  // takes no new file, say) does not keep the record from being written.
  const WholeFileLock lock(folder_ + std::u16string(kJobHistoryLockFileName), 5000);
  std::vector<JobRecord> records;
  if (ReadHistory(folder_, path_, records) == FileState::kUnreadable) return 0;
  uint64_t highest = 0;
  for (const JobRecord& kept : records) highest = std::max(highest, kept.id);
  record.id = highest + 1;
  if (record.lines.size() > kMaxLinesPerRecord) {
    record.linesLeftOut += record.lines.size() - kMaxLinesPerRecord;
    record.lines.resize(kMaxLinesPerRecord);
  }
  records.push_back(std::move(record));
  const size_t drop = records.size() > kMaxRecords ? records.size() - kMaxRecords : 0;

  // Written whole as text: three hundred records of a hundred lines each
  // are too many for element-by-element edits.
  std::u16string text = u"<JobHistory>\r\n";
  for (size_t i = drop; i < records.size(); ++i) WriteRecord(text, records[i]);
  text += u"</JobHistory>\r\n";
  XmlDocument doc;
  doc.SetDoc(text);
  if (!doc.Save(path_)) return 0;
  return records.back().id;
}

const std::vector<JobRecord>& CachedJobHistory::Records() {
  WholeFileStamp stamp;
  if (StampOfWholeFile(history_.Path(), &stamp) != 0) {
    stamp_.reset();
    records_.clear();
    return records_;
  }
  if (stamp_ == stamp) return records_;
  // Stamped before it is read: a file replaced meanwhile is read again next time.
  stamp_ = stamp;
  records_ = history_.Load();
  for (JobRecord& record : records_) record.lines = {};
  return records_;
}

}  // namespace qtr
