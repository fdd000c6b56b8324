#include <gtest/gtest.h>

#include "trees/TreeWindowSupport.h"

namespace qtr::test {
namespace {

using Paths = std::vector<std::u16string>;

// A target partition M: whose store holds C:\docs (two files) and D:\x.txt.
class TargetTreeTest : public TreeWindowTest {
 protected:
  void SetUp() override {
    TreeWindowTest::SetUp();
    const std::wstring store = W(folder_.Path()) + L"\\QTRPMB";
    for (const wchar_t* folder : {L"", L"\\C", L"\\C\\docs", L"\\D"}) ASSERT_TRUE(MakeFolder(store + folder));
    for (const wchar_t* file : {L"\\C\\docs\\a.txt.zip", L"\\C\\docs\\b.txt", L"\\D\\x.txt"})
      ASSERT_TRUE(MakeFile(store + file));
    ASSERT_TRUE(MakeFile(W(folder_.Path()) + L"\\other.txt"));
    ASSERT_TRUE(drive_.Ok());
    ASSERT_TRUE(source_->FillComputer(disks_));
    for (uint32_t number : {4u, 2u}) {
      source_->InsertDiskItem(UsbDisk(number, u""));
      target_->InsertDiskItem(UsbDisk(number, u""));
    }
  }
  HTREEITEM Partition() const { return TreeView_GetRoot(target_->Handle()); }
  HTREEITEM Store() const { return target_->FindPath(u"M:\\QTRPMB"); }
  HTREEITEM Item(const std::u16string& path) const { return target_->FindPath(path); }
  // Opens the store down to C:\docs.
  void OpenStore() {
    ASSERT_TRUE(Expand(target_->Handle(), Partition()));
    ASSERT_TRUE(Expand(target_->Handle(), Store()));
    ASSERT_TRUE(Expand(target_->Handle(), Item(u"M:\\QTRPMB\\C")));
    ASSERT_TRUE(Expand(target_->Handle(), Item(u"M:\\QTRPMB\\C\\docs")));
  }

