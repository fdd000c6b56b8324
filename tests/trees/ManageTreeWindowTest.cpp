#include <gtest/gtest.h>

#include <algorithm>

#include "devices/PasswordRecord.h"
#include "trees/ManageRules.h"
#include "trees/ManageTreeFixture.h"

namespace qtr::test {
namespace {

bool HasId(HMENU menu, UINT id) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (GetMenuItemID(menu, i) == id) return true;
  }
  return false;
}
bool Grayed(HMENU menu, int position) {
  return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_GRAYED) != 0;
}
bool IsExpanded(HWND tree, HTREEITEM item) {
  return (TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

TEST_F(ManageTreeTest, TheComputerListsItsDrivesWithTheirDataAndNoDocumentsFolders) {
  ASSERT_TRUE(MakeFolder(M(L"\\docs")));
  ASSERT_TRUE(MakeFile(M(L"\\a.txt")));
  Fill();
  for (CManageTreeCtrl* tree : {left_.get(), right_.get()}) {
    HTREEITEM root = tree->RootItem();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(TreeView_GetNextSibling(tree->Handle(), root), nullptr);
    HTREEITEM m = tree->FindPath(u"M:\\");
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(tree->IsDriveItem(m));
    EXPECT_EQ(DriveLetterOfData(tree->DataOf(m)), 'M');
    EXPECT_EQ(tree->DataOf(m) & kNoFileSystemData, 0u);
    EXPECT_EQ(ChildTexts(*tree, m), std::vector<std::u16string>{u"temp"});
    for (HTREEITEM child = TreeView_GetChild(tree->Handle(), root); child != nullptr;
         child = TreeView_GetNextSibling(tree->Handle(), child)) {
      const std::u16string path = tree->FullPath(child);
      EXPECT_FALSE(SkipsComputerChild(path)) << std::string(path.begin(), path.end());
      EXPECT_NE(tree->TextOf(child), u"My Documents");
    }
  }
  HTREEITEM m = left_->FindPath(u"M:\\");
  ASSERT_TRUE(Expand(left_->Handle(), m));
  EXPECT_EQ(ChildTexts(*left_, m), (std::vector<std::u16string>{u"a.txt", u"docs"}));
  EXPECT_EQ(ChildTexts(*left_, left_->FindPath(u"M:\\docs")), std::vector<std::u16string>{u"temp"});
  // The other tree is its own view: nothing opened there.
  EXPECT_EQ(ChildTexts(*right_, right_->FindPath(u"M:\\")), std::vector<std::u16string>{u"temp"});
}

TEST_F(ManageTreeTest, AFolderOnALocalDiskGetsTheShellsMenuWithoutPasswordEntries) {
  ASSERT_TRUE(MakeFolder(M(L"\\docs")));
  Fill();
  HTREEITEM docs = Open(*left_, u"M:\\docs");
  ASSERT_NE(docs, nullptr);
  auto menu = left_->MenuFor(docs);
  ASSERT_TRUE(menu);
  EXPECT_GT(GetMenuItemCount(menu->Menu()), 0);
  for (UINT id : {100u, 101u, 102u, 103u}) EXPECT_FALSE(HasId(menu->Menu(), id)) << id;
  std::vector<std::u16string> verbs;
  for (int i = 0; i < GetMenuItemCount(menu->Menu()); ++i)
    verbs.push_back(menu->VerbOf(GetMenuItemID(menu->Menu(), i)));
  EXPECT_NE(std::find(verbs.begin(), verbs.end(), u"delete"), verbs.end());
  // The computer stands for no path: no menu.
  EXPECT_FALSE(left_->MenuFor(left_->RootItem()));
}

TEST_F(ManageTreeTest, AUsbDisksDriveCarriesThePasswordEntriesByItsState) {
  disks_.Insert(UsbDisk(2, u"M: "));
  Fill();
  HTREEITEM m = left_->FindPath(u"M:\\");
  ASSERT_EQ(left_->DiskOfDrive(m), 0);
  {
    auto menu = left_->MenuFor(m);
    ASSERT_TRUE(menu);
    HMENU h = menu->Menu();
    EXPECT_EQ(GetMenuItemID(h, 0), 100u);
    EXPECT_EQ(GetMenuItemID(h, 1), 101u);
    EXPECT_EQ(GetMenuItemID(h, 2), 102u);
    EXPECT_TRUE((GetMenuState(h, 3, MF_BYPOSITION) & MF_SEPARATOR) != 0);
    wchar_t text[32] = {};
    GetMenuStringW(h, 0, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(text, L"设定密码");
    EXPECT_FALSE(Grayed(h, 0));
    EXPECT_TRUE(Grayed(h, 1));
    EXPECT_TRUE(Grayed(h, 2));
    left_->RunMenuCommand(*menu, 100);
    EXPECT_EQ(host_.asked, (std::vector<std::u16string>{u"set " + disks_[0].m_devicePath,
                                                        u"done " + disks_[0].m_devicePath}));
  }
  disks_[0].m_passwordRecord[0] = 1;
  disks_[0].m_unlocked = 1;
  auto menu = left_->MenuFor(m);
  ASSERT_TRUE(menu);
  EXPECT_TRUE(Grayed(menu->Menu(), 0));
  EXPECT_FALSE(Grayed(menu->Menu(), 1));
  EXPECT_FALSE(Grayed(menu->Menu(), 2));
}

TEST_F(ManageTreeTest, ALockedDisksDriveOpensOnlyWithThePassword) {
  ASSERT_TRUE(MakeFile(M(L"\\a.txt")));
  ASSERT_TRUE(MakeFile(N(L"\\n.txt")));
  disks_.Insert(UsbDisk(2, u"M: ", true));
  disks_[0].m_unlocked = 1;
  Fill();
  HTREEITEM m = left_->FindPath(u"M:\\");
  ASSERT_TRUE(Expand(left_->Handle(), m));
  EXPECT_TRUE(host_.asked.empty());
  // Lock: the drive closes and asks again; Cancel leaves it closed.
  auto menu = left_->MenuFor(m);
  ASSERT_TRUE(menu);
  left_->RunMenuCommand(*menu, 101);
  EXPECT_EQ(disks_[0].m_unlocked, 0);
  EXPECT_FALSE(IsExpanded(left_->Handle(), m));
  EXPECT_FALSE(Expand(left_->Handle(), m));
  EXPECT_FALSE(IsExpanded(left_->Handle(), m));
  EXPECT_EQ(host_.asked, (std::vector<std::u16string>{u"done " + disks_[0].m_devicePath,
                                                      u"verify " + disks_[0].m_devicePath}));
  // The other tree asks too; the right password opens it.
  host_.answer = true;
  HTREEITEM rm = right_->FindPath(u"M:\\");
  EXPECT_TRUE(Expand(right_->Handle(), rm));
  EXPECT_EQ(ChildTexts(*right_, rm), std::vector<std::u16string>{u"a.txt"});
  // A drive of no disk never asks.
  host_.asked.clear();
  EXPECT_TRUE(Expand(left_->Handle(), left_->FindPath(u"N:\\")));
  EXPECT_TRUE(host_.asked.empty());
}

TEST_F(ManageTreeTest, RenameInTheLabelEditRenamesOnDiskAndNeverOverwrites) {
  ASSERT_TRUE(MakeFile(M(L"\\a.txt"), "one"));
  ASSERT_TRUE(MakeFile(M(L"\\taken.txt"), "two"));
  Fill();
  HTREEITEM a = Open(*left_, u"M:\\a.txt");
  ASSERT_NE(a, nullptr);
  auto edit = [&](const wchar_t* text, bool cancel) {
    TreeView_SelectItem(left_->Handle(), a);
    left_->StartRename();
    HWND box = TreeView_GetEditControl(left_->Handle());
    if (box == nullptr) return false;
    SetWindowTextW(box, text);
    if (cancel) {
      // Escape, as a person cancels.
      SendMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
      SendMessageW(box, WM_CHAR, VK_ESCAPE, 0);
    } else {
      TreeView_EndEditLabelNow(left_->Handle(), FALSE);
    }
    PumpMessages();
    return true;
  };
  // Cancelled, a bad name, an existing name: nothing changes on disk.
  ASSERT_TRUE(edit(L"b.txt", true));
  EXPECT_NE(GetFileAttributesW(M(L"\\a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(edit(L"x:y.txt", false));
  ASSERT_TRUE(edit(L"taken.txt", false));
  EXPECT_EQ(told_.size(), 2u);

  EXPECT_NE(GetFileAttributesW(M(L"\\a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(M(L"\\b.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  // A new name renames the file and the folder is shown afresh.
  ASSERT_TRUE(edit(L"b.txt", false));
  EXPECT_EQ(GetFileAttributesW(M(L"\\a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(M(L"\\b.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(left_->FindPath(u"M:\\b.txt"), nullptr);
  EXPECT_EQ(left_->FindPath(u"M:\\a.txt"), nullptr);
  // Drives keep their names.
  TreeView_SelectItem(left_->Handle(), left_->FindPath(u"M:\\"));
  left_->StartRename();
  EXPECT_EQ(TreeView_GetEditControl(left_->Handle()), nullptr);
}

TEST_F(ManageTreeTest, ARenameTheStoreTakesOverIsLeftToIt) {
  ASSERT_TRUE(MakeFile(M(L"\\a.txt.qtrx"), "one"));
  ASSERT_TRUE(MakeFile(M(L"\\b.txt"), "two"));
  Fill();
  std::vector<std::u16string> handed;
  left_->SetStoredRename([&](const std::u16string& from, const std::u16string& to) {
    handed.push_back(from + u">" + to);
    return from.ends_with(u".qtrx");
  });
  const auto rename = [&](const char16_t* path, const wchar_t* text) {
    TreeView_SelectItem(left_->Handle(), Open(*left_, path));
    left_->StartRename();
    HWND box = TreeView_GetEditControl(left_->Handle());
    ASSERT_NE(box, nullptr);
    SetWindowTextW(box, text);
    TreeView_EndEditLabelNow(left_->Handle(), FALSE);
    PumpMessages();
  };
  // Taken over: the tree renames nothing itself. Declined: the tree renames as before.
  rename(u"M:\\a.txt.qtrx", L"c.txt.qtrx");
  rename(u"M:\\b.txt", L"d.txt");
  EXPECT_EQ(handed, (std::vector<std::u16string>{u"M:\\a.txt.qtrx>M:\\c.txt.qtrx", u"M:\\b.txt>M:\\d.txt"}));
  EXPECT_NE(GetFileAttributesW(M(L"\\a.txt.qtrx").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(M(L"\\d.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

int menusClosed = 0;
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  // Once the menu is up (a window of the menu class) it goes away as with Escape.
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (popup == nullptr || !IsWindowVisible(popup)) return;
  KillTimer(nullptr, id);
  ++menusClosed;
  EndMenu();
}

TEST_F(ManageTreeTest, ARightClickSelectsTheItemAndShowsTheMenuUntilItIsClosed) {
  ASSERT_TRUE(MakeFolder(M(L"\\docs")));
  ASSERT_TRUE(MakeFolder(M(L"\\other")));
  Fill();
  HTREEITEM docs = Open(*left_, u"M:\\docs");
  ASSERT_NE(docs, nullptr);
  TreeView_SelectItem(left_->Handle(), left_->FindPath(u"M:\\other"));
  RECT rect{};
  ASSERT_TRUE(TreeView_GetItemRect(left_->Handle(), docs, &rect, TRUE));
  POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  POINT screen = point;
  ClientToScreen(left_->Handle(), &screen);
  menusClosed = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseMenu);
  ASSERT_TRUE(RunHostCommand(L"/usr/bin/xdotool", L"mousemove " + std::to_wstring(screen.x) + L" " +
                                                      std::to_wstring(screen.y) + L" sleep 0.3 click 3"));
  const DWORD start = GetTickCount();
  while (menusClosed == 0 && GetTickCount() - start < 5000) {
    PumpMessages();
    Sleep(10);
  }
  KillTimer(nullptr, timer);
  PumpMessages();
  EXPECT_EQ(menusClosed, 1);
  EXPECT_EQ(TreeView_GetSelection(left_->Handle()), docs);
  // Nothing was chosen: the folder is still there.
  EXPECT_NE(GetFileAttributesW(M(L"\\docs").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace qtr::test
