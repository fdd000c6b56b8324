#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "trees/TreeWindowSupport.h"

namespace qtr::test {
namespace {

using Paths = std::vector<std::u16string>;

// Folders a tree meets in the wild, on drive M:.
class OddFoldersTest : public TreeWindowTest {
 protected:
  void SetUp() override {
    TreeWindowTest::SetUp();
    ASSERT_TRUE(drive_.Ok());
  }
  void Fill() { ASSERT_TRUE(source_->FillComputer(disks_)); }
  HTREEITEM Open(const std::u16string& path) {
    HTREEITEM item = source_->FindPath(path);
    EXPECT_NE(item, nullptr) << Utf(path);
    if (item != nullptr) {
      EXPECT_TRUE(Expand(source_->Handle(), item));
    }
    return item;
  }
  static std::string Utf(const std::u16string& text) { return std::string(text.begin(), text.end()); }
  // The top-level windows of this thread other than the test dialog (a message box would be one).
  size_t OtherWindows() const {
    struct Count {
      HWND dialog;
      size_t n;
    } count{dialog_.Handle(), 0};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM l) -> BOOL {
          auto* c = reinterpret_cast<Count*>(l);
          if (hwnd != c->dialog && IsWindowVisible(hwnd)) ++c->n;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.n;
  }

