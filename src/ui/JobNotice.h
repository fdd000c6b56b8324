// The one line the notification area says when a job ended while the main
// window was hidden ("Backup to P: finished: 1,234 files", "Backup to P:
// 3 files failed", "Backup to P: stopped, the disk was removed"), and the
// short reasons a job ended that other lines name.
#pragma once
#include <cstdint>
#include <string>

#include "config/JobHistory.h"
#include "config/LanguageTable.h"

namespace qtr {

struct JobNotice {
  std::u16string text;
  // Anything but a job that finished with no failed file: the balloon then
  // carries the warning icon, so that a failure is never told as news.
  bool warning = false;
};

JobNotice JobNoticeFor(const JobRecord& record, const LanguageTable& table);

// Why a job that did not finish ended, as part of a sentence: "the disk was removed".
std::u16string EndingReason(JobEnding ending, const LanguageTable& table);

// 1234567 as "1,234,567".
std::u16string GroupedCount(uint64_t count);

// text with every "%1" replaced by first and every "%2" by second, so that a
// translation may put them in its own order.
std::u16string WithPlaces(std::u16string text, std::u16string_view first, std::u16string_view second = {});

}  // namespace qtr
