#include "ui/LastBackupLine.h"

#include "config/LanguageText.h"
#include "ui/JobNotice.h"

namespace qtr {

LastBackupText DecideLastBackup(const std::vector<JobRecord>& history, const std::u16string& recordedStart,
                                bool jobRunning, const LanguageTable& table) {
  const JobRecord* finished = nullptr;
  const JobRecord* newest = nullptr;
  for (const JobRecord& record : history) {
    if (record.kind != HistoryJobKind::kBackup) continue;
    newest = &record;
    if (record.ending == JobEnding::kFinished) finished = &record;
  }
  if (newest == nullptr) return {recordedStart, {}};
  LastBackupText text;
  if (finished != nullptr) text.time = FormatBackupTime(finished->started);
  // The times are written so that their text sorts as they do. A start
  // recorded after the newest record's end has no record of its own: the
  // program ended (or was ended) while that backup ran.
  if (!jobRunning && !recordedStart.empty() && recordedStart > FormatBackupTime(newest->ended)) {
    text.note = WithPlaces(DisplayText(table, TextId::LastBackupKilled), recordedStart);
  } else if (newest != finished) {
    text.note = WithPlaces(DisplayText(table, TextId::LastBackupNotFinished), FormatBackupTime(newest->started),
                           EndingReason(newest->ending, table));
  }
  return text;
}

LastBackupLayout LayOutLastBackup(int pageWidth, int labelWidth, int textHeight) {
  LastBackupLayout layout;
  layout.labelX = 190;
  // Centred on the 70-pixel band of the launch button...
  layout.labelTop = 40 + (70 - textHeight) / 2;
  // ...and moved up when the label is long enough that the time may need a second line.
  if (labelWidth + 350 >= pageWidth) layout.labelTop -= textHeight / 2 + 6;
  layout.timeX = layout.labelX + labelWidth + 5;
  layout.timeTop = layout.labelTop;
  if (layout.timeX + LastBackupLayout::kTimeWidth > pageWidth) {
    layout.timeX = layout.labelX;
    layout.timeTop = layout.labelTop + textHeight + 6;
  }
  return layout;
}

}  // namespace qtr
