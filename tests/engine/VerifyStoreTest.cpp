#include "engine/VerifyStore.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "crypto/Sha256.h"
#include "engine/Container.h"
#include "engine/StoreIndex.h"
#include "platform/SystemError.h"
#include "support/MemoryFileSystem.h"

namespace qtr {
namespace {

constexpr std::u16string_view kRoot = u"F:\\QTRPMB";

class Recorder : public VerifyControl {
 public:
  bool WaitUnlessStopped() override { return ++waits <= stopAfter; }
  void AddProgress(uint64_t bytes) override { progress += bytes; }
  void OnFile(std::u16string_view path) override { files.emplace_back(path); }
  uint64_t stopAfter = UINT64_MAX;
  uint64_t waits = 0;
  uint64_t progress = 0;
  std::vector<std::u16string> files;
};

class VerifyStoreTest : public ::testing::Test {
 protected:
  VerifyStoreTest() {
    fs.AddVolume(u'C', MemoryFileSystem::Kind::kNtfs);
    fs.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs);
    fs.CreateFolder(kRoot);
    fs.CreateFolder(u"F:\\QTRPMB\\C");
    fs.CreateFolder(u"F:\\QTRPMB\\C\\docs");
  }

  std::string Big() const {
    std::string text;
    for (int i = 0; text.size() < 200000; ++i) text += "line " + std::to_string(i % 97) + " of the report\n";
    return text;
  }

  // Stores content as a plain copy at stored (below the root) and records it.
  void StorePlain(std::u16string_view stored, const std::string& content) {
    ASSERT_TRUE(fs.PutFile(std::u16string(kRoot) + u"\\" + std::u16string(stored), content));
    Record(stored, StoredForm::kPlain, content);
  }

  void StoreCompressed(std::u16string_view stored, const std::string& content) {
    ASSERT_TRUE(fs.PutFile(u"C:\\source.tmp", content));
    std::unique_ptr<File> in, out;
    ASSERT_EQ(fs.Open(u"C:\\source.tmp", OpenMode::kReadExisting, &in), 0u);
    ASSERT_EQ(fs.Open(std::u16string(kRoot) + u"\\" + std::u16string(stored), OpenMode::kWriteNew, &out), 0u);
    ASSERT_TRUE(WriteContainer(*in, content.size(), *out, nullptr).Ok());
    in.reset();
    out.reset();
    fs.RemoveFile(u"C:\\source.tmp");
    Record(stored, StoredForm::kCompressed, content);
  }

  void Record(std::u16string_view stored, StoredForm form, const std::string& content) {
    FindEntry listed;
    ASSERT_EQ(fs.Find(std::u16string(kRoot) + u"\\" + std::u16string(stored), &listed), 0u);
    StoreIndexEntry entry;
    entry.stored = std::u16string(stored);
    entry.form = form;
    entry.sourceSize = content.size();
    entry.storedSize = listed.size;
    entry.storedLastWrite = listed.times.lastWrite;
    entry.sha256 = Sha256Of(content.data(), content.size());
    StoreIndex index = StoreIndex::Load(fs, kRoot);
    index.Record(entry);
    ASSERT_EQ(index.AppendPending(fs), 0u);
  }

  // Rewrites a stored file's bytes and gives it back its last-write time, so
  // its entry stays current: what a flipped bit on the disk looks like.
  void Corrupt(std::u16string_view stored, const std::string& bytes) {
    const std::u16string path = std::u16string(kRoot) + u"\\" + std::u16string(stored);
    FindEntry before;
    ASSERT_EQ(fs.Find(path, &before), 0u);
    ASSERT_TRUE(fs.PutFile(path, bytes));
    ASSERT_EQ(fs.SetTimes(path, before.times), 0u);
  }

  std::string Stored(std::u16string_view stored) {
    std::string bytes;
    EXPECT_TRUE(fs.GetFile(std::u16string(kRoot) + u"\\" + std::u16string(stored), &bytes));
    return bytes;
  }

  std::map<std::u16string, std::string> Snapshot() const {
    std::map<std::u16string, std::string> all;
    for (const std::u16string& path : fs.AllPaths()) {
      std::string bytes;
      if (fs.GetFile(path, &bytes))
        all[path] = bytes;
      else
        all[path] = "<folder>";
    }
    return all;
  }

