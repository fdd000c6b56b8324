// The backup command's exit code: a job whose selection fails is never reported as done.
#include "tools/JobCommand.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "config/JobHistory.h"
#include "config/PathList.h"
#include "engine/StoreKey.h"
#include "support/MappedDrive.h"
#include "support/TempFolder.h"
#include "tools/VersionsCommand.h"

namespace qtr {
namespace {

using test::TempFolder;

bool ExistsOnDisk(const std::u16string& path) {
  FindEntry entry;
  return SystemFileSystem().Find(path, &entry) == 0;
}

JobCommandOptions Options(const std::u16string& program) {
  JobCommandOptions options;
  options.target = u"T:";
  options.programFolder = program;
  return options;
}

TEST(JobCommandTest, FailedSelectionsAndAMissingProgramFolderExitWithOne) {
  TempFolder program;
  ASSERT_TRUE(WritePathList(program.File(u"backupfullpath.xml"), {program.File(u"no-such-folder")}));
  EXPECT_EQ(RunJobCommand(Options(program.Path())), 1);
  EXPECT_EQ(RunJobCommand(Options(program.File(u"missing-program-folder"))), 1);
  // A path list that is not whole is refused, not taken for an empty selection.
  test::WriteBytes(program.File(u"backupfullpath.xml"), "<Path><path path=\"C:\\\\\"/>");
  EXPECT_EQ(RunJobCommand(Options(program.Path())), 1);
  // A selection of nothing is no failure.
  ASSERT_TRUE(WritePathList(program.File(u"backupfullpath.xml"), {}));
  EXPECT_EQ(RunJobCommand(Options(program.Path())), 0);

  // Each job that ran is in the program folder's history, started from the command line.
  const std::vector<JobRecord> records = JobHistory(program.File(u"")).Load();
  ASSERT_EQ(records.size(), 3u);
  for (const JobRecord& record : records) {
    EXPECT_EQ(record.trigger, JobTrigger::kCommandLine);
    EXPECT_EQ(record.kind, HistoryJobKind::kBackup);
    EXPECT_EQ(record.target, u"T:");
  }
  EXPECT_EQ(records[0].failedFiles, 1u);
  ASSERT_EQ(records[0].lines.size(), 1u);
  EXPECT_NE(records[0].lines[0].find(u"no-such-folder"), std::u16string::npos);
  EXPECT_FALSE(records[1].Succeeded());
  EXPECT_TRUE(records[2].Succeeded());
}

}  // namespace
}  // namespace qtr

