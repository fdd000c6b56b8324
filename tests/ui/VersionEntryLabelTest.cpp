#include "ui/VersionEntryLabel.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace qtr {
namespace {

// A table named as the program names them, holding only the entry's text.
LanguageTable TableNamed(const test::TempFolder& folder, std::u16string_view id, const std::string& entry) {
  const std::u16string path = folder.File(std::u16string(id) + u".xml");
  test::WriteBytes(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Language>\n<VersionsEntry>" + entry +
                             "</VersionsEntry>\n</Language>\n");
  LanguageTable table;
  EXPECT_TRUE(table.Load(path));
  return table;
}

TEST(VersionEntryLabelTest, EnglishDatesNameTheMonthAndTheTimeKeepsTwoDigits) {
  const LanguageTable none;
  EXPECT_EQ(VersionEntryLabel({2026, 12, 9, 19, 38, 0}, none), u"Previous versions, 9 Dec 2026 19:38:00");
  EXPECT_EQ(VersionDateText({2027, 1, 31, 7, 5, 9}, none), u"31 Jan 2027 07:05:09");
  // The second job of one second.
  EXPECT_EQ(VersionDateText({2026, 12, 9, 19, 38, 0, 2}, none), u"9 Dec 2026 19:38:00 (2)");
  test::TempFolder folder;
  EXPECT_EQ(VersionEntryLabel({2026, 6, 1, 0, 0, 0}, TableNamed(folder, u"0x0409", "Versions of %s")),
            u"Versions of 1 Jun 2026 00:00:00");
}

TEST(VersionEntryLabelTest, ChineseTablesWriteYearMonthDay) {
  test::TempFolder folder;
  // "旧版本，%s"
  const LanguageTable simplified =
      TableNamed(folder, u"0x0804", "\xE6\x97\xA7\xE7\x89\x88\xE6\x9C\xAC\xEF\xBC\x8C%s");
  EXPECT_EQ(VersionEntryLabel({2026, 12, 9, 19, 38, 0}, simplified),
            u"\u65E7\u7248\u672C\uFF0C2026\u5E7412\u67089\u65E5 19:38:00");
  EXPECT_EQ(VersionDateText({2026, 3, 7, 9, 5, 0, 3}, simplified), u"2026\u5E743\u67087\u65E5 09:05:00 (3)");
  EXPECT_EQ(VersionDateText({2026, 3, 7, 9, 5, 0}, TableNamed(folder, u"0x0404", "%s")),
            u"2026\u5E743\u67087\u65E5 09:05:00");
  // A table of another name keeps the English form.
  EXPECT_EQ(VersionDateText({2026, 3, 7, 9, 5, 0}, TableNamed(folder, u"custom", "%s")), u"7 Mar 2026 09:05:00");
}

}  // namespace
}  // namespace qtr
