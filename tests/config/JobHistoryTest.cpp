#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>

#include "config/JobHistory.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

JobRecord Backup(uint64_t files) {
  JobRecord record;
  record.started = {2026, 3, 7, 9, 5, 0};
  record.ended = {2026, 3, 7, 9, 7, 31};
  record.trigger = JobTrigger::kSchedule;
  record.target = u"P:";
  record.diskName = u"WDC Passport";
  record.files = files;
  record.bytes = files * 1000;
  return record;
}

class JobHistoryTest : public ::testing::Test {
 protected:
  TempFolder temp_;
  JobHistory history_{temp_.File(u"")};
};

TEST_F(JobHistoryTest, AppendedRecordsComeBackOldestFirstWithTheirIds) {
  EXPECT_TRUE(history_.Load().empty());
  EXPECT_EQ(history_.Append(Backup(1)), 1u);
  EXPECT_EQ(history_.Append(Backup(2)), 2u);
  const std::vector<JobRecord> records = history_.Load();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].id, 1u);
  EXPECT_EQ(records[0].files, 1u);
  EXPECT_EQ(records[1].id, 2u);
  ASSERT_TRUE(history_.Find(2));
  EXPECT_EQ(history_.Find(2)->files, 2u);
  EXPECT_FALSE(history_.Find(3));
  const std::string bytes = ReadBytes(history_.Path());
  EXPECT_EQ(bytes.rfind("<JobHistory>\r\n<Job>\r\n<Id>1</Id>\r\n<Started>2026-03-07 09:05:00</Started>\r\n", 0), 0u);
}

// The program and qtrpack may end jobs at the same moment: each append
// reads, adds and writes the whole file, and none may undo another's.
TEST_F(JobHistoryTest, AppendsFromTwoProgramsAtOnceAreAllKeptWithTheirOwnIds) {
  constexpr int kEach = 25;
  std::vector<uint64_t> ids[2];
  std::vector<std::thread> programs;
  for (int p = 0; p < 2; ++p)
    programs.emplace_back([&, p] {
      const JobHistory own(temp_.File(u""));
      for (int i = 0; i < kEach; ++i) ids[p].push_back(own.Append(Backup(p)));
    });
  for (std::thread& program : programs) program.join();
  std::set<uint64_t> given(ids[0].begin(), ids[0].end());
  given.insert(ids[1].begin(), ids[1].end());
  EXPECT_EQ(given.size(), 2u * kEach);
  EXPECT_EQ(given.count(0), 0u) << "an append failed";
  EXPECT_EQ(history_.Load().size(), 2u * kEach);
}

TEST_F(JobHistoryTest, TheCachedHistoryFollowsEveryAppendWithoutTheLines) {
  CachedJobHistory cached(temp_.File(u""));
  EXPECT_TRUE(cached.Records().empty());
  JobRecord record = Backup(1);
  record.lines = {u"C:\\a.txt Fail(5)Access denied."};
  history_.Append(record);
  ASSERT_EQ(cached.Records().size(), 1u);
  EXPECT_TRUE(cached.Records()[0].lines.empty());
  history_.Append(Backup(2));  // as another writer (qtrpack) would
  ASSERT_EQ(cached.Records().size(), 2u);
  EXPECT_EQ(cached.Records()[1].files, 2u);
}