namespace qtr {
namespace {

// Runs the command with input as its standard input.
int RunWithInput(const JobCommandOptions& options, const std::string& input) {
  std::istringstream stream(input);
  std::streambuf* const old = std::cin.rdbuf(stream.rdbuf());
  const int status = RunJobCommand(options);
  std::cin.rdbuf(old);
  return status;
}

TEST(JobCommandTest, AnEncryptedJobTakesThePasswordOnStandardInputAndAWrongOneDoesNothing) {
  TempFolder program, source, target;
  test::MappedDrive drive(L'm', std::wstring(target.Path().begin(), target.Path().end()));
  ASSERT_TRUE(drive.Ok());
  const std::u16string file = source.File(u"secret.txt");
  test::WriteBytes(file, "the secret text");
  test::WriteBytes(program.File(u"init.xml"),
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Setting><CompressFile>0</CompressFile>"
                   "<SetPassword>1</SetPassword></Setting>");
  JobCommandOptions options = Options(program.Path());
  options.target = u"M:";
  std::u16string stored = u"M:\\QTRPMB\\" + file.substr(0, 1) + file.substr(2) + u".qtrx";

  ASSERT_TRUE(WritePathList(program.File(u"backupfullpath.xml"), {file}));
  EXPECT_EQ(RunWithInput(options, ""), 2);  // no password: nothing stored, no key check file made
  EXPECT_FALSE(StoreHasKeyCheck(SystemFileSystem(), u"M:\\QTRPMB"));
  EXPECT_EQ(RunWithInput(options, "pw\r\n"), 0);
  EXPECT_TRUE(StoreHasKeyCheck(SystemFileSystem(), u"M:\\QTRPMB"));
  EXPECT_EQ(test::ReadBytes(stored).find("secret"), std::string::npos);

  options.restore = true;
  test::WriteBytes(file, "newer");
  ASSERT_TRUE(WritePathList(program.File(u"restoreTempPath.xml"), {stored}));
  EXPECT_EQ(RunWithInput(options, "not pw\n"), 2);
  EXPECT_EQ(test::ReadBytes(file), "newer");
  ASSERT_TRUE(WritePathList(program.File(u"restoreTempPath.xml"), {stored}));
  EXPECT_EQ(RunWithInput(options, "pw\n"), 0);
  EXPECT_EQ(test::ReadBytes(file), "the secret text");

  // Encryption off (a second PC's settings): the store is not turned readable unless told.
  options.restore = false;
  test::WriteBytes(file, "changed secret");
  test::WriteBytes(program.File(u"init.xml"),
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Setting><CompressFile>0</CompressFile>"
                   "<SetPassword>0</SetPassword></Setting>");
  const std::string sealed = test::ReadBytes(stored);
  EXPECT_EQ(RunWithInput(options, ""), 2);
  EXPECT_EQ(test::ReadBytes(stored), sealed);
  EXPECT_FALSE(ExistsOnDisk(stored.substr(0, stored.size() - 5)));
  options.storeReadable = true;
  EXPECT_EQ(RunWithInput(options, ""), 0);
  EXPECT_EQ(test::ReadBytes(stored.substr(0, stored.size() - 5)), "changed secret");
  EXPECT_FALSE(ExistsOnDisk(stored));
}

}  // namespace
}  // namespace qtr

namespace qtr {
namespace {

// Writes bytes at path, making the folders on the way.
void PutWithFolders(const std::u16string& path, const std::string& bytes) {
  for (size_t slash = path.find(u'\\', 3); slash != std::u16string::npos; slash = path.find(u'\\', slash + 1))
    SystemFileSystem().CreateFolder(path.substr(0, slash));
  test::WriteBytes(path, bytes);
}

TEST(JobCommandTest, VersionsListsAStoreMadeByHandAndRestoreAsOfTakesItsVersions) {
  TempFolder program, source, target;
  test::MappedDrive drive(L'm', std::wstring(target.Path().begin(), target.Path().end()));
  ASSERT_TRUE(drive.Ok());
  const std::u16string file = source.File(u"a.txt");
  const std::u16string stored = u"M:\\QTRPMB\\" + file.substr(0, 1) + file.substr(2);
  PutWithFolders(stored, "now");
  PutWithFolders(u"M:\\QTRPMB\\~versions\\2026-12-02 100000\\" + stored.substr(10), "before the second");
  PutWithFolders(u"M:\\QTRPMB\\~versions\\2026-12-03 100000\\" + stored.substr(10), "before the third");

  std::string out;
  EXPECT_EQ(VersionsCommand(SystemFileSystem(), u"M:", file, &out), 0);
  const std::string path(file.begin(), file.end());
  EXPECT_EQ(out, "2026-12-03 100000\n          16  " + path + "\n2026-12-02 100000\n          17  " + path +
                     "\n2 previous versions of " + path +
                     " from 2 backups; restore --as-of STAMP restores the store as it stood when that backup "
                     "started\n");

  test::WriteBytes(program.File(u"init.xml"),
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Setting><CompressFile>0</CompressFile></Setting>");
  JobCommandOptions options = Options(program.Path());
  options.target = u"M:";
  options.restore = true;
  options.asOfStamp = u"2026-12-02 120000";
  ASSERT_TRUE(WritePathList(program.File(u"restoreTempPath.xml"), {stored}));
  EXPECT_EQ(RunJobCommand(options), 0);
  EXPECT_EQ(test::ReadBytes(file), "before the third");
  options.asOfStamp.clear();
  ASSERT_TRUE(WritePathList(program.File(u"restoreTempPath.xml"), {stored}));
  EXPECT_EQ(RunJobCommand(options), 0);
  EXPECT_EQ(test::ReadBytes(file), "now");
}

}  // namespace
}  // namespace qtr