  TempFolder folder_;
  MappedDrive drive_{L'm', W(folder_.Path())};
};

TEST_F(TargetTreeTest, ThePartitionComesFirstWithItsStoreFolderOnly) {
  ASSERT_TRUE(target_->DisplayTree(u"m:"));
  EXPECT_EQ(target_->TargetRoot(), u"m:\\");
  ASSERT_TRUE(target_->HasPartitionItem());
  EXPECT_EQ(target_->DataOf(Partition()), kPartitionData);
  EXPECT_EQ(target_->PartitionState(), kStateUnchecked);
  EXPECT_FALSE(target_->TargetUnusable());
  EXPECT_EQ(ChildTexts(*target_, Partition()), Paths{u"QTRPMB"});
  EXPECT_EQ(ChildTexts(*target_, Store()), Paths{u"temp"});
  // Opening the partition shows the store folder and nothing else of the drive.
  ASSERT_TRUE(Expand(target_->Handle(), Partition()));
  EXPECT_EQ(ChildTexts(*target_, Partition()), Paths{u"QTRPMB"});
  ASSERT_TRUE(Expand(target_->Handle(), Store()));
  EXPECT_EQ(ChildCount(target_->Handle(), Store()), 2u);
  // Disks stay behind the partition; showing it again replaces it.
  EXPECT_EQ(ChildTexts(*target_, nullptr).size(), 3u);
  ASSERT_TRUE(target_->DisplayTree(u"M:\\"));
  EXPECT_EQ(ChildTexts(*target_, nullptr).size(), 3u);
  ASSERT_TRUE(target_->DisplayTree(u""));
  EXPECT_FALSE(target_->HasPartitionItem());
  EXPECT_EQ(ChildTexts(*target_, nullptr), (Paths{u"QTR Disk( 2 )", u"QTR Disk( 4 )"}));
}

TEST_F(TargetTreeTest, APartitionWithoutAStoreShowsAloneAndAnUnusableOneIgnoresClicks) {
  TempFolder empty;
  MappedDrive bare(L'n', W(empty.Path()));
  ASSERT_TRUE(bare.Ok());
  ASSERT_TRUE(target_->DisplayTree(u"N:\\"));
  EXPECT_EQ(ChildCount(target_->Handle(), Partition()), 0u);

  // A drive letter whose volume is not there: no file system to report.
  const std::string prefix = HostPath(L"C:\\");
  ASSERT_FALSE(prefix.empty());
  const std::wstring link = std::wstring(prefix.begin(), prefix.end()) + L"/../dosdevices/o:";
  ASSERT_TRUE(RunHostCommand(L"/bin/ln", L"-sfn /nonexistent/qtr-volume \"" + link + L"\""));
  Sleep(500);
  if (target_->DisplayTree(u"O:\\")) {
    EXPECT_EQ(target_->PartitionState(), kStateDisabled);
    EXPECT_TRUE(target_->TargetUnusable());
    EXPECT_EQ(ChildCount(target_->Handle(), Partition()), 0u);
    ASSERT_TRUE(ClickCheckBox(target_->Handle(), Partition()));
    EXPECT_EQ(target_->PartitionState(), kStateDisabled);
  } else {
    ADD_FAILURE() << "the shell names no drive O:";
  }
  RunHostCommand(L"/bin/rm", L"-f \"" + link + L"\"");
}

TEST_F(TargetTreeTest, ADiskAndThePartitionExcludeEachOther) {
  ASSERT_TRUE(target_->DisplayTree(u"M:\\"));
  OpenStore();
  ASSERT_TRUE(ClickCheckBox(target_->Handle(), Partition()));
  EXPECT_EQ(target_->StateOf(Store()), kStateChecked);
  EXPECT_EQ(target_->StateOf(Item(u"M:\\QTRPMB\\C\\docs\\b.txt")), kStateChecked);

  ASSERT_TRUE(ClickCheckBox(target_->Handle(), target_->DiskItem(4)));
  EXPECT_EQ(target_->m_selectedDisk, 4);
  EXPECT_EQ(target_->PartitionState(), kStateUnchecked);
  EXPECT_EQ(target_->StateOf(Store()), kStateUnchecked);
  EXPECT_EQ(target_->StateOf(Item(u"M:\\QTRPMB\\C\\docs\\b.txt")), kStateUnchecked);
  EXPECT_EQ(source_->StateOf(source_->DiskItem(4)), kStateDisabled);
  // The disk stays chosen when the partition is shown again.
  ASSERT_TRUE(target_->DisplayTree(u"M:\\"));
  EXPECT_EQ(target_->m_selectedDisk, 4);

  ASSERT_TRUE(ClickCheckBox(target_->Handle(), Partition()));
  EXPECT_EQ(target_->m_selectedDisk, -1);
  EXPECT_EQ(target_->StateOf(target_->DiskItem(4)), kStateUnchecked);
  EXPECT_EQ(source_->StateOf(source_->DiskItem(4)), kStateUnchecked);
}

TEST_F(TargetTreeTest, TheRestoreListHoldsExactlyTheCheckedStoreItems) {
  ASSERT_TRUE(target_->DisplayTree(u"M:\\"));
  OpenStore();
  WriteBytes(ProgramFile(u"filepath.xml"), "<filepath>\r\n</filepath>\r\n");
  WriteBytes(ProgramFile(u"restoreTempPath.xml"), "left over");
  ASSERT_TRUE(ClickCheckBox(target_->Handle(), Item(u"M:\\QTRPMB\\C\\docs\\a.txt.zip")));
  ASSERT_TRUE(ClickCheckBox(target_->Handle(), Item(u"M:\\QTRPMB\\D")));
  EXPECT_EQ(target_->StateOf(Store()), kStatePartly);
  ASSERT_TRUE(target_->WriteRestoreSelection());
  EXPECT_EQ(
      ReadBytes(ProgramFile(u"restoreTempPath.xml")),
      "<filepath>\r\n<path path=\"M:\\QTRPMB\\C\\docs\\a.txt.zip\"/>\r\n<path path=\"M:\\QTRPMB\\D\"/>\r\n"
      "</filepath>\r\n");
  // The source selection is left alone.
  EXPECT_EQ(ReadBytes(ProgramFile(u"filepath.xml")), "<filepath>\r\n</filepath>\r\n");

  ASSERT_TRUE(ClickCheckBox(target_->Handle(), Item(u"M:\\QTRPMB\\C\\docs\\b.txt")));
  ASSERT_TRUE(target_->WriteRestoreSelection());
  // Everything in the store is checked now: the store alone stands for it.
  EXPECT_EQ(target_->StateOf(Item(u"M:\\QTRPMB\\C")), kStateChecked);
  EXPECT_EQ(target_->StateOf(Store()), kStateChecked);
  EXPECT_EQ(target_->CheckedStorePaths(), Paths{u"M:\\QTRPMB"});
  EXPECT_EQ(ReadBytes(ProgramFile(u"restoreTempPath.xml")),
            "<filepath>\r\n<path path=\"M:\\QTRPMB\"/>\r\n</filepath>\r\n");
}

TEST_F(TargetTreeTest, ARefreshedPathShowsWhatChangedInTheStore) {
  ASSERT_TRUE(target_->DisplayTree(u"M:\\"));
  OpenStore();
  ASSERT_TRUE(ClickCheckBox(target_->Handle(), Item(u"M:\\QTRPMB\\C\\docs")));
  ASSERT_TRUE(MakeFile(W(folder_.Path()) + L"\\QTRPMB\\C\\docs\\new.txt"));
  // Reopening keeps what was read (and the marks made in it)...
  Collapse(target_->Handle(), Item(u"M:\\QTRPMB\\C\\docs"));
  ASSERT_TRUE(Expand(target_->Handle(), Item(u"M:\\QTRPMB\\C\\docs")));
  EXPECT_EQ(Item(u"M:\\QTRPMB\\C\\docs\\new.txt"), nullptr);
  EXPECT_EQ(target_->StateOf(Item(u"M:\\QTRPMB\\C\\docs\\b.txt")), kStateChecked);
  // ...a refresh reads it again.
  target_->RefreshPath(u"M:\\QTRPMB\\C\\docs");
  ASSERT_NE(Item(u"M:\\QTRPMB\\C\\docs\\new.txt"), nullptr);
  EXPECT_EQ(target_->StateOf(Item(u"M:\\QTRPMB\\C\\docs\\new.txt")), kStateChecked);
  // Paths elsewhere change nothing; the root shows the partition again.
  target_->RefreshPath(u"C:\\QTRPMB");
  target_->RefreshPath(u"M:\\");
  EXPECT_EQ(ChildTexts(*target_, Store()), Paths{u"temp"});
}

}  // namespace
}  // namespace qtr::test
