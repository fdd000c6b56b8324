// The store index: what a backup records, what a restore checks with it,
// and what a cut or a failed write leaves of it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JobFixture.h"
#include "Lz77Samples.h"
#include "crypto/Sha256.h"
#include "engine/StoreIndex.h"

namespace qtr {
namespace {

using Kind = MemoryFileSystem::Kind;
using test::Narrow;

std::string Noise(size_t size, uint32_t seed) {
  const auto bytes = test::RandomBytes(size, seed);
  return {bytes.begin(), bytes.end()};
}

Sha256Digest HashOf(const std::string& bytes) { return Sha256Of(bytes.data(), bytes.size()); }

struct Case {
  Kind target;
  const char* compress;
};

class StoreIndexTest : public test::JobFixture, public ::testing::WithParamInterface<Case> {
 protected:
  StoreIndexTest() : JobFixture(GetParam().target) { Settings("0", GetParam().compress); }
  bool Compressing() const { return std::string(GetParam().compress) == "1"; }
  std::u16string StoredName(const std::u16string& plain) const {
    return Compressing() ? plain + u".zip" : plain;
  }
  StoreIndex Index() { return StoreIndex::Load(fs, u"F:\\QTRPMB"); }
  // Changes a stored file's bytes and gives it back its times, as damage on the disk would.
  void Damage(const std::u16string& path, const std::string& bytes) {
    const FileTimes times = Times(path);
    const uint32_t attributes = Attributes(path);
    fs.PutFile(path, bytes, attributes);
    fs.SetTimes(path, times);
  }
  bool AnyLineStartsWith(const std::u16string& prefix) {
    for (const auto& line : lines.lines)
      if (line.starts_with(prefix)) return true;
    return false;
  }
};

TEST_P(StoreIndexTest, EveryStoredFileHasItsFormSizeAndHashAndRestoresChecked) {
  const std::string big = Noise(200000, 7);
  fs.PutFile(u"C:\\D\\big.bin", big);
  fs.PutFile(u"C:\\D\\Sub\\s.txt", "sub");
  fs.PutFile(u"C:\\D\\empty", "");
  Backup({"C:\\D"});
  ASSERT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);

  const StoreIndex index = Index();
  EXPECT_FALSE(index.Damaged());
  EXPECT_EQ(index.Size(), 3u);
  const StoreIndexEntry* entry = nullptr;
  ASSERT_EQ(index.Lookup(fs, StoredName(u"F:\\QTRPMB\\C\\D\\big.bin"), &entry), IndexState::kCurrent);
  EXPECT_EQ(entry->form, Compressing() ? StoredForm::kCompressed : StoredForm::kPlain);
  EXPECT_EQ(entry->sourceSize, big.size());
  EXPECT_EQ(entry->sha256, HashOf(big));
  ASSERT_EQ(index.Lookup(fs, StoredName(u"F:\\QTRPMB\\C\\D\\empty"), &entry), IndexState::kCurrent);
  EXPECT_EQ(entry->sha256, HashOf(""));