  MemoryFileSystem fs;
};

TEST_F(VerifyStoreTest, SoundStoreOfBothFormsPassesWithTheBytesCountedAndTheStoreUntouched) {
  StorePlain(u"C\\a.txt", "hello");
  StoreCompressed(u"C\\docs\\big.log.zip", Big());
  StorePlain(u"C\\docs\\empty", "");
  const auto before = Snapshot();

  Recorder recorder;
  const VerifyReport report = VerifyStore(fs, kRoot, &recorder);
  EXPECT_TRUE(report.Sound());
  EXPECT_EQ(report.filesChecked, 3u);
  EXPECT_TRUE(report.damaged.empty());
  EXPECT_TRUE(report.missing.empty());
  EXPECT_TRUE(report.unknown.empty());
  EXPECT_EQ(report.bytesRead, 5u + Stored(u"C\\docs\\big.log.zip").size());
  EXPECT_EQ(recorder.progress, report.bytesRead);
  EXPECT_EQ(recorder.files.size(), 3u);
  EXPECT_EQ(VerifySummary(report), u"Verified 3 files: 3 sound, 0 damaged, 0 unknown; 0 missing. No damage found.");
  EXPECT_EQ(VerifyExitCode(report), 0);
  EXPECT_EQ(Snapshot(), before);
}

// The stored files stay as they are; the index learns which were damaged.
TEST_F(VerifyStoreTest, DamageIsListedWithItsReasonAndOnlyTheIndexLearnsOfIt) {
  StorePlain(u"C\\flipped.txt", "abcdef");
  StorePlain(u"C\\short.txt", "abcdef");
  const std::string big = Big();
  StoreCompressed(u"C\\docs\\cut.log.zip", big);
  StoreCompressed(u"C\\docs\\bitflip.log.zip", big);
  StoreCompressed(u"C\\docs\\notcontainer.zip", big);
  StorePlain(u"C\\unreadable.txt", "abcdef");

  Corrupt(u"C\\flipped.txt", "abcdeF");
  Corrupt(u"C\\short.txt", "abc");
  std::string cut = Stored(u"C\\docs\\cut.log.zip");
  Corrupt(u"C\\docs\\cut.log.zip", cut.substr(0, cut.size() - 10));
  // A flipped bit inside the first block's coded bytes.
  std::string flipped = Stored(u"C\\docs\\bitflip.log.zip");
  flipped[200] = static_cast<char>(flipped[200] ^ 0x01);
  Corrupt(u"C\\docs\\bitflip.log.zip", flipped);
  Corrupt(u"C\\docs\\notcontainer.zip", "PK\x03\x04 a person's own zip");
  fs.FailReadAt(u"F:\\QTRPMB\\C\\unreadable.txt", 2, kErrorReadFault);
  const auto before = Snapshot();

  const VerifyReport report = VerifyStore(fs, kRoot, nullptr);
  EXPECT_FALSE(report.Sound());
  std::vector<std::u16string> damaged = report.damaged;
  std::sort(damaged.begin(), damaged.end());
  std::u16string all;
  for (const auto& line : damaged) all += line + u"|";
  for (const auto& line : report.unknown) all += u"unknown " + line + u"|";
  ASSERT_EQ(damaged.size(), 6u) << std::string(all.begin(), all.end());
  EXPECT_EQ(damaged[0],
            u"F:\\QTRPMB\\C\\docs\\bitflip.log.zip;" + damaged[0].substr(damaged[0].find(u';') + 1));
  EXPECT_TRUE(damaged[0].ends_with(u";container does not decode") ||
              damaged[0].ends_with(u";content differs"));
  EXPECT_EQ(damaged[1], u"F:\\QTRPMB\\C\\docs\\cut.log.zip;container does not decode");
  EXPECT_EQ(damaged[2], u"F:\\QTRPMB\\C\\docs\\notcontainer.zip;not a compressed container");
  EXPECT_EQ(damaged[3], u"F:\\QTRPMB\\C\\flipped.txt;content differs");
  EXPECT_EQ(damaged[4], u"F:\\QTRPMB\\C\\short.txt;size differs");
  EXPECT_EQ(damaged[5], u"F:\\QTRPMB\\C\\unreadable.txt;read failed (error 30)");
  EXPECT_EQ(VerifySummary(report), u"Verified 6 files: 0 sound, 6 damaged, 0 unknown; 0 missing. The store is damaged.");
  EXPECT_EQ(VerifyExitCode(report), 1);
  const auto outsideIndex = [](std::map<std::u16string, std::string> files) {
    std::erase_if(files, [](const auto& file) { return file.first.starts_with(u"F:\\QTRPMB\\~index"); });
    return files;
  };
  EXPECT_EQ(outsideIndex(Snapshot()), outsideIndex(before));
  const StoreIndex index = StoreIndex::Load(fs, kRoot);
  EXPECT_TRUE(index.MarkedDamaged(u"F:\\QTRPMB\\C\\flipped.txt"));
  EXPECT_FALSE(index.MarkedDamaged(u"F:\\QTRPMB\\C\\docs\\notcontainer.zip"));
}

TEST_F(VerifyStoreTest, MissingUnknownAndChangedFilesAreToldApart) {
  StorePlain(u"C\\kept.txt", "kept");
  StorePlain(u"C\\gone.txt", "gone");
  StorePlain(u"C\\replaced.txt", "old");
  ASSERT_EQ(fs.RemoveFile(u"F:\\QTRPMB\\C\\gone.txt"), 0u);
  // Written over by someone else: a new time and a new size, which no entry recorded.
  fs.SetNow(uint64_t{133000000000000000});
  ASSERT_TRUE(fs.PutFile(u"F:\\QTRPMB\\C\\replaced.txt", "new content"));
  ASSERT_TRUE(fs.PutFile(u"F:\\QTRPMB\\C\\docs\\before-index.txt", "no entry"));
  // Outside the drive folders: not a stored file.
  ASSERT_TRUE(fs.PutFile(u"F:\\QTRPMB\\notes.txt", "x"));
  const auto before = Snapshot();

  const VerifyReport report = VerifyStore(fs, kRoot, nullptr);
  EXPECT_EQ(report.filesChecked, 1u);
  EXPECT_EQ(report.damaged, std::vector<std::u16string>{u"F:\\QTRPMB\\C\\replaced.txt;changed since it was backed up"});
  EXPECT_EQ(report.missing, std::vector<std::u16string>{u"F:\\QTRPMB\\C\\gone.txt"});
  EXPECT_EQ(report.unknown, std::vector<std::u16string>{u"F:\\QTRPMB\\C\\docs\\before-index.txt"});
  EXPECT_FALSE(report.Sound());
  EXPECT_EQ(VerifySummary(report), u"Verified 3 files: 1 sound, 1 damaged, 1 unknown; 1 missing. The store is damaged.");
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(VerifyStoreTest, StoreWithoutIndexListsEveryFileAsUnknownAndADamagedPieceIsReportedOnce) {
  ASSERT_TRUE(fs.PutFile(u"F:\\QTRPMB\\C\\a.txt", "a"));
  VerifyReport report = VerifyStore(fs, kRoot, nullptr);
  EXPECT_EQ(report.unknown, std::vector<std::u16string>{u"F:\\QTRPMB\\C\\a.txt"});
  EXPECT_TRUE(report.indexDamage.empty());
  // Nothing says what an unknown file should hold: not damaged, not verified either.
  EXPECT_FALSE(report.Sound());
  EXPECT_EQ(VerifyExitCode(report), 3);

  StorePlain(u"C\\b.txt", "b");
  std::unique_ptr<FolderListing> listing;
  ASSERT_EQ(fs.List(IndexFolderOf(kRoot), &listing), 0u);
  FindEntry piece;
  while (listing->Next(&piece) && piece.IsFolder()) {
  }
  listing.reset();
  const std::u16string piecePath = IndexFolderOf(kRoot) + u"\\" + piece.name;
  ASSERT_TRUE(fs.PutFile(piecePath, "<not xml"));
  report = VerifyStore(fs, kRoot, nullptr);
  EXPECT_FALSE(report.indexDamage.empty());
  EXPECT_EQ(report.unknown.size(), 2u);
  EXPECT_EQ(VerifyExitCode(report), 3);
}

TEST_F(VerifyStoreTest, StopEndsThePassAtOnceAndSaysSo) {
  StorePlain(u"C\\a.txt", "a");
  StorePlain(u"C\\b.txt", "b");
  StoreCompressed(u"C\\docs\\big.log.zip", Big());
  Recorder recorder;
  recorder.stopAfter = 3;
  const VerifyReport report = VerifyStore(fs, kRoot, &recorder);
  EXPECT_TRUE(report.stopped);
  EXPECT_FALSE(report.Sound());
  EXPECT_TRUE(report.missing.empty());  // a stopped walk says nothing of files it never reached
  EXPECT_LT(report.filesChecked, 3u);
  EXPECT_TRUE(VerifySummary(report).starts_with(u"Verify stopped after "));
}

}  // namespace
}  // namespace qtr
