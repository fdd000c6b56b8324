#include "engine/JobText.h"

#include <string>

#include "config/LanguageText.h"
#include "engine/ReplacementGuard.h"
#include "platform/NumberText.h"
#include "platform/SystemError.h"

namespace qtr {

std::u16string FormatDuration(int64_t s) {
  if (s < 0) s = 0;
  return DecimalText((s % 86400) / 3600, 2) + u":" + DecimalText((s % 3600) / 60, 2) + u":" +
         DecimalText(s % 60, 2);
}

std::u16string FormatFileCount(int64_t count) {
  std::u16string text = DecimalText(count) + u" Files";
  const int64_t length = static_cast<int64_t>(text.size());
  // Positions count from the end of the unseparated text; the highest goes in first.
  for (int64_t at = length - 9; at > 0; at -= 3) {
    if (at == 1 && text[0] == u'-') break;
    text.insert(static_cast<size_t>(at), 1, u',');
  }
  return text;
}

std::u16string WithCount(std::u16string_view text, int64_t count) {
  const std::u16string number = DecimalText(count);
  std::u16string filled(text);
  const size_t at = filled.find(u"%d");
  if (at == std::u16string::npos) return filled + u" (" + number + u")";
  return filled.replace(at, 2, number);
}

std::u16string ErrorText(uint32_t code) {
  return u"Fail(" + DecimalText(static_cast<int32_t>(code)) + u")" + SystemErrorMessage(code);
}

std::u16string SetAsideText(const LanguageTable& table, uint32_t recycled, uint32_t keptBeside) {
  std::u16string text;
  if (recycled > 0) text = WithCount(DisplayText(table, TextId::RestoreRecycledTipMessage), recycled);
  if (keptBeside > 0)
    text += (text.empty() ? u"" : u"\n") +
            WithCount(DisplayText(table, TextId::RestoreKeptBesideTipMessage), keptBeside);
  return text;
}

std::u16string GuardFindingsText(const LanguageTable& table, const GuardFindings& found) {
  const std::u16string values[] = {DigitsOf(found.suspicious), DigitsOf(found.replaced),
                                   DigitsOf(found.renamed), u"." + found.extension};
  const auto placed = [&](TextId id) {
    std::u16string text = DisplayText(table, id);
    for (size_t i = 0; i < 4; ++i) {
      const std::u16string mark = u"%" + DigitsOf(i + 1);
      for (size_t at = text.find(mark); at != std::u16string::npos;
           at = text.find(mark, at + values[i].size()))
        text.replace(at, mark.size(), values[i]);
    }
    return text;
  };
  std::u16string text;
  if (found.suspicious >= GuardTally::kTripSuspicious) text = placed(TextId::GuardFoundContent);
  if (found.renamed >= GuardTally::kTripRenamed)
    text += (text.empty() ? u"" : u"\n") + placed(TextId::GuardFoundRenamed);
  return text;
}

JobNotes JobNotesFrom(const LanguageTable& table) {
  JobNotes notes;
  const auto take = [&](TextId id, std::u16string* text) {
    if (std::u16string shown = DisplayText(table, id); !shown.empty()) *text = std::move(shown);
  };
  take(TextId::CopiedWithoutTimes, &notes.timesNotSet);
  take(TextId::RestoreChangedNote, &notes.changedRestored);
  take(TextId::RestoreChangedRefused, &notes.changedRefused);
  take(TextId::RestoreSecondForm, &notes.secondForm);
  take(TextId::RestoreMovedRefused, &notes.movedRefused);
  take(TextId::RestoreOlderRefused, &notes.olderRefused);
  take(TextId::RestoreReadableRefused, &notes.readableRefused);
  take(TextId::RestoreRenamedNote, &notes.renamedRestored);
  take(TextId::StoreReadableRefused, &notes.storeReadable);
  take(TextId::RestoreKeptBesideNote, &notes.keptBeside);
  take(TextId::RestoreBeforeRestoreName, &notes.beforeRestore);
  take(TextId::RestoreNotKeptRefused, &notes.notKept);
  take(TextId::VersionRemovedForSpace, &notes.versionRemovedForSpace);
  take(TextId::GuardStoppedLine, &notes.guardStopped);
  return notes;
}

}  // namespace qtr
