#include "pages/ReminderDays.h"

#include <algorithm>

#include "config/LanguageText.h"
#include "platform/NumberText.h"

namespace qtr {

std::vector<int> ReminderChoices(int current) {
  std::vector<int> days = {1, 2, 3, 7, 14, 30};
  if (current > 0 && std::find(days.begin(), days.end(), current) == days.end()) {
    days.insert(std::upper_bound(days.begin(), days.end(), current), current);
  }
  days.push_back(0);
  return days;
}

std::u16string ReminderChoiceText(int days, const LanguageTable& table) {
  if (days == 0) return DisplayText(table, TextId::RemindAfterNever);
  if (days == 1) return DisplayText(table, TextId::RemindAfterOneDay);
  std::u16string text = DisplayText(table, TextId::RemindAfterDays);
  const size_t at = text.find(u"%d");
  const std::u16string number = DecimalText(days);
  return at == std::u16string::npos ? text + u" (" + number + u")" : text.replace(at, 2, number);
}

}  // namespace qtr
