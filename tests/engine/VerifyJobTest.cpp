#include "engine/VerifyJob.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

#include "JobFixture.h"

namespace qtr {
namespace {

using test::Narrow;

class VerifyJobTest : public test::JobFixture {
 protected:
  // A backup of C:\data (one file large enough for several container blocks) through the real worker.
  void BackUpData(const char* compress) {
    Settings("0", compress);
    std::string big;
    for (int i = 0; big.size() < 300000; ++i) big += "row " + std::to_string(i % 89) + " of the ledger\n";
    fs.CreateFolder(u"C:\\data");
    fs.PutFile(u"C:\\data\\a.txt", "alpha");
    fs.PutFile(u"C:\\data\\b.txt", "bravo bravo");
    fs.PutFile(u"C:\\data\\ledger.csv", big);
    auto job = Backup({"C:\\data"});
    ASSERT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
    lines.lines.clear();
  }

  // Every file and folder of both volumes, with the bytes of each file.
  std::map<std::u16string, std::string> Snapshot() {
    std::map<std::u16string, std::string> all;
    for (const std::u16string& path : fs.AllPaths()) {
      std::string bytes;
      all[path] = fs.GetFile(path, &bytes) ? bytes : "<folder>";
    }
    return all;
  }

  uint64_t StoredBytes() {
    uint64_t total = 0;
    for (const std::string& path : StoreFiles())
      total += Content(std::u16string(path.begin(), path.end())).size();
    return total;
  }

  // Rewrites a stored file and gives it back its times: a flipped byte on the disk.
  void FlipByte(std::u16string_view path, size_t at) {
    std::string bytes = Content(path);
    ASSERT_LT(at, bytes.size());
    bytes[at] ^= 0x20;
    const FileTimes before = Times(path);
    ASSERT_TRUE(fs.PutFile(path, bytes));
    ASSERT_EQ(fs.SetTimes(path, before), 0u);
  }

