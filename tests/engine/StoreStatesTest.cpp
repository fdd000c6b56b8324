// The states a store can reach when a step of a backup fails or a stored
// file is changed outside the program: what the job reports, what stays in
// the store and the index, and what a restore and a verify make of it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JobFixture.h"
#include "engine/StoreIndex.h"
#include "engine/VerifyStore.h"

namespace qtr {
namespace {

using test::Narrow;

class StoreStatesTest : public test::JobFixture {
 protected:
  StoreIndex Index() { return StoreIndex::Load(fs, u"F:\\QTRPMB"); }
  size_t LinesStartingWith(const std::u16string& prefix) {
    size_t n = 0;
    for (const auto& line : lines.lines) n += line.starts_with(prefix) ? 1 : 0;
    return n;
  }
  // A new version of a source file, its last-write time moved on.
  void Change(const std::u16string& path, const std::string& bytes, uint64_t later = 50'000'000) {
    FileTimes times = Times(path);
    fs.PutFile(path, bytes);
    times.lastWrite += later;
    fs.SetTimes(path, times);
  }
  // A stored file edited in place by someone else, as a text editor would: new bytes, a new time.
  void EditOutside(const std::u16string& path, const std::string& bytes) {
    const uint32_t attributes = Attributes(path);
    FileTimes times = Times(path);
    fs.PutFile(path, bytes, attributes);
    times.lastWrite += 70'000'000;
    fs.SetTimes(path, times);
  }
};

// The renames of a batch never became durable: the copies are failures, and
// everything the store then holds is described by an entry.
TEST_F(StoreStatesTest, AFailedFlushOfTheRenamesFailsEveryCopyOfTheBatch) {
  fs.PutFile(u"C:\\D\\a.txt", "first a");
  fs.PutFile(u"C:\\D\\b.txt", "first b");
  Backup({"C:\\D"});
  Change(u"C:\\D\\a.txt", "second a");
  Change(u"C:\\D\\b.txt", "second b");
  Settings("0", "1");  // the forms switch: the plain copies must stay while the new ones are not durable
  fs.FailFlushes(u"F:\\QTRPMB\\C\\", kErrorWriteFault);
  const auto job = Backup({"C:\\D"});
  fs.ClearFaults();
  EXPECT_EQ(job->counters.finishedCount, 0u);
  EXPECT_EQ(job->results.FailedFiles(), 2u);
  EXPECT_EQ(LinesStartingWith(u"F:\\QTRPMB\\C\\D\\a.txt.zip;"), 1u);
  EXPECT_EQ(LinesStartingWith(u"F:\\QTRPMB\\C\\D\\b.txt.zip;"), 1u);
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\a.txt"), "first a");
  const StoreIndex index = Index();
  for (const char16_t* stored : {u"F:\\QTRPMB\\C\\D\\a.txt", u"F:\\QTRPMB\\C\\D\\a.txt.zip"})
    EXPECT_EQ(index.Lookup(fs, stored), IndexState::kCurrent) << Narrow(stored);

  // Both forms are in the store: one restore writes the newer, and names the other.
  lines.lines.clear();
  fs.RemoveFile(u"C:\\D\\a.txt");
  Restore({"F:\\QTRPMB\\C\\D"});
  EXPECT_EQ(Content(u"C:\\D\\a.txt"), "second a");
  EXPECT_EQ(LinesStartingWith(u"F:\\QTRPMB\\C\\D\\a.txt;"), 1u);
  EXPECT_EQ(LinesStartingWith(u"F:\\QTRPMB\\C\\D\\b.txt;"), 1u);
  EXPECT_EQ(lines.lines.size(), 2u) << Narrow(lines.lines[0]);

  // The next changed-only backup finishes the switch: the old forms go.
  Settings("1", "1");
  lines.lines.clear();
  Backup({"C:\\D"});
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
  EXPECT_FALSE(fs.Exists(u"F:\\QTRPMB\\C\\D\\a.txt"));
  EXPECT_FALSE(Index().HasEntry(u"F:\\QTRPMB\\C\\D\\a.txt"));
}

TEST_F(StoreStatesTest, AnOtherFormThatCannotBeRemovedIsReportedAndStaysInTheIndex) {
  fs.PutFile(u"C:\\D\\a.txt", "plain");
  Backup({"C:\\D"});
  Settings("1", "1");
  fs.FailOpen(u"F:\\QTRPMB\\C\\D\\a.txt", kErrorAccessDenied);
  auto job = Backup({"C:\\D"});
  fs.ClearFaults();
  EXPECT_EQ(job->counters.finishedCount, 1u);
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_TRUE(lines.lines[0].starts_with(u"F:\\QTRPMB\\C\\D\\a.txt;")) << Narrow(lines.lines[0]);
  EXPECT_TRUE(Index().HasEntry(u"F:\\QTRPMB\\C\\D\\a.txt"));
  // Not up to date while the old form stays: the next backup removes it.
  lines.lines.clear();
  job = Backup({"C:\\D"});
  EXPECT_EQ(job->counters.upToDateCount, 0u);
  EXPECT_FALSE(fs.Exists(u"F:\\QTRPMB\\C\\D\\a.txt"));
  job = Backup({"C:\\D"});
  EXPECT_EQ(job->counters.upToDateCount, 1u);
}

// A source changed without a new last-write time, whose confirmation never
// reaches the disk: the entry announced before the rename describes it.
TEST_F(StoreStatesTest, ACopyIsDescribedByItsAnnouncedEntryWhenTheConfirmationIsLost) {
  fs.PutFile(u"C:\\D\\vault.bin", "old secrets");
  Backup({"C:\\D"});
  const FileTimes kept = Times(u"C:\\D\\vault.bin");
  fs.PutFile(u"C:\\D\\vault.bin", "new secrets");
  fs.SetTimes(u"C:\\D\\vault.bin", kept);
  // The first backup left piece 1; this one announces in 2 and confirms in 3.
  fs.FailWritesAt(u"F:\\QTRPMB\\~index\\0000000003", 0, kErrorDiskFull);
  Backup({"C:\\D"});
  fs.ClearFaults();
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_TRUE(lines.lines[0].starts_with(u"F:\\QTRPMB\\~index;")) << Narrow(lines.lines[0]);
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\vault.bin"), "new secrets");
  EXPECT_EQ(Index().Lookup(fs, u"F:\\QTRPMB\\C\\D\\vault.bin"), IndexState::kCurrent);
  EXPECT_TRUE(VerifyStore(fs, u"F:\\QTRPMB", nullptr).Sound());
  lines.lines.clear();
  fs.RemoveFile(u"C:\\D\\vault.bin");
  Restore({"F:\\QTRPMB\\C\\D"});
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
  EXPECT_EQ(Content(u"C:\\D\\vault.bin"), "new secrets");
}

TEST_F(StoreStatesTest, AStoredFileChangedOutsideIsRestoredOnlyWholeAndNeverSilently) {
  Settings("0", "1");
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\n";
  fs.PutFile(u"C:\\D\\long.txt", text);
  Backup({"C:\\D"});
  Settings("0", "0");
  fs.PutFile(u"C:\\D\\note.txt", "the note");
  Backup({"C:\\D\\note.txt"});
  // A container cut at its first block's end still decodes, but short; a plain file edited.
  const std::string container = Content(u"F:\\QTRPMB\\C\\D\\long.txt.zip");
  EditOutside(u"F:\\QTRPMB\\C\\D\\long.txt.zip", container.substr(0, 8 + 0x7FFF));
  EditOutside(u"F:\\QTRPMB\\C\\D\\note.txt", "the note, edited");
  fs.PutFile(u"C:\\D\\long.txt", "the person's newer work");
  fs.RemoveFile(u"C:\\D\\note.txt");
  lines.lines.clear();
  const auto job = Restore({"F:\\QTRPMB\\C\\D"});
  EXPECT_EQ(Content(u"C:\\D\\long.txt"), "the person's newer work");
  EXPECT_EQ(Content(u"C:\\D\\note.txt"), "the note, edited");
  EXPECT_EQ(job->counters.changedCount, 1u);
  EXPECT_EQ(job->results.FailedFiles(), 1u);
  EXPECT_EQ(LinesStartingWith(u"F:\\QTRPMB\\C\\D\\long.txt.zip;" + job->settings.notes.changedRefused), 1u);
  EXPECT_EQ(LinesStartingWith(u"F:\\QTRPMB\\C\\D\\note.txt;" + job->settings.notes.changedRestored), 1u);

  const VerifyReport report = VerifyStore(fs, u"F:\\QTRPMB", nullptr);
  EXPECT_EQ(report.damaged.size(), 2u);
  EXPECT_EQ(VerifyExitCode(report), 1);
}

// Same size, same time, other bytes: only a verify can tell, and the next
// changed-only backup stores the file anew because of what it found.
TEST_F(StoreStatesTest, DamageAVerifyFoundIsStoredAnewByTheNextChangedOnlyBackup) {
  Settings("1", "0");
  fs.PutFile(u"C:\\D\\photo.jpg", "original pixels");
  Backup({"C:\\D"});
  const FileTimes times = Times(u"F:\\QTRPMB\\C\\D\\photo.jpg");
  fs.PutFile(u"F:\\QTRPMB\\C\\D\\photo.jpg", "rotten!! pixels");
  fs.SetTimes(u"F:\\QTRPMB\\C\\D\\photo.jpg", times);
  EXPECT_EQ(VerifyExitCode(VerifyStore(fs, u"F:\\QTRPMB", nullptr)), 1);
  const auto job = Backup({"C:\\D"});
  EXPECT_EQ(job->counters.upToDateCount, 0u);
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\photo.jpg"), "original pixels");
  EXPECT_EQ(VerifyExitCode(VerifyStore(fs, u"F:\\QTRPMB", nullptr)), 0);
  EXPECT_EQ(Backup({"C:\\D"})->counters.upToDateCount, 1u);
}

// A copy stored without an entry (by a release before the index, or left
// by a kill) is stored anew by the next changed-only backup, which leaves it described.
TEST_F(StoreStatesTest, AChangedOnlyBackupLeavesEveryStoredCopyWithAnEntry) {
  Settings("1", "0");
  fs.PutFile(u"C:\\D\\a.txt", "a");
  fs.PutFile(u"C:\\D\\b.txt", "b");
  Backup({"C:\\D"});
  for (const auto& path : fs.AllPaths())
    if (path.starts_with(u"F:\\QTRPMB\\~index\\")) fs.RemoveFile(path);
  const auto job = Backup({"C:\\D"});
  EXPECT_EQ(job->counters.upToDateCount, 0u);
  EXPECT_EQ(job->counters.finishedCount, 2u);
  const VerifyReport report = VerifyStore(fs, u"F:\\QTRPMB", nullptr);
  EXPECT_TRUE(report.unknown.empty());
  EXPECT_TRUE(report.Sound());
}

TEST_F(StoreStatesTest, IndexPiecesTheIndexCannotReadAreReportedAndNeverWrapTheCounter) {
  fs.PutFile(u"C:\\D\\a.txt", "a");
  Backup({"C:\\D"});
  fs.PutFile(u"F:\\QTRPMB\\~index\\123456789012345678901234567890.xml", "<StoreIndex/>");
  fs.PutFile(u"F:\\QTRPMB\\~index\\9999999999.xml", "");  // a name taken and never filled
  const StoreIndex index = Index();
  EXPECT_TRUE(index.Damaged());
  EXPECT_EQ(index.Damage(), u"F:\\QTRPMB\\~index\\123456789012345678901234567890.xml");
  // Every number is taken: the next piece cannot be named, and the copy waits.
  Settings("0", "0");
  Change(u"C:\\D\\a.txt", "a, again");
  const auto job = Backup({"C:\\D"});
  EXPECT_EQ(job->counters.finishedCount, 0u);
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\a.txt"), "a");

  fs.RemoveFile(u"F:\\QTRPMB\\~index\\123456789012345678901234567890.xml");
  std::string huge = "<?xml version=\"1.0\"?><StoreIndex>";
  huge.append(StoreIndex::kMaxPieceBytes, ' ');
  fs.PutFile(u"F:\\QTRPMB\\~index\\0000000007.xml", huge + "</StoreIndex>");
  EXPECT_EQ(Index().Damage(), u"F:\\QTRPMB\\~index\\0000000007.xml");
}

// "M failed" counts files, and a copy that lacks only its times is no failed file.
TEST_F(StoreStatesTest, FailuresAreCountedByFileAndMissingTimesApart) {
  fs.PutFile(u"C:\\D\\a.txt", "a");
  fs.PutFile(u"C:\\D\\b.txt", "b");
  fs.FailSetInfo(u"F:\\QTRPMB\\~partial", kErrorAccessDenied);
  fs.FailReadAt(u"C:\\D\\b.txt", 0, kErrorReadFault);
  const auto job = Backup({"C:\\D"});
  EXPECT_EQ(job->results.FailedFiles(), 1u);
  EXPECT_EQ(job->counters.lackingCount, 1u);
  EXPECT_EQ(job->counters.finishedCount, 1u);
  EXPECT_EQ(LinesStartingWith(u"F:\\QTRPMB\\C\\D\\a.txt;" + job->settings.notes.timesNotSet), 1u);
}

}  // namespace
}  // namespace qtr
