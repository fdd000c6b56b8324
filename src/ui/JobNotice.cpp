#include "ui/JobNotice.h"

#include "config/LanguageText.h"
#include "platform/NumberText.h"

namespace qtr {
namespace {

void ReplaceAll(std::u16string& text, std::u16string_view what, std::u16string_view with) {
  for (size_t at = text.find(what); at != std::u16string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

TextId JobNameId(HistoryJobKind kind) {
  switch (kind) {
    case HistoryJobKind::kRestore: return TextId::NoticeRestoreJob;
    case HistoryJobKind::kVerify: return TextId::NoticeVerifyJob;
    case HistoryJobKind::kDiskCopy: return TextId::NoticeDiskCopyJob;
    case HistoryJobKind::kBackup: break;
  }
  return TextId::NoticeBackupJob;
}

}  // namespace

std::u16string GroupedCount(uint64_t count) {
  const std::u16string digits = DigitsOf(count);
  std::u16string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) grouped += u',';
    grouped += digits[i];
  }
  return grouped;
}

std::u16string WithPlaces(std::u16string text, std::u16string_view first, std::u16string_view second) {
  // The second first: a first value holding "%2" (a disk named so) stays as it is.
  ReplaceAll(text, u"%2", second);
  ReplaceAll(text, u"%1", first);
  return text;
}

std::u16string EndingReason(JobEnding ending, const LanguageTable& table) {
  switch (ending) {
    case JobEnding::kLowSpace: return DisplayText(table, TextId::EndingLowSpace);
    case JobEnding::kTargetRemoved: return DisplayText(table, TextId::EndingRemoved);
    case JobEnding::kStoppedByGuard: return DisplayText(table, TextId::EndingGuard);
    case JobEnding::kStoppedByPerson:
    case JobEnding::kFinished: break;
  }
  return DisplayText(table, TextId::EndingStopped);
}

JobNotice JobNoticeFor(const JobRecord& record, const LanguageTable& table) {
  const std::u16string job = WithPlaces(DisplayText(table, JobNameId(record.kind)), record.target);
  const auto line = [&](TextId id, uint64_t count = 0) {
    return WithPlaces(DisplayText(table, id), job, GroupedCount(count));
  };
  JobNotice notice;
  notice.warning = !record.Succeeded();
  switch (record.ending) {
    case JobEnding::kStoppedByPerson: notice.text = line(TextId::NoticeStopped); break;
    case JobEnding::kLowSpace: notice.text = line(TextId::NoticeLowSpace); break;
    case JobEnding::kTargetRemoved: notice.text = line(TextId::NoticeRemoved); break;
    case JobEnding::kStoppedByGuard: notice.text = line(TextId::NoticeGuard); break;
    case JobEnding::kFinished:
      if (record.failedFiles == 0 && record.kind == HistoryJobKind::kDiskCopy) {
        notice.text = line(TextId::NoticeCopyFinished);
      } else if (record.failedFiles == 0) {
        notice.text = record.files == 1 ? line(TextId::NoticeFinishedOne) : line(TextId::NoticeFinished, record.files);
      } else if (record.kind == HistoryJobKind::kDiskCopy) {
        notice.text = line(TextId::NoticeCopyIncomplete);
      } else if (record.kind == HistoryJobKind::kVerify) {
        notice.text = line(TextId::NoticeVerifyDamaged, record.failedFiles);
      } else {
        notice.text =
            record.failedFiles == 1 ? line(TextId::NoticeFailedOne) : line(TextId::NoticeFailed, record.failedFiles);
      }
      return notice;
  }
  // A job that stopped says also what had failed before it did.
  if (record.failedFiles != 0 && record.kind != HistoryJobKind::kDiskCopy)
    notice.text = WithPlaces(
        DisplayText(table, record.failedFiles == 1 ? TextId::NoticeAlsoFailedOne : TextId::NoticeAlsoFailed),
        notice.text, GroupedCount(record.failedFiles));
  return notice;
}

}  // namespace qtr
