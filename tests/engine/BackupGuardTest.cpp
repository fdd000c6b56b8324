// A backup that would carry an attack into the store stops at the guard's
// threshold: the copies it replaced until then are in its version folder,
// the rest of the store is untouched; a person's edits raise nothing, and a
// person who is asked may let it go on.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "JobFixture.h"
#include "Lz77Samples.h"
#include "engine/StoreVersions.h"
#include "engine/VerifyStore.h"
#include "engine/VersionPutBack.h"

namespace qtr {
namespace {

using test::Narrow;

std::string Text(int i) {
  std::string text;
  for (int line = 0; line < 60; ++line)
    text += "Line " + std::to_string(line) + " of letter " + std::to_string(i) + ": the quick brown fox.\n";
  return text;
}

std::string Encrypted(int i) {
  const auto bytes = test::RandomBytes(4200, static_cast<uint32_t>(100 + i));
  return {bytes.begin(), bytes.end()};
}

std::u16string Name(int i) {
  return u"C:\\D\\letter" + std::u16string(1, u'a' + i) + u".txt";
}

std::u16string Stored(int i) {
  return u"F:\\QTRPMB\\C\\D\\letter" + std::u16string(1, u'a' + i) + u".txt";
}

class BackupGuardTest : public test::JobFixture {
 protected:
  explicit BackupGuardTest(MemoryFileSystem::Kind target = MemoryFileSystem::Kind::kNtfs) : JobFixture(target) {
    Settings("1", "0", "<VersionDays>30</VersionDays>");
    for (int i = 0; i < 20; ++i) fs.PutFile(Name(i), Text(i));
    Backup({"C:\\D"});
  }
  std::unique_ptr<BackupJob> BackupAsked(int answer) {
    Selection(u"backupfullpath.xml", {"C:\\D"});
    auto job = NewJob(false);
    job->settings.versionStamp = u"2026-12-09 120000";
    job->guard.askPerson = answer != JobGuard::kNoAnswer ? 1 : 0;
    std::thread person([&] {
      while (answer != JobGuard::kNoAnswer && job->guard.waiting == 0 && job->guard.stopped == 0)
        std::this_thread::yield();
      job->guard.answer = answer;
    });
    RunJob(*job);
    person.join();
    return job;
  }
  // After an attack the guard stopped, put back is cut at every step: each
  // letter's text stands at its name or as its version, and verify finds
  // nothing damaged or missing (a version no entry names is only unknown).
  void PutBackHoldsAtEveryCut(MemoryFileSystem::Kind kind) {
    for (int i = 0; i < 20; ++i) fs.PutFile(Name(i), Encrypted(i));
    const std::u16string stamp = BackupAsked(JobGuard::kNoAnswer)->settings.versionStamp;
    int cuts = 0;
    for (uint64_t steps = 0;; ++steps) {
      MemoryFileSystem trial;
      fs.CopyAfterRestart(0, &trial);
      trial.CutPowerAfter(u'F', steps);
      PutBackVersions(trial, u"F:\\QTRPMB", stamp, nullptr, nullptr);
      if (!trial.PowerWasCut()) break;
      ++cuts;
      const size_t pending = trial.PendingChanges();
      for (uint64_t survivors = 0; survivors < (uint64_t{1} << std::min<size_t>(pending, 6)); ++survivors) {
        SCOPED_TRACE("cut after " + std::to_string(steps) + " changes, survivors " + std::to_string(survivors));
        MemoryFileSystem after;
        trial.CopyAfterRestart(survivors, &after);
        const VerifyReport report = VerifyStore(after, u"F:\\QTRPMB", nullptr);
        ASSERT_TRUE(report.damaged.empty() && report.indexDamage.empty()) << report.damaged.size() << " damaged";
        for (int i = 0; i < 20; ++i) {
          const std::u16string stored = Stored(i);
          std::string now, kept;
          const bool there = after.GetFile(stored, &now);
          after.GetFile(VersionPathOf(stored, stamp), &kept);
          ASSERT_TRUE(now == Text(i) || kept == Text(i)) << Narrow(stored);
          // Only a FAT rename torn apart leaves a name empty, its copy still the version.
          if (std::find(report.missing.begin(), report.missing.end(), stored) != report.missing.end()) {
            ASSERT_TRUE(!there && kept == Text(i) && kind == MemoryFileSystem::Kind::kFat32) << Narrow(stored);
          }
        }
        ASSERT_LE(report.missing.size(), kind == MemoryFileSystem::Kind::kFat32 ? 1u : 0u);
      }
    }
    EXPECT_GT(cuts, 10);
  }
};

class BackupGuardOnFatTest : public BackupGuardTest {
 protected:
  BackupGuardOnFatTest() : BackupGuardTest(MemoryFileSystem::Kind::kFat32) {}
};

TEST_F(BackupGuardTest, AnAttackStopsAtTheThresholdAndEveryReplacedCopyIsAVersion) {
  for (int i = 0; i < 20; ++i) fs.PutFile(Name(i), Encrypted(i));
  const auto job = BackupAsked(JobGuard::kNoAnswer);
  EXPECT_EQ(job->guard.stopped, 1);
  ASSERT_FALSE(lines.lines.empty());
  EXPECT_EQ(lines.lines.back(), u"F:;" + job->settings.notes.guardStopped);
  EXPECT_EQ(job->guard.Findings().suspicious, 10);
  int replaced = 0;
  for (int i = 0; i < 20; ++i) {
    const std::u16string stored = Stored(i);
    const std::string now = Content(stored);
    if (now == Text(i)) continue;
    ++replaced;
    EXPECT_EQ(now, Encrypted(i));
    EXPECT_EQ(Content(VersionPathOf(stored, u"2026-12-09 120000")), Text(i)) << Narrow(stored);
  }
  EXPECT_LT(replaced, 10) << "the copy that tripped the guard and those after it are not stored";

  // Put back in one step: the store is what it was before the attack, and verifies.
  EXPECT_EQ(PutBackVersions(fs, u"F:\\QTRPMB", job->settings.versionStamp, nullptr, nullptr),
            static_cast<size_t>(replaced));
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(Content(Stored(i)), Text(i));
  EXPECT_TRUE(ListVersionStamps(fs, u"F:\\QTRPMB").empty());
  const VerifyReport report = VerifyStore(fs, u"F:\\QTRPMB", nullptr);
  EXPECT_TRUE(report.Sound()) << report.damaged.size() << " damaged, " << report.missing.size() << " missing";
}

TEST_F(BackupGuardTest, EditsRaiseNothingAndAPersonMayLetAnAttackGoOn) {
  for (int i = 0; i < 20; ++i) fs.PutFile(Name(i), Text(i) + "One more line, added today.\n");
  auto job = BackupAsked(JobGuard::kNoAnswer);
  EXPECT_EQ(job->guard.stopped, 0);
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines.front());

  for (int i = 0; i < 20; ++i) fs.PutFile(Name(i), Encrypted(i));
  job = BackupAsked(JobGuard::kGoOn);
  EXPECT_EQ(job->guard.stopped, 0);
  EXPECT_EQ(job->guard.Findings().suspicious, 10);
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(Content(Stored(i)), Encrypted(i));
}

TEST_F(BackupGuardTest, PutBackCutAtAnyStepLosesNoCopyAndVerifiesSound) { PutBackHoldsAtEveryCut(MemoryFileSystem::Kind::kNtfs); }
TEST_F(BackupGuardOnFatTest, PutBackCutAtAnyStepLosesNoCopyAndVerifiesSound) {
  PutBackHoldsAtEveryCut(MemoryFileSystem::Kind::kFat32);
}

}  // namespace
}  // namespace qtr
