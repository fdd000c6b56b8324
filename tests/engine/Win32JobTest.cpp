// Whole jobs through the Win32 backend, with folders mapped as the source
// drive S: and the target drive F:.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <thread>

#include "JobFixture.h"
#include "SystemFiles.h"
#include "engine/JobText.h"
#include "engine/SourceWalk.h"
#include "engine/StoreLayout.h"
#include "support/MappedDrive.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::Narrow;

using test::W;
using test::PutFile;
using test::FileBytes;

class Win32JobTest : public ::testing::Test {
 protected:
  Win32JobTest()
      : source_(L's', W(sourceFolder_.Path())), target_(L'f', W(targetFolder_.Path())) {
    program_ = programFolder_.Path() + u"\\";
  }
  void SetUp() override {
    ASSERT_TRUE(source_.Ok());
    ASSERT_TRUE(target_.Ok());
    Settings("0", "0");
  }

  void Settings(const char* changedOnly, const char* compress) {
    test::WriteBytes(program_ + u"init.xml", std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Setting>") +
                                                 "<BackupStatus>" + changedOnly + "</BackupStatus><CompressFile>" +
                                                 compress + "</CompressFile></Setting>");
  }
  std::unique_ptr<BackupJob> Run(bool restore, const std::vector<std::string>& paths, bool stop = false) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Path>";
    for (const auto& p : paths) xml += "<path path=\"" + p + "\"/>";
    test::WriteBytes(program_ + (restore ? u"restoreTempPath.xml" : u"backupfullpath.xml"), xml + "</Path>");
    auto job = std::make_unique<BackupJob>(SystemFileSystem(), lines_, program_);
    job->LoadIncludeFlags();
    job->settings.systemDrive = u"S:";
    job->settings.targetRoot = u"F:";
    job->settings.kind = restore ? JobKind::kRestore : JobKind::kBackup;
    job->control.stop = stop;
    RunJob(*job);
    return job;
  }
  static FindEntry Entry(const std::u16string& path) {
    FindEntry e;
    SystemFileSystem().Find(path, &e);
    return e;
  }
  static bool Exists(const std::u16string& path) {
    uint32_t a = 0;
    return SystemFileSystem().GetAttributes(path, &a) == 0;
  }

  test::TempFolder sourceFolder_, targetFolder_, programFolder_;
  test::MappedDrive source_, target_;
  std::u16string program_;
  test::LineCollector lines_;
};

// A folder path deeper than MAX_PATH.
std::u16string Deep() {
  std::u16string path = u"S:\\Data";
  for (int k = 0; k < 12; ++k) path += u"\\a-rather-long-folder-name-" + std::u16string(1, u'a' + k);
  return path;
}

