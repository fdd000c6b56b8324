#include <gtest/gtest.h>

#include "pages/ScheduleDays.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

class ScheduleDaysTest : public ::testing::Test {
 protected:
  SettingsFile File() const { return SettingsFile(temp_.File(u""), 0x0409); }
  std::string Bytes() const { return ReadBytes(temp_.File(u"init.xml")); }
  void Write(const std::string& bytes) const { WriteBytes(temp_.File(u"init.xml"), bytes); }

  TempFolder temp_;
};

TEST_F(ScheduleDaysTest, MarkingADayKeepsItsTimeAndItsPlace) {
  Write(
      "<InitInfo>\r\n<BackupFinish>0</BackupFinish>\r\n<Monday IsSet=\"0\" Timing=\"09:05\"/>\r\n"
      "<Tuesday IsSet=\"1\" Timing=\"10:00\"/>\r\n</InitInfo>\r\n");
  ASSERT_TRUE(MarkScheduleDay(File(), u"Monday", true));
  EXPECT_EQ(Bytes(),
            "<InitInfo>\r\n<BackupFinish>0</BackupFinish>\r\n<Monday IsSet=\"1\" Timing=\"09:05\"/>\r\n"
            "<Tuesday IsSet=\"1\" Timing=\"10:00\"/>\r\n</InitInfo>\r\n");
  // Unticked and ticked again: the time is still there.
  ASSERT_TRUE(MarkScheduleDay(File(), u"Tuesday", false));
  ASSERT_TRUE(MarkScheduleDay(File(), u"Tuesday", true));
  XmlDocument doc;
  ASSERT_TRUE(doc.Load(File().Path()));
  EXPECT_TRUE(ScheduleDayIsSet(doc, u"Tuesday"));
  EXPECT_EQ(ScheduleDayTiming(doc, u"Tuesday"), u"10:00");
}

TEST_F(ScheduleDaysTest, TimeForOneDaySwitchesItOnAndLeavesTheOthers) {
  ASSERT_TRUE(File().WriteDefaults());
  ASSERT_TRUE(StoreScheduleTime(File(), u"Wednesday", false, {9, 5}));
  XmlDocument doc;
  ASSERT_TRUE(doc.Load(File().Path()));
  EXPECT_TRUE(ScheduleDayIsSet(doc, u"Wednesday"));
  EXPECT_EQ(ScheduleDayTiming(doc, u"Wednesday"), u"09:05");
  EXPECT_FALSE(ScheduleDayIsSet(doc, u"Thursday"));
  EXPECT_EQ(ScheduleDayTiming(doc, u"Thursday"), u"00:00");
  EXPECT_NE(
      Bytes().find("<Tuesday IsSet=\"0\" Timing=\"00:00\"/>\r\n<Wednesday IsSet=\"1\" Timing=\"09:05\"/>\r\n"
                   "<Thursday"),
      std::string::npos);
}

TEST_F(ScheduleDaysTest, TimeForAllDaysSetsEverySevenInOrder) {
  ASSERT_TRUE(File().WriteDefaults());
  ASSERT_TRUE(StoreScheduleTime(File(), u"Friday", true, {23, 59}));
  EXPECT_NE(
      Bytes().find("<Monday IsSet=\"1\" Timing=\"23:59\"/>\r\n<Tuesday IsSet=\"1\" Timing=\"23:59\"/>\r\n"
                   "<Wednesday IsSet=\"1\" Timing=\"23:59\"/>\r\n<Thursday IsSet=\"1\" Timing=\"23:59\"/>\r\n"
                   "<Friday IsSet=\"1\" Timing=\"23:59\"/>\r\n<Saturday IsSet=\"1\" Timing=\"23:59\"/>\r\n"
                   "<Sunday IsSet=\"1\" Timing=\"23:59\"/>\r\n<USBHotKey>"),
      std::string::npos)
      << Bytes();
}

TEST_F(ScheduleDaysTest, MissingDayIsAddedAtTheEndAndUnreadableFileReplaced) {
  Write("<InitInfo>\r\n<BackupFinish>0</BackupFinish>\r\n</InitInfo>\r\n");
  ASSERT_TRUE(MarkScheduleDay(File(), u"Sunday", true));
  EXPECT_EQ(
      Bytes(),
      "<InitInfo>\r\n<BackupFinish>0</BackupFinish>\r\n<Sunday IsSet=\"1\" Timing=\"\"/>\r\n</InitInfo>\r\n");

  Write("<InitInfo><Monday");
  ASSERT_TRUE(StoreScheduleTime(File(), u"Monday", false, {7, 30}));
  XmlDocument doc;
  ASSERT_TRUE(doc.Load(File().Path()));
  EXPECT_EQ(ScheduleDayTiming(doc, u"Monday"), u"07:30");
  EXPECT_TRUE(ReadSetting(doc, u"CompressFile").has_value());  // the defaults were written first
}

}  // namespace
}  // namespace qtr
