#include <gtest/gtest.h>

#include <cstdio>

#include "config/PathList.h"
#include "config/SelectionStates.h"
#include "platform/Utf8.h"
#include "support/TempFolder.h"
#include "trees/DiskItems.h"
#include "trees/MemoryTreeItems.h"
#include "trees/SourceSelection.h"

namespace qtr {
namespace {

using test::MemoryTreeItems;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
using Paths = std::vector<std::u16string>;

void RemoveHostFile(const std::u16string& path) {
  std::remove(Utf16ToUtf8(path).c_str());
}
bool HostFileExists(const std::u16string& path) {
  FILE* file = std::fopen(Utf16ToUtf8(path).c_str(), "rb");
  if (file != nullptr) std::fclose(file);
  return file != nullptr;
}

// The source tree of a computer with drives C: and D: and two USB disks,
// beside a target tree showing the same disks.
class SourceSelectionTest : public ::testing::Test {
 protected:
  SourceSelectionTest() {
    root_ = items_.Folder(kNoItem, u"", kStateDisabled);
    c_ = items_.Unread(root_, u"C:\\");
    d_ = items_.Unread(root_, u"D:\\");
    InsertDiskItem(items_, u"Disk A", 1, false);
    InsertDiskItem(items_, u"Disk B", 2, false);
    target_.Folder(kNoItem, u"E:\\");
    target_.SetData(FirstRoot(target_), kPartitionData);
    InsertDiskItem(target_, u"Disk A", 1, false);
    InsertDiskItem(target_, u"Disk B", 2, false);
    selection_.SetTarget(&target_);
  }

  // What expanding C: shows.
  void ReadC() {
    DeleteChildren(items_, c_);
    docs_ = items_.Unread(c_, u"docs", items_.State(c_));
    notes_ = items_.File(c_, u"notes.txt", items_.State(c_));
  }

  std::u16string File(std::u16string_view name) const { return temp_.File(name); }
  Paths Topmost() const { return ReadPathList(File(u"backupfullpath.xml")); }
  Paths Checked() const { return ReadCheckedPaths(File(u"filepath.xml")); }
  TreeItem Disk(TreeItems& items, uint32_t number) const { return FindRootByData(items, DiskData(number)); }

