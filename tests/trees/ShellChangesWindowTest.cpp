#include <gtest/gtest.h>
#include <shlobj.h>

#include <functional>

#include "shell/MainWindow.h"
#include "trees/TreeWindowSupport.h"
#include "widgets/GdiplusSession.h"

namespace qtr::test {
namespace {

using Paths = std::vector<std::u16string>;

// Changes raised in this process with SHChangeNotify reach both trees
// through the main window's registration (Wine delivers a notification
// only inside the process that raises it).
class ShellChangesTest : public TreeWindowTest {
 protected:
  void SetUp() override {
    TreeWindowTest::SetUp();
    ASSERT_TRUE(drive_.Ok());
    ASSERT_TRUE(store_.Ok());
    const std::wstring m = W(folder_.Path());
    ASSERT_TRUE(MakeFolder(m + L"\\docs"));
    ASSERT_TRUE(MakeFolder(m + L"\\docs\\sub"));
    ASSERT_TRUE(MakeFile(m + L"\\docs\\a.txt"));
    ASSERT_TRUE(MakeFolder(m + L"\\other"));
    const std::wstring n = W(storeFolder_.Path()) + L"\\QTRPMB";
    ASSERT_TRUE(MakeFolder(n));
    ASSERT_TRUE(MakeFolder(n + L"\\M"));
    ASSERT_TRUE(MakeFile(n + L"\\M\\old.txt"));

    ASSERT_TRUE(main_.CreateModeless(nullptr));
    main_.AddShellChangeSink(source_.get());
    main_.AddShellChangeSink(target_.get());
    PumpMessages();
    ASSERT_TRUE(source_->FillComputer(disks_));
    ASSERT_TRUE(Expand(source_->Handle(), source_->FindPath(u"M:\\")));
    ASSERT_TRUE(Expand(source_->Handle(), source_->FindPath(u"M:\\docs")));
    ASSERT_TRUE(ClickCheckBox(source_->Handle(), source_->FindPath(u"M:\\docs")));
    ASSERT_TRUE(target_->DisplayTree(u"N:\\"));
    ASSERT_TRUE(Expand(target_->Handle(), target_->FindPath(u"N:\\QTRPMB")));
    ASSERT_TRUE(Expand(target_->Handle(), target_->FindPath(u"N:\\QTRPMB\\M")));
  }
  void TearDown() override {
    main_.RemoveShellChangeSink(source_.get());
    main_.RemoveShellChangeSink(target_.get());
    TreeWindowTest::TearDown();
  }
  // Raises the change and waits (a little) until done says it arrived.
  bool Raise(LONG event, const std::wstring& first, const std::wstring& second,
             const std::function<bool()>& done) {
    SHChangeNotify(event, SHCNF_PATHW | SHCNF_FLUSH, first.c_str(),
                   second.empty() ? nullptr : second.c_str());
    for (int i = 0; i < 200; ++i) {
      PumpMessages();
      if (done()) return true;
      Sleep(10);
    }
    return false;
  }
  HTREEITEM S(const std::u16string& path) const { return source_->FindPath(path); }
  HTREEITEM T(const std::u16string& path) const { return target_->FindPath(path); }

