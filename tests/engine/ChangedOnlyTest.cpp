// Changed-only runs: nothing unchanged is copied again, nothing changed is missed.
#include <gtest/gtest.h>

#include "JobFixture.h"

namespace qtr {
namespace {

using Kind = MemoryFileSystem::Kind;

struct Case {
  Kind target;
  const char* compress;
};

class ChangedOnlyTest : public test::JobFixture, public ::testing::WithParamInterface<Case> {
 protected:
  ChangedOnlyTest() : JobFixture(GetParam().target) {}
};

TEST_P(ChangedOnlyTest, SkipsUnchangedFilesAndCopiesEveryChangedOne) {
  fs.PutFile(u"C:\\D\\same.txt", "same");
  fs.PutFile(u"C:\\D\\rewritten.txt", "old content");
  fs.PutFile(u"C:\\D\\grown.txt", "short");
  fs.PutFile(u"C:\\D\\touched.txt", "attributes");
  fs.PutFile(u"C:\\D\\locked.txt", "read-only", kAttributeReadOnly | kAttributeArchive);
  Settings("1", GetParam().compress);
  auto first = Backup({"C:\\D"});
  ASSERT_EQ(first->counters.finishedCount, 5u);

  auto second = Backup({"C:\\D"});
  EXPECT_EQ(second->counters.scannedCount, 0u) << "unchanged files were copied again";

  // Same size, new content; one file grown with its time kept; one touched only in its attributes.
  FindEntry grown;
  fs.Find(u"C:\\D\\grown.txt", &grown);
  fs.PutFile(u"C:\\D\\rewritten.txt", "new content");
  fs.PutFile(u"C:\\D\\grown.txt", "longer now");
  fs.SetTimes(u"C:\\D\\grown.txt", grown.times);
  fs.SetAttributes(u"C:\\D\\touched.txt", kAttributeArchive | kAttributeHidden);
  auto third = Backup({"C:\\D"});
  std::vector<std::u16string> copied = third->walk.fileList;
  std::sort(copied.begin(), copied.end());
  EXPECT_EQ(copied,
            (std::vector<std::u16string>{u"C:\\D\\grown.txt", u"C:\\D\\rewritten.txt", u"C:\\D\\touched.txt"}));
  const std::u16string suffix = std::string(GetParam().compress) == "1" ? u".zip" : u"";
  fs.RemoveFile(u"C:\\D\\rewritten.txt");
  fs.SetAttributes(u"C:\\D\\locked.txt", 0);
  fs.RemoveFile(u"C:\\D\\locked.txt");
  auto restore = Restore({"F:\\QTRPMB\\C\\D"});
  EXPECT_EQ(Content(u"C:\\D\\rewritten.txt"), "new content");
  EXPECT_EQ(Content(u"C:\\D\\locked.txt"), "read-only");
  EXPECT_EQ(Attributes(u"C:\\D\\locked.txt"), kAttributeReadOnly | kAttributeArchive);
  EXPECT_EQ(Times(u"C:\\D\\locked.txt"), Times(u"F:\\QTRPMB\\C\\D\\locked.txt" + suffix));
  // Restored files are unchanged against their stored copies now.
  auto again = Restore({"F:\\QTRPMB\\C\\D"});
  EXPECT_EQ(again->counters.scannedCount, 0u);
  EXPECT_TRUE(lines.lines.empty()) << test::Narrow(lines.lines.empty() ? u"" : lines.lines[0]);
}

INSTANTIATE_TEST_SUITE_P(Volumes, ChangedOnlyTest,
                         ::testing::Values(Case{Kind::kNtfs, "0"}, Case{Kind::kNtfs, "1"}, Case{Kind::kFat32, "0"},
                                           Case{Kind::kExFat, "1"}));

}  // namespace
}  // namespace qtr
