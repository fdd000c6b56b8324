// Which files a walk puts on the list: system folders, reserved folders, the type filter.
#include <gtest/gtest.h>

#include <algorithm>

#include "JobFixture.h"
#include "engine/RestoreWalk.h"
#include "engine/SourceWalk.h"

namespace qtr {
namespace {

class SourceWalkTest : public test::JobFixture {
 protected:
  SourceWalkTest() {
    fs.AddVolume(u'D', MemoryFileSystem::Kind::kNtfs);
    for (const char16_t* path : {u"C:\\Windows\\w.dll", u"C:\\Program Files\\p.exe", u"C:\\Documents and Settings\\d.ini",
                                 u"C:\\Data\\Windows\\keep.txt", u"C:\\System Volume Information\\s.dat",
                                 u"C:\\RECYCLER\\r.dat", u"D:\\RECYCLER\\r.dat", u"D:\\Old\\RECYCLER\\kept.dat",
                                 u"C:\\Data\\left.txt.~qtrpart"})
      fs.PutFile(path, "x");
  }
  std::vector<std::u16string> Walk(std::u16string_view path) {
    auto job = NewJob(false);
    ScanBackupPath(*job, path, u"F:\\QTRPMB");
    auto list = job->walk.fileList;
    std::sort(list.begin(), list.end());
    return list;
  }
};

TEST_F(SourceWalkTest, TheSystemFolderRuleHoldsForTheBareSystemDriveOnly) {
  const auto bare = Walk(u"C:");
  EXPECT_EQ(std::count(bare.begin(), bare.end(), u"C:\\Windows\\w.dll"), 0);
  EXPECT_EQ(std::count(bare.begin(), bare.end(), u"C:\\Program Files\\p.exe"), 0);
  EXPECT_EQ(std::count(bare.begin(), bare.end(), u"C:\\Documents and Settings\\d.ini"), 0);
  EXPECT_EQ(std::count(bare.begin(), bare.end(), u"C:\\Data\\Windows\\keep.txt"), 1);
  const auto rooted = Walk(u"C:\\");
  EXPECT_EQ(std::count(rooted.begin(), rooted.end(), u"C:\\Windows\\w.dll"), 1);
  EXPECT_EQ(std::count(rooted.begin(), rooted.end(), u"C:\\Program Files\\p.exe"), 1);
  for (const auto& list : {bare, rooted}) {
    EXPECT_EQ(std::count(list.begin(), list.end(), u"C:\\System Volume Information\\s.dat"), 0);
    EXPECT_EQ(std::count(list.begin(), list.end(), u"C:\\RECYCLER\\r.dat"), 0);
    // A person's file of any name takes part, the copy pass's partial suffix too.
    EXPECT_EQ(std::count(list.begin(), list.end(), u"C:\\Data\\left.txt.~qtrpart"), 1);
  }
}

TEST_F(SourceWalkTest, IncludeSettingsBringTheSystemFoldersBack) {
  Settings("0", "0", "<WindowsFile>1</WindowsFile><ProgramFiles>1</ProgramFiles>");
  const auto list = Walk(u"C:");
  EXPECT_EQ(std::count(list.begin(), list.end(), u"C:\\Windows\\w.dll"), 1);
  EXPECT_EQ(std::count(list.begin(), list.end(), u"C:\\Program Files\\p.exe"), 1);
  EXPECT_EQ(std::count(list.begin(), list.end(), u"C:\\Documents and Settings\\d.ini"), 0);
}

TEST_F(SourceWalkTest, RecyclerIsSkippedOnlyDirectlyUnderADrive) {
  EXPECT_EQ(Walk(u"D:"), (std::vector<std::u16string>{u"D:\\Old\\RECYCLER\\kept.dat"}));
  EXPECT_EQ(Walk(u"D:\\Old"), (std::vector<std::u16string>{u"D:\\Old\\RECYCLER\\kept.dat"}));
}

TEST_F(SourceWalkTest, TypeFilterMatchesExtensionsWithoutCase) {
  auto job = NewJob(false);
  job->settings.typeFilter = u"jpg,PNG";
  EXPECT_EQ(MatchesTypeFilter(*job, u"Photo.JPG"), 1);
  EXPECT_EQ(MatchesTypeFilter(*job, u"shot.png"), 1);
  EXPECT_EQ(MatchesTypeFilter(*job, u"notes.txt"), 0);
  EXPECT_EQ(MatchesTypeFilter(*job, u"README"), 0);
  EXPECT_EQ(MatchesTypeFilter(*job, u".jpg"), 0);
  EXPECT_EQ(MatchesTypeFilter(*job, u"C:\\a.b\\readme"), 0);
  // The extension of a single selected file is its name's, never a folder's.
  job->settings.typeFilter = u"b";
  EXPECT_EQ(MatchesTypeFilter(*job, u"C:\\a.b\\readme"), 0);

  fs.PutFile(u"C:\\Pics\\Photo.JPG", "j");
  fs.PutFile(u"C:\\Pics\\notes.txt", "n");
  fs.PutFile(u"C:\\a.b\\readme", "r");
  job->settings.typeFilter = u"jpg";
  ScanBackupPath(*job, u"C:\\Pics", u"F:\\QTRPMB");
  ScanBackupPath(*job, u"C:\\a.b\\readme", u"F:\\QTRPMB");
  EXPECT_EQ(job->walk.fileList, (std::vector<std::u16string>{u"C:\\Pics\\Photo.JPG"}));
  EXPECT_EQ(job->counters.totalBytes, 1u);
}

TEST_F(SourceWalkTest, ReadOnlySingleFilesTakePartAndMissingOnesAreFailures) {
  fs.PutFile(u"C:\\ro.txt", "abc", kAttributeReadOnly);
  auto job = NewJob(false);
  ScanBackupPath(*job, u"C:\\ro.txt", u"F:\\QTRPMB");
  ScanBackupPath(*job, u"C:\\gone.txt", u"F:\\QTRPMB");
  EXPECT_EQ(job->walk.fileList, (std::vector<std::u16string>{u"C:\\ro.txt"}));
  EXPECT_EQ(job->counters.scannedCount, 1u);
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_TRUE(lines.lines[0].starts_with(u"C:\\gone.txt;Fail(2)")) << test::Narrow(lines.lines[0]);
}

TEST_F(SourceWalkTest, StoredWalkEntersOnlyTheStoreOfADriveAndSkipsPartialCopiesAndTheKeyCheckFile) {
  fs.PutFile(u"F:\\QTRPMB\\C\\a.txt", "a");
  fs.PutFile(u"F:\\QTRPMB\\D\\b.txt", "b");
  fs.PutFile(u"F:\\QTRPMB\\C\\a.txt.~qtrpart", "a person's file of that name");
  fs.PutFile(u"F:\\QTRPMB\\~partial\\1.~qtrpart", "partial");
  fs.PutFile(u"F:\\QTRPMB\\~key.bin", "the store's key check file");
  fs.PutFile(u"F:\\Other\\c.txt", "c");
  auto job = NewJob(true);
  ScanStoredPath(*job, u"F:\\QTRPMB\\~key.bin");
  EXPECT_TRUE(job->walk.fileList.empty());
  ScanStoredPath(*job, u"F:");
  EXPECT_EQ(job->walk.fileList,
            (std::vector<std::u16string>{u"F:\\QTRPMB\\C\\a.txt", u"F:\\QTRPMB\\C\\a.txt.~qtrpart",
                                         u"F:\\QTRPMB\\D\\b.txt"}));
  AddStoreRootDrives(*job, u"F:\\QTRPMB");
  EXPECT_EQ(job->results.restoreRoots, (std::vector<std::u16string>{u"C:\\", u"D:\\"}));
}

}  // namespace
}  // namespace qtr
