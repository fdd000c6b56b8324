// A restore of the store as it stood when a job started: each file's copy
// comes from the earliest version folder at or after the stamp, else it is
// the current one.
#include <gtest/gtest.h>

#include <algorithm>

#include "JobFixture.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

using test::Narrow;

constexpr const char16_t* kFirst = u"2026-12-01 100000";
constexpr const char16_t* kSecond = u"2026-12-02 100000";
constexpr const char16_t* kThird = u"2026-12-03 100000";

class StoreAsOfTest : public test::JobFixture {
 protected:
  // Three jobs after a first full backup of C:\Data, each version folder
  // holding what its job replaced:
  //   every.txt  changed by each job:      e0 | e1 | e2, now e3
  //   once.txt   changed by the third:     o0 until the third, now o1
  //   never.txt  never changed:            n0
  //   form.txt   stored compressed from the second job on: f0 plain, now f1 in a container
  //   gone.txt   deleted by the third job: g0
  void MakeStore() {
    Version(kFirst, u"every.txt", "e0");
    Version(kSecond, u"every.txt", "e1");
    Version(kThird, u"every.txt", "e2");
    fs.PutFile(u"F:\\QTRPMB\\C\\Data\\every.txt", "e3");
    Version(kThird, u"once.txt", "o0");
    fs.PutFile(u"F:\\QTRPMB\\C\\Data\\once.txt", "o1");
    fs.PutFile(u"F:\\QTRPMB\\C\\Data\\never.txt", "n0");
    Version(kSecond, u"form.txt", "f0");
    WriteContainerFile(u"F:\\QTRPMB\\C\\Data\\form.txt.zip", "f1 compressed");
    fs.SetCompression(u"F:\\QTRPMB\\C\\Data\\form.txt.zip", true);
    Version(kThird, u"gone.txt", "g0");
  }
  void Version(const char16_t* stamp, std::u16string_view name, const std::string& bytes) {
    fs.PutFile(u"F:\\QTRPMB\\~versions\\" + std::u16string(stamp) + u"\\C\\Data\\" + std::u16string(name), bytes);
  }
  std::unique_ptr<BackupJob> RestoreAsOf(const char16_t* stamp, const std::vector<std::string>& paths) {
    for (const char* name : {"every.txt", "once.txt", "never.txt", "form.txt", "gone.txt"})
      fs.RemoveFile(u"C:\\Data\\" + std::u16string(name, name + std::char_traits<char>::length(name)));
    Selection(u"restoreTempPath.xml", paths);
    auto job = NewJob(true);
    job->settings.asOfStamp = stamp;
    RunJob(*job);
    return job;
  }
  // "every.txt=e1 form.txt=f0 ..." for what C:\Data holds, "-" for a file that is not there.
  std::string Data() {
    std::string out;
    for (const char* name : {"every.txt", "once.txt", "never.txt", "form.txt", "gone.txt"}) {
      std::string bytes = "-";
      fs.GetFile(u"C:\\Data\\" + std::u16string(name, name + std::char_traits<char>::length(name)), &bytes);
      out += std::string(out.empty() ? "" : " ") + name + "=" + bytes;
    }
    return out;
  }
};

TEST_F(StoreAsOfTest, EachFileComesFromTheEarliestVersionFolderFromTheStampOn) {
  MakeStore();
  auto job = RestoreAsOf(kSecond, {"F:\\QTRPMB\\C\\Data"});
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines.front());
  EXPECT_EQ(Data(), "every.txt=e1 once.txt=o0 never.txt=n0 form.txt=f0 gone.txt=g0");
  EXPECT_EQ(job->counters.totalBytes.load(), 10u);
  EXPECT_EQ(job->counters.finishedCount.load(), 5u);

  // A time between two jobs is what the next job found.
  RestoreAsOf(u"2026-12-02 120000", {"F:\\QTRPMB\\C\\Data"});
  EXPECT_EQ(Data(), "every.txt=e2 once.txt=o0 never.txt=n0 form.txt=f1 compressed gone.txt=g0");
  // Before every job, the whole store selected: what the first found.
  RestoreAsOf(u"2025-01-01 000000", {"F:\\QTRPMB"});
  EXPECT_EQ(Data(), "every.txt=e0 once.txt=o0 never.txt=n0 form.txt=f0 gone.txt=g0");
  // After the last job: the current copies, and nothing of what it deleted.
  job = RestoreAsOf(u"2026-12-03 100001", {"F:\\QTRPMB\\C"});
  EXPECT_EQ(Data(), "every.txt=e3 once.txt=o1 never.txt=n0 form.txt=f1 compressed gone.txt=-");
  FindEntry container;
  ASSERT_EQ(fs.Find(u"F:\\QTRPMB\\C\\Data\\form.txt.zip", &container), 0u);
  EXPECT_EQ(job->counters.totalBytes.load(), 6u + container.size);
  EXPECT_TRUE(lines.lines.empty());
}

