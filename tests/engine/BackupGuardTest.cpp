// A backup that would carry an attack into the store stops at the guard's
// threshold: the copies it replaced until then are in its version folder,
// the rest of the store is untouched; a person's edits raise nothing, and a
// person who is asked may let it go on.
#include <gtest/gtest.h>

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

class BackupGuardTest : public test::JobFixture {
 protected:
  BackupGuardTest() {
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
    const std::u16string stored = u"F:\\QTRPMB\\C\\D\\letter" + std::u16string(1, u'a' + i) + u".txt";
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
    EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\letter" + std::u16string(1, u'a' + i) + u".txt"), Text(i));
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
    EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\letter" + std::u16string(1, u'a' + i) + u".txt"), Encrypted(i));
}

}  // namespace
}  // namespace qtr
