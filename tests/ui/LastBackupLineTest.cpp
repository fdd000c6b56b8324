#include "ui/LastBackupLine.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

TEST(LastBackupLineTest, ShortLabelKeepsTheTimeBesideIt) {
  const LastBackupLayout layout = LayOutLastBackup(542, 110, 16);
  EXPECT_EQ(layout.labelX, 190);
  EXPECT_EQ(layout.labelTop, 67);
  EXPECT_EQ(layout.timeX, 305);
  EXPECT_EQ(layout.timeTop, 67);
}

TEST(LastBackupLineTest, LongLabelMovesUpAndPushesTheTimeToTheNextLine) {
  // 190 + 200 + 5 + 160 passes 542.
  const LastBackupLayout layout = LayOutLastBackup(542, 200, 16);
  EXPECT_EQ(layout.labelTop, 67 - 8 - 6);
  EXPECT_EQ(layout.timeX, 190);
  EXPECT_EQ(layout.timeTop, 53 + 16 + 6);
  EXPECT_LE(layout.timeX + LastBackupLayout::kTimeWidth, 542);
}

TEST(LastBackupLineTest, TimeThatJustFitsStaysOnTheLine) {
  const LastBackupLayout layout = LayOutLastBackup(542, 187, 16);
  EXPECT_EQ(layout.timeX, 382);
  EXPECT_EQ(layout.timeTop, layout.labelTop);
}

}  // namespace
}  // namespace qtr
