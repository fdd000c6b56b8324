// The backup command's exit code: a job whose selection fails is never reported as done.
#include "tools/JobCommand.h"

#include <gtest/gtest.h>

#include "config/PathList.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::TempFolder;

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
}

}  // namespace
}  // namespace qtr