  TempFolder folder_;
  MappedDrive drive_{L'm', W(folder_.Path())};
  TempFolder storeFolder_;
  MappedDrive store_{L'n', W(storeFolder_.Path())};
  GdiplusSession gdiplus_;
  CVantroDlg main_{false};
};

TEST_F(ShellChangesTest, NewAndDeletedEntriesAppearAndGo) {
  ASSERT_TRUE(MakeFile(W(folder_.Path()) + L"\\docs\\new.txt"));
  ASSERT_TRUE(
      Raise(SHCNE_CREATE, L"M:\\docs\\new.txt", L"", [&] { return S(u"M:\\docs\\new.txt") != nullptr; }));
  // Inside a checked folder the new file is checked as well.
  EXPECT_EQ(source_->StateOf(S(u"M:\\docs\\new.txt")), kStateChecked);
  EXPECT_EQ(source_->DataOf(S(u"M:\\docs\\new.txt")), kFileData);

  ASSERT_TRUE(MakeFolder(W(storeFolder_.Path()) + L"\\QTRPMB\\M\\newdir"));
  ASSERT_TRUE(Raise(SHCNE_MKDIR, L"N:\\QTRPMB\\M\\newdir", L"",
                    [&] { return T(u"N:\\QTRPMB\\M\\newdir") != nullptr; }));
  EXPECT_EQ(ChildTexts(*target_, T(u"N:\\QTRPMB\\M\\newdir")), Paths{u"temp"});

  // A folder not read yet stays as it is: it reads the entry when it opens.
  ASSERT_TRUE(MakeFile(W(folder_.Path()) + L"\\other\\x.txt"));
  ASSERT_TRUE(Raise(SHCNE_CREATE, L"M:\\other\\x.txt", L"", [] { return true; }));
  EXPECT_EQ(ChildTexts(*source_, S(u"M:\\other")), Paths{u"temp"});

  ASSERT_TRUE(DeleteFileW((W(folder_.Path()) + L"\\docs\\a.txt").c_str()));
  ASSERT_TRUE(Raise(SHCNE_DELETE, L"M:\\docs\\a.txt", L"", [&] { return S(u"M:\\docs\\a.txt") == nullptr; }));
  ASSERT_TRUE(RemoveDirectoryW((W(storeFolder_.Path()) + L"\\QTRPMB\\M\\newdir").c_str()));
  ASSERT_TRUE(Raise(SHCNE_RMDIR, L"N:\\QTRPMB\\M\\newdir", L"",
                    [&] { return T(u"N:\\QTRPMB\\M\\newdir") == nullptr; }));
}

TEST_F(ShellChangesTest, RenamedEntriesKeepTheirCheckAndMovedOnesChangePlace) {
  const std::wstring m = W(folder_.Path());
  ASSERT_TRUE(MoveFileW((m + L"\\docs").c_str(), (m + L"\\papers").c_str()));
  ASSERT_TRUE(
      Raise(SHCNE_RENAMEFOLDER, L"M:\\docs", L"M:\\papers", [&] { return S(u"M:\\papers") != nullptr; }));
  HTREEITEM papers = S(u"M:\\papers");
  EXPECT_EQ(S(u"M:\\docs"), nullptr);
  EXPECT_EQ(source_->TextOf(papers), u"papers");
  EXPECT_EQ(source_->StateOf(papers), kStateChecked);
  // The selection follows the new name, so that it still holds after a restart.
  EXPECT_EQ(ReadBytes(ProgramFile(u"backupfullpath.xml")),
            "<filepath>\r\n<path path=\"M:\\papers\"/>\r\n</filepath>\r\n");
  // What was read below the old name is read again when it opens.
  EXPECT_EQ(ChildTexts(*source_, papers), Paths{u"temp"});
  ASSERT_TRUE(Expand(source_->Handle(), papers));
  EXPECT_NE(S(u"M:\\papers\\a.txt"), nullptr);

  ASSERT_TRUE(MoveFileW((m + L"\\papers\\a.txt").c_str(), (m + L"\\a.txt").c_str()));
  ASSERT_TRUE(Raise(SHCNE_RENAMEITEM, L"M:\\papers\\a.txt", L"M:\\a.txt",
                    [&] { return S(u"M:\\a.txt") != nullptr && S(u"M:\\papers\\a.txt") == nullptr; }));
}

TEST_F(ShellChangesTest, AFolderRefreshShowsWhatChangedOnDisk) {
  ASSERT_TRUE(MakeFile(W(folder_.Path()) + L"\\docs\\quiet.txt"));
  ASSERT_TRUE(MakeFile(W(storeFolder_.Path()) + L"\\QTRPMB\\M\\stored.txt"));
  ASSERT_TRUE(Raise(SHCNE_UPDATEDIR, L"M:\\docs", L"", [&] { return S(u"M:\\docs\\quiet.txt") != nullptr; }));
  ASSERT_TRUE(Raise(SHCNE_UPDATEDIR, L"N:\\QTRPMB\\M", L"",
                    [&] { return T(u"N:\\QTRPMB\\M\\stored.txt") != nullptr; }));
}

TEST_F(ShellChangesTest, DrivesComeAndGo) {
  TempFolder extra;
  MappedDrive p(L'p', W(extra.Path()));
  ASSERT_TRUE(p.Ok());
  ASSERT_TRUE(Raise(SHCNE_DRIVEADD, L"P:\\", L"", [&] { return S(u"P:\\") != nullptr; }));
  // A drive of a listed USB disk is a target, never a source.
  TempFolder usb;
  MappedDrive q(L'q', W(usb.Path()));
  ASSERT_TRUE(q.Ok());
  disks_.Insert(UsbDisk(5, u"Q: "));
  ASSERT_TRUE(Raise(SHCNE_DRIVEADD, L"Q:\\", L"", [] { return true; }));
  EXPECT_EQ(S(u"Q:\\"), nullptr);
  EXPECT_EQ(ChildTexts(*source_, S(u"P:\\")), Paths{u"temp"});
  // The drives stay in letter order.
  HTREEITEM m = S(u"M:\\");
  HTREEITEM next = TreeView_GetNextSibling(source_->Handle(), m);
  EXPECT_TRUE(next == S(u"N:\\") || next == S(u"P:\\"));

  ASSERT_TRUE(Raise(SHCNE_DRIVEREMOVED, L"N:\\", L"", [&] { return !target_->HasPartitionItem(); }));
  EXPECT_EQ(S(u"N:\\"), nullptr);
  EXPECT_EQ(target_->TargetRoot(), u"");
  // The checked folder of M: still counts.
  EXPECT_EQ(source_->RootState(), kStatePartly);
}

}  // namespace
}  // namespace qtr::test
