#include "engine/StoreFileOperations.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/SystemError.h"
#include "support/MemoryFileSystem.h"

namespace qtr {
namespace {

class StoreFileOperationsTest : public ::testing::Test {
 protected:
  StoreFileOperationsTest() { fs.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs); }

  uint32_t Attributes(std::u16string_view path) {
    uint32_t attributes = kInvalidAttributes;
    fs.GetAttributes(path, &attributes);
    return attributes;
  }
  std::string Content(std::u16string_view path) {
    std::unique_ptr<File> file;
    if (fs.Open(path, OpenMode::kReadExisting, &file) != 0) return "<missing>";
    std::string bytes(64, '\0');
    size_t got = 0;
    file->Read(bytes.data(), bytes.size(), &got);
    bytes.resize(got);
    return bytes;
  }

  MemoryFileSystem fs;
};

TEST_F(StoreFileOperationsTest, ARemovalGetsPastReadOnlyAndPutsTheAttributesBackWhenItFails) {
  ASSERT_TRUE(fs.PutFile(u"F:\\kept.txt", "old", kAttributeReadOnly | kAttributeHidden));
  EXPECT_EQ(RemoveFileAnyway(fs, u"F:\\kept.txt"), 0u);
  EXPECT_FALSE(fs.Exists(u"F:\\kept.txt"));
  // Nothing there is nothing to remove.
  EXPECT_EQ(RemoveFileAnyway(fs, u"F:\\kept.txt"), 0u);

  ASSERT_TRUE(fs.PutFile(u"F:\\held.txt", "old", kAttributeReadOnly | kAttributeArchive));
  fs.FailOpen(u"F:\\held.txt", kErrorAccessDenied);
  EXPECT_EQ(RemoveFileAnyway(fs, u"F:\\held.txt"), kErrorAccessDenied);
  EXPECT_EQ(Attributes(u"F:\\held.txt"), kAttributeReadOnly | kAttributeArchive);
}

TEST_F(StoreFileOperationsTest, ACompleteCopyReplacesAReadOnlyDestinationInOneStep) {
  ASSERT_TRUE(fs.PutFile(u"F:\\a.txt", "old", kAttributeReadOnly));
  std::unique_ptr<File> partial;
  ASSERT_EQ(fs.Open(u"F:\\a.txt.~qtrpart", OpenMode::kWriteNew, &partial), 0u);
  ASSERT_EQ(partial->Write("new", 3), 0u);
  EXPECT_EQ(PutInPlace(fs, *partial, u"F:\\a.txt"), 0u);
  partial.reset();
  EXPECT_EQ(Content(u"F:\\a.txt"), "new");
  EXPECT_FALSE(fs.Exists(u"F:\\a.txt.~qtrpart"));

  // A destination that cannot be replaced keeps its bytes and its attributes.
  ASSERT_TRUE(fs.CreateFolder(u"F:\\b.txt") == 0);
  ASSERT_EQ(fs.Open(u"F:\\b.txt.~qtrpart", OpenMode::kWriteNew, &partial), 0u);
  EXPECT_NE(PutInPlace(fs, *partial, u"F:\\b.txt"), 0u);
  EXPECT_EQ(Attributes(u"F:\\b.txt") & kAttributeDirectory, kAttributeDirectory);
  EXPECT_TRUE(fs.Exists(u"F:\\b.txt.~qtrpart"));
}

}  // namespace
}  // namespace qtr