  fs.PutFile(u"C:\\D\\big.bin", "changed since");
  fs.RemoveFile(u"C:\\D\\Sub\\s.txt");
  Restore({"F:\\QTRPMB\\C\\D"});
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
  EXPECT_EQ(Content(u"C:\\D\\big.bin"), big);
  EXPECT_EQ(Content(u"C:\\D\\Sub\\s.txt"), "sub");
  EXPECT_EQ(Content(u"C:\\D\\empty"), "");
}

TEST_P(StoreIndexTest, DamagedStoredFilesFailAndLeaveThePersonsFilesAsTheyWere) {
  const std::string big = Noise(300000, 8);
  fs.PutFile(u"C:\\D\\flip.bin", big);
  fs.PutFile(u"C:\\D\\cut.bin", big);
  fs.PutFile(u"C:\\D\\good.txt", "good");
  Backup({"C:\\D"});
  const std::u16string flip = StoredName(u"F:\\QTRPMB\\C\\D\\flip.bin");
  const std::u16string cut = StoredName(u"F:\\QTRPMB\\C\\D\\cut.bin");
  std::string flipped = Content(flip);
  flipped[flipped.size() / 2] ^= 0x10;
  Damage(flip, flipped);
  // Cut at the end of the first block of a container, or anywhere in a plain copy.
  Damage(cut, Content(cut).substr(0, Compressing() ? 4 + 4 + 0x7FFF : 1000));

  fs.PutFile(u"C:\\D\\flip.bin", "newer work");
  fs.PutFile(u"C:\\D\\cut.bin", "newer work too");
  fs.RemoveFile(u"C:\\D\\good.txt");
  const auto job = Restore({"F:\\QTRPMB\\C\\D"});
  EXPECT_TRUE(AnyLineStartsWith(flip + u";"));
  EXPECT_TRUE(AnyLineStartsWith(cut + u";"));
  EXPECT_EQ(lines.lines.size(), 2u);
  EXPECT_EQ(Content(u"C:\\D\\flip.bin"), "newer work");
  EXPECT_EQ(Content(u"C:\\D\\cut.bin"), "newer work too");
  EXPECT_EQ(Content(u"C:\\D\\good.txt"), "good");
  for (const auto& path : fs.AllPaths()) EXPECT_EQ(path.find(u".~qtrpart"), std::u16string::npos) << Narrow(path);
}

// "a" beside "a.zip", and a person's "b.zip" that begins like a container.
TEST_P(StoreIndexTest, NamesakesAndContainerLookalikesRestoreByteForByte) {
  const std::string lookalike = std::string("\xFF\xFF\xFF\xFF", 4) + Noise(5000, 9);
  const std::string a = Noise(40000, 10), aZip = Noise(30000, 11), b = "the real b";
  fs.PutFile(u"C:\\D\\a", a);
  fs.PutFile(u"C:\\D\\a.zip", aZip);
  fs.PutFile(u"C:\\D\\b", b);
  fs.PutFile(u"C:\\D\\b.zip", lookalike);
  Backup({"C:\\D"});
  ASSERT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
  for (const auto* name : {u"C:\\D\\a", u"C:\\D\\a.zip", u"C:\\D\\b", u"C:\\D\\b.zip"}) fs.PutFile(name, "later");
  Restore({"F:\\QTRPMB\\C\\D"});
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
  EXPECT_EQ(Content(u"C:\\D\\a"), a);
  EXPECT_EQ(Content(u"C:\\D\\a.zip"), aZip);
  EXPECT_EQ(Content(u"C:\\D\\b"), b);
  EXPECT_EQ(Content(u"C:\\D\\b.zip"), lookalike);
}

TEST_P(StoreIndexTest, ADamagedOrLostIndexIsReportedOnceAndTheOldRulesRestore) {
  fs.PutFile(u"C:\\D\\x.txt", "x");
  fs.PutFile(u"C:\\D\\y.txt", "y");
  Backup({"C:\\D"});
  fs.PutFile(u"F:\\QTRPMB\\~index\\0000000000.xml", "<StoreIndex><File path=");
  fs.RemoveFile(u"C:\\D\\x.txt");
  Restore({"F:\\QTRPMB"});
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_TRUE(lines.lines[0].starts_with(u"F:\\QTRPMB\\~index\\0000000000.xml;")) << Narrow(lines.lines[0]);
  EXPECT_EQ(Content(u"C:\\D\\x.txt"), "x");

  lines.lines.clear();
  fs.RemoveFile(u"F:\\QTRPMB\\~index\\0000000000.xml");
  fs.RemoveFile(u"C:\\D\\y.txt");
  Restore({"F:\\QTRPMB"});
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
  EXPECT_EQ(Content(u"C:\\D\\y.txt"), "y");
}

// A copy whose entry cannot be written is never put in place: the old copy
// stays, still described by its entry, and restores checked.
TEST_P(StoreIndexTest, AFailedIndexWriteKeepsTheOldCopyDescribed) {
  fs.PutFile(u"C:\\D\\x.txt", "first");
  Backup({"C:\\D"});
  fs.PutFile(u"C:\\D\\x.txt", "second, longer");
  FileTimes later = Times(u"C:\\D\\x.txt");
  later.lastWrite += 50'000'000;
  fs.SetTimes(u"C:\\D\\x.txt", later);
  fs.FailWritesAt(u"F:\\QTRPMB\\~index", 0, kErrorDiskFull);
  EXPECT_EQ(Backup({"C:\\D"})->counters.finishedCount, 0u);
  fs.ClearFaults();
  EXPECT_TRUE(AnyLineStartsWith(StoredName(u"F:\\QTRPMB\\C\\D\\x.txt") + u";"));
  EXPECT_EQ(Index().Lookup(fs, StoredName(u"F:\\QTRPMB\\C\\D\\x.txt")), IndexState::kCurrent);
  lines.lines.clear();
  fs.RemoveFile(u"C:\\D\\x.txt");
  Restore({"F:\\QTRPMB\\C\\D"});
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
  EXPECT_EQ(Content(u"C:\\D\\x.txt"), "first");
}

INSTANTIATE_TEST_SUITE_P(Volumes, StoreIndexTest,
                         ::testing::Values(Case{Kind::kNtfs, "0"}, Case{Kind::kNtfs, "1"}, Case{Kind::kFat32, "0"},
                                           Case{Kind::kFat32, "1"}));

// The power fails at every step of a backup that replaces a stored copy;
// after the restart a restore gives the old content or the new one and
// never reports an intact copy as damaged.
TEST(StoreIndexPowerCutTest, EveryCutLeavesEntriesThatDescribeTheCopyThere) {
  const std::string oldBytes = Noise(150000, 12), newBytes = Noise(120000, 13);
  for (const auto& [target, compress] : {std::pair{Kind::kNtfs, "0"}, std::pair{Kind::kNtfs, "1"},
                                         std::pair{Kind::kFat32, "0"}, std::pair{Kind::kFat32, "1"}}) {
    for (uint64_t steps = 0;; ++steps) {
      bool cut = false;
      for (const uint64_t survivors : {uint64_t{0}, ~uint64_t{0} >> 1, uint64_t{1}, uint64_t{2}}) {
        struct Run : test::JobFixture {
          explicit Run(Kind kind) : JobFixture(kind) {}
          void TestBody() override {}
          using JobFixture::Backup, JobFixture::Content, JobFixture::fs, JobFixture::lines, JobFixture::Restore,
              JobFixture::Settings, JobFixture::Times;
        } m(target);
        m.Settings("0", compress);
        m.fs.PutFile(u"C:\\D\\big.bin", oldBytes);
        m.Backup({"C:\\D"});
        m.fs.PutFile(u"C:\\D\\big.bin", newBytes);
        FileTimes later = m.Times(u"C:\\D\\big.bin");
        later.lastWrite += 50'000'000;
        m.fs.SetTimes(u"C:\\D\\big.bin", later);
        m.fs.CutPowerAfter(u'F', steps);
        m.Backup({"C:\\D"});
        if (!m.fs.PowerWasCut()) break;
        cut = true;
        m.fs.Restart(survivors);
        m.lines.lines.clear();
        m.fs.RemoveFile(u"C:\\D\\big.bin");
        m.Restore({"F:\\QTRPMB\\C\\D"});
        SCOPED_TRACE(std::string(target == Kind::kNtfs ? "NTFS" : "FAT32") + ", compress " + compress +
                     ", cut after " + std::to_string(steps) +
                     ", survivors " + std::to_string(survivors));
        EXPECT_TRUE(m.lines.lines.empty()) << Narrow(m.lines.lines[0]);
        const std::string restored = m.Content(u"C:\\D\\big.bin");
        EXPECT_TRUE(restored == oldBytes || restored == newBytes) << restored.size() << " bytes";
        if (::testing::Test::HasFailure()) return;
      }
      if (!cut) break;
    }
  }
}

}  // namespace
}  // namespace qtr