TEST_F(Win32JobTest, BackupAndRestorePlainAndCompressedWithChangedOnlyRuns) {
  const std::string big(3 << 20, 'b');
  PutFile(u"S:\\Data\\a.txt", "alpha");
  PutFile(u"S:\\Data\\big.bin", big);
  PutFile(u"S:\\Data\\ro.txt", "read-only");
  PutFile(Deep() + u"\\deep.txt", "deep");
  ASSERT_GT(Deep().size(), 300u);
  SetFileAttributesW(L"S:\\Data\\ro.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  SystemFileSystem().SetTimes(u"S:\\Data\\a.txt", {130000000000000000, 130000000010000000, 130000000020000000});
  SystemFileSystem().SetAttributes(u"S:\\Data\\a.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);

  auto job = Run(false, {"S:\\Data"});
  EXPECT_EQ(job->counters.finishedCount, 4u);
  EXPECT_EQ(FileBytes(u"F:\\QTRPMB\\S\\Data\\big.bin"), big);
  EXPECT_EQ(FileBytes(MapToStored(u"F:\\QTRPMB", Deep() + u"\\deep.txt")), "deep");
  const FindEntry stored = Entry(u"F:\\QTRPMB\\S\\Data\\a.txt");
  EXPECT_EQ(stored.attributes, static_cast<uint32_t>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(stored.times.lastWrite, 130000000020000000u);
  // The times as the source had them before the copy read it (a read may move its last-access time).
  EXPECT_EQ(stored.times.lastAccess, 130000000010000000u);
  EXPECT_EQ(stored.times.creation, Entry(u"S:\\Data\\a.txt").times.creation);
  EXPECT_EQ(Entry(u"F:\\QTRPMB\\S\\Data\\ro.txt").attributes & FILE_ATTRIBUTE_READONLY, 1u);
  EXPECT_EQ(Entry(u"F:\\QTRPMB\\S\\Data\\ro.txt").times.lastWrite, Entry(u"S:\\Data\\ro.txt").times.lastWrite);

  // Changed-only: nothing again, then the one rewritten file and the one touched in its attributes.
  Settings("1", "0");
  EXPECT_EQ(Run(false, {"S:\\Data"})->counters.scannedCount, 0u);
  Sleep(20);
  PutFile(u"S:\\Data\\big.bin", std::string(3 << 20, 'c'));
  SystemFileSystem().SetAttributes(u"S:\\Data\\a.txt", FILE_ATTRIBUTE_ARCHIVE);
  job = Run(false, {"S:\\Data"});
  std::vector<std::u16string> copied = job->walk.fileList;
  std::sort(copied.begin(), copied.end());
  EXPECT_EQ(copied, (std::vector<std::u16string>{u"S:\\Data\\a.txt", u"S:\\Data\\big.bin"}));
  EXPECT_EQ(FileBytes(u"F:\\QTRPMB\\S\\Data\\big.bin"), std::string(3 << 20, 'c'));

  // Compressed, still changed-only: every file once into its container, then nothing.
  Settings("1", "1");
  EXPECT_EQ(Run(false, {"S:\\Data"})->counters.scannedCount, 4u);
  EXPECT_FALSE(Exists(u"F:\\QTRPMB\\S\\Data\\big.bin"));
  EXPECT_LT(Entry(u"F:\\QTRPMB\\S\\Data\\big.bin.zip").size, 10000u);
  EXPECT_EQ(Run(false, {"S:\\Data"})->counters.scannedCount, 0u);

  // Restore over a read-only destination and into a deleted tree.
  SetFileAttributesW(L"S:\\Data\\big.bin", FILE_ATTRIBUTE_NORMAL);
  PutFile(u"S:\\Data\\big.bin", "spoiled");
  SetFileAttributesW(L"S:\\Data\\big.bin", FILE_ATTRIBUTE_READONLY);
  SystemFileSystem().RemoveFile(Deep() + u"\\deep.txt");
  Settings("0", "0");
  job = Run(true, {"F:\\QTRPMB\\S\\Data"});
  EXPECT_EQ(FileBytes(u"S:\\Data\\big.bin"), std::string(3 << 20, 'c'));
  EXPECT_EQ(FileBytes(Deep() + u"\\deep.txt"), "deep");
  EXPECT_FALSE(Exists(u"S:\\Data\\big.bin.zip"));
  EXPECT_EQ(Entry(u"S:\\Data\\ro.txt").attributes & FILE_ATTRIBUTE_READONLY, 1u);
  EXPECT_EQ(job->results.restoreRoots, (std::vector<std::u16string>{u"S:\\Data"}));
  EXPECT_TRUE(lines_.lines.empty()) << Narrow(lines_.lines.empty() ? u"" : lines_.lines[0]);
  // The spoiled file went to the Recycle Bin before its restored copy replaced it.
  EXPECT_EQ(job->counters.recycledCount, 1u);
  SetFileAttributesW(L"S:\\Data\\ro.txt", FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesW(L"F:\\QTRPMB\\S\\Data\\ro.txt.zip", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32JobTest, SystemFolderAndReservedFolderRules) {
  for (const char16_t* path : {u"S:\\Windows\\w.dll", u"S:\\System Volume Information\\s.dat",
                               u"S:\\RECYCLER\\r.dat", u"S:\\Data\\Windows\\keep.txt", u"S:\\Data\\p.jpg"})
    PutFile(path, "x");
  auto walk = [&](std::u16string_view path, std::u16string_view filter) {
    BackupJob job(SystemFileSystem(), lines_, program_);
    job.settings.systemDrive = u"S:";
    job.settings.typeFilter = std::u16string(filter);
    ScanBackupPath(job, path, u"F:\\QTRPMB");
    auto list = job.walk.fileList;
    std::sort(list.begin(), list.end());
    return list;
  };
  EXPECT_EQ(walk(u"S:", u""), (std::vector<std::u16string>{u"S:\\Data\\Windows\\keep.txt", u"S:\\Data\\p.jpg"}));
  EXPECT_EQ(walk(u"S:\\", u""), (std::vector<std::u16string>{u"S:\\Data\\Windows\\keep.txt", u"S:\\Data\\p.jpg",
                                                             u"S:\\Windows\\w.dll"}));
  EXPECT_EQ(walk(u"S:\\", u"JPG"), (std::vector<std::u16string>{u"S:\\Data\\p.jpg"}));
}

TEST_F(Win32JobTest, AFileInUseIsAFailureLineAndTheJobGoesOn) {
  PutFile(u"S:\\Data\\locked.txt", "locked");
  PutFile(u"S:\\Data\\free.txt", "free");
  // Held open without sharing: it cannot be read.
  HANDLE held = CreateFileW(L"S:\\Data\\locked.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  // Listed by the walk of its folder, it fails when the copy opens it.
  auto job = Run(false, {"S:\\Data"});
  CloseHandle(held);
  EXPECT_EQ(FileBytes(u"F:\\QTRPMB\\S\\Data\\free.txt"), "free");
  EXPECT_FALSE(Exists(u"F:\\QTRPMB\\S\\Data\\locked.txt"));
  ASSERT_EQ(lines_.lines.size(), 1u);
  EXPECT_EQ(Narrow(lines_.lines[0]), Narrow(u"S:\\Data\\locked.txt;" + ErrorText(32)));
}

TEST_F(Win32JobTest, StopsLeaveTheOldStoredCopyAndNoPartialOne) {
  PutFile(u"S:\\Data\\huge.bin", std::string(24 << 20, 'h'));
  Run(false, {"S:\\Data"});
  PutFile(u"S:\\Data\\huge.bin", std::string(24 << 20, 'n'));
  test::WriteBytes(program_ + u"backupfullpath.xml",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Path><path path=\"S:\\Data\"/></Path>");
  BackupJob job(SystemFileSystem(), lines_, program_);
  job.settings.systemDrive = u"S:";
  job.settings.targetRoot = u"F:";
  JobThread worker;
  worker.Start([&] { RunJob(job); });
  while (job.counters.currentDone == 0 && !worker.Ended()) std::this_thread::yield();
  job.control.pause.Close();  // halts the worker at its next piece, as the stop question does
  job.control.stop = 1;
  job.control.pause.Open();
  worker.Join();
  EXPECT_EQ(FileBytes(u"F:\\QTRPMB\\S\\Data\\huge.bin"), std::string(24 << 20, 'h'));
  EXPECT_FALSE(Exists(u"F:\\QTRPMB\\S\\Data\\huge.bin.~qtrpart"));
  EXPECT_FALSE(Exists(u"F:\\QTRPMB\\~partial\\0.~qtrpart"));

  // Stopped before the walk: nothing is written.
  PutFile(u"S:\\Data\\new.txt", "new");
  Run(false, {"S:\\Data"}, true);
  EXPECT_FALSE(Exists(u"F:\\QTRPMB\\S\\Data\\new.txt"));
  EXPECT_TRUE(lines_.lines.empty());
}

// Unix links as Wine shows them: listed with the reparse point attribute,
// opened as the folder they lead to. The partial folder as a link to a
// person's folder had the backup delete every file there; a link to its
// parent in a source folder stored the tree again at every level.
TEST_F(Win32JobTest, LinksAsThePartialFolderAndInASourceAreNeitherFollowedNorChanged) {
  test::TempFolder person;
  PutFile(person.File(u"letter.txt"), "dear");
  PutFile(person.File(u"3.~qtrpart"), "mine");
  PutFile(u"S:\\tree\\a.txt", "aaa");
  ASSERT_TRUE(CreateDirectoryW(L"F:\\QTRPMB", nullptr));
  ASSERT_TRUE(test::PlantHostLink(L"F:\\QTRPMB\\~partial", W(person.Path())));
  ASSERT_TRUE(test::PlantHostLink(L"S:\\tree\\up", L"S:\\tree"));
  Run(false, {"S:\\tree"});
  EXPECT_EQ(FileBytes(person.File(u"letter.txt")), "dear");
  EXPECT_EQ(FileBytes(person.File(u"3.~qtrpart")), "mine");
  EXPECT_FALSE(Exists(u"F:\\QTRPMB\\S"));
  const std::u16string reason = ErrorText(kErrorLinkNotFollowed);
  EXPECT_EQ(lines_.lines, (std::vector<std::u16string>{u"S:\\tree\\up;" + reason, u"F:\\QTRPMB\\~partial;" + reason}));

  // With the store's own partial folder, the tree is stored once.
  ASSERT_TRUE(test::RemoveHostLink(L"F:\\QTRPMB\\~partial"));
  lines_.lines.clear();
  Run(false, {"S:\\tree"});
  EXPECT_EQ(FileBytes(u"F:\\QTRPMB\\S\\tree\\a.txt"), "aaa");
  EXPECT_FALSE(Exists(u"F:\\QTRPMB\\S\\tree\\up"));
  EXPECT_EQ(lines_.lines, std::vector<std::u16string>{u"S:\\tree\\up;" + reason});
  EXPECT_EQ(FileBytes(person.File(u"letter.txt")), "dear");
}

TEST_F(Win32JobTest, EmptyFoldersAndFilesOfAPartialNameGoToTheStoreAndBack) {
  ASSERT_TRUE(CreateDirectoryW(L"S:\\Keep", nullptr));
  ASSERT_TRUE(CreateDirectoryW(L"S:\\Keep\\Empty", nullptr));
  PutFile(u"S:\\Keep\\mine.~qtrpart", "a person's file");
  ASSERT_EQ(SystemFileSystem().SetTimes(u"S:\\Keep\\Empty", {130'000'000'000'000'000, 131'000'000'000'000'000,
                                                              132'000'000'000'000'000}),
            0u);
  const FindEntry empty = Entry(u"S:\\Keep\\Empty");
  Run(false, {"S:\\Keep"});
  EXPECT_EQ(FileBytes(u"F:\\QTRPMB\\S\\Keep\\mine.~qtrpart"), "a person's file");
  EXPECT_TRUE(Entry(u"F:\\QTRPMB\\S\\Keep\\Empty").IsFolder());
  EXPECT_EQ(Entry(u"F:\\QTRPMB\\S\\Keep\\Empty").times.lastWrite, empty.times.lastWrite);

  ASSERT_TRUE(RemoveDirectoryW(L"S:\\Keep\\Empty"));
  ASSERT_TRUE(DeleteFileW(L"S:\\Keep\\mine.~qtrpart"));
  Run(true, {"F:\\QTRPMB\\S\\Keep"});
  EXPECT_EQ(FileBytes(u"S:\\Keep\\mine.~qtrpart"), "a person's file");
  EXPECT_EQ(Entry(u"S:\\Keep\\Empty").times.lastWrite, empty.times.lastWrite);
  EXPECT_TRUE(lines_.lines.empty()) << Narrow(lines_.lines[0]);
}

}  // namespace
}  // namespace qtr
