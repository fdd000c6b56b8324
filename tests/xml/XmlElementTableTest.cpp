#include "xml/XmlElementTable.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

TEST(XmlElementTable, GrowsByHalfAcrossBlocksAndKeepsEveryRecord) {
  XmlElementTable table;
  table.Reset(8);
  EXPECT_EQ(table.Capacity(), 8u);
  EXPECT_EQ(table.Count(), 1u);  // the document's own record
  for (uint32_t i = 1; i < 70000; ++i) {
    const uint32_t index = table.Add();
    ASSERT_EQ(index, i);
    table[index].start = i * 3;
  }
  // Grown in steps of one half (plus one) well past the first block of 65,536.
  EXPECT_GE(table.Capacity(), 70000u);
  EXPECT_LT(table.Capacity(), 70000u * 3 / 2 + 2);
  EXPECT_EQ(table[65535].start, 65535u * 3);
  EXPECT_EQ(table[65536].start, 65536u * 3);  // first record of the second block
  EXPECT_EQ(table[69999].start, 69999u * 3);
}

TEST(XmlElementTable, ReleasedRecordsAreHandedOutAgainBlank) {
  XmlElementTable table;
  table.Reset(4);
  const uint32_t a = table.Add(), b = table.Add();
  table[a].start = 10;
  table[b].start = 20;
  table.Release(a);
  EXPECT_EQ(table[a].flags, ElementRecord::kRemoved);
  const uint32_t again = table.Add();
  EXPECT_EQ(again, a);
  EXPECT_EQ(table[again].start, 0u);
  EXPECT_EQ(table[again].flags, 0u);
  EXPECT_EQ(table.Count(), 3u);  // nothing new was needed
  table.Release(0);              // the document's record is never given away
  EXPECT_NE(table.Add(), 0u);
}

}  // namespace
}  // namespace qtr
