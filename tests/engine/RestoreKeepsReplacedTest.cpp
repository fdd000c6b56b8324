// A restore keeps the files of the PC it replaces when they differ from
// what it restores: in the Recycle Bin of their volume, or beside the
// restored file under a dated name; a file it can keep neither way stays
// as it is.
#include <gtest/gtest.h>

#include <algorithm>

#include "JobFixture.h"
#include "config/LanguageTable.h"
#include "engine/JobText.h"
#include "engine/ReplacedFileKeeper.h"

namespace qtr {
namespace {

using test::Narrow;

class RestoreKeepsReplacedTest : public test::JobFixture {
 protected:
  std::unique_ptr<BackupJob> RestoreData() {
    Selection(u"restoreTempPath.xml", {"F:\\QTRPMB\\C\\Data"});
    auto job = NewJob(true);
    job->settings.setAsideStamp = u"2026-12-09 1830";
    RunJob(*job);
    return job;
  }
  std::string Bytes(std::u16string_view path) {
    std::string bytes;
    EXPECT_TRUE(fs.GetFile(path, &bytes)) << Narrow(path);
    return bytes;
  }
  bool AnyPartialLeft() {
    const auto paths = fs.AllPaths();
    return std::any_of(paths.begin(), paths.end(), [](const std::u16string& p) {
      return Narrow(p).find("C:\\Data") == 0 && Narrow(p).find(".qtr") != std::string::npos;
    });
  }
  bool HasLine(std::string_view start, std::string_view contains) {
    return std::any_of(lines.lines.begin(), lines.lines.end(), [&](const std::u16string& line) {
      const std::string text = Narrow(line);
      return text.starts_with(start) && text.find(contains) != std::string::npos;
    });
  }
};

TEST_F(RestoreKeepsReplacedTest, AChangedFileGoesToTheRecycleBinAndAnIdenticalOneIsReplacedInPlace) {
  fs.PutFile(u"C:\\Data\\edited.txt", "as backed up");
  fs.PutFile(u"C:\\Data\\same-size.txt", "12345678");
  fs.PutFile(u"C:\\Data\\untouched.txt", "still the same");
  fs.PutFile(u"C:\\Data\\deleted.txt", "gone from the PC");
  fs.PutFile(u"C:\\Data\\read-only.txt", "old");
  Backup({"C:\\Data"});
  fs.PutFile(u"C:\\Data\\edited.txt", "edited after the backup, and longer");
  fs.PutFile(u"C:\\Data\\same-size.txt", "87654321");  // only the content tells it apart
  fs.RemoveFile(u"C:\\Data\\deleted.txt");
  fs.SetAttributes(u"C:\\Data\\read-only.txt", kAttributeNormal);
  fs.PutFile(u"C:\\Data\\read-only.txt", "new", kAttributeReadOnly);
  lines.lines.clear();

  auto job = RestoreData();
  EXPECT_EQ(Bytes(u"C:\\Data\\edited.txt"), "as backed up");
  EXPECT_EQ(Bytes(u"C:\\Data\\same-size.txt"), "12345678");
  EXPECT_EQ(Bytes(u"C:\\Data\\deleted.txt"), "gone from the PC");
  EXPECT_EQ(Bytes(u"C:\\Data\\read-only.txt"), "old");
  std::vector<std::pair<std::u16string, std::string>> recycled = fs.RecycledFiles();
  std::sort(recycled.begin(), recycled.end());
  EXPECT_EQ(recycled, (std::vector<std::pair<std::u16string, std::string>>{
                          {u"C:\\Data\\edited.txt", "edited after the backup, and longer"},
                          {u"C:\\Data\\read-only.txt", "new"},
                          {u"C:\\Data\\same-size.txt", "87654321"}}));
  EXPECT_EQ(job->counters.recycledCount, 3u);
  EXPECT_EQ(job->counters.keptBesideCount, 0u);
  EXPECT_EQ(job->counters.finishedCount, 5u);
  EXPECT_EQ(job->results.FailedFiles(), 0u);
  // The bin tells where each came from; the completion gives the count.
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines.empty() ? u"" : lines.lines[0]);

