// Whole jobs over in-memory volumes: what lands in the store, what comes
// back, what changed-only skips, and what failures leave behind.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "engine/Container.h"
#include "engine/JobOptions.h"
#include "engine/StoredFileCopy.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

using test::JobFixture;
using test::Narrow;
using Kind = MemoryFileSystem::Kind;

const std::string kBig(200000, 'z');

class BackupJobTest : public JobFixture {
 protected:
  void MakeTree() {
    fs.PutFile(u"C:\\Data\\a.txt", "alpha");
    fs.PutFile(u"C:\\Data\\Sub\\b.bin", kBig);
    fs.PutFile(u"C:\\x.txt", "single");
    fs.SetAttributes(u"C:\\Data\\Sub", kAttributeHidden);
  }
};

class FatTargetTest : public JobFixture {
 protected:
  FatTargetTest() : JobFixture(Kind::kFat32) {}
};

TEST_F(BackupJobTest, PlainBackupMirrorsTheSelectionWithAttributesAndTimes) {
  MakeTree();
  fs.SetAttributes(u"C:\\x.txt", kAttributeArchive | kAttributeHidden);
  fs.SetTimes(u"C:\\x.txt", {111'000'000, 222'000'000, 333'000'000});
  // On its own thread, as the front ends run it: the thread tells its end.
  Selection(u"backupfullpath.xml", {"C:\\Data", "C:\\x.txt"});
  const auto job = NewJob(false);
  JobThread worker;
  worker.Start([&] { RunJob(*job); });
  worker.Join();
  EXPECT_EQ(StoreFiles(), (std::vector<std::string>{"F:\\QTRPMB\\C\\Data\\a.txt", "F:\\QTRPMB\\C\\Data\\Sub\\b.bin",
                                                   "F:\\QTRPMB\\C\\x.txt"}));
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\Data\\Sub\\b.bin"), kBig);
  EXPECT_EQ(Attributes(u"F:\\QTRPMB\\C\\x.txt"), kAttributeArchive | kAttributeHidden);
  EXPECT_EQ(Times(u"F:\\QTRPMB\\C\\x.txt"), (FileTimes{111'000'000, 222'000'000, 333'000'000}));
  // New store folders take their source folder's attributes; the root and drive folders keep their own.
  EXPECT_EQ(Attributes(u"F:\\QTRPMB\\C\\Data\\Sub"), kAttributeDirectory | kAttributeHidden);
  EXPECT_EQ(Attributes(u"F:\\QTRPMB\\C"), kAttributeDirectory);
  EXPECT_EQ(job->counters.scannedCount, 3u);
  EXPECT_EQ(job->counters.finishedCount, 3u);
  EXPECT_EQ(job->counters.totalBytes, 5 + kBig.size() + 6);
  EXPECT_EQ(job->counters.doneBytes.load(), job->counters.totalBytes.load());
  EXPECT_EQ(job->control.stop, 1);
  EXPECT_TRUE(worker.Ended());
  EXPECT_TRUE(lines.lines.empty());
}

TEST_F(BackupJobTest, CompressedBackupReplacesThePlainFormAndRestoresToTheOriginalPlaces) {
  MakeTree();
  Backup({"C:\\Data"});
  ASSERT_TRUE(fs.Exists(u"F:\\QTRPMB\\C\\Data\\a.txt"));
  Settings("0", "1");
  Backup({"C:\\Data"});
  EXPECT_EQ(StoreFiles(), (std::vector<std::string>{"F:\\QTRPMB\\C\\Data\\a.txt.zip",
                                                   "F:\\QTRPMB\\C\\Data\\Sub\\b.bin.zip"}));
  const std::string stored = Content(u"F:\\QTRPMB\\C\\Data\\Sub\\b.bin.zip");
  EXPECT_EQ(stored.substr(0, 4), std::string(4, '\xFF'));
  EXPECT_LT(stored.size(), 1000u);
  EXPECT_NE(Attributes(u"F:\\QTRPMB\\C\\Data\\Sub\\b.bin.zip") & kAttributeCompressed, 0u);

  fs.RemoveFile(u"C:\\Data\\a.txt");
  fs.PutFile(u"C:\\Data\\Sub\\b.bin", "overwritten");
  const auto job = Restore({"F:\\QTRPMB\\C\\Data"});
  EXPECT_EQ(Content(u"C:\\Data\\a.txt"), "alpha");
  EXPECT_EQ(Content(u"C:\\Data\\Sub\\b.bin"), kBig);
  EXPECT_FALSE(fs.Exists(u"C:\\Data\\a.txt.zip"));
  EXPECT_EQ(job->results.restoreRoots, (std::vector<std::u16string>{u"C:\\Data"}));
  EXPECT_EQ(job->counters.doneBytes.load(),
            job->counters.totalBytes.load());  // stored bytes, marker included
  EXPECT_FALSE(fs.Exists(u"C:\\Prog\\restoreTempPath.xml"));
  EXPECT_TRUE(lines.lines.empty());
}

