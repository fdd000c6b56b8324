#include "platform/FileReplacement.h"

#include <gtest/gtest.h>

#include "support/MemoryFileSystem.h"

namespace qtr {
namespace {

constexpr char16_t kPath[] = u"C:\\Program\\init.xml";

class FileReplacementTest : public testing::Test {
 protected:
  void SetUp() override {
    fs_.AddVolume(u'C', MemoryFileSystem::Kind::kNtfs);
    ASSERT_TRUE(fs_.PutFile(kPath, "<InitInfo>old</InitInfo>", kAttributeHidden | kAttributeArchive));
  }
  std::string Contents() {
    std::string bytes;
    EXPECT_TRUE(fs_.GetFile(kPath, &bytes));
    return bytes;
  }
  uint32_t Attributes() {
    uint32_t attributes = 0;
    EXPECT_EQ(fs_.GetAttributes(kPath, &attributes), 0u);
    return attributes;
  }
  MemoryFileSystem fs_;
};

TEST_F(FileReplacementTest, FailureMidWriteLeavesTheOldFileWhole) {
  // The disk fills after a few bytes of the new contents.
  fs_.FailWritesAt(u"C:\\Program\\", 5, kErrorDiskFull);
  EXPECT_EQ(ReplaceFileContents(fs_, kPath, "<InitInfo>new and longer</InitInfo>"), kErrorDiskFull);
  EXPECT_EQ(Contents(), "<InitInfo>old</InitInfo>");
  EXPECT_EQ(Attributes(), kAttributeHidden | kAttributeArchive);
  EXPECT_FALSE(fs_.Exists(ReplacementName(kPath))) << "nothing is left beside it";
}

TEST_F(FileReplacementTest, CompleteContentsReplaceTheFileAndKeepItsAttributes) {
  ASSERT_EQ(ReplaceFileContents(fs_, kPath, "<InitInfo>new</InitInfo>\r\n"), 0u);
  EXPECT_EQ(Contents(), "<InitInfo>new</InitInfo>\r\n");
  EXPECT_EQ(Attributes(), kAttributeHidden | kAttributeArchive);
  EXPECT_FALSE(fs_.Exists(ReplacementName(kPath)));
  // Shorter contents leave no tail of the longer old ones, and empty ones are empty.
  ASSERT_EQ(ReplaceFileContents(fs_, kPath, "<a/>"), 0u);
  EXPECT_EQ(Contents(), "<a/>");
  ASSERT_EQ(ReplaceFileContents(fs_, kPath, ""), 0u);
  EXPECT_EQ(Contents(), "");
}

TEST_F(FileReplacementTest, MissingFileIsCreatedAndALeftoverReplacementIsNoObstacle) {
  const std::u16string fresh = u"C:\\Program\\filepath.xml";
  ASSERT_TRUE(fs_.PutFile(ReplacementName(fresh), "half a file from a cut-short save"));
  ASSERT_EQ(ReplaceFileContents(fs_, fresh, "<filepath/>"), 0u);
  std::string bytes;
  ASSERT_TRUE(fs_.GetFile(fresh, &bytes));
  EXPECT_EQ(bytes, "<filepath/>");
  EXPECT_FALSE(fs_.Exists(ReplacementName(fresh)));
}

TEST_F(FileReplacementTest, ReadOnlyFileAndAFolderAreRefusedUntouched) {
  ASSERT_EQ(fs_.SetAttributes(kPath, kAttributeReadOnly), 0u);
  EXPECT_EQ(ReplaceFileContents(fs_, kPath, "x"), kErrorAccessDenied);
  EXPECT_EQ(Contents(), "<InitInfo>old</InitInfo>");
  ASSERT_EQ(fs_.CreateFolder(u"C:\\Program\\dir.xml"), 0u);
  EXPECT_EQ(ReplaceFileContents(fs_, u"C:\\Program\\dir.xml", "x"), kErrorAccessDenied);
  EXPECT_TRUE(fs_.Exists(u"C:\\Program\\dir.xml"));
  EXPECT_FALSE(fs_.Exists(ReplacementName(kPath)));
}

TEST_F(FileReplacementTest, FailedOpenOfTheReplacementLeavesTheFile) {
  fs_.FailOpen(ReplacementName(kPath), kErrorAccessDenied);
  EXPECT_EQ(ReplaceFileContents(fs_, kPath, "new"), kErrorAccessDenied);
  EXPECT_EQ(Contents(), "<InitInfo>old</InitInfo>");
}

}  // namespace
}  // namespace qtr
