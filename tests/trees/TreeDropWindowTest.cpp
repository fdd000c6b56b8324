#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <thread>

#include "trees/ManageTreeFixture.h"

namespace qtr::test {
namespace {

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The target a shortcut file points at; empty when it cannot be read.
std::wstring LinkTarget(const std::wstring& file) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return {};
  std::wstring target;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
      target = path;
    persist->Release();
  }
  link->Release();
  return target;
}

class TreeDropTest : public ManageTreeTest {
 protected:
  void SetUp() override {
    ManageTreeTest::SetUp();
    leftDrop_ = std::make_unique<CTreeDropTarget>(*left_);
    rightDrop_ = std::make_unique<CTreeDropTarget>(*right_);
    ASSERT_TRUE(leftDrop_->Register());
    ASSERT_TRUE(rightDrop_->Register());
  }
  static POINTL PointOf(HWND tree, HTREEITEM item) {
    RECT rect{};
    TreeView_GetItemRect(tree, item, &rect, TRUE);
    POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(tree, &point);
    return {point.x, point.y};
  }
  // Drags dragged from the left tree onto the right tree's item into (null:
  // the empty area at the bottom) through the right tree's drop target.
  DWORD Drop(HTREEITEM dragged, HTREEITEM into, DWORD keys) {
    TreeView_SelectItem(left_->Handle(), dragged);
    SetDragSourceWindow(left_->Handle());
    POINTL point{};
    if (into != nullptr) {
      point = PointOf(right_->Handle(), into);
    } else {
      RECT client{};
      GetClientRect(right_->Handle(), &client);
      POINT bottom{client.right / 2, client.bottom - 20};
      ClientToScreen(right_->Handle(), &bottom);
      point = {bottom.x, bottom.y};
    }
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    rightDrop_->DragEnter(nullptr, keys, point, &effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    rightDrop_->DragOver(keys, point, &effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    rightDrop_->Drop(nullptr, keys, point, &effect);
    SetDragSourceWindow(nullptr);
    PumpMessages();
    return effect;
  }
};

TEST_F(TreeDropTest, CtrlCopiesAPlainDropMovesAndAFolderNeverGoesIntoItself) {
  ASSERT_TRUE(MakeFolder(M(L"\\src")));
  ASSERT_TRUE(MakeFile(M(L"\\src\\a.txt"), "alpha"));
  ASSERT_TRUE(MakeFolder(M(L"\\moved")));
  ASSERT_TRUE(MakeFile(M(L"\\moved\\b.txt"), "beta"));
  ASSERT_TRUE(MakeFile(N(L"\\n.txt")));
  Fill();
  HTREEITEM src = Open(*left_, u"M:\\src");
  HTREEITEM target = right_->FindPath(u"N:\\");
  ASSERT_TRUE(Expand(right_->Handle(), target));
  EXPECT_EQ(Drop(src, target, MK_CONTROL), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_TRUE(Exists(N(L"\\src\\a.txt")));
  EXPECT_TRUE(Exists(M(L"\\src\\a.txt")));
  // The destination is shown afresh.
  EXPECT_EQ(ChildTexts(*right_, target), (std::vector<std::u16string>{u"n.txt", u"src"}));

  EXPECT_EQ(Drop(left_->FindPath(u"M:\\moved"), target, 0), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_TRUE(Exists(N(L"\\moved\\b.txt")));
  EXPECT_FALSE(Exists(M(L"\\moved")));

  // Into itself, below itself, or where it already stands: refused.
  HTREEITEM rightM = right_->FindPath(u"M:\\");
  ASSERT_TRUE(Expand(right_->Handle(), rightM));
  EXPECT_EQ(Drop(left_->FindPath(u"M:\\src"), right_->FindPath(u"M:\\src"), MK_CONTROL),
            static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(Drop(left_->FindPath(u"M:\\src"), rightM, 0), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_TRUE(Exists(M(L"\\src\\a.txt")));
}

TEST_F(TreeDropTest, ADriveMakesAShortcutNamedByItsLabel) {
  ASSERT_TRUE(MakeFolder(N(L"\\links")));
  ASSERT_TRUE(MakeFile(M(L"\\m.txt")));
  Fill();
  HTREEITEM drive = left_->FindPath(u"M:\\");
  HTREEITEM links = Open(*right_, u"N:\\links");
  ASSERT_NE(links, nullptr);
  // Even with Ctrl: a whole drive is never copied.
  EXPECT_EQ(Drop(drive, links, MK_CONTROL), static_cast<DWORD>(DROPEFFECT_LINK));
  const std::u16string name = ShortcutFileName(left_->TextOf(drive), true);
  ASSERT_GE(name.size(), 6u);
  EXPECT_EQ(name.substr(name.size() - 5), u").lnk");
  EXPECT_EQ(name.find(u':'), std::u16string::npos);
  const std::wstring file = N(L"\\links\\") + W(name);
  ASSERT_TRUE(Exists(file));
  EXPECT_FALSE(Exists(N(L"\\links\\m.txt")));
  EXPECT_EQ(LinkTarget(file).substr(0, 2), L"M:");
  // A second shortcut keeps the first.
  EXPECT_EQ(Drop(drive, links, 0), static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_TRUE(Exists(file));
  EXPECT_TRUE(Exists(N(L"\\links\\") + W(name.substr(0, name.size() - 4)) + L" (2).lnk"));
  // Alt makes a shortcut of a file, named by its label.
  HTREEITEM file1 = Open(*left_, u"M:\\m.txt");
  EXPECT_EQ(Drop(file1, links, MK_ALT), static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_EQ(LinkTarget(N(L"\\links\\m.txt.lnk")), L"M:\\m.txt");
}

TEST_F(TreeDropTest, EmptyAreaAndFilesTakeNoDrop) {
  ASSERT_TRUE(MakeFile(M(L"\\a.txt")));
  ASSERT_TRUE(MakeFile(N(L"\\b.txt")));
  Fill();
  HTREEITEM a = Open(*left_, u"M:\\a.txt");
  EXPECT_EQ(Drop(a, nullptr, 0), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(Drop(a, Open(*right_, u"N:\\b.txt"), 0), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_TRUE(Exists(M(L"\\a.txt")));
  EXPECT_FALSE(Exists(N(L"\\a.txt")));
  EXPECT_EQ(TreeView_GetDropHilight(right_->Handle()), nullptr);
}

TEST_F(TreeDropTest, HoveringOverAClosedFolderOpensItAfter800Milliseconds) {
  ASSERT_TRUE(MakeFolder(N(L"\\deep")));
  ASSERT_TRUE(MakeFile(N(L"\\deep\\inner.txt")));
  ASSERT_TRUE(MakeFile(M(L"\\a.txt")));
  Fill();
  HTREEITEM deep = Open(*right_, u"N:\\deep");
  ASSERT_NE(deep, nullptr);
  TreeView_SelectItem(left_->Handle(), Open(*left_, u"M:\\a.txt"));
  SetDragSourceWindow(left_->Handle());
  const POINTL point = PointOf(right_->Handle(), deep);
  DWORD effect = DROPEFFECT_MOVE;
  rightDrop_->DragEnter(nullptr, 0, point, &effect);
  effect = DROPEFFECT_MOVE;
  rightDrop_->DragOver(0, point, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(TreeView_GetDropHilight(right_->Handle()), deep);
  Sleep(300);
  rightDrop_->DragOver(0, point, &effect);
  EXPECT_EQ(TreeView_GetItemState(right_->Handle(), deep, TVIS_EXPANDED) & TVIS_EXPANDED, 0u);
  Sleep(600);
  rightDrop_->DragOver(0, point, &effect);
  EXPECT_NE(TreeView_GetItemState(right_->Handle(), deep, TVIS_EXPANDED) & TVIS_EXPANDED, 0u);
  EXPECT_EQ(ChildTexts(*right_, deep), std::vector<std::u16string>{u"inner.txt"});
  rightDrop_->DragLeave();
  EXPECT_EQ(TreeView_GetDropHilight(right_->Handle()), nullptr);
  SetDragSourceWindow(nullptr);
}

TEST_F(TreeDropTest, AThousandFilesArriveAndAMoveBetweenDrivesRemovesTheSource) {
  ASSERT_TRUE(MakeFolder(M(L"\\many")));
  for (int i = 0; i < 1000; ++i)
    ASSERT_TRUE(MakeFile(M(L"\\many\\f") + std::to_wstring(i) + L".txt", std::to_string(i)));
  ASSERT_TRUE(MakeFile(N(L"\\n.txt")));
  Fill();
  HTREEITEM many = Open(*left_, u"M:\\many");
  HTREEITEM n = right_->FindPath(u"N:\\");
  ASSERT_EQ(Drop(many, n, MK_CONTROL), static_cast<DWORD>(DROPEFFECT_COPY));
  int arrived = 0;
  for (int i = 0; i < 1000; ++i) arrived += Exists(N(L"\\many\\f") + std::to_wstring(i) + L".txt") ? 1 : 0;
  EXPECT_EQ(arrived, 1000);

  ASSERT_TRUE(MakeFolder(M(L"\\go")));
  ASSERT_TRUE(MakeFile(M(L"\\go\\x.bin"), std::string(300000, 'x')));
  Fill();
  ASSERT_EQ(Drop(Open(*left_, u"M:\\go"), right_->FindPath(u"N:\\"), 0), static_cast<DWORD>(DROPEFFECT_MOVE));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(N(L"\\go\\x.bin").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 300000u);
  EXPECT_FALSE(Exists(M(L"\\go")));
}

// A person's drag with the mouse: xdotool presses on a file of the left
// tree, moves to a drive of the right tree and lets go, while the drag's
// own loop runs here.
TEST_F(TreeDropTest, AMouseDragThroughTheSystemsDragLoopMovesAFile) {
  ASSERT_TRUE(MakeFile(M(L"\\dragged.txt"), "moved by mouse"));
  ASSERT_TRUE(MakeFile(N(L"\\n.txt")));
  Fill();
  HTREEITEM file = Open(*left_, u"M:\\dragged.txt");
  ASSERT_NE(file, nullptr);
  HTREEITEM n = right_->FindPath(u"N:\\");
  PumpMessages();
  const POINTL from = PointOf(left_->Handle(), file);
  const POINTL to = PointOf(right_->Handle(), n);
  auto at = [](POINTL p) { return std::to_wstring(p.x) + L" " + std::to_wstring(p.y); };
  ASSERT_TRUE(RunHostCommand(L"/usr/bin/xdotool",
                             L"mousemove " + at(from) + L" sleep 0.3 mousedown 1 sleep 0.2 mousemove " +
                                 at({from.x + 10, from.y + 3}) + L" sleep 0.2 mousemove " +
                                 at({from.x + 30, from.y + 5}) + L" sleep 0.3 mousemove " + at(to) +
                                 L" sleep 0.3 mousemove " + at({to.x + 2, to.y}) + L" sleep 0.3 mouseup 1"));
  const DWORD start = GetTickCount();
  while (!Exists(N(L"\\dragged.txt")) && GetTickCount() - start < 8000) {
    PumpMessages();
    Sleep(20);
  }
  EXPECT_TRUE(Exists(N(L"\\dragged.txt")));
  EXPECT_FALSE(Exists(M(L"\\dragged.txt")));
  EXPECT_EQ(DragSourceWindow(), nullptr);
}

}  // namespace
}  // namespace qtr::test
