#include "pages/VersionDays.h"

#include <algorithm>

#include "config/LanguageText.h"
#include "platform/NumberText.h"

namespace qtr {

std::vector<int> VersionDayChoices(int current) {
  std::vector<int> days = {0, 1, 3, 7, 14, 30, 60, 90, 180, 365};
  if (current > 0 && std::find(days.begin(), days.end(), current) == days.end()) {
    days.insert(std::upper_bound(days.begin(), days.end(), current), current);
  }
  return days;
}

std::u16string VersionDayChoiceText(int days, const LanguageTable& table) {
  if (days == 0) return DisplayText(table, TextId::VersionDaysNone);
  if (days == 1) return DisplayText(table, TextId::VersionDaysOne);
  std::u16string text = DisplayText(table, TextId::VersionDaysMany);
  const size_t at = text.find(u"%d");
  const std::u16string number = DecimalText(days);
  return at == std::u16string::npos ? text + u" (" + number + u")" : text.replace(at, 2, number);
}

}  // namespace qtr
