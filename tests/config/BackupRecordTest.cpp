#include <gtest/gtest.h>

#include <filesystem>

#include "config/BackupRecord.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

constexpr char kEmptyRecord[] =
    "<BackUpInfo>\r\n<Time/>\r\n<Path>\r\n<path/>\r\n</Path>\r\n</BackUpInfo>\r\n";

TEST(BackupRecordTest, TimeIsWrittenWithTwoDigitFields) {
  EXPECT_EQ(FormatBackupTime({2026, 3, 7, 9, 5, 0}), u"2026-03-07 09:05:00");
  EXPECT_EQ(FormatBackupTime({2026, 12, 31, 23, 59, 59}), u"2026-12-31 23:59:59");
  EXPECT_EQ(FormatBackupTime({987, 10, 1, 0, 0, 9}), u"987-10-01 00:00:09");
}

TEST(BackupRecordTest, NewRecordIsTheEmptySkeleton) {
  TempFolder temp;
  const BackupRecord record(temp.File(u""));
  ASSERT_TRUE(record.Ensure());
  EXPECT_EQ(ReadBytes(record.Path()), kEmptyRecord);
  EXPECT_EQ(record.LastBackupTime(), u"");

  WriteBytes(record.Path(), "<BackUpInfo>\r\n<Time>2020-01-01 00:00:00</Time>\r\n</BackUpInfo>\r\n");
  ASSERT_TRUE(record.Ensure());  // a readable file is left alone
  EXPECT_EQ(record.LastBackupTime(), u"2020-01-01 00:00:00");
}

TEST(BackupRecordTest, RecordingAStartRecreatesADeletedFileWithTimeAfterPath) {
  TempFolder temp;
  const BackupRecord record(temp.File(u""));
  ASSERT_TRUE(record.Ensure());
  std::filesystem::remove(std::filesystem::path(record.Path()));

  ASSERT_TRUE(record.RecordStart({2026, 3, 7, 9, 5, 0}));
  EXPECT_EQ(ReadBytes(record.Path()),
            "<BackUpInfo>\r\n<Path>\r\n<path/>\r\n</Path>\r\n<Time>2026-03-07 "
            "09:05:00</Time>\r\n</BackUpInfo>\r\n");
  EXPECT_EQ(record.LastBackupTime(), u"2026-03-07 09:05:00");

  ASSERT_TRUE(record.RecordStart({2026, 3, 8, 18, 30, 1}));
  EXPECT_EQ(ReadBytes(record.Path()),
            "<BackUpInfo>\r\n<Path>\r\n<path/>\r\n</Path>\r\n<Time>2026-03-08 "
            "18:30:01</Time>\r\n</BackUpInfo>\r\n");
}

TEST(BackupRecordTest, DamagedRecordIsRecreated) {
  TempFolder temp;
  const BackupRecord record(temp.File(u""));
  for (const std::string& bytes : {std::string("<BackUpInfo>\r\n<Time>2026-"),
                                   std::string("\x89PNG\r\n\x1a\n", 8), std::string(100000, '\0')}) {
    WriteBytes(record.Path(), bytes);
    EXPECT_EQ(record.LastBackupTime(), u"");
    ASSERT_TRUE(record.Ensure());
    EXPECT_EQ(ReadBytes(record.Path()), kEmptyRecord);
    WriteBytes(record.Path(), bytes);
    ASSERT_TRUE(record.RecordStart({2026, 1, 2, 3, 4, 5}));
    EXPECT_EQ(record.LastBackupTime(), u"2026-01-02 03:04:05");
  }
}

}  // namespace
}  // namespace qtr