TEST_F(StoreAsOfTest, ASelectedFileTakesItsVersionInWhateverFormAndASecondJobInOneSecondCountsAfterTheFirst) {
  MakeStore();
  fs.PutFile(u"F:\\QTRPMB\\~versions\\2026-12-02 100000.2\\C\\Data\\every.txt", "e1.2");
  RestoreAsOf(kSecond, {"F:\\QTRPMB\\C\\Data\\form.txt.zip", "F:\\QTRPMB\\C\\Data\\every.txt"});
  EXPECT_EQ(Data(), "every.txt=e1 once.txt=- never.txt=- form.txt=f0 gone.txt=-");
  RestoreAsOf(u"2026-12-02 100000.2", {"F:\\QTRPMB\\C\\Data\\every.txt"});
  EXPECT_EQ(Data(), "every.txt=e1.2 once.txt=- never.txt=- form.txt=- gone.txt=-");
  EXPECT_TRUE(lines.lines.empty());

  // Two current forms of one file: its version stands for both, and the one left out is named.
  WriteContainerFile(u"F:\\QTRPMB\\C\\Data\\every.txt.zip", "e3 compressed");
  fs.SetCompression(u"F:\\QTRPMB\\C\\Data\\every.txt.zip", true);
  RestoreAsOf(kSecond, {"F:\\QTRPMB\\C\\Data\\every.txt", "F:\\QTRPMB\\C\\Data\\every.txt.zip"});
  EXPECT_EQ(Data(), "every.txt=e1 once.txt=- never.txt=- form.txt=- gone.txt=-");
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_EQ(Narrow(lines.lines[0]),
            "F:\\QTRPMB\\C\\Data\\every.txt.zip;another stored form of this file was restored instead: "
            "F:\\QTRPMB\\~versions\\2026-12-02 100000\\C\\Data\\every.txt");
}

TEST_F(StoreAsOfTest, ChangedOnlyComparesThePcFileWithTheVersionNotTheCurrentCopy) {
  fs.PutFile(u"C:\\Data\\every.txt", "e3");
  fs.PutFile(u"C:\\Data\\never.txt", "n0");
  Backup({"C:\\Data"});
  Version(kSecond, u"every.txt", "e1 older");
  Settings("1", "0");
  Selection(u"restoreTempPath.xml", {"F:\\QTRPMB\\C\\Data"});
  auto job = NewJob(true);
  job->settings.asOfStamp = kSecond;
  RunJob(*job);
  // The PC's every.txt equals the current copy, not the version: it is restored; never.txt is up to date.
  EXPECT_EQ(Content(u"C:\\Data\\every.txt"), "e1 older");
  EXPECT_EQ(Content(u"C:\\Data\\never.txt"), "n0");
  EXPECT_EQ(job->counters.finishedCount.load(), 1u);
  EXPECT_EQ(job->counters.upToDateCount.load(), 1u);
  EXPECT_EQ(job->counters.totalBytes.load(), 8u);

  // Once the PC holds the version, it is up to date as well.
  Selection(u"restoreTempPath.xml", {"F:\\QTRPMB\\C\\Data"});
  job = NewJob(true);
  job->settings.asOfStamp = kSecond;
  RunJob(*job);
  EXPECT_EQ(job->counters.finishedCount.load(), 0u);
  EXPECT_EQ(job->counters.upToDateCount.load(), 2u);
  EXPECT_TRUE(lines.lines.empty());
}

TEST_F(StoreAsOfTest, AStampThatDoesNotParseRestoresNothing) {
  MakeStore();
  auto job = RestoreAsOf(u"2026-12-02", {"F:\\QTRPMB\\C\\Data"});
  EXPECT_EQ(Data(), "every.txt=- once.txt=- never.txt=- form.txt=- gone.txt=-");
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_TRUE(Narrow(lines.lines[0]).starts_with("F:\\QTRPMB\\~versions\\2026-12-02;")) << Narrow(lines.lines[0]);
  EXPECT_EQ(job->counters.totalBytes.load(), 0u);
}

}  // namespace
}  // namespace qtr