TEST_F(JobHistoryTest, EveryKindOfEndingRoundTrips) {
  std::vector<JobRecord> written;
  for (const JobEnding ending : {JobEnding::kFinished, JobEnding::kStoppedByPerson, JobEnding::kLowSpace,
                                 JobEnding::kTargetRemoved, JobEnding::kStoppedByGuard}) {
    for (const HistoryJobKind kind :
         {HistoryJobKind::kBackup, HistoryJobKind::kRestore, HistoryJobKind::kVerify, HistoryJobKind::kDiskCopy}) {
      JobRecord record = Backup(written.size() * 1234567);
      record.ending = ending;
      record.kind = kind;
      record.trigger = static_cast<JobTrigger>(written.size() % 6);
      record.bytes = 0xFFFFFFFFFFull * written.size();
      record.failedFiles = written.size() % 3;
      record.lines = {u"C:\\a & b\\<x>.txt  Fail(5)Access is denied.", u"C:\\\u4e2d\u6587.doc"};
      record.linesLeftOut = written.size();
      record.id = history_.Append(record);
      ASSERT_NE(record.id, 0u);
      written.push_back(record);
    }
  }
  const std::vector<JobRecord> read = history_.Load();
  ASSERT_EQ(read.size(), written.size());
  for (size_t i = 0; i < read.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(read[i].id, written[i].id);
    EXPECT_EQ(FormatBackupTime(read[i].started), u"2026-03-07 09:05:00");
    EXPECT_EQ(FormatBackupTime(read[i].ended), u"2026-03-07 09:07:31");
    EXPECT_EQ(read[i].kind, written[i].kind);
    EXPECT_EQ(read[i].trigger, written[i].trigger);
    EXPECT_EQ(read[i].target, u"P:");
    EXPECT_EQ(read[i].diskName, u"WDC Passport");
    EXPECT_EQ(read[i].files, written[i].files);
    EXPECT_EQ(read[i].bytes, written[i].bytes);
    EXPECT_EQ(read[i].failedFiles, written[i].failedFiles);
    EXPECT_EQ(read[i].ending, written[i].ending);
    EXPECT_EQ(read[i].lines, written[i].lines);
    EXPECT_EQ(read[i].linesLeftOut, written[i].linesLeftOut);
    EXPECT_EQ(read[i].Succeeded(), written[i].ending == JobEnding::kFinished && written[i].failedFiles == 0);
  }
}

TEST_F(JobHistoryTest, KeepsTheNewestRecordsAndLinesUpToTheBound) {
  JobRecord many = Backup(7);
  for (int i = 0; i < 130; ++i) many.AddLine(u"line " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)));
  EXPECT_EQ(many.lines.size(), JobHistory::kMaxLinesPerRecord);
  EXPECT_EQ(many.linesLeftOut, 30u);
  many.lines.resize(JobHistory::kMaxLinesPerRecord);
  many.lines.insert(many.lines.end(), 5, u"more");  // given beyond the bound directly
  ASSERT_EQ(history_.Append(many), 1u);
  ASSERT_EQ(history_.Append(Backup(2)), 2u);
  // A full file made from the second record's text, ids 2 to kMaxRecords + 4.
  const std::string bytes = ReadBytes(history_.Path());
  const size_t second = bytes.find("<Job>\r\n<Id>2</Id>");
  const std::string job = bytes.substr(second, bytes.size() - 15 - second);
  std::string full = bytes.substr(0, second);
  for (size_t id = 2; id <= JobHistory::kMaxRecords + 4; ++id) {
    std::string copy = job;
    copy.replace(copy.find("2</Id>"), 1, std::to_string(id));
    full += copy;
  }
  WriteBytes(history_.Path(), full + "</JobHistory>\r\n");
  ASSERT_EQ(history_.Load().size(), JobHistory::kMaxRecords + 4);
  ASSERT_EQ(history_.Append(Backup(5)), JobHistory::kMaxRecords + 5);
  const std::vector<JobRecord> records = history_.Load();
  ASSERT_EQ(records.size(), JobHistory::kMaxRecords);
  EXPECT_EQ(records.front().id, 6u);
  EXPECT_EQ(records.back().id, JobHistory::kMaxRecords + 5);
  // Ids go on from the highest kept, never back to one already given.
  EXPECT_EQ(history_.Append(Backup(1)), JobHistory::kMaxRecords + 6);

  TempFolder other;
  const JobHistory fresh(other.File(u""));
  ASSERT_EQ(fresh.Append(many), 1u);
  EXPECT_EQ(fresh.Find(1)->lines.size(), JobHistory::kMaxLinesPerRecord);
  EXPECT_EQ(fresh.Find(1)->linesLeftOut, 35u);
}

