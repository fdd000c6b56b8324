#include <gtest/gtest.h>

#include "pages/BackupSettingsMarks.h"

namespace qtr {
namespace {

TEST(BackupSettingsMarksTest, StoredValuesMarkOneButtonEach) {
  EXPECT_EQ(CompletionChoice(u"0"), 0);
  EXPECT_EQ(CompletionChoice(u"2"), 2);
  EXPECT_EQ(CompletionChoice(u"3"), 3);
  EXPECT_EQ(CompletionChoice(u"7"), 3);
  EXPECT_EQ(CompletionChoice(u""), 3);
  EXPECT_FALSE(ChangedFilesChosen(u"0"));
  EXPECT_TRUE(ChangedFilesChosen(u"1"));
  EXPECT_TRUE(ChangedFilesChosen(u"yes"));
}

}  // namespace
}  // namespace qtr