  TempFolder folder_;
  MappedDrive drive_{L'm', W(folder_.Path())};
};

TEST_F(OddFoldersTest, AFolderThatCannotBeReadShowsNoChildrenAndNoMessage) {
  ASSERT_TRUE(MakeFolder(W(folder_.Path()) + L"\\gone"));
  ASSERT_TRUE(MakeFolder(W(folder_.Path()) + L"\\gone\\inner"));
  Fill();
  Open(u"M:\\");
  HTREEITEM gone = source_->FindPath(u"M:\\gone");
  ASSERT_NE(gone, nullptr);
  // Taken away between the two listings: the find fails like an unreadable folder's.
  ASSERT_TRUE(RemoveDirectoryW((W(folder_.Path()) + L"\\gone\\inner").c_str()));
  ASSERT_TRUE(RemoveDirectoryW((W(folder_.Path()) + L"\\gone").c_str()));
  const size_t before = OtherWindows();
  Expand(source_->Handle(), gone);
  EXPECT_EQ(ChildCount(source_->Handle(), gone), 0u);
  EXPECT_EQ(OtherWindows(), before);
  // Checking it still works and is saved.
  ASSERT_TRUE(ClickCheckBox(source_->Handle(), gone));
  EXPECT_EQ(source_->StateOf(gone), kStateChecked);
}

TEST_F(OddFoldersTest, NamesOutsideTheAnsiCodePageKeepEveryCharacter) {
  const std::u16string name = u"\u0394\u03BF\u03BA\u03B9\u03BC\u03AE \u6587\u4EF6 \U0001F600";
  ASSERT_TRUE(MakeFolder(W(folder_.Path()) + L"\\" + W(name)));
  ASSERT_TRUE(MakeFile(W(folder_.Path()) + L"\\" + W(name) + L"\\\u00E9t\u00E9.txt"));
  Fill();
  Open(u"M:\\");
  HTREEITEM folder = Open(u"M:\\" + name);
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(source_->TextOf(folder), name);
  EXPECT_EQ(source_->FullPath(folder), u"M:\\" + name);
  EXPECT_EQ(ChildTexts(*source_, folder), Paths{u"\u00E9t\u00E9.txt"});
  ASSERT_TRUE(ClickCheckBox(source_->Handle(), folder));
  EXPECT_EQ(ReadBytes(ProgramFile(u"backupfullpath.xml")),
            "<filepath>\r\n<path path=\"M:\\\xCE\x94\xCE\xBF\xCE\xBA\xCE\xB9\xCE\xBC\xCE\xAE "
            "\xE6\x96\x87\xE4\xBB\xB6 "
            "\xF0\x9F\x98\x80\"/>\r\n</filepath>\r\n");
}

TEST_F(OddFoldersTest, FoldersDeeperThanMaxPathExpand) {
  const std::u16string part(60, u'd');
  std::u16string path = u"M:";
  std::wstring host = W(folder_.Path());
  for (int level = 0; level < 6; ++level) {
    path += u"\\" + part + std::u16string(1, static_cast<char16_t>(u'0' + level));
    host += L"\\" + W(part) + static_cast<wchar_t>(L'0' + level);
    ASSERT_TRUE(MakeFolder(host)) << level;
  }
  ASSERT_TRUE(MakeFile(host + L"\\deep.txt"));
  ASSERT_GT(path.size(), 300u);
  Fill();
  Open(u"M:\\");
  std::u16string walked = u"M:";
  for (int level = 0; level < 6; ++level) {
    walked += u"\\" + part + std::u16string(1, static_cast<char16_t>(u'0' + level));
    ASSERT_NE(Open(walked), nullptr) << level;
  }
  HTREEITEM deep = source_->FindPath(path + u"\\deep.txt");
  ASSERT_NE(deep, nullptr);
  EXPECT_EQ(source_->TextOf(deep), u"deep.txt");
  EXPECT_EQ(source_->FullPath(deep), path + u"\\deep.txt");
  ASSERT_TRUE(ClickCheckBox(source_->Handle(), deep));
  // The only entry of each folder: every folder up to the drive is checked with it.
  EXPECT_EQ(source_->StateOf(source_->FindPath(u"M:\\")), kStateChecked);
  EXPECT_EQ(source_->RootState(), kStatePartly);
}

TEST_F(OddFoldersTest, SystemEntriesAreLeftOutAndShortcutsMarked) {
  const std::wstring base = W(folder_.Path());
  ASSERT_TRUE(MakeFile(base + L"\\plain.txt"));
  ASSERT_TRUE(MakeFile(base + L"\\Editor.LNK"));
  ASSERT_TRUE(MakeFile(base + L"\\system.bin"));
  ASSERT_TRUE(MakeFile(base + L"\\hidden.txt"));
  // (Wine keeps no temporary attribute; the filter's own tests cover it.)
  ASSERT_TRUE(SetFileAttributesW((base + L"\\system.bin").c_str(), FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesW((base + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  Fill();
  HTREEITEM drive = Open(u"M:\\");
  Paths texts = ChildTexts(*source_, drive);
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (Paths{u"Editor.LNK", u"hidden.txt", u"plain.txt"}));
  const auto overlay = [&](const std::u16string& path) {
    return TreeView_GetItemState(source_->Handle(), source_->FindPath(path), TVIS_OVERLAYMASK);
  };
  EXPECT_EQ(overlay(u"M:\\Editor.LNK"), INDEXTOOVERLAYMASK(2));
  EXPECT_EQ(overlay(u"M:\\plain.txt"), 0u);
}

TEST_F(OddFoldersTest, TwentyThousandEntriesExpandWhileTheWindowAnswers) {
  const std::wstring big = W(folder_.Path()) + L"\\big";
  ASSERT_TRUE(MakeFolder(big));
  const std::string host = HostPath(big);
  ASSERT_FALSE(host.empty());
  // The host makes the files at its own speed; a marker says when it is done.
  const std::wstring script = L"-c \"cd '" + std::wstring(host.begin(), host.end()) +
                              L"' && seq -w 1 20000 | sed 's/^/entry/' | xargs touch && touch ../big-done\"";
  ASSERT_TRUE(RunHostCommand(L"/bin/sh", script));
  const std::wstring done = W(folder_.Path()) + L"\\big-done";
  for (int i = 0; i < 3000 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(10);
  ASSERT_NE(GetFileAttributesW(done.c_str()), INVALID_FILE_ATTRIBUTES);

  Fill();
  Open(u"M:\\");
  HTREEITEM folder = source_->FindPath(u"M:\\big");
  ASSERT_NE(folder, nullptr);
  // Only the items on screen ask for their pictures (each asking costs the
  // shell's time): the tree's parent counts the requests while the folder
  // opens and is drawn. A count, not a time, so that a busy machine does not
  // fail it; the times are printed for a person to read.
  HWND parent = GetParent(source_->Handle());
  static size_t requests = 0;
  static WNDPROC original = nullptr;
  requests = 0;
  original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND hwnd, UINT message, WPARAM w, LPARAM l) -> LRESULT {
        if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(l)->code == TVN_GETDISPINFOW) ++requests;
        return CallWindowProcW(original, hwnd, message, w, l);
      })));
  const DWORD start = GetTickCount();
  ASSERT_TRUE(Expand(source_->Handle(), folder));
  const DWORD took = GetTickCount() - start;
  const DWORD paintStart = GetTickCount();
  RedrawWindow(source_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const DWORD painted = GetTickCount() - paintStart;
  SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  const size_t asked = requests;
  EXPECT_EQ(ChildCount(source_->Handle(), folder), 20000u);
  EXPECT_NE(source_->FindPath(u"M:\\big\\entry20000"), nullptr);
  EXPECT_NE(source_->FindPath(u"M:\\big\\entry00001"), nullptr);
  EXPECT_GT(asked, 0u);  // pictures come when drawn, not with the items
  EXPECT_LE(asked, 2 * TreeView_GetVisibleCount(source_->Handle()) + 10u);
  std::printf("expanding 20,000 entries: %lu ms, drawing them: %lu ms, %zu pictures asked for\n",
              static_cast<unsigned long>(took), static_cast<unsigned long>(painted), asked);
}

}  // namespace
}  // namespace qtr::test