  TempFolder temp_;
  MemoryTreeItems items_;
  MemoryTreeItems target_;
  int selectedDisk_ = -1;
  SourceSelection selection_{items_, selectedDisk_, temp_.File(u""), RemoveHostFile};
  TreeItem root_{}, c_{}, d_{}, docs_{}, notes_{};
};

TEST_F(SourceSelectionTest, EveryCheckChangeIsSavedToBothFiles) {
  ReadC();
  selection_.Click(docs_);
  EXPECT_EQ(items_.State(docs_), kStateChecked);
  EXPECT_EQ(items_.State(c_), kStatePartly);
  EXPECT_EQ(items_.Selected(), docs_);
  EXPECT_EQ(Topmost(), Paths{u"C:\\docs"});
  EXPECT_EQ(Checked(), Paths{u"C:\\docs"});

  selection_.Click(d_);
  EXPECT_EQ(Topmost(), (Paths{u"C:\\docs", u"D:\\"}));

  // Checking all of C: replaces what was recorded inside it.
  selection_.Click(notes_);
  EXPECT_EQ(items_.State(c_), kStateChecked);
  selection_.Click(c_);  // checked: unchecks
  EXPECT_EQ(items_.State(docs_), kStateUnchecked);
  EXPECT_EQ(Topmost(), Paths{u"D:\\"});
  EXPECT_FALSE(selection_.NothingSelected());

  selection_.Click(d_);
  EXPECT_EQ(items_.State(root_), kStateDisabled);
  EXPECT_TRUE(selection_.NothingSelected());
  EXPECT_EQ(Topmost(), Paths{});
}

TEST_F(SourceSelectionTest, NothingSelectedLooksAtEveryDriveNotOnlyTheFirst) {
  selection_.Click(d_);
  EXPECT_EQ(items_.State(c_), kStateUnchecked);
  EXPECT_EQ(items_.State(root_), kStatePartly);
  EXPECT_FALSE(selection_.NothingSelected());
}

TEST_F(SourceSelectionTest, ChoosingAWholeDiskClearsTheFileSelection) {
  selection_.Click(c_);
  ReadC();
  selection_.Click(notes_);
  ASSERT_TRUE(HostFileExists(File(u"filepath.xml")));
  ASSERT_TRUE(HostFileExists(File(u"backupfullpath.xml")));

  selection_.Click(Disk(items_, 2));
  EXPECT_EQ(items_.State(root_), kStateDisabled);
  EXPECT_EQ(items_.State(c_), kStateUnchecked);
  EXPECT_EQ(items_.State(docs_), kStateUnchecked);
  EXPECT_EQ(items_.State(notes_), kStateUnchecked);
  EXPECT_FALSE(HostFileExists(File(u"filepath.xml")));
  EXPECT_FALSE(HostFileExists(File(u"backupfullpath.xml")));
  EXPECT_EQ(items_.State(Disk(items_, 2)), kStateChecked);
  EXPECT_EQ(selectedDisk_, 2);
  // It cannot be the target at the same time.
  EXPECT_EQ(target_.State(Disk(target_, 2)), kStateDisabled);
  EXPECT_EQ(target_.State(Disk(target_, 1)), kStateUnchecked);

  // Another disk takes over; the first is free again in both trees.
  selection_.Click(Disk(items_, 1));
  EXPECT_EQ(items_.State(Disk(items_, 2)), kStateUnchecked);
  EXPECT_EQ(target_.State(Disk(target_, 2)), kStateUnchecked);
  EXPECT_EQ(target_.State(Disk(target_, 1)), kStateDisabled);
  EXPECT_EQ(selectedDisk_, 1);

  // A file item ends the disk choice.
  selection_.Click(d_);
  EXPECT_EQ(selectedDisk_, -1);
  EXPECT_EQ(items_.State(Disk(items_, 1)), kStateUnchecked);
  EXPECT_EQ(target_.State(Disk(target_, 1)), kStateUnchecked);
  EXPECT_EQ(Topmost(), Paths{u"D:\\"});
}

TEST_F(SourceSelectionTest, ADiskClickedAgainIsUnchosen) {
  selection_.Click(Disk(items_, 1));
  selection_.Click(Disk(items_, 1));
  EXPECT_EQ(selectedDisk_, -1);
  EXPECT_EQ(items_.State(Disk(items_, 1)), kStateUnchecked);
  EXPECT_EQ(target_.State(Disk(target_, 1)), kStateUnchecked);
}

TEST_F(SourceSelectionTest, DisabledItemsIgnoreClicks) {
  const TreeItem locked = Disk(items_, 2);
  items_.SetState(locked, kStateDisabled);
  selection_.Click(locked);
  EXPECT_EQ(items_.State(locked), kStateDisabled);
  EXPECT_EQ(selectedDisk_, -1);
  items_.SetState(d_, kStateDisabled);
  selection_.Click(d_);
  EXPECT_EQ(items_.State(d_), kStateDisabled);
  EXPECT_EQ(Topmost(), Paths{});
}

TEST_F(SourceSelectionTest, TheComputerChecksEveryDriveAndThenUnchecksThem) {
  selection_.Click(root_);
  EXPECT_EQ(items_.State(c_), kStateChecked);
  EXPECT_EQ(items_.State(d_), kStateChecked);
  EXPECT_EQ(items_.State(root_), kStatePartly);
  EXPECT_EQ(Topmost(), (Paths{u"C:\\", u"D:\\"}));
  selection_.Click(root_);
  EXPECT_EQ(items_.State(root_), kStateDisabled);
  EXPECT_EQ(Topmost(), Paths{});
}

TEST_F(SourceSelectionTest, StatesComeBackFromTheRecordedSelection) {
  ASSERT_TRUE(WriteCheckedPaths(File(u"filepath.xml"), {u"C:\\docs"}));
  selection_.RestoreDrives();
  EXPECT_EQ(items_.State(c_), kStatePartly);
  EXPECT_EQ(items_.State(d_), kStateUnchecked);
  EXPECT_EQ(items_.State(root_), kStatePartly);

  SelectionStates recorded;
  ASSERT_TRUE(recorded.Load(File(u"filepath.xml")));
  // Below a partly checked folder each child takes its record, else unchecked.
  EXPECT_EQ(selection_.NewChildState(c_, u"C:\\docs", recorded), kStateChecked);
  EXPECT_EQ(selection_.NewChildState(c_, u"C:\\DOCS", recorded), kStateChecked);
  EXPECT_EQ(selection_.NewChildState(c_, u"C:\\other", recorded), kStateUnchecked);
  // Elsewhere a child takes its folder's state.
  items_.SetState(d_, kStateChecked);
  EXPECT_EQ(selection_.NewChildState(d_, u"D:\\x", recorded), kStateChecked);
}

TEST_F(SourceSelectionTest, DamagedSelectionFilesReadAsEmptyAndAreRewritten) {
  WriteBytes(File(u"filepath.xml"), "<filepath><path path=\"C:\\docs\"");
  WriteBytes(File(u"backupfullpath.xml"), std::string("\xEF\xBB\xBF<filep", 9));
  selection_.RestoreDrives();
  EXPECT_EQ(items_.State(c_), kStateUnchecked);
  EXPECT_EQ(items_.State(root_), kStateDisabled);

  selection_.Click(d_);
  EXPECT_EQ(Topmost(), Paths{u"D:\\"});
  EXPECT_EQ(Checked(), Paths{u"D:\\"});
}

TEST_F(SourceSelectionTest, ARenamedFolderKeepsItsPlaceInTheSelection) {
  ASSERT_TRUE(
      WriteCheckedPaths(File(u"filepath.xml"), {u"C:\\docs\\a", u"C:\\docs\\b\\c", u"C:\\docsx", u"D:\\"}));
  ASSERT_TRUE(
      WritePathList(File(u"backupfullpath.xml"), {u"C:\\docs\\a", u"C:\\docsx", u"C:\\docs\\b\\c", u"D:\\"}));
  selection_.PathRenamed(u"C:\\Docs", u"C:\\papers");
  EXPECT_EQ(Checked(), (Paths{u"C:\\papers\\a", u"C:\\papers\\b\\c", u"C:\\docsx", u"D:\\"}));
  EXPECT_EQ(Topmost(), (Paths{u"C:\\papers\\a", u"C:\\docsx", u"C:\\papers\\b\\c", u"D:\\"}));
  SelectionStates recorded;
  ASSERT_TRUE(recorded.Load(File(u"filepath.xml")));
  EXPECT_EQ(recorded.StateOf(u"C:\\papers"), CheckState::kPartlyChecked);
  EXPECT_EQ(recorded.StateOf(u"C:\\docs"), CheckState::kUnchecked);

  // A rename outside the selection leaves both files byte for byte.
  const std::string state = ReadBytes(File(u"filepath.xml"));
  const std::string topmost = ReadBytes(File(u"backupfullpath.xml"));
  selection_.PathRenamed(u"E:\\x", u"E:\\y");
  EXPECT_EQ(ReadBytes(File(u"filepath.xml")), state);
  EXPECT_EQ(ReadBytes(File(u"backupfullpath.xml")), topmost);
}

TEST_F(SourceSelectionTest, ADiskThatWentAwayIsNotFreedWhenItComesBackLocked) {
  selection_.Click(Disk(items_, 2));
  ASSERT_EQ(target_.State(Disk(target_, 2)), kStateDisabled);
  // Unplugged: the page takes its items out of both trees and resets the choice.
  RemoveDiskItem(items_, 2);
  RemoveDiskItem(target_, 2);
  selection_.ForgetDisk(2);
  selectedDisk_ = -1;
  // Plugged in again, locked this time.
  InsertDiskItem(items_, u"Disk B", 2, true);
  InsertDiskItem(target_, u"Disk B", 2, true);
  selection_.Click(d_);
  EXPECT_EQ(target_.State(Disk(target_, 2)), kStateDisabled);
  EXPECT_EQ(items_.State(Disk(items_, 2)), kStateDisabled);
}

}  // namespace
}  // namespace qtr
