// A backup keeps the stored copies it replaces as previous versions: moved
// in their old form into the job's version folder with their entries, kept
// for their days, and the first to go when the disk runs out of room.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "engine/StoreIndex.h"
#include "engine/StoreVersions.h"
#include "engine/JobText.h"
#include "engine/VerifyStore.h"
#include "engine/VersionPutBack.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

using test::Narrow;

constexpr char16_t kVersion[] = u"F:\\QTRPMB\\~versions\\2026-12-09 120000\\C\\D\\";

constexpr char kKeep30Days[] = "<VersionDays>30</VersionDays>";

class StoreVersionsTest : public test::JobFixture {
 protected:
  StoreVersionsTest() { Settings("0", "0", kKeep30Days); }
  // A backup of C:\D as the job of stamp starts it.
  std::unique_ptr<BackupJob> BackupAt(const char16_t* stamp) {
    Selection(u"backupfullpath.xml", {"C:\\D"});
    auto job = NewJob(false);
    job->settings.versionStamp = stamp;
    RunJob(*job);
    return job;
  }
  bool Exists(std::u16string_view path) {
    FindEntry e;
    return fs.Find(path, &e) == 0;
  }
  void ExpectSoundStore() {
    const VerifyReport report = VerifyStore(fs, u"F:\\QTRPMB", nullptr);
    EXPECT_TRUE(report.damaged.empty() && report.missing.empty() && report.unknown.empty())
        << report.damaged.size() << " damaged, " << report.missing.size() << " missing, "
        << report.unknown.size() << " unknown";
  }
};

TEST_F(StoreVersionsTest, AReplacedCopyMovesToTheJobsVersionFolderWithItsEntryAndVerifies) {
  fs.PutFile(u"C:\\D\\a.txt", "first words");
  fs.PutFile(u"C:\\D\\same.txt", "unchanged");
  BackupAt(u"2026-12-08 090000");
  EXPECT_FALSE(Exists(u"F:\\QTRPMB\\~versions")) << "a first backup replaces nothing";
  fs.PutFile(u"C:\\D\\a.txt", "second words, longer");
  const auto job = BackupAt(u"2026-12-09 120000");
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines.front());
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\a.txt"), "second words, longer");
  EXPECT_EQ(Content(std::u16string(kVersion) + u"a.txt"), "first words");
  // A full backup of an unchanged file stores the same bytes again: nothing to keep.
  EXPECT_FALSE(Exists(std::u16string(kVersion) + u"same.txt"));
  EXPECT_EQ(Attributes(u"F:\\QTRPMB\\~versions") & (kAttributeHidden | kAttributeSystem),
            kAttributeHidden | kAttributeSystem);
  const StoreIndex index = StoreIndex::Load(fs, u"F:\\QTRPMB");
  const StoreIndexEntry* kept = index.Find(u"~versions\\2026-12-09 120000\\C\\D\\a.txt");
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->sourceSize, 11u);
  EXPECT_EQ(kept->form, StoredForm::kPlain);
  ExpectSoundStore();

  // A second job in the same second gets a folder of its own.
  fs.PutFile(u"C:\\D\\a.txt", "third");
  BackupAt(u"2026-12-09 120000");
  EXPECT_EQ(Content(u"F:\\QTRPMB\\~versions\\2026-12-09 120000.2\\C\\D\\a.txt"), "second words, longer");
  EXPECT_EQ(Content(std::u16string(kVersion) + u"a.txt"), "first words");

  // A version folder restores to the places its files came from.
  const auto restore = Restore({"F:\\QTRPMB\\~versions\\2026-12-09 120000"});
  EXPECT_EQ(Content(u"C:\\D\\a.txt"), "first words");
  EXPECT_EQ(restore->results.restoreRoots, (std::vector<std::u16string>{u"C:\\"}));
}

TEST_F(StoreVersionsTest, AFormSwitchKeepsTheOldFormAsAVersion) {
  fs.PutFile(u"C:\\D\\a.txt", std::string(5000, 'a'));
  BackupAt(u"2026-12-08 090000");
  Settings("0", "1", kKeep30Days);
  BackupAt(u"2026-12-09 120000");
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines.front());
  EXPECT_TRUE(Exists(u"F:\\QTRPMB\\C\\D\\a.txt.zip"));
  EXPECT_FALSE(Exists(u"F:\\QTRPMB\\C\\D\\a.txt"));
  EXPECT_EQ(Content(std::u16string(kVersion) + u"a.txt"), std::string(5000, 'a'));
  const StoreIndex index = StoreIndex::Load(fs, u"F:\\QTRPMB");
  EXPECT_EQ(index.Find(u"C\\D\\a.txt"), nullptr);
  EXPECT_NE(index.Find(u"~versions\\2026-12-09 120000\\C\\D\\a.txt"), nullptr);
  ExpectSoundStore();
}

