#include <gtest/gtest.h>

#include "config/LanguageTable.h"
#include "support/ExecutableFolder.h"
#include "support/ScreenShot.h"
#include "trees/TreeWindowSupport.h"

namespace qtr::test {
namespace {

using Paths = std::vector<std::u16string>;

constexpr char16_t kNewer[] = u"Previous versions, 9 Dec 2026 19:38:00";
constexpr char16_t kOlder[] = u"Previous versions, 1 Dec 2026 08:00:00";

// A partition V: whose store, hidden as "Hide backup files" leaves it, holds
// C:\docs\a.txt and, in its hidden system versions folder, two version
// folders (the older one listed first on disk) and a folder that is no stamp.
class VersionsTreeTest : public TreeWindowTest {
 protected:
  void SetUp() override {
    TreeWindowTest::SetUp();
    const std::wstring store = W(folder_.Path()) + L"\\QTRPMB";
    const std::wstring versions = store + L"\\~versions";
    for (const std::wstring& folder :
         {store, store + L"\\C", store + L"\\C\\docs", versions, versions + L"\\2026-12-01 080000",
          versions + L"\\2026-12-01 080000\\C", versions + L"\\2026-12-09 193800",
          versions + L"\\2026-12-09 193800\\C", versions + L"\\2026-12-09 193800\\C\\docs",
          versions + L"\\2026-12-09 193800\\D", versions + L"\\notes"})
      ASSERT_TRUE(MakeFolder(folder));
    for (const std::wstring& file : {store + L"\\C\\docs\\a.txt", versions + L"\\2026-12-09 193800\\C\\docs\\a.txt",
                                     versions + L"\\2026-12-09 193800\\D\\x.txt",
                                     versions + L"\\2026-12-01 080000\\C\\b.txt"})
      ASSERT_TRUE(MakeFile(file));
    ASSERT_TRUE(SetFileAttributesW(versions.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesW(store.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(drive_.Ok());
    ASSERT_TRUE(target_->DisplayTree(u"V:\\"));
  }
  HTREEITEM Partition() const { return TreeView_GetRoot(target_->Handle()); }
  HTREEITEM Store() const { return target_->FindPath(u"V:\\QTRPMB"); }
  void OpenStore() {
    ASSERT_TRUE(Expand(target_->Handle(), Partition()));
    ASSERT_TRUE(Expand(target_->Handle(), Store()));
  }
  // Saves the screen where QTR_JOURNEY_SHOTS says, the target tree opened.
  void Shot(const wchar_t* name) {
    SetForegroundWindow(dialog_.Handle());
    PumpUntil([] { return false; }, 300, 20);
    SaveJourneyShot(name);
  }

  TempFolder folder_;
  MappedDrive drive_{L'v', W(folder_.Path())};
};

TEST_F(VersionsTreeTest, VersionFoldersFollowTheDriveFoldersNewestFirstAndOpenLikeStoredFolders) {
  OpenStore();
  EXPECT_EQ(ChildTexts(*target_, Store()), (Paths{u"C", kNewer, kOlder}));
  HTREEITEM newer = ChildByText(*target_, Store(), kNewer);
  ASSERT_NE(newer, nullptr);
  EXPECT_EQ(target_->FullPath(newer), u"V:\\QTRPMB\\~versions\\2026-12-09 193800");
  EXPECT_EQ(target_->StateOf(newer), kStateUnchecked);
  EXPECT_EQ(ChildTexts(*target_, newer), Paths{u"temp"});
  ASSERT_TRUE(Expand(target_->Handle(), newer));
  EXPECT_EQ(ChildTexts(*target_, newer), (Paths{u"C", u"D"}));
  ASSERT_TRUE(Expand(target_->Handle(), target_->FindPath(u"V:\\QTRPMB\\~versions\\2026-12-09 193800\\C")));
  ASSERT_TRUE(Expand(target_->Handle(), target_->FindPath(u"V:\\QTRPMB\\~versions\\2026-12-09 193800\\C\\docs")));
  HTREEITEM file = target_->FindPath(u"V:\\QTRPMB\\~versions\\2026-12-09 193800\\C\\docs\\a.txt");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(target_->DataOf(file), kFileData);
  Shot(L"versions-tree-en");

  // A versions folder that lost its attributes still shows only as its versions;
  // a new version folder shows once the store is read again.
  const std::wstring versions = W(folder_.Path()) + L"\\QTRPMB\\~versions";
  ASSERT_TRUE(SetFileAttributesW(versions.c_str(), FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(MakeFolder(versions + L"\\2026-12-09 193800.2"));
  target_->RefreshPath(u"V:\\QTRPMB");
  EXPECT_EQ(ChildTexts(*target_, Store()), (Paths{u"C", u"Previous versions, 9 Dec 2026 19:38:00 (2)", kNewer, kOlder}));
  // Taken away, a version folder's item goes.
  ASSERT_TRUE(RemoveDirectoryW((versions + L"\\2026-12-09 193800.2").c_str()));
  target_->RemovePath(u"V:\\QTRPMB\\~versions\\2026-12-09 193800.2");
  EXPECT_EQ(ChildTexts(*target_, Store()), (Paths{u"C", kNewer, kOlder}));
}

TEST_F(VersionsTreeTest, ATickedVersionRestoresFromItsFolderAndTheStoreLeavesVersionsOut) {
  OpenStore();
  HTREEITEM newer = ChildByText(*target_, Store(), kNewer);
  HTREEITEM older = ChildByText(*target_, Store(), kOlder);
  ASSERT_TRUE(Expand(target_->Handle(), newer));
  ASSERT_TRUE(ClickCheckBox(target_->Handle(), newer));
  EXPECT_EQ(target_->StateOf(target_->FindPath(u"V:\\QTRPMB\\~versions\\2026-12-09 193800\\D")), kStateChecked);
  EXPECT_EQ(target_->StateOf(Store()), kStatePartly);
  ASSERT_TRUE(target_->WriteRestoreSelection());
  EXPECT_EQ(ReadBytes(ProgramFile(u"restoreTempPath.xml")),
            "<filepath>\r\n<path path=\"V:\\QTRPMB\\~versions\\2026-12-09 193800\"/>\r\n</filepath>\r\n");

  // Part of a version, beside the other version whole.
  ASSERT_TRUE(ClickCheckBox(target_->Handle(), target_->FindPath(u"V:\\QTRPMB\\~versions\\2026-12-09 193800\\C")));
  ASSERT_TRUE(ClickCheckBox(target_->Handle(), older));
  EXPECT_EQ(target_->CheckedStorePaths(),
            (Paths{u"V:\\QTRPMB\\~versions\\2026-12-09 193800\\D", u"V:\\QTRPMB\\~versions\\2026-12-01 080000"}));

  // The whole store restores the stored files as they are now.
  ASSERT_TRUE(ClickCheckBox(target_->Handle(), Store()));
  EXPECT_EQ(target_->StateOf(Store()), kStateChecked);
  EXPECT_EQ(target_->StateOf(newer), kStateUnchecked);
  EXPECT_EQ(target_->StateOf(older), kStateUnchecked);
  EXPECT_EQ(target_->CheckedStorePaths(), Paths{u"V:\\QTRPMB"});
}

TEST_F(VersionsTreeTest, LabelsFollowTheActiveLanguage) {
  ASSERT_TRUE(ApplyLanguage(ExecutableFolder(), u"0x0804"));
  ASSERT_TRUE(target_->DisplayTree(u"V:\\"));
  OpenStore();
  EXPECT_EQ(ChildTexts(*target_, Store()),
            (Paths{u"C", u"\u65E7\u7248\u672C\uFF0C2026\u5E7412\u67089\u65E5 19:38:00",
                   u"\u65E7\u7248\u672C\uFF0C2026\u5E7412\u67081\u65E5 08:00:00"}));
  ASSERT_TRUE(Expand(target_->Handle(), target_->FindPath(u"V:\\QTRPMB\\~versions\\2026-12-09 193800")));
  Shot(L"versions-tree-zh");
  // Back in English the items are labelled again where they are, marks kept.
  HTREEITEM older = ChildByText(*target_, Store(), u"\u65E7\u7248\u672C\uFF0C2026\u5E7412\u67081\u65E5 08:00:00");
  ASSERT_TRUE(ClickCheckBox(target_->Handle(), older));
  ASSERT_TRUE(ApplyLanguage(ExecutableFolder(), u"0x0409"));
  target_->ShowTexts();
  EXPECT_EQ(ChildTexts(*target_, Store()), (Paths{u"C", kNewer, kOlder}));
  EXPECT_EQ(target_->StateOf(older), kStateChecked);
  EXPECT_EQ(target_->FullPath(older), u"V:\\QTRPMB\\~versions\\2026-12-01 080000");
  ApplyLanguage(ExecutableFolder(), u"");
}

}  // namespace
}  // namespace qtr::test