  // Restored again at once: every file holds what is restored, nothing more goes to the bin.
  job = RestoreData();
  EXPECT_EQ(fs.RecycledFiles().size(), 3u);
  EXPECT_EQ(job->counters.recycledCount, 0u);
  EXPECT_EQ(job->counters.finishedCount, 5u);
  fs.SetAttributes(u"C:\\Data\\read-only.txt", kAttributeNormal);
}

TEST_F(RestoreKeepsReplacedTest, WithoutARecycleBinTheFileIsKeptBesideUnderADatedName) {
  fs.SetRecycleBin(u'C', false);
  fs.PutFile(u"C:\\Data\\report.docx", "report as backed up");
  Backup({"C:\\Data"});
  fs.PutFile(u"C:\\Data\\report.docx", "report edited");
  lines.lines.clear();

  auto job = RestoreData();
  EXPECT_EQ(Bytes(u"C:\\Data\\report.docx"), "report as backed up");
  EXPECT_EQ(Bytes(u"C:\\Data\\report (before restore 2026-12-09 1830).docx"), "report edited");
  EXPECT_EQ(job->counters.keptBesideCount, 1u);
  EXPECT_EQ(job->counters.recycledCount, 0u);
  EXPECT_TRUE(fs.RecycledFiles().empty());
  EXPECT_TRUE(HasLine("C:\\Data\\report.docx;",
                      "kept beside the restored file as report (before restore "
                      "2026-12-09 1830).docx"));
  EXPECT_EQ(job->results.FailedFiles(), 0u);

  // Edited and restored again within the minute: the name taken stays, the next one is numbered.
  fs.PutFile(u"C:\\Data\\report.docx", "edited once more");
  job = RestoreData();
  EXPECT_EQ(Bytes(u"C:\\Data\\report (before restore 2026-12-09 1830).docx"), "report edited");
  EXPECT_EQ(Bytes(u"C:\\Data\\report (before restore 2026-12-09 1830 2).docx"), "edited once more");
  EXPECT_EQ(Bytes(u"C:\\Data\\report.docx"), "report as backed up");
}

TEST_F(RestoreKeepsReplacedTest, AFileThatCannotBeSetAsideIsNotReplaced) {
  fs.PutFile(u"C:\\Data\\locked.txt", "as backed up");
  fs.PutFile(u"C:\\Data\\refused.txt", "as backed up");
  fs.PutFile(u"C:\\Data\\other.txt", "as backed up");
  Backup({"C:\\Data"});
  for (const char16_t* path : {u"C:\\Data\\locked.txt", u"C:\\Data\\refused.txt", u"C:\\Data\\other.txt"})
    fs.PutFile(path, "the person's newer work");
  // The bin refuses both; only the second may be renamed beside.
  fs.FailRecycle(u"C:\\Data\\locked.txt", kErrorAccessDenied);
  fs.FailRecycle(u"C:\\Data\\refused.txt", kErrorAccessDenied);
  fs.FailRenamesTo(u"C:\\Data\\locked (", kErrorAccessDenied);
  lines.lines.clear();

  auto job = RestoreData();
  EXPECT_EQ(Bytes(u"C:\\Data\\locked.txt"), "the person's newer work");
  EXPECT_TRUE(HasLine("C:\\Data\\locked.txt;", "could not be set aside, so it was not replaced: Fail(5)"));
  EXPECT_EQ(job->results.FailedFiles(), 1u);
  EXPECT_EQ(Bytes(u"C:\\Data\\refused.txt"), "as backed up");
  EXPECT_EQ(Bytes(u"C:\\Data\\refused (before restore 2026-12-09 1830).txt"), "the person's newer work");
  EXPECT_EQ(Bytes(u"C:\\Data\\other.txt"), "as backed up");
  EXPECT_EQ(job->counters.recycledCount, 1u);
  EXPECT_EQ(job->counters.keptBesideCount, 1u);
  EXPECT_EQ(job->counters.finishedCount, 2u);
  EXPECT_FALSE(AnyPartialLeft());
}

// The power fails at every step of a restore over a changed file on a
// volume without a bin, on NTFS and on FAT32: whatever reached the disk,
// the person's file is whole under its own name or under the kept one, and
// its own name holds it, the restored copy or, while it is kept, nothing.
TEST(RestoreKeepsReplacedPowerCutTest, ThePersonsFileIsWholeUnderOneOfItsNamesAtEveryStep) {
  const std::string backedUp(70000, 'b'), edited(90000, 'e');
  const std::u16string own = u"C:\\Data\\doc.txt",
                       kept = u"C:\\Data\\doc (before restore 2026-12-09 1830).txt";
  for (const auto kind : {MemoryFileSystem::Kind::kNtfs, MemoryFileSystem::Kind::kFat32}) {
    int cuts = 0;
    for (uint64_t steps = 0;; ++steps) {
      MemoryFileSystem fs;
      fs.AddVolume(u'C', kind);
      fs.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs);
      fs.SetRecycleBin(u'C', false);
      test::LineCollector lines;
      fs.PutFile(u"C:\\Prog\\init.xml",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Setting><BackupStatus>0</BackupStatus>"
                 "<CompressFile>0</CompressFile></Setting>");
      fs.PutFile(u"C:\\Prog\\backupfullpath.xml",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Path><path path=\"C:\\Data\"/></Path>");
      fs.PutFile(own, backedUp);
      for (const JobKind kindOfJob : {JobKind::kBackup, JobKind::kRestore}) {
        if (kindOfJob == JobKind::kRestore) {
          // Read by the restore, and gone once a job ends.
          fs.PutFile(u"C:\\Prog\\restoreTempPath.xml",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Path><path "
                     "path=\"F:\\QTRPMB\\C\\Data\"/></Path>");
          fs.PutFile(own, edited);
          fs.CutPowerAfter(u'C', steps);
        }
        BackupJob job(fs, lines, u"C:\\Prog\\");
        job.LoadIncludeFlags();
        job.settings.systemDrive = u"C:";
        job.settings.targetRoot = u"F:";
        job.settings.kind = kindOfJob;
        job.settings.setAsideStamp = u"2026-12-09 1830";
        RunJob(job);
      }
      if (!fs.PowerWasCut()) break;
      ++cuts;
      const size_t pending = fs.PendingChanges();
      for (uint64_t survivors = 0; survivors < (uint64_t{1} << (pending < 10 ? pending : 10)); ++survivors) {
        SCOPED_TRACE("cut after " + std::to_string(steps) + " changes, survivors " +
                     std::to_string(survivors));
        const auto files = fs.FilesAfterRestart(survivors);
        const auto at = [&](const std::u16string& path) {
          const auto found = files.find(path);
          return found == files.end() ? std::string("<none>") : found->second;
        };
        const std::string inOwn = at(own), inKept = at(kept);
        EXPECT_TRUE(inOwn == edited || inKept == edited) << inOwn.size() << " / " << inKept.size();
        EXPECT_TRUE(inOwn == edited || inOwn == backedUp || (inOwn == "<none>" && inKept == edited))
            << "a damaged file of " << inOwn.size() << " bytes";
        if (::testing::Test::HasFailure()) return;
      }
    }
    EXPECT_GT(cuts, 3);
  }
}

