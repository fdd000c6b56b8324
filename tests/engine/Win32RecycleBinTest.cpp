// The Recycle Bin of the Win32 backend on a mapped drive, and a restore that
// puts a changed file there. Under Wine the bin is its trash folder,
// $XDG_DATA_HOME/Trash: the tests' own, which scripts/wine-env sets.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "JobFixture.h"
#include "SystemFiles.h"
#include "config/LanguageTable.h"
#include "engine/JobText.h"
#include "support/MappedDrive.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::FileBytes;
using test::Narrow;
using test::PutFile;
using test::W;

class Win32RecycleBinTest : public ::testing::Test {
 protected:
  Win32RecycleBinTest() : source_(L's', W(sourceFolder_.Path())), target_(L'f', W(targetFolder_.Path())) {
    program_ = programFolder_.Path() + u"\\";
  }
  void SetUp() override {
    wchar_t home[1024] = {};
    // Without a trash of the tests' own, files would land in the person's.
    if (GetEnvironmentVariableW(L"XDG_DATA_HOME", home, 1024) == 0 || home[0] != L'/')
      GTEST_SKIP() << "XDG_DATA_HOME is not set: run through scripts/wine-env with QTR_WINE_TESTS=1";
    trash_ = std::u16string(u"\\\\?\\unix") + std::u16string(home, home + wcslen(home)) + u"\\Trash\\files";
    for (auto& c : trash_)
      if (c == u'/') c = u'\\';
    ASSERT_TRUE(source_.Ok());
    ASSERT_TRUE(target_.Ok());
    // A name of this run's own: the trash keeps what earlier runs put there.
    const std::wstring tick = std::to_wstring(GetTickCount());
    tag_ = u"-" + std::u16string(tick.begin(), tick.end());
  }
  void TearDown() override {
    if (trash_.empty()) return;
    // What this run put in the trash goes, with the trash's notes on it.
    for (const std::u16string& folder : {trash_, trash_.substr(0, trash_.size() - 5) + u"info"}) {
      WIN32_FIND_DATAW data;
      const HANDLE h = FindFirstFileW((W(folder) + L"\\*" + W(tag_) + L"*").c_str(), &data);
      if (h == INVALID_HANDLE_VALUE) continue;
      do {
        const std::wstring path = W(folder) + L"\\" + data.cFileName;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      } while (FindNextFileW(h, &data));
      FindClose(h);
    }
  }
  // The trashed files whose names start with name: their bytes.
  std::vector<std::string> Trashed(const std::u16string& name) {
    std::vector<std::string> found;
    WIN32_FIND_DATAW data;
    const HANDLE h = FindFirstFileW((W(trash_) + L"\\" + W(name) + L"*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return found;
    do
      found.push_back(FileBytes(trash_ + u"\\" +
                                std::u16string(data.cFileName, data.cFileName + wcslen(data.cFileName))));
    while (FindNextFileW(h, &data));
    FindClose(h);
    return found;
  }
  // Names in folder other than the listed ones: what a recycle left behind.
  std::vector<std::u16string> Names(const std::u16string& folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW data;
    const HANDLE h = FindFirstFileW((L"\\\\?\\" + W(folder) + L"\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do
      if (data.cFileName[0] != L'.')
        names.emplace_back(data.cFileName, data.cFileName + wcslen(data.cFileName));
    while (FindNextFileW(h, &data));
    FindClose(h);
    return names;
  }
  std::unique_ptr<BackupJob> Run(bool restore) {
    test::WriteBytes(program_ + u"init.xml",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Setting><BackupStatus>0</BackupStatus>"
                     "<CompressFile>1</CompressFile></Setting>");
    test::WriteBytes(program_ + (restore ? u"restoreTempPath.xml" : u"backupfullpath.xml"),
                     std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Path><path path=\"") +
                         (restore ? "F:\\QTRPMB\\S\\Data" : "S:\\Data") + "\"/></Path>");
    auto job = std::make_unique<BackupJob>(SystemFileSystem(), lines_, program_);
    job->LoadIncludeFlags();
    job->settings.systemDrive = u"C:";
    job->settings.targetRoot = u"F:";
    job->settings.kind = restore ? JobKind::kRestore : JobKind::kBackup;
    RunJob(*job);
    return job;
  }

  test::TempFolder sourceFolder_, targetFolder_, programFolder_;
  test::MappedDrive source_, target_;
  std::u16string program_, trash_, tag_;
  test::LineCollector lines_;
};

TEST_F(Win32RecycleBinTest, AFileOnAMappedDriveGoesToTheTrashWholeAndLeavesNoSecondName) {
  const std::u16string name = u"note" + tag_ + u".txt", ro = u"read-only" + tag_ + u".txt";
  PutFile(u"S:\\Bin\\" + name, "the person's note");
  PutFile(u"S:\\Bin\\" + ro, "kept read-only");
  SetFileAttributesW((L"S:\\Bin\\" + W(ro)).c_str(), FILE_ATTRIBUTE_READONLY);
  PutFile(u"S:\\Bin\\stays.txt", "");

  EXPECT_EQ(SystemFileSystem().MoveToRecycleBin(u"S:\\Bin\\" + name), 0u);
  EXPECT_EQ(SystemFileSystem().MoveToRecycleBin(u"S:\\Bin\\" + ro), 0u);
  EXPECT_EQ(Trashed(name), (std::vector<std::string>{"the person's note"}));
  EXPECT_EQ(Trashed(ro), (std::vector<std::string>{"kept read-only"}));
  const DWORD attributes = GetFileAttributesW((W(trash_) + L"\\" + W(ro)).c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY) << attributes;
  EXPECT_EQ(Names(u"S:\\Bin"), (std::vector<std::u16string>{u"stays.txt"}));
  // Nothing there: an error, and nothing made.
  EXPECT_NE(SystemFileSystem().MoveToRecycleBin(u"S:\\Bin\\" + name), 0u);
  EXPECT_EQ(Names(u"S:\\Bin"), (std::vector<std::u16string>{u"stays.txt"}));
}

TEST_F(Win32RecycleBinTest, ARestoreOverAChangedFilePutsItInTheTrash) {
  const std::u16string changed = u"changed" + tag_ + u".txt", same = u"same" + tag_ + u".txt";
  PutFile(u"S:\\Data\\" + changed, "as backed up");
  PutFile(u"S:\\Data\\" + same, "never edited");
  auto job = Run(false);
  ASSERT_EQ(job->counters.finishedCount, 2u);
  PutFile(u"S:\\Data\\" + changed, "edited after the backup");

  job = Run(true);
  EXPECT_EQ(FileBytes(u"S:\\Data\\" + changed), "as backed up");
  EXPECT_EQ(FileBytes(u"S:\\Data\\" + same), "never edited");
  EXPECT_EQ(Trashed(changed), (std::vector<std::string>{"edited after the backup"}));
  EXPECT_TRUE(Trashed(same).empty());
  EXPECT_EQ(job->counters.recycledCount, 1u);
  EXPECT_EQ(job->counters.keptBesideCount, 0u);
  EXPECT_EQ(job->results.FailedFiles(), 0u);
  EXPECT_EQ(
      Narrow(SetAsideText(LanguageTable(), job->counters.recycledCount, job->counters.keptBesideCount)),
      "1 files on the PC that differed from their backup were moved to the Recycle Bin before the restore "
      "replaced them.");
}

}  // namespace
}  // namespace qtr