TEST_F(JobHistoryTest, DamagedFileIsSetAsideAndANewOneStarted) {
  const std::u16string aside = temp_.File(u"jobhistory.damaged.xml");
  for (const std::string& damage : {std::string("<JobHistory>\r\n<Job>\r\n<Id>1</Id"), std::string(5000, '\0'),
                                    std::string("<InitInfo/>\r\n")}) {
    SCOPED_TRACE(damage.substr(0, 12));
    WriteBytes(history_.Path(), damage);
    EXPECT_TRUE(history_.Load().empty());
    EXPECT_EQ(ReadBytes(aside), damage);  // replacing the one set aside before
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(history_.Path())));
    WriteBytes(history_.Path(), damage);
    EXPECT_EQ(history_.Append(Backup(3)), 1u);
    ASSERT_EQ(history_.Load().size(), 1u);
    std::filesystem::remove(std::filesystem::path(history_.Path()));
  }
  // A record whose ending this version does not know is left out, the others kept.
  ASSERT_EQ(history_.Append(Backup(1)), 1u);
  std::string bytes = ReadBytes(history_.Path());
  WriteBytes(history_.Path(), bytes.substr(0, bytes.size() - 15) + "<Job>\r\n<Id>9</Id>\r\n<Kind>backup</Kind>\r\n" +
                                  "<Ending>melted</Ending>\r\n</Job>\r\n</JobHistory>\r\n");
  ASSERT_EQ(history_.Load().size(), 1u);
}

TEST_F(JobHistoryTest, SaveThatCannotFinishLeavesTheOldFileWhole) {
  ASSERT_EQ(history_.Append(Backup(1)), 1u);
  const std::string before = ReadBytes(history_.Path());
  // A folder where the new file would be written: the save fails before the rename.
  const std::filesystem::path replacement(history_.Path() + u".~qtrnew");
  std::filesystem::create_directory(replacement);
  EXPECT_EQ(history_.Append(Backup(2)), 0u);
  EXPECT_EQ(ReadBytes(history_.Path()), before);
  std::filesystem::remove(replacement);

  // A save cut short by a crash left its partial file: it is not the history, and the next save goes on.
  WriteBytes(history_.Path() + u".~qtrnew", "<JobHistory>\r\n<Job>\r\n<Id>2</");
  ASSERT_EQ(history_.Load().size(), 1u);
  EXPECT_EQ(history_.Append(Backup(2)), 2u);
  EXPECT_EQ(history_.Load().size(), 2u);
}

TEST(JobHistoryTextTest, FailureLinesWithCharactersXmlCannotHoldStillSave) {
  TempFolder temp;
  const JobHistory history(temp.File(u""));
  JobRecord record = Backup(1);
  record.lines = {std::u16string(u"C:\\bad\x01name\tx"), std::u16string(u"C:\\lone") + char16_t(0xD800) + u"x",
                  std::u16string(u"C:\\pair\U0001F600")};
  ASSERT_EQ(history.Append(record), 1u);
  const auto read = history.Find(1);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->lines[0], u"C:\\bad\uFFFDname\tx");
  EXPECT_EQ(read->lines[1], u"C:\\lone\uFFFDx");
  EXPECT_EQ(read->lines[2], u"C:\\pair\U0001F600");
}

TEST(JobHistoryTextTest, TimesParseBackOrNotAtAll) {
  ASSERT_TRUE(ParseBackupTime(u"2026-03-07 09:05:00"));
  EXPECT_EQ(FormatBackupTime(*ParseBackupTime(u"2026-12-31 23:59:59")), u"2026-12-31 23:59:59");
  EXPECT_EQ(FormatBackupTime(*ParseBackupTime(u"987-10-01 00:00:09")), u"987-10-01 00:00:09");
  for (const char16_t* bad : {u"", u"2026-03-07", u"2026-03-07T09:05:00", u"2026-3-07 09:05:00", u"x026-03-07 09:05:00"})
    EXPECT_FALSE(ParseBackupTime(bad));
}

}  // namespace
}  // namespace qtr