TEST_F(FatTargetTest, CompressedFilesOnAVolumeWithoutFileCompressionComeBackPlain) {
  fs.PutFile(u"C:\\Data\\a.txt", kBig);
  Settings("0", "1");
  Backup({"C:\\Data"});
  EXPECT_EQ(Attributes(u"F:\\QTRPMB\\C\\Data\\a.txt.zip") & kAttributeCompressed, 0u);
  fs.RemoveFile(u"C:\\Data\\a.txt");
  const auto job = Restore({"F:\\QTRPMB"});
  EXPECT_EQ(Content(u"C:\\Data\\a.txt"), kBig);
  EXPECT_FALSE(fs.Exists(u"C:\\Data\\a.txt.zip"));
  EXPECT_EQ(job->results.restoreRoots, (std::vector<std::u16string>{u"C:\\"}));
}

TEST_F(BackupJobTest, OnACompressingVolumeOnlyMarkedContainersAreExpanded) {
  // A container that lost its compressed attribute, and a real archive that has it.
  WriteContainerFile(u"F:\\QTRPMB\\C\\k\\c.txt.zip", "plain text plain text plain text");
  fs.PutFile(u"F:\\QTRPMB\\C\\k\\x.zip", "PK\x03\x04 archive");
  fs.SetCompression(u"F:\\QTRPMB\\C\\k\\x.zip", true);
  Restore({"F:\\QTRPMB\\C\\k"});
  EXPECT_EQ(Content(u"C:\\k\\c.txt.zip"), Content(u"F:\\QTRPMB\\C\\k\\c.txt.zip"));
  EXPECT_EQ(Content(u"C:\\k\\x.zip"), "PK\x03\x04 archive");
  EXPECT_FALSE(fs.Exists(u"C:\\k\\c.txt"));
}

// qtrpack hid the store only from the second backup on, where the window
// hides the first: both set a job up by SetUpJob and ApplyStoreVisibility.
TEST_F(BackupJobTest, BothFrontEndsMakeTheSameJobAndHideTheStoreFromTheFirstBackup) {
  fs.PutFile(u"C:\\x.txt", "x");
  versionsOff.clear();
  Settings("1", "1", "<SetPassword>0</SetPassword><WindowsFile>1</WindowsFile><ProgramFiles>0</ProgramFiles>"
           "<HideBackupFiles>1</HideBackupFiles>");
  const JobOptions options = ReadJobOptions(fs, u"C:\\Prog\\");
  JobOptions expected;
  expected.changedOnly = true;
  expected.compress = true;
  expected.includeWindows = true;
  expected.hideStore = true;
  EXPECT_EQ(options, expected);
  for (const bool restore : {false, true}) {
    BackupJob job(fs, lines, u"C:\\Prog\\");
    SetUpJob(job, u"F:\\", restore);
    EXPECT_EQ(job.settings.targetRoot, u"F:");
    EXPECT_EQ(job.settings.kind, restore ? JobKind::kRestore : JobKind::kBackup);
    EXPECT_EQ(job.settings.changedOnly, 1);
    EXPECT_EQ(job.settings.compress, restore ? 0 : 1);
    EXPECT_EQ(job.settings.includeWindows, 1);
    EXPECT_EQ(job.settings.includeProgramFiles, 0);
  }

  EXPECT_EQ(ApplyStoreVisibility(fs, options, u"F:"), 0u);
  Backup({"C:\\x.txt"});
  EXPECT_EQ(Attributes(u"F:\\QTRPMB"), kAttributeDirectory | kAttributeHidden);
  Settings("0", "0", "<HideBackupFiles>0</HideBackupFiles>");
  EXPECT_EQ(ApplyStoreVisibility(fs, ReadJobOptions(fs, u"C:\\Prog\\"), u"F:"), 0u);
  EXPECT_EQ(Attributes(u"F:\\QTRPMB"), kAttributeDirectory);
}

// How long replaced copies stay: a month until the person chooses, capped
// at ten years, and never for a restore, which replaces no stored copy.
TEST_F(BackupJobTest, VersionDaysComeFromTheSettingsForBackupsOnly) {
  versionsOff.clear();
  const auto daysOf = [this](const std::string& more, bool restore) {
    Settings("0", "0", more);
    BackupJob job(fs, lines, u"C:\\Prog\\");
    SetUpJob(job, u"F:\\", restore);
    return job.settings.versionDays;
  };
  EXPECT_EQ(daysOf("", false), 30) << "absent";
  EXPECT_EQ(daysOf("<VersionDays>0</VersionDays>", false), 0);
  EXPECT_EQ(daysOf("<VersionDays>7</VersionDays>", false), 7);
  EXPECT_EQ(daysOf("<VersionDays>3650</VersionDays>", false), 3650);
  EXPECT_EQ(daysOf("<VersionDays>3651</VersionDays>", false), 3650);
  EXPECT_EQ(daysOf("<VersionDays>99999999999999999999999</VersionDays>", false), 3650);
  EXPECT_EQ(daysOf("<VersionDays>0000000000000000000000014</VersionDays>", false), 14);
  for (const char* unreadable : {"", "-5", "7 days", "1e3", "\xef\xbc\x91"})
    EXPECT_EQ(daysOf(std::string("<VersionDays>") + unreadable + "</VersionDays>", false), 30) << unreadable;
  EXPECT_EQ(daysOf("<VersionDays>7</VersionDays>", true), 0) << "a restore";
  fs.RemoveFile(u"C:\\Prog\\init.xml");
  BackupJob job(fs, lines, u"C:\\Prog\\");
  SetUpJob(job, u"F:\\", false);
  EXPECT_EQ(job.settings.versionDays, 30) << "no init.xml";
}

}  // namespace
}  // namespace qtr
