#include <gtest/gtest.h>

#include "config/PathList.h"
#include "trees/TreeWindowSupport.h"

namespace qtr::test {
namespace {

using Paths = std::vector<std::u16string>;

// A drive M: with a folder "docs" (two files) and a file beside it.
class SourceTreeTest : public TreeWindowTest {
 protected:
  void SetUp() override {
    TreeWindowTest::SetUp();
    ASSERT_TRUE(MakeFolder(W(folder_.Path()) + L"\\docs"));
    ASSERT_TRUE(MakeFile(W(folder_.Path()) + L"\\docs\\a.txt"));
    ASSERT_TRUE(MakeFile(W(folder_.Path()) + L"\\docs\\b.txt"));
    ASSERT_TRUE(MakeFile(W(folder_.Path()) + L"\\notes.txt"));
    ASSERT_TRUE(drive_.Ok());
  }
  void Fill() {
    ASSERT_TRUE(source_->FillComputer(disks_));
    for (const CUSBDevice& disk : {UsbDisk(3, u"T: "), UsbDisk(1, u"")}) {
      source_->InsertDiskItem(disk);
      target_->InsertDiskItem(disk);
    }
  }
  HTREEITEM Drive() const { return source_->FindPath(u"M:\\"); }
  HTREEITEM Docs() const { return source_->FindPath(u"M:\\docs"); }
  Paths Topmost() const { return ReadPathList(ProgramFile(u"backupfullpath.xml")); }
  bool ProgramFileExists(std::u16string_view name) const {
    return GetFileAttributesW(W(ProgramFile(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  TempFolder folder_;
  MappedDrive drive_{L'm', W(folder_.Path())};
  TempFolder usbFolder_;
  MappedDrive usbDrive_{L't', W(usbFolder_.Path())};
};

TEST_F(SourceTreeTest, TheComputerShowsLocalDrivesAndOneItemPerDisk) {
  disks_.Insert(UsbDisk(3, u"T: "));
  Fill();
  const HTREEITEM root = source_->RootItem();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(source_->RootState(), kStateDisabled);
  EXPECT_TRUE(source_->NothingSelected());
  ASSERT_NE(Drive(), nullptr);
  EXPECT_EQ(source_->StateOf(Drive()), kStateUnchecked);
  // A USB disk's partition is a target, never a local drive.
  EXPECT_EQ(source_->FindPath(u"T:\\"), nullptr);
  // Not read yet: only the placeholder.
  EXPECT_EQ(ChildTexts(*source_, Drive()), Paths{u"temp"});

  // The disks follow the computer in device-number order, once each.
  EXPECT_EQ(source_->InsertDiskItem(UsbDisk(3, u"T: ")), nullptr);
  const Paths roots = ChildTexts(*source_, nullptr);
  ASSERT_EQ(roots.size(), 3u);
  EXPECT_EQ(Paths(roots.begin() + 1, roots.end()), (Paths{u"QTR Disk( 1 )", u"QTR Disk( 3 )"}));
  EXPECT_EQ(ChildTexts(*target_, nullptr), (Paths{u"QTR Disk( 1 )", u"QTR Disk( 3 )"}));
  EXPECT_EQ(source_->DataOf(source_->DiskItem(3)), 6u);

  // A locked disk cannot be chosen until it is opened.
  ASSERT_NE(source_->InsertDiskItem(UsbDisk(2, u"", true)), nullptr);
  EXPECT_EQ(source_->StateOf(source_->DiskItem(2)), kStateDisabled);
  EXPECT_TRUE(source_->SetDiskItemState(2, kStateUnchecked));
  EXPECT_EQ(source_->StateOf(source_->DiskItem(2)), kStateUnchecked);
  EXPECT_TRUE(source_->RemoveDiskItem(2));
  EXPECT_EQ(source_->DiskItem(2), nullptr);
  EXPECT_NE(source_->DiskItem(3), nullptr);
}

TEST_F(SourceTreeTest, ClicksOnCheckBoxesAreSavedAndComeBackAfterARestart) {
  Fill();
  ASSERT_TRUE(Expand(source_->Handle(), Drive()));
  ASSERT_NE(Docs(), nullptr);
  EXPECT_EQ(source_->DataOf(Docs()), kFolderData);
  EXPECT_EQ(source_->DataOf(source_->FindPath(u"M:\\notes.txt")), kFileData);

  ASSERT_TRUE(ClickCheckBox(source_->Handle(), Docs()));
  EXPECT_EQ(source_->StateOf(Docs()), kStateChecked);
  EXPECT_EQ(source_->StateOf(Drive()), kStatePartly);
  EXPECT_EQ(source_->RootState(), kStatePartly);
  EXPECT_TRUE(source_->FilesSelected());
  EXPECT_EQ(Topmost(), Paths{u"M:\\docs"});

  // A click beside the check box (on the label) changes nothing.
  ASSERT_TRUE(ClickLabel(source_->Handle(), Docs()));
  EXPECT_EQ(source_->StateOf(Docs()), kStateChecked);

  Restart();
  Fill();
  EXPECT_EQ(source_->StateOf(Drive()), kStatePartly);
  EXPECT_EQ(source_->RootState(), kStatePartly);
  ASSERT_TRUE(Expand(source_->Handle(), Drive()));
  EXPECT_EQ(source_->StateOf(Docs()), kStateChecked);
  EXPECT_EQ(source_->StateOf(source_->FindPath(u"M:\\notes.txt")), kStateUnchecked);
  ASSERT_TRUE(Expand(source_->Handle(), Docs()));
  EXPECT_EQ(source_->StateOf(source_->FindPath(u"M:\\docs\\a.txt")), kStateChecked);

  // Unchecking the last checked item leaves nothing selected.
  ASSERT_TRUE(ClickCheckBox(source_->Handle(), Docs()));
  EXPECT_EQ(source_->StateOf(source_->FindPath(u"M:\\docs\\a.txt")), kStateUnchecked);
  EXPECT_EQ(source_->RootState(), kStateDisabled);
  EXPECT_TRUE(source_->NothingSelected());
  EXPECT_EQ(Topmost(), Paths{});
}

TEST_F(SourceTreeTest, CheckingEveryDriveLeavesTheComputerPartlyChecked) {
  Fill();
  const HTREEITEM root = source_->RootItem();
  for (HTREEITEM drive = TreeView_GetChild(source_->Handle(), root); drive != nullptr;
       drive = TreeView_GetNextSibling(source_->Handle(), drive)) {
    ASSERT_TRUE(ClickCheckBox(source_->Handle(), drive));
    EXPECT_EQ(source_->StateOf(drive), kStateChecked);
  }
  EXPECT_EQ(source_->RootState(), kStatePartly);
  EXPECT_EQ(source_->FirstChildState(), kStateChecked);
}

TEST_F(SourceTreeTest, AWholeDiskReplacesTheFileSelectionAndIsGreyedAsTarget) {
  Fill();
  ASSERT_TRUE(Expand(source_->Handle(), Drive()));
  ASSERT_TRUE(ClickCheckBox(source_->Handle(), Docs()));
  ASSERT_TRUE(Expand(source_->Handle(), Docs()));
  ASSERT_TRUE(ProgramFileExists(u"filepath.xml"));
  ASSERT_TRUE(ProgramFileExists(u"backupfullpath.xml"));

  ASSERT_TRUE(ClickCheckBox(source_->Handle(), source_->DiskItem(3)));
  EXPECT_EQ(source_->m_selectedDisk, 3);
  EXPECT_EQ(source_->StateOf(source_->DiskItem(3)), kStateChecked);
  EXPECT_EQ(source_->RootState(), kStateDisabled);
  EXPECT_EQ(source_->StateOf(Drive()), kStateUnchecked);
  EXPECT_EQ(source_->StateOf(Docs()), kStateUnchecked);
  EXPECT_EQ(source_->StateOf(source_->FindPath(u"M:\\docs\\b.txt")), kStateUnchecked);
  EXPECT_FALSE(ProgramFileExists(u"filepath.xml"));
  EXPECT_FALSE(ProgramFileExists(u"backupfullpath.xml"));
  EXPECT_EQ(target_->StateOf(target_->DiskItem(3)), kStateDisabled);
  EXPECT_EQ(target_->StateOf(target_->DiskItem(1)), kStateUnchecked);

  // The greyed disk ignores clicks in the target tree.
  ASSERT_TRUE(ClickCheckBox(target_->Handle(), target_->DiskItem(3)));
  EXPECT_EQ(target_->m_selectedDisk, -1);

  ASSERT_TRUE(ClickCheckBox(source_->Handle(), source_->DiskItem(3)));
  EXPECT_EQ(source_->m_selectedDisk, -1);
  EXPECT_EQ(target_->StateOf(target_->DiskItem(3)), kStateUnchecked);
}

TEST_F(SourceTreeTest, TheWindowsFolderOfDriveCFollowsItsSwitch) {
  TempFolder other;
  ASSERT_TRUE(MakeFolder(W(other.Path()) + L"\\WINDOWS"));
  MappedDrive d(L'd', W(other.Path()));
  ASSERT_TRUE(d.Ok());
  WriteBytes(ProgramFile(u"init.xml"), "<root>\r\n<WindowsFile>0</WindowsFile>\r\n</root>\r\n");
  Fill();
  const HTREEITEM c = source_->FindPath(u"C:\\");
  const HTREEITEM dDrive = source_->FindPath(u"D:\\");
  ASSERT_NE(c, nullptr);
  ASSERT_NE(dDrive, nullptr);
  ASSERT_TRUE(Expand(source_->Handle(), c));
  EXPECT_GT(ChildCount(source_->Handle(), c), 0u);
  EXPECT_EQ(source_->FindPath(u"C:\\WINDOWS"), nullptr);
  ASSERT_TRUE(Expand(source_->Handle(), dDrive));
  EXPECT_NE(source_->FindPath(u"D:\\WINDOWS"), nullptr);

  WriteBytes(ProgramFile(u"init.xml"), "<root>\r\n<WindowsFile>1</WindowsFile>\r\n</root>\r\n");
  source_->ReadSystemFolderSwitches();
  Collapse(source_->Handle(), c);
  ASSERT_TRUE(Expand(source_->Handle(), c));
  EXPECT_NE(source_->FindPath(u"C:\\WINDOWS"), nullptr);
}

TEST_F(SourceTreeTest, ExpandingAgainReadsTheFolderAgain) {
  Fill();
  ASSERT_TRUE(Expand(source_->Handle(), Drive()));
  ASSERT_TRUE(ClickCheckBox(source_->Handle(), Docs()));
  ASSERT_TRUE(Expand(source_->Handle(), Docs()));
  EXPECT_EQ(ChildCount(source_->Handle(), Docs()), 2u);
  ASSERT_TRUE(MakeFile(W(folder_.Path()) + L"\\docs\\c.txt"));
  ASSERT_TRUE(DeleteFileW((W(folder_.Path()) + L"\\docs\\a.txt").c_str()));
  Collapse(source_->Handle(), Docs());
  ASSERT_TRUE(Expand(source_->Handle(), Docs()));
  EXPECT_EQ(ChildCount(source_->Handle(), Docs()), 2u);
  EXPECT_EQ(source_->FindPath(u"M:\\docs\\a.txt"), nullptr);
  ASSERT_NE(source_->FindPath(u"M:\\docs\\c.txt"), nullptr);
  // Inside a checked folder a new file is checked too.
  EXPECT_EQ(source_->StateOf(source_->FindPath(u"M:\\docs\\c.txt")), kStateChecked);
}

TEST_F(SourceTreeTest, LabelsCannotBeEdited) {
  Fill();
  ASSERT_TRUE(Expand(source_->Handle(), Drive()));
  EXPECT_EQ(TreeView_EditLabel(source_->Handle(), Docs()), nullptr);
  EXPECT_EQ(GetWindowLongPtrW(target_->Handle(), GWL_STYLE) & TVS_EDITLABELS, 0);
}

}  // namespace
}  // namespace qtr::test
