#include "ui/BackupHandOver.h"

#include <gtest/gtest.h>

#include "config/BackupRecord.h"
#include "support/MemoryFileSystem.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

XmlDocument Hide(const char* value) {
  XmlDocument doc;
  EXPECT_TRUE(
      doc.LoadBytes(std::string("<Setting><HideBackupFiles>") + value + "</HideBackupFiles></Setting>"));
  return doc;
}

uint32_t AttributesOf(MemoryFileSystem& fs, const std::u16string& path) {
  uint32_t attributes = kInvalidAttributes;
  fs.GetAttributes(path, &attributes);
  return attributes;
}

TEST(BackupHandOverTest, HideBackupFilesHidesAndShowsTheStoreKeepingOtherAttributes) {
  MemoryFileSystem fs;
  fs.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs);
  ASSERT_EQ(fs.CreateFolder(u"F:\\QTRPMB"), 0u);
  ASSERT_EQ(fs.SetAttributes(u"F:\\QTRPMB", kAttributeDirectory | kAttributeReadOnly), 0u);

  XmlDocument on = Hide("1");
  EXPECT_EQ(ApplyStoreVisibility(fs, on, u"F:"), 0u);
  EXPECT_EQ(AttributesOf(fs, u"F:\\QTRPMB"), kAttributeDirectory | kAttributeReadOnly | kAttributeHidden);

  XmlDocument off = Hide("0");
  EXPECT_EQ(ApplyStoreVisibility(fs, off, u"F:"), 0u);
  EXPECT_EQ(AttributesOf(fs, u"F:\\QTRPMB"), kAttributeDirectory | kAttributeReadOnly);
}

TEST(BackupHandOverTest, AStoreToHideIsMadeBeforeTheFirstBackupAndNoneIsMadeToShow) {
  MemoryFileSystem fs;
  fs.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs);
  XmlDocument off = Hide("0");
  EXPECT_EQ(ApplyStoreVisibility(fs, off, u"F:"), 0u);
  EXPECT_FALSE(fs.Exists(u"F:\\QTRPMB"));

  XmlDocument on = Hide("1");
  EXPECT_EQ(ApplyStoreVisibility(fs, on, u"F:"), 0u);
  EXPECT_NE(AttributesOf(fs, u"F:\\QTRPMB") & kAttributeHidden, 0u);
}

TEST(BackupHandOverTest, WithoutTheKeyNothingChangesAndAMissingDriveIsReported) {
  MemoryFileSystem fs;
  fs.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs);
  ASSERT_EQ(fs.CreateFolder(u"F:\\QTRPMB"), 0u);
  ASSERT_EQ(fs.SetAttributes(u"F:\\QTRPMB", kAttributeDirectory | kAttributeHidden), 0u);
  XmlDocument none;
  ASSERT_TRUE(none.LoadBytes("<Setting/>"));
  EXPECT_EQ(ApplyStoreVisibility(fs, none, u"F:"), 0u);
  EXPECT_EQ(AttributesOf(fs, u"F:\\QTRPMB"), kAttributeDirectory | kAttributeHidden);

  XmlDocument on = Hide("1");
  EXPECT_NE(ApplyStoreVisibility(fs, on, u"G:"), 0u);
}

TEST(BackupHandOverTest, TheStartTimeBecomesTheLastBackupTime) {
  test::TempFolder temp;
  const std::u16string folder = temp.File(u"");
  ASSERT_TRUE(RecordBackupStart(folder, {2011, 3, 5, 6, 9, 7, 2}));
  EXPECT_EQ(BackupRecord(folder).LastBackupTime(), u"2011-03-05 09:07:02");
}

}  // namespace
}  // namespace qtr