TEST_F(StoreVersionsTest, VersionsGoAfterTheirDaysAndTheOldestFirstWhenTheDiskIsFull) {
  fs.PutFile(u"C:\\D\\a.txt", "one");
  BackupAt(u"2026-10-01 080000");
  fs.PutFile(u"C:\\D\\a.txt", "two!");
  BackupAt(u"2026-11-20 080000");
  fs.PutFile(u"C:\\D\\a.txt", "three");
  BackupAt(u"2026-12-09 080000");
  ASSERT_EQ(ListVersionStamps(fs, u"F:\\QTRPMB"),
            (std::vector<std::u16string>{u"2026-12-09 080000", u"2026-11-20 080000"}));
  // 30 days on from 2026-11-20 the November folder goes, index entries first.
  fs.PutFile(u"C:\\D\\a.txt", "four");
  BackupAt(u"2026-12-21 080000");
  EXPECT_EQ(ListVersionStamps(fs, u"F:\\QTRPMB"),
            (std::vector<std::u16string>{u"2026-12-21 080000", u"2026-12-09 080000"}));
  EXPECT_EQ(StoreIndex::Load(fs, u"F:\\QTRPMB").Find(u"~versions\\2026-11-20 080000\\C\\D\\a.txt"), nullptr);
  ExpectSoundStore();

  // A big file on a nearly full disk: the oldest versions make room, one
  // less than a day old with a line.
  fs.PutFile(u"F:\\QTRPMB\\~versions\\2026-12-21 080000\\C\\D\\big.bin", std::string(20 << 20, 'v'));
  fs.PutFile(u"F:\\QTRPMB\\~versions\\2026-12-09 080000\\C\\D\\big.bin", std::string(20 << 20, 'w'));
  uint64_t free = 0;
  fs.FreeSpace(u"F:\\", &free);
  fs.SetCapacity(u'F', (uint64_t{1} << 40) - free + (10u << 20));
  fs.PutFile(u"C:\\D\\new.bin", std::string(30 << 20, 'n'));
  const auto job = BackupAt(u"2026-12-21 200000");
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\new.bin").size(), size_t{30} << 20);
  EXPECT_EQ(ListVersionStamps(fs, u"F:\\QTRPMB"), (std::vector<std::u16string>{}));
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_EQ(lines.lines[0],
            u"F:\\QTRPMB\\~versions\\2026-12-21 080000;" + job->settings.notes.versionRemovedForSpace);
}

// A link in the place of the versions folder: nothing expires through it,
// no version moves into it, and the replaced copy stays where it was.
TEST_F(StoreVersionsTest, AVersionsFolderThatIsALinkIsNeverWorkedThrough) {
  fs.PutFile(u"C:\\D\\a.txt", "first words");
  BackupAt(u"2026-12-08 090000");
  fs.PutFile(u"F:\\Elsewhere\\2026-01-01 000000\\C\\D\\a.txt", "not the store's");
  fs.AddLink(u"F:\\QTRPMB\\~versions", u"F:\\Elsewhere");
  fs.PutFile(u"C:\\D\\a.txt", "second words");
  BackupAt(u"2026-12-09 120000");
  EXPECT_EQ(Content(u"F:\\Elsewhere\\2026-01-01 000000\\C\\D\\a.txt"), "not the store's");
  EXPECT_FALSE(Exists(u"F:\\Elsewhere\\2026-12-09 120000"));
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\a.txt"), "first words");
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_EQ(lines.lines[0], u"F:\\QTRPMB\\C\\D\\a.txt;" + ErrorText(kErrorLinkNotFollowed));
  EXPECT_EQ(PutBackVersions(fs, u"F:\\QTRPMB", u"2026-01-01 000000", nullptr, nullptr), 0u);
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\a.txt"), "first words");
}

}  // namespace
}  // namespace qtr
