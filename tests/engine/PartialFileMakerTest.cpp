// A backup's partial files made ahead: fresh names in order past those
// another job holds, a failed create reported for its file only, nothing
// left behind of what was made and not taken, and a file still made once
// the job has stopped.
#include "engine/PartialFileMaker.h"

#include <gtest/gtest.h>

#include "JobFixture.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

class PartialFileMakerTest : public test::JobFixture {
 protected:
  static constexpr char16_t kFolder[] = u"F:\\QTRPMB\\~partial";
  void SetUp() override {
    ASSERT_EQ(fs.CreateFolder(u"F:\\QTRPMB"), 0u);
    ASSERT_EQ(fs.CreateFolder(kFolder), 0u);
  }
  static std::u16string Partial(const char16_t* number) {
    return std::u16string(kFolder) + u"\\" + number + u".~qtrpart";
  }
};

TEST_F(PartialFileMakerTest, NamesComeInOrderPastTakenOnesAndWhatIsNotTakenGoes) {
  fs.PutFile(Partial(u"1"), "another job's");
  fs.FailOpen(Partial(u"3"), kErrorAccessDenied);
  auto job = NewJob(false);
  std::unique_ptr<File> first;
  {
    PartialFileMaker maker(*job, kFolder, PartialFileMaker::kAhead);
    std::u16string partial;
    ASSERT_EQ(maker.Create(&partial, &first), 0u);
    EXPECT_EQ(partial, Partial(u"0"));
    std::unique_ptr<File> file;
    ASSERT_EQ(maker.Create(&partial, &file), 0u);
    EXPECT_EQ(partial, Partial(u"2"));
    EXPECT_EQ(maker.Create(&partial, &file), kErrorAccessDenied);
    EXPECT_EQ(file, nullptr);
    ASSERT_EQ(maker.Create(&partial, &file), 0u);
    EXPECT_EQ(partial, Partial(u"4"));
    ASSERT_EQ(first->Write("copy", 4), 0u);
  }
  // The files taken stay for their copies; those made ahead are gone.
  std::vector<std::u16string> left;
  for (const auto& path : fs.AllPaths())
    if (path.starts_with(std::u16string(kFolder) + u"\\")) left.push_back(path);
  EXPECT_EQ(left, (std::vector<std::u16string>{Partial(u"0"), Partial(u"1"), Partial(u"2"), Partial(u"4")}));
  std::string bytes;
  ASSERT_TRUE(fs.GetFile(Partial(u"1"), &bytes));
  EXPECT_EQ(bytes, "another job's");
}

TEST_F(PartialFileMakerTest, AStoppedJobStillGetsTheFileItAsksFor) {
  auto job = NewJob(false);
  job->control.stop = 1;
  PartialFileMaker maker(*job, kFolder, PartialFileMaker::kAhead);
  std::u16string partial;
  std::unique_ptr<File> file;
  ASSERT_EQ(maker.Create(&partial, &file), 0u);
  EXPECT_NE(file, nullptr);
  EXPECT_TRUE(fs.Exists(partial));
}

}  // namespace
}  // namespace qtr
