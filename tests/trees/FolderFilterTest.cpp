#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "trees/FolderFilter.h"

namespace qtr {
namespace {

constexpr uint32_t kDirectory = 0x10;

TEST(FolderFilterTest, SystemAndTemporaryEntriesAreNeverListed) {
  FolderFilter filter;
  EXPECT_FALSE(filter.Lists(u"D:\\", u".", kDirectory));
  EXPECT_FALSE(filter.Lists(u"D:\\", u"..", kDirectory));
  EXPECT_FALSE(filter.Lists(u"D:\\", u"pagefile.sys", 0x4 | 0x2));
  EXPECT_FALSE(filter.Lists(u"D:\\x", u"~work.tmp", 0x100));
  EXPECT_TRUE(filter.Lists(u"D:\\x", u"hidden.txt", 0x2));
}

TEST(FolderFilterTest, TheSystemFoldersOfDriveCFollowTheirSwitches) {
  FolderFilter filter;
  EXPECT_FALSE(filter.Lists(u"C:\\", u"WINDOWS", kDirectory));
  EXPECT_FALSE(filter.Lists(u"c:\\", u"windows", kDirectory));
  EXPECT_FALSE(filter.Lists(u"C:\\", u"Program Files", kDirectory));
  EXPECT_FALSE(filter.Lists(u"C:\\", u"Documents and Settings", kDirectory));
  EXPECT_TRUE(filter.Lists(u"D:\\", u"WINDOWS", kDirectory));
  EXPECT_TRUE(filter.Lists(u"C:\\data", u"WINDOWS", kDirectory));

  test::TempFolder temp;
  test::WriteBytes(temp.File(u"init.xml"),
                   "<root>\r\n<WindowsFile>1</WindowsFile>\r\n<ProgramFiles>0</ProgramFiles>\r\n"
                   "<DocAndSetFiles>1</DocAndSetFiles>\r\n</root>\r\n");
  filter.ReadSwitches(temp.File(u"init.xml"));
  EXPECT_TRUE(filter.Lists(u"C:\\", u"WINDOWS", kDirectory));
  EXPECT_FALSE(filter.Lists(u"C:\\", u"Program Files", kDirectory));
  EXPECT_TRUE(filter.Lists(u"C:\\", u"Documents and Settings", kDirectory));

  // A damaged settings file turns every switch off.
  test::WriteBytes(temp.File(u"init.xml"), "<root><WindowsFile>1</Windows");
  filter.ReadSwitches(temp.File(u"init.xml"));
  EXPECT_FALSE(filter.Lists(u"C:\\", u"WINDOWS", kDirectory));
}

}  // namespace
}  // namespace qtr