  std::unique_ptr<BackupJob> VerifyJob() { return NewJob(false); }
  // On its own thread, as the window runs it: the thread tells its end.
  static VerifyOutcome VerifyOnWorker(BackupJob& job) {
    VerifyOutcome outcome;
    JobThread worker;
    worker.Start([&] { outcome = RunVerifyJob(job); });
    worker.Join();
    EXPECT_TRUE(worker.Ended());
    return outcome;
  }
};

TEST_F(VerifyJobTest, SoundStoresOfBothFormsGiveNoLinesAndTheFullFiguresAndStayUnchanged) {
  for (const char* compress : {"0", "1"}) {
    SCOPED_TRACE(compress);
    BackUpData(compress);
    const auto before = Snapshot();
    const uint64_t stored = StoredBytes();

    auto job = VerifyJob();
    const VerifyOutcome outcome = VerifyOnWorker(*job);
    EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
    EXPECT_TRUE(outcome.Sound());
    EXPECT_EQ(outcome.checked, 3u);
    EXPECT_EQ(outcome.damaged + outcome.missing + outcome.unknown + outcome.notChecked, 0u);
    // The bars had a total from the count and reached it by reading.
    EXPECT_EQ(job->counters.scannedCount, 3u);
    EXPECT_EQ(job->counters.finishedCount, 3u);
    EXPECT_EQ(job->counters.totalBytes, stored);
    EXPECT_EQ(job->counters.doneBytes, stored);
    EXPECT_EQ(job->counters.scanning, 0);
    EXPECT_EQ(job->control.stop, 1);
    EXPECT_TRUE(job->counters.CurrentFile().starts_with(u"F:\\QTRPMB\\C\\data\\"))
        << Narrow(job->counters.CurrentFile());
    EXPECT_EQ(VerifySummaryText(outcome, LanguageTable()), u"3 files checked: no damage found.");
    // Nothing written: no store file, no selection file, no backup record.
    EXPECT_EQ(Snapshot(), before);
  }
}

TEST_F(VerifyJobTest, DamagedMissingUnknownAndTheIndexEachGiveTheirLineAndOnlyTheIndexLearnsOfTheDamage) {
  BackUpData("0");
  FlipByte(u"F:\\QTRPMB\\C\\data\\b.txt", 3);
  fs.RemoveFile(u"F:\\QTRPMB\\C\\data\\a.txt");
  fs.PutFile(u"F:\\QTRPMB\\C\\data\\stray.txt", "put here by hand");
  const auto before = Snapshot();

  auto job = VerifyJob();
  const VerifyOutcome outcome = RunVerifyJob(*job);
  EXPECT_EQ(lines.lines,
            (std::vector<std::u16string>{
                u"F:\\QTRPMB\\C\\data\\b.txt;damaged: its content differs from the index",
                u"F:\\QTRPMB\\C\\data\\a.txt;missing: in the index, but not on the disk",
                u"F:\\QTRPMB\\C\\data\\stray.txt;unknown: not in the index, or changed since it was stored",
            }));
  EXPECT_FALSE(outcome.Sound());
  // The figures add up to the Total the window shows above them.
  EXPECT_EQ(VerifySummaryText(outcome, LanguageTable()),
            u"3 stored files: 1 sound, 1 damaged, 1 not checked; 1 missing. The backup is damaged.");
  // Every file met counts, the unread stray one included.
  EXPECT_EQ(job->counters.finishedCount, 3u);
  EXPECT_EQ(job->counters.doneBytes, job->counters.totalBytes);
  // Only the index learns of the damage, for the next backup to store b.txt anew.
  const auto outsideIndex = [](auto files) {
    std::erase_if(files, [](const auto& file) { return file.first.starts_with(u"F:\\QTRPMB\\~index"); });
    return files;
  };
  EXPECT_EQ(outsideIndex(Snapshot()), outsideIndex(before));

  // An index that cannot be read is one line; its files are then unknown, never damaged.
  for (const std::u16string& path : fs.AllPaths())
    if (path.starts_with(u"F:\\QTRPMB\\~index\\")) fs.PutFile(path, "<StoreIndex><File path=");
  lines.lines.clear();
  auto again = VerifyJob();
  const VerifyOutcome second = RunVerifyJob(*again);
  ASSERT_FALSE(lines.lines.empty());
  EXPECT_TRUE(second.indexDamaged);
  EXPECT_TRUE(lines.lines[0].starts_with(
      u"F:\\QTRPMB\\~index;the store index is damaged; its readable part was used ("))
      << Narrow(lines.lines[0]);
  size_t indexLines = 0;
  for (const auto& line : lines.lines) indexLines += line.starts_with(u"F:\\QTRPMB\\~index;") ? 1 : 0;
  EXPECT_EQ(indexLines, 1u);
  EXPECT_EQ(second.damaged, 0u);
  EXPECT_EQ(second.unknown, 3u);
}

TEST_F(VerifyJobTest, PauseHoldsTheReadAndStopEndsTheJobWithoutLines) {
  BackUpData("1");
  FlipByte(u"F:\\QTRPMB\\C\\data\\b.txt.zip", 9);
  auto job = VerifyJob();
  job->control.pause.Close();
  VerifyOutcome outcome;
  JobThread worker;
  worker.Start([&] { outcome = RunVerifyJob(*job); });
  // The count runs while paused; the read waits at the gate.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while ((job->counters.scannedCount < 3 || job->counters.scanning != 0) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(job->counters.doneBytes, 0u);
  EXPECT_FALSE(worker.Ended());
  job->control.stop = 1;
  job->control.pause.Open();
  worker.Join();
  EXPECT_TRUE(outcome.stopped);
  EXPECT_FALSE(outcome.Sound());
  EXPECT_EQ(job->counters.finishedCount, 0u);
  EXPECT_TRUE(worker.Ended());
  // A stopped verify has not looked at everything: it lists nothing.
  EXPECT_TRUE(lines.lines.empty());
}

TEST_F(VerifyJobTest, EncryptedFilesAreCheckedWithTheStoreKeyAndListedAsNotCheckedWithoutIt) {
  StoreKey key;
  ASSERT_EQ(OpenStoreKey(fs, u"F:\\QTRPMB", "verify-pw", true, &key), StoreKeyResult::kOk);
  Settings("0", "1", "<SetPassword>1</SetPassword>");
  fs.CreateFolder(u"C:\\data");
  fs.PutFile(u"C:\\data\\a.txt", "alpha alpha");
  fs.PutFile(u"C:\\data\\b.txt", "bravo");
  Selection(u"backupfullpath.xml", {"C:\\data"});
  auto backup = NewJob(false);
  backup->settings.storeKey = key.Duplicate();
  RunJob(*backup);
  ASSERT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);

  auto withKey = VerifyJob();
  withKey->settings.storeKey = key.Duplicate();
  const VerifyOutcome checked = RunVerifyJob(*withKey);
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
  EXPECT_EQ(VerifySummaryText(checked, LanguageTable()), u"2 files checked: no damage found.");

  auto withoutKey = VerifyJob();
  const VerifyOutcome skipped = RunVerifyJob(*withoutKey);
  EXPECT_EQ(skipped.notChecked, 2u);
  ASSERT_EQ(lines.lines.size(), 2u);
  for (const std::u16string& line : lines.lines)
    EXPECT_TRUE(line.ends_with(u";encrypted: not checked without the store password")) << Narrow(line);
  EXPECT_EQ(VerifySummaryText(skipped, LanguageTable()),
            u"2 stored files: 0 sound, 0 damaged, 2 not checked; 0 missing. The backup could not be fully verified.");
}

TEST_F(VerifyJobTest, ATargetWithoutAStoreSaysSoAndEnds) {
  auto job = VerifyJob();
  const VerifyOutcome outcome = VerifyOnWorker(*job);
  EXPECT_FALSE(outcome.storeFound);
  EXPECT_FALSE(outcome.Sound());
  EXPECT_EQ(VerifySummaryText(outcome, LanguageTable()), u"There is no backup on this disk to verify.");
  EXPECT_EQ(job->counters.totalBytes, 0u);
  EXPECT_EQ(job->control.stop, 1);
  EXPECT_TRUE(lines.lines.empty());
}

}  // namespace
}  // namespace qtr
