// The store index through the Win32 backend, on folders mapped as the source
// drive S: and the target drive F:: damaged stored files found on restore,
// and names that only the index tells apart.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "JobFixture.h"
#include "SystemFiles.h"
#include "Lz77Samples.h"
#include "engine/StoreIndex.h"
#include "support/MappedDrive.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::Narrow;

using test::W;
using test::PutFile;
using test::FileBytes;

std::string Noise(size_t size, uint32_t seed) {
  const auto bytes = test::RandomBytes(size, seed);
  return {bytes.begin(), bytes.end()};
}

class Win32StoreIndexTest : public ::testing::Test {
 protected:
  Win32StoreIndexTest() : source_(L's', W(sourceFolder_.Path())), target_(L'f', W(targetFolder_.Path())) {
    program_ = programFolder_.Path() + u"\\";
  }
  void SetUp() override {
    ASSERT_TRUE(source_.Ok());
    ASSERT_TRUE(target_.Ok());
    Settings("0");
  }
  void Settings(const char* compress) {
    test::WriteBytes(program_ + u"init.xml", std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Setting>") +
                                                 "<BackupStatus>0</BackupStatus><CompressFile>" + compress +
                                                 "</CompressFile></Setting>");
  }
  void Run(bool restore, const std::string& path) {
    test::WriteBytes(program_ + (restore ? u"restoreTempPath.xml" : u"backupfullpath.xml"),
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Path><path path=\"" + path + "\"/></Path>");
    BackupJob job(SystemFileSystem(), lines_, program_);
    job.LoadIncludeFlags();
    job.settings.systemDrive = u"S:";
    job.settings.targetRoot = u"F:";
    job.settings.kind = restore ? JobKind::kRestore : JobKind::kBackup;
    RunJob(job);
  }
  // Rewrites a stored file and gives it back its times, as damage on the disk would leave it.
  static void Damage(const std::u16string& path, const std::string& bytes) {
    FindEntry before;
    ASSERT_EQ(SystemFileSystem().Find(path, &before), 0u) << Narrow(path);
    SystemFileSystem().SetAttributes(path, kAttributeNormal);
    PutFile(path, bytes);
    ASSERT_EQ(SystemFileSystem().SetTimes(path, before.times), 0u);
    SystemFileSystem().SetAttributes(path, before.attributes & kSettableAttributes);
  }
  // Restores one stored file over a newer one of the person's; true when
  // the restore reported the stored file and kept the person's file.
  bool RestoreIsRefused(const std::u16string& stored, const std::u16string& original) {
    PutFile(original, "newer work");
    lines_.lines.clear();
    Run(true, Narrow(stored));
    bool reported = false;
    for (const auto& line : lines_.lines) reported = reported || line.starts_with(stored + u";");
    return reported && lines_.lines.size() == 1 && FileBytes(original) == "newer work";
  }

  test::TempFolder sourceFolder_, targetFolder_, programFolder_;
  test::MappedDrive source_, target_;
  std::u16string program_;
  test::LineCollector lines_;
};

TEST_F(Win32StoreIndexTest, CutsAndFlippedBitsOfAContainerAreFoundAndLeaveThePersonsFile) {
  // Noise makes raw blocks, text compressed ones.
  std::string text;
  while (text.size() < 150000) text += "the same line again and again, " + std::to_string(text.size()) + "\r\n";
  const std::string content = Noise(140000, 21) + text;
  Settings("1");
  PutFile(u"S:\\D\\mixed.bin", content);
  Run(false, "S:\\D");
  ASSERT_TRUE(lines_.lines.empty()) << Narrow(lines_.lines[0]);
  const std::u16string stored = u"F:\\QTRPMB\\S\\D\\mixed.bin.zip";
  const std::string container = FileBytes(stored);

  // The block boundaries, and one raw and one compressed block.
  std::vector<size_t> boundaries;
  size_t raw = 0, packed = 0;
  for (size_t at = 4; at + 4 <= container.size();) {
    boundaries.push_back(at);
    const uint32_t r16 = uint8_t(container[at]) | (uint32_t{uint8_t(container[at + 1])} << 8);
    const uint32_t s16 = uint8_t(container[at + 2]) | (uint32_t{uint8_t(container[at + 3])} << 8);
    const uint32_t s = s16 == r16 ? (r16 == 0 ? 65536 : r16) : s16;
    (s16 == r16 ? raw : packed) = at;
    at += 4 + s;
  }
  ASSERT_GE(boundaries.size(), 4u);
  ASSERT_NE(raw, 0u);
  ASSERT_NE(packed, 0u);

  for (const size_t cut : boundaries) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    Damage(stored, container.substr(0, cut));
    EXPECT_TRUE(RestoreIsRefused(stored, u"S:\\D\\mixed.bin"));
  }
  for (const size_t block : {raw, packed}) {
    SCOPED_TRACE("bit flipped in the block at " + std::to_string(block));
    std::string flipped = container;
    flipped[block + 4 + 100] ^= 0x04;
    Damage(stored, flipped);
    EXPECT_TRUE(RestoreIsRefused(stored, u"S:\\D\\mixed.bin"));
  }
  // Put right again, it restores.
  Damage(stored, container);
  lines_.lines.clear();
  Run(true, "F:\\QTRPMB\\S\\D");
  EXPECT_TRUE(lines_.lines.empty()) << Narrow(lines_.lines[0]);
  EXPECT_EQ(FileBytes(u"S:\\D\\mixed.bin"), content);
}

