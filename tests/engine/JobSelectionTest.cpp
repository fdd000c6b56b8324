// What a job makes of its settings and selection: the type filter, the system
// drive, damaged or missing files, selected paths that are gone, and the store itself.
#include <gtest/gtest.h>

#include <algorithm>

#include "JobFixture.h"
#include "engine/JobText.h"
#include "engine/SourceWalk.h"
#include "engine/TypeFilter.h"

namespace qtr {
namespace {

using test::Narrow;

TEST(TypeFilterTest, EntriesAreTrimmedDotsOptionalAndCaseIgnored) {
  const TypeFilter filter(u" jpg , .PNG,*.Gif,,tar.gz ");
  EXPECT_FALSE(filter.Empty());
  for (const char16_t* name : {u"a.jpg", u"B.JPG", u"shot.png", u"anim.gif", u"src.tar.gz", u"x.y.TAR.GZ"})
    EXPECT_TRUE(filter.Matches(name)) << Narrow(name);
  for (const char16_t* name : {u"notes.txt", u"README", u".jpg", u"tar.gz", u"a.gz", u"ajpg", u"a.jpeg"})
    EXPECT_FALSE(filter.Matches(name)) << Narrow(name);
  EXPECT_TRUE(TypeFilter(u" , ,").Empty());
  EXPECT_TRUE(TypeFilter(u"").Empty());
  EXPECT_TRUE(TypeFilter(u"gz").Matches(u"src.tar.gz"));
}

class JobSelectionTest : public test::JobFixture {
 protected:
  std::vector<std::u16string> SortedFileList(const BackupJob& job) {
    auto list = job.walk.fileList;
    std::sort(list.begin(), list.end());
    return list;
  }
  // The failure lines, each cut after its "Fail(N)".
  std::vector<std::string> Failures() {
    std::vector<std::string> cut;
    for (const auto& line : lines.lines) {
      const std::string text = Narrow(line);
      cut.push_back(text.substr(0, text.find(')') + 1));
    }
    return cut;
  }
};

TEST_F(JobSelectionTest, TheWalkUsesTheParsedTypeFilter) {
  for (const char16_t* path : {u"C:\\P\\a.JPG", u"C:\\P\\b.png", u"C:\\P\\c.tar.gz", u"C:\\P\\d.txt"})
    fs.PutFile(path, "x");
  Selection(u"backupfullpath.xml", {"C:\\P"});
  auto job = NewJob(false);
  job->settings.typeFilter = u"jpg, .png, tar.gz";
  RunJob(*job);
  EXPECT_EQ(SortedFileList(*job),
            (std::vector<std::u16string>{u"C:\\P\\a.JPG", u"C:\\P\\b.png", u"C:\\P\\c.tar.gz"}));
  EXPECT_TRUE(fs.Exists(u"F:\\QTRPMB\\C\\P\\c.tar.gz"));
}

// The job is made as the progress window makes it: nobody sets the system drive by hand.
TEST_F(JobSelectionTest, AJobKnowsItsSystemDriveFromTheMachine) {
  fs.PutFile(u"C:\\Windows\\w.dll", "w");
  fs.PutFile(u"C:\\Data\\keep.txt", "k");
  BackupJob job(fs, lines, u"C:\\Prog\\");
  job.LoadIncludeFlags();
  EXPECT_EQ(job.settings.systemDrive, SystemDriveOfThisMachine());
  ASSERT_EQ(job.settings.systemDrive, u"C:");  // in-memory C: stands for this machine's system drive
  ScanBackupPath(job, u"C:", u"F:\\QTRPMB");
  EXPECT_EQ(std::count(job.walk.fileList.begin(), job.walk.fileList.end(), u"C:\\Windows\\w.dll"), 0);
  EXPECT_EQ(std::count(job.walk.fileList.begin(), job.walk.fileList.end(), u"C:\\Data\\keep.txt"), 1);
}

TEST_F(JobSelectionTest, AnInitXmlThatDoesNotLoadIsTakenAsAbsent) {
  fs.PutFile(u"C:\\D\\a.txt", "plain text");
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
  const std::string body = "<Setting><CompressFile>1</CompressFile><WindowsFile>1</WindowsFile></Setting>";
  for (const std::string& damaged : {head + body + "<Second/>", head + body + "</Stray>"}) {
    fs.PutFile(u"C:\\Prog\\init.xml", damaged);
    auto job = Backup({"C:\\D"});
    EXPECT_EQ(job->settings.compress.load(), 0) << damaged;
    EXPECT_EQ(job->settings.includeWindows.load(), 0) << damaged;
    EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\a.txt"), "plain text");
    EXPECT_FALSE(fs.Exists(u"F:\\QTRPMB\\C\\D\\a.txt.zip"));
    EXPECT_TRUE(lines.lines.empty());
  }
}

TEST_F(JobSelectionTest, AMissingOrDamagedSelectionFileIsAFailureAndNothingIsWalked) {
  fs.PutFile(u"C:\\D\\a.txt", "a");
  auto missing = NewJob(false);
  RunJob(*missing);
  EXPECT_EQ(Failures(), (std::vector<std::string>{"C:\\Prog\\backupfullpath.xml;Fail(2)"}));

  lines.lines.clear();
  fs.PutFile(u"C:\\Prog\\backupfullpath.xml", "<Path><path path=\"C:\\D\"/></Path></Path>");
  auto damaged = NewJob(false);
  RunJob(*damaged);
  EXPECT_EQ(Failures(), (std::vector<std::string>{"C:\\Prog\\backupfullpath.xml;Fail(13)"}));
  EXPECT_TRUE(damaged->walk.fileList.empty());
  EXPECT_TRUE(StoreFiles().empty());

  lines.lines.clear();
  auto restore = NewJob(true);
  RunJob(*restore);
  EXPECT_EQ(Failures(), (std::vector<std::string>{"C:\\Prog\\restoreTempPath.xml;Fail(2)"}));
  EXPECT_EQ(restore->control.stop, 1);
}

TEST_F(JobSelectionTest, SelectedPathsThatAreGoneOrLockedAreFailures) {
  fs.PutFile(u"C:\\D\\a.txt", "a");
  fs.PutFile(u"C:\\locked.txt", "l");
  fs.FailOpen(u"C:\\locked.txt", 32);
  auto job = Backup({"C:\\D", "C:\\Gone", "C:\\gone.txt", "Q:", "C:\\locked.txt"});
  const auto failures = Failures();
  ASSERT_EQ(failures.size(), 4u);
  EXPECT_EQ(failures[0], "C:\\Gone;Fail(2)");
  EXPECT_EQ(failures[1], "C:\\gone.txt;Fail(2)");
  EXPECT_TRUE(failures[2].starts_with("Q:;Fail(")) << failures[2];
  EXPECT_EQ(failures[3], "C:\\locked.txt;Fail(32)");
  EXPECT_EQ(job->walk.fileList, (std::vector<std::u16string>{u"C:\\D\\a.txt"}));
  EXPECT_EQ(job->counters.finishedCount.load(), 1u);

  lines.lines.clear();
  auto restore = Restore({"F:\\QTRPMB\\C\\D", "F:\\QTRPMB\\C\\nothing-here"});
  EXPECT_EQ(Failures(), (std::vector<std::string>{"F:\\QTRPMB\\C\\nothing-here;Fail(2)"}));
  EXPECT_EQ(restore->counters.finishedCount.load(), 1u);
}

TEST_F(JobSelectionTest, AProgramFolderThatIsGoneIsOneFailure) {
  Selection(u"backupfullpath.xml", {"C:\\D"});
  BackupJob job(fs, lines, u"C:\\Elsewhere\\");
  job.settings.targetRoot = u"F:";
  RunJob(job);
  EXPECT_EQ(Failures(), (std::vector<std::string>{"C:\\Elsewhere;Fail(3)"}));
  EXPECT_NE(job.control.stop.load(), 0);
}

TEST_F(JobSelectionTest, TheStoreIsNeverWalkedIntoItself) {
  fs.PutFile(u"F:\\mine.txt", "m");
  for (int run = 0; run < 2; ++run) Backup({"F:"});
  Backup({"F:\\QTRPMB", "f:\\qtrpmb\\F", "F:\\qtrpmb\\"});
  EXPECT_EQ(StoreFiles(), (std::vector<std::string>{"F:\\mine.txt", "F:\\QTRPMB\\F\\mine.txt"}));
  EXPECT_TRUE(lines.lines.empty());

  // A store nested by an older program restores nothing into the store.
  fs.PutFile(u"F:\\QTRPMB\\F\\QTRPMB\\F\\mine.txt", "nested");
  auto job = Restore({"F:\\QTRPMB"});
  EXPECT_EQ(job->walk.fileList, (std::vector<std::u16string>{u"F:\\QTRPMB\\F\\mine.txt"}));
  EXPECT_EQ(Content(u"F:\\QTRPMB\\F\\mine.txt"), "m");
}

// Each of these restored files over the person's own, or ended "0 failed"
// having restored nothing; a folder of the store root not named for a
// drive mapped to a path on the drive's current folder ("D:ocs\\x.txt").
TEST_F(JobSelectionTest, ARestoreReadsOnlyFromTheDriveFoldersOfItsTargetsStore) {
  fs.AddVolume(u'G', MemoryFileSystem::Kind::kNtfs);
  fs.PutFile(u"C:\\tree\\x.txt", "the person's");
  for (const char16_t* stored : {u"F:\\other\\QTRPMB\\C\\tree\\x.txt", u"G:\\QTRPMB\\C\\tree\\x.txt",
                                 u"F:\\QTRPMB\\Docs\\tree\\x.txt", u"F:\\QTRPMB\\~partial\\x.txt",
                                 u"F:\\QTRPMB\\~key.bin", u"F:\\x.txt"})
    fs.PutFile(stored, "not a stored copy");
  const std::vector<std::string> refused = {"F:\\other\\QTRPMB\\C\\tree", "G:\\QTRPMB\\C", "C:\\tree",
                                            "F:\\QTRPMB\\~partial",        "F:\\QTRPMB\\~index", "F:\\QTRPMB\\~key.bin",
                                            "F:\\x.txt",                     "F:\\QTRPMB\\Docs"};
  auto job = Restore(refused);
  EXPECT_EQ(Content(u"C:\\tree\\x.txt"), "the person's");
  ASSERT_EQ(lines.lines.size(), refused.size());
  for (size_t i = 0; i < refused.size(); ++i)
    EXPECT_EQ(Narrow(lines.lines[i]), refused[i] + ";" + Narrow(ErrorText(161)));
  EXPECT_TRUE(job->results.restoreRoots.empty());

  lines.lines.clear();
  Restore({"F:\\QTRPMB"});
  EXPECT_EQ(Content(u"C:\\tree\\x.txt"), "the person's");
  EXPECT_FALSE(fs.Exists(u"D:ocs\\tree\\x.txt"));
  for (const auto& line : lines.lines) ADD_FAILURE() << Narrow(line);
}

TEST_F(JobSelectionTest, UpToDateFilesAreCountedApartFromTheSelection) {
  Settings("1", "0");
  fs.PutFile(u"C:\\D\\a.txt", "a");
  fs.PutFile(u"C:\\D\\b.txt", "b");
  Backup({"C:\\D"});
  auto again = Backup({"C:\\D"});
  EXPECT_EQ(again->counters.selectedCount.load(), 1u);
  EXPECT_EQ(again->counters.scannedCount.load(), 0u);
  EXPECT_EQ(again->counters.upToDateCount.load(), 2u);
}

}  // namespace
}  // namespace qtr