TEST(KeptBesideNameTest, TheWordsAndStampGoBeforeTheExtension) {
  const std::u16string stamp = u"2026-12-09 1830";
  EXPECT_EQ(Narrow(KeptBesideName(u"C:\\d\\report.docx", u"before restore", stamp)),
            "C:\\d\\report (before restore 2026-12-09 1830).docx");
  EXPECT_EQ(Narrow(KeptBesideName(u"C:\\d\\report.docx", u"before restore", stamp, 3)),
            "C:\\d\\report (before restore 2026-12-09 1830 3).docx");
  EXPECT_EQ(Narrow(KeptBesideName(u"C:\\v1.2\\Makefile", u"before restore", stamp)),
            "C:\\v1.2\\Makefile (before restore 2026-12-09 1830)");
  EXPECT_EQ(Narrow(KeptBesideName(u"C:\\home\\.profile", u"before restore", stamp)),
            "C:\\home\\.profile (before restore 2026-12-09 1830)");
  EXPECT_EQ(Narrow(KeptBesideName(u"C:\\a.tar.gz", u"before restore", stamp)),
            "C:\\a.tar (before restore 2026-12-09 1830).gz");
  // A language's words with characters no name may hold, and none at all.
  EXPECT_EQ(Narrow(KeptBesideName(u"C:\\a.txt", u"before: \"restore\"?", stamp)),
            "C:\\a (before restore 2026-12-09 1830).txt");
  EXPECT_EQ(Narrow(KeptBesideName(u"C:\\a.txt", u"", stamp)), "C:\\a (2026-12-09 1830).txt");
  // A name at the longest a volume takes stays within it, extension kept.
  const std::u16string longName = u"C:\\d\\" + std::u16string(251, u'n') + u".txt";
  const std::u16string kept = KeptBesideName(longName, u"before restore", stamp);
  EXPECT_EQ(kept.size() - 5, 255u);
  EXPECT_EQ(Narrow(kept.substr(kept.size() - 38)), "n (before restore 2026-12-09 1830).txt");
  EXPECT_EQ(SetAsideStampNow().size(), stamp.size());
}

TEST(SetAsideTextTest, TheCompletionCountsEachWayApart) {
  const LanguageTable english;
  EXPECT_EQ(Narrow(SetAsideText(english, 0, 0)), "");
  EXPECT_EQ(
      Narrow(SetAsideText(english, 2, 0)),
      "2 files on the PC that differed from their backup were moved to the Recycle Bin before the restore "
      "replaced them.");
  EXPECT_EQ(
      Narrow(SetAsideText(english, 3, 1)),
      "3 files on the PC that differed from their backup were moved to the Recycle Bin before the restore "
      "replaced them.\n1 files on the PC that differed from their backup were kept beside the restored "
      "files, with \"before restore\" and the date in their names.");
}

}  // namespace
}  // namespace qtr