TEST_F(Win32StoreIndexTest, ASwappedStoredFileIsFoundAndALostIndexRestoresByTheOldRules) {
  const std::string x = Noise(5000, 22), y = Noise(5000, 23);
  PutFile(u"S:\\D\\x.bin", x);
  PutFile(u"S:\\D\\y.bin", y);
  Run(false, "S:\\D");
  ASSERT_TRUE(lines_.lines.empty()) << Narrow(lines_.lines[0]);
  // y's bytes under x's name and times.
  Damage(u"F:\\QTRPMB\\S\\D\\x.bin", y);
  EXPECT_TRUE(RestoreIsRefused(u"F:\\QTRPMB\\S\\D\\x.bin", u"S:\\D\\x.bin"));

  // Without an index nothing is known: the stored files restore as they are.
  std::unique_ptr<FolderListing> listing;
  ASSERT_EQ(SystemFileSystem().List(u"F:\\QTRPMB\\~index", &listing), 0u);
  std::vector<std::u16string> pieces;
  FindEntry entry;
  while (listing->Next(&entry)) pieces.push_back(u"F:\\QTRPMB\\~index\\" + entry.name);
  listing.reset();
  ASSERT_FALSE(pieces.empty());
  for (const auto& piece : pieces) ASSERT_EQ(SystemFileSystem().RemoveFile(piece), 0u);
  lines_.lines.clear();
  Run(true, "F:\\QTRPMB\\S\\D");
  EXPECT_TRUE(lines_.lines.empty()) << Narrow(lines_.lines[0]);
  EXPECT_EQ(FileBytes(u"S:\\D\\x.bin"), y);
  EXPECT_EQ(FileBytes(u"S:\\D\\y.bin"), y);
}

TEST_F(Win32StoreIndexTest, NamesakesAndContainerLookalikesComeBackByteForByte) {
  VolumeInfo volume;
  ASSERT_EQ(SystemFileSystem().GetVolumeInfo(u"F:\\", &volume), 0u);
  std::printf("mapped drive: %s, per-file compression %s\n", Narrow(volume.fileSystemName).c_str(),
              volume.supportsFileCompression ? "yes" : "no");
  const std::string lookalike = std::string("\xFF\xFF\xFF\xFF", 4) + Noise(3000, 24);
  const std::string a = Noise(20000, 25), aZip = Noise(9000, 26), b = "the real b";
  for (const char* compress : {"0", "1"}) {
    SCOPED_TRACE(std::string("compress ") + compress);
    Settings(compress);
    PutFile(u"S:\\N\\a", a);
    PutFile(u"S:\\N\\a.zip", aZip);
    PutFile(u"S:\\N\\b", b);
    PutFile(u"S:\\N\\b.zip", lookalike);
    lines_.lines.clear();
    Run(false, "S:\\N");
    ASSERT_TRUE(lines_.lines.empty()) << Narrow(lines_.lines[0]);
    for (const auto* name : {u"S:\\N\\a", u"S:\\N\\a.zip", u"S:\\N\\b", u"S:\\N\\b.zip"}) PutFile(name, "later");
    Run(true, "F:\\QTRPMB\\S\\N");
    EXPECT_TRUE(lines_.lines.empty()) << Narrow(lines_.lines[0]);
    EXPECT_EQ(FileBytes(u"S:\\N\\a"), a);
    EXPECT_EQ(FileBytes(u"S:\\N\\a.zip"), aZip);
    EXPECT_EQ(FileBytes(u"S:\\N\\b"), b);
    EXPECT_EQ(FileBytes(u"S:\\N\\b.zip"), lookalike);
  }
}

}  // namespace
}  // namespace qtr
