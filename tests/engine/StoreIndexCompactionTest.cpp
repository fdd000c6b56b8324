// Folding the store index's pieces into one: the entries read the same
// before, after and at every point of a cut, and pieces that are not this
// index's own are left alone.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "JobFixture.h"
#include "crypto/Sha256.h"
#include "engine/StoreIndex.h"
#include "engine/StoreLayout.h"

namespace qtr {
namespace {

using test::Narrow;

constexpr char16_t kRoot[] = u"F:\\QTRPMB";
constexpr char16_t kFolder[] = u"F:\\QTRPMB\\~index";

StoreIndexEntry EntryFor(const std::u16string& stored, uint64_t n) {
  StoreIndexEntry e;
  e.stored = stored;
  e.form = n % 2 == 0 ? StoredForm::kPlain : StoredForm::kCompressed;
  e.sourceSize = n * 100;
  e.sourceLastWrite = 1000 + n;
  e.storedSize = n * 50;
  e.storedLastWrite = 2000 + n;
  e.sha256 = Sha256Of(stored.data(), stored.size() * 2);
  return e;
}

// What an index says, in a form tests compare.
std::map<std::u16string, std::string> Entries(const StoreIndex& index) {
  std::map<std::u16string, std::string> out;
  index.ForEach([&](const StoreIndexEntry& e) {
    out[Lowercase(e.stored)] = std::to_string(static_cast<int>(e.form)) + "/" + std::to_string(e.sourceSize) +
                               "/" + std::to_string(e.sourceLastWrite) + "/" + std::to_string(e.storedSize) +
                               "/" + std::to_string(e.storedLastWrite) + "/" + std::to_string(e.sha256[0]);
  });
  return out;
}

// The pieces in the index folder (a piece cut while written stays a partial file, which is none).
std::vector<std::u16string> PieceFiles(MemoryFileSystem& fs) {
  std::vector<std::u16string> names;
  for (const std::u16string& path : fs.AllPaths())
    if (Lowercase(ParentOf(path)) == Lowercase(kFolder) && Lowercase(path).ends_with(u".xml"))
      names.push_back(path);
  return names;
}

// Twenty pieces: entries added, replaced, removed and added again, so that
// a fold that loses a removal or an override shows.
void WriteHistory(MemoryFileSystem& fs) {
  fs.CreateFolder(kRoot);
  for (uint64_t piece = 0; piece < 20; ++piece) {
    StoreIndex index = StoreIndex::Load(fs, kRoot);
    for (uint64_t k = 0; k < 3; ++k) {
      const uint64_t n = piece * 3 + k;
      index.Record(EntryFor(u"C\\f" + std::u16string(1, static_cast<char16_t>(u'a' + n % 11)) + u".txt", n));
    }
    if (piece % 4 == 3) index.Forget(u"F:\\QTRPMB\\C\\f" + std::u16string(1, static_cast<char16_t>(u'a' + piece % 11)) + u".txt");
    ASSERT_EQ(index.AppendPending(fs), 0u);
  }
}

class CompactionTest : public ::testing::Test {
 protected:
  CompactionTest() { fs.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs); }
  MemoryFileSystem fs;
};

TEST_F(CompactionTest, FoldsEveryPieceIntoOneThatReadsTheSame) {
  WriteHistory(fs);
  StoreIndex before = StoreIndex::Load(fs, kRoot);
  ASSERT_EQ(PieceFiles(fs).size(), 20u);
  const auto expected = Entries(before);
  ASSERT_LT(expected.size(), 11u) << "the history removes some entries";

  EXPECT_EQ(before.CompactIfLarge(fs, 25), 0u);
  EXPECT_EQ(PieceFiles(fs).size(), 20u) << "below the limit nothing is done";
  EXPECT_EQ(before.CompactIfLarge(fs, 4), 0u);
  EXPECT_EQ(PieceFiles(fs).size(), 1u);
  EXPECT_EQ(Entries(before), expected);

  StoreIndex after = StoreIndex::Load(fs, kRoot);
  EXPECT_FALSE(after.Damaged());
  EXPECT_EQ(after.PieceCount(), 1u);
  EXPECT_EQ(Entries(after), expected);
  // Later pieces still override the folded one.
  after.Record(EntryFor(u"C\\fa.txt", 99));
  ASSERT_EQ(after.AppendPending(fs), 0u);
  EXPECT_EQ(Entries(StoreIndex::Load(fs, kRoot))[u"c\\fa.txt"], Entries(after)[u"c\\fa.txt"]);
}

TEST_F(CompactionTest, ALargeIndexFoldsIntoPiecesOfBoundedSize) {
  fs.CreateFolder(kRoot);
  const size_t count = 2 * StoreIndex::kEntriesPerFoldedPiece + 500;
  for (size_t piece = 0; piece < 20; ++piece) {
    StoreIndex index = StoreIndex::Load(fs, kRoot);
    for (size_t n = piece; n < count; n += 20) {
      const std::string digits = std::to_string(n);
      index.Record(EntryFor(u"C\\f" + std::u16string(digits.begin(), digits.end()), n));
    }
    ASSERT_EQ(index.AppendPending(fs), 0u);
  }
  StoreIndex index = StoreIndex::Load(fs, kRoot);
  const auto expected = Entries(index);
  ASSERT_EQ(expected.size(), count);
  EXPECT_EQ(index.CompactIfLarge(fs, 4), 0u);
  EXPECT_EQ(PieceFiles(fs).size(), 3u);
  const auto folded = PieceFiles(fs);
  StoreIndex after = StoreIndex::Load(fs, kRoot);
  EXPECT_EQ(Entries(after), expected);
  // Folded pieces alone are not folded again.
  EXPECT_EQ(after.CompactIfLarge(fs, 0), 0u);
  EXPECT_EQ(PieceFiles(fs), folded);
}

TEST_F(CompactionTest, LeavesDamagedPiecesAndOtherWritersPiecesAlone) {
  WriteHistory(fs);
  const std::u16string damaged = std::u16string(kFolder) + u"\\0000000003.xml";
  ASSERT_TRUE(fs.PutFile(damaged, "<StoreIndex><File path="));
  StoreIndex index = StoreIndex::Load(fs, kRoot);
  ASSERT_TRUE(index.Damaged());
  const auto expected = Entries(index);

  // A piece written by someone else after this index was read: folding
  // would put this index's older view over it.
  StoreIndex other = StoreIndex::Load(fs, kRoot);
  other.Record(EntryFor(u"C\\new.txt", 5));
  ASSERT_EQ(other.AppendPending(fs), 0u);
  EXPECT_EQ(index.CompactIfLarge(fs, 4), 0u);
  EXPECT_EQ(PieceFiles(fs).size(), 21u);

  StoreIndex fresh = StoreIndex::Load(fs, kRoot);
  EXPECT_EQ(fresh.CompactIfLarge(fs, 4), 0u);
  const auto left = PieceFiles(fs);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(Lowercase(left[0]), Lowercase(damaged));
  StoreIndex after = StoreIndex::Load(fs, kRoot);
  EXPECT_TRUE(after.Damaged()) << "the damaged piece is still reported";
  auto withNew = expected;
  withNew[u"c\\new.txt"] = Entries(other)[u"c\\new.txt"];
  EXPECT_EQ(Entries(after), withNew);
}

// The power fails after every step of a fold, and any combination of the
// changes not yet flushed reaches the disk: the index reads the same.
TEST_F(CompactionTest, EveryCutOfAFoldLeavesTheSameEntries) {
  WriteHistory(fs);
  const auto expected = Entries(StoreIndex::Load(fs, kRoot));
  for (uint64_t steps = 0;; ++steps) {
    bool cut = false;
    for (const uint64_t survivors : {uint64_t{0}, ~uint64_t{0} >> 1, uint64_t{0x5555555555555555},
                                     uint64_t{0x2AAAAAAAAAAAAAAA}, uint64_t{1}}) {
      MemoryFileSystem copy;
      copy.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs);
      WriteHistory(copy);
      StoreIndex index = StoreIndex::Load(copy, kRoot);
      copy.CutPowerAfter(u'F', steps);
      index.CompactIfLarge(copy, 4);
      // One change more, so that the last cut comes after the whole fold, its removals unflushed.
      copy.CreateFolder(u"F:\\later");
      if (!copy.PowerWasCut()) break;
      cut = true;
      copy.Restart(survivors);
      SCOPED_TRACE("cut after " + std::to_string(steps) + ", survivors " + std::to_string(survivors));
      StoreIndex after = StoreIndex::Load(copy, kRoot);
      EXPECT_FALSE(after.Damaged()) << Narrow(after.Damage());
      EXPECT_EQ(Entries(after), expected);
      if (::testing::Test::HasFailure()) return;
      // And the next fold, after the restart, finishes the job.
      EXPECT_EQ(after.CompactIfLarge(copy, 0), 0u);
      EXPECT_EQ(Entries(StoreIndex::Load(copy, kRoot)), expected);
      EXPECT_EQ(PieceFiles(copy).size(), 1u);
    }
    if (!cut) break;
  }
}

// Backups one after another keep the index small enough to read quickly.
class CompactionJobTest : public test::JobFixture {};

TEST_F(CompactionJobTest, ManyBackupsLeaveFewPieces) {
  for (int run = 0; run < 40; ++run) {
    fs.PutFile(u"C:\\D\\f" + std::u16string(1, static_cast<char16_t>(u'a' + run % 20)) + u".txt",
               "content " + std::to_string(run));
    Backup({"C:\\D"});
    ASSERT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
  }
  StoreIndex index = StoreIndex::Load(fs, kRoot);
  EXPECT_LE(index.PieceCount(), StoreIndex::kCompactAbovePieces + 1);
  EXPECT_EQ(index.Size(), 20u);
  fs.RemoveFile(u"C:\\D\\fa.txt");
  Restore({"F:\\QTRPMB"});
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
  EXPECT_EQ(Content(u"C:\\D\\fa.txt"), "content 20");
}

}  // namespace
}  // namespace qtr
