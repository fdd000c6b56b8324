// Links (junctions, symbolic links, mount points) in the store and in the
// walks: nothing is changed through one, no walk descends into one, and
// the store is known by what it is, not by how its path is spelt.
#include <gtest/gtest.h>

#include <algorithm>

#include "JobFixture.h"
#include "engine/VerifyStore.h"

namespace qtr {
namespace {

using test::Narrow;

constexpr char16_t kLinkLine[] = u";Fail(4395)";

class StoreLinkTest : public test::JobFixture {
 protected:
  StoreLinkTest() {
    fs.PutFile(u"C:\\Docs\\letter.txt", "dear");
    fs.PutFile(u"C:\\Docs\\1.xml", "<mine/>");
    fs.PutFile(u"C:\\Docs\\7.~qtrpart", "mine too");
    fs.PutFile(u"C:\\src\\a.txt", "aaa");
    fs.PutFile(u"C:\\src\\sub\\b.txt", "bbb");
    docs_ = DocsState();
  }
  // Every path under C:\Docs with its bytes and times: what must not change.
  std::vector<std::string> DocsState() {
    std::vector<std::string> state;
    for (const auto& path : fs.AllPaths()) {
      if (!path.starts_with(u"C:\\Docs")) continue;
      std::string bytes;
      fs.GetFile(path, &bytes);
      state.push_back(Narrow(path) + "=" + bytes + "@" + std::to_string(Times(path).lastWrite) + "/" +
                      std::to_string(Attributes(path)));
    }
    return state;
  }
  size_t LinesWith(std::u16string_view text) {
    return std::count_if(lines.lines.begin(), lines.lines.end(),
                         [&](const std::u16string& line) { return line.find(text) != std::u16string::npos; });
  }

  std::vector<std::string> docs_;
};

// The store, its partial or its index folder as a link to a person's
// folder: a backup deleted every file there, or wrote index pieces among them.
TEST_F(StoreLinkTest, AStoreFolderThatIsALinkRefusesTheBackupAndLeavesWhatItLeadsToAlone) {
  for (const char16_t* link : {u"F:\\QTRPMB\\~partial", u"F:\\QTRPMB\\~index", u"F:\\QTRPMB"}) {
    SCOPED_TRACE(Narrow(link));
    for (const auto& path : fs.AllPaths())
      if (path.starts_with(u"F:\\")) fs.RemoveFile(path);
    for (const auto& folder : {u"F:\\QTRPMB\\~partial", u"F:\\QTRPMB\\~index", u"F:\\QTRPMB"})
      fs.RemoveFolder(folder);
    lines.lines.clear();
    fs.AddLink(link, u"C:\\Docs");
    Backup({"C:\\src"});
    EXPECT_EQ(DocsState(), docs_);
    ASSERT_EQ(lines.lines.size(), 1u);
    EXPECT_EQ(lines.lines[0], std::u16string(link) + kLinkLine + std::u16string(kLinkNotFollowedText));
  }
}

TEST_F(StoreLinkTest, LeftoversGoOnlyByTheNamesTheProgramGivesThem) {
  fs.PutFile(u"F:\\QTRPMB\\~partial\\12.~qtrpart", "cut short");
  fs.PutFile(u"F:\\QTRPMB\\~partial\\notes.txt", "someone's");
  fs.PutFile(u"F:\\QTRPMB\\~partial\\x1.~qtrpart", "not ours");
  Backup({"C:\\src"});
  EXPECT_FALSE(fs.Exists(u"F:\\QTRPMB\\~partial\\12.~qtrpart"));
  EXPECT_TRUE(fs.Exists(u"F:\\QTRPMB\\~partial\\notes.txt"));
  EXPECT_TRUE(fs.Exists(u"F:\\QTRPMB\\~partial\\x1.~qtrpart"));
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\src\\a.txt"), "aaa");
}

// A link below a drive folder of the store: the files that would go
// through it are not stored, nor its times set; the rest are.
TEST_F(StoreLinkTest, ALinkInsideTheStoreIsReportedOnceAndNothingGoesThroughIt) {
  fs.AddLink(u"F:\\QTRPMB\\C\\src\\sub", u"C:\\Docs");
  fs.PutFile(u"C:\\src\\sub\\c.txt", "ccc");
  Backup({"C:\\src"});
  EXPECT_EQ(DocsState(), docs_);
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\src\\a.txt"), "aaa");
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_EQ(Narrow(lines.lines[0]), Narrow(std::u16string(u"F:\\QTRPMB\\C\\src\\sub") + kLinkLine +
                                           kLinkNotFollowedText));
}

// A link to a folder above stored the tree again at every level; one to
// another place stored what is not selected.
TEST_F(StoreLinkTest, TheSourceWalkListsALinkOnceAndDoesNotDescend) {
  fs.AddLink(u"C:\\src\\sub\\up", u"C:\\src");
  fs.AddLink(u"C:\\src\\docs", u"C:\\Docs");
  fs.AddLink(u"C:\\picked", u"C:\\Docs");
  auto job = Backup({"C:\\src", "C:\\picked"});
  EXPECT_EQ(StoreFiles(), (std::vector<std::string>{"F:\\QTRPMB\\C\\src\\a.txt", "F:\\QTRPMB\\C\\src\\sub\\b.txt"}));
  EXPECT_EQ(LinesWith(u"C:\\src\\sub\\up;Fail(4395)"), 1u);
  EXPECT_EQ(LinesWith(u"C:\\src\\docs;Fail(4395)"), 1u);
  EXPECT_EQ(LinesWith(u"C:\\picked;Fail(4395)"), 1u);
  EXPECT_EQ(lines.lines.size(), 3u);
  EXPECT_EQ(job->counters.finishedCount, 2u);
}

TEST_F(StoreLinkTest, TheRestoreAndVerifyWalksDoNotDescendIntoALinkInTheStore) {
  Backup({"C:\\src"});
  ASSERT_TRUE(lines.lines.empty());
  fs.AddLink(u"F:\\QTRPMB\\C\\src\\loop", u"F:\\QTRPMB\\C");
  fs.AddLink(u"F:\\QTRPMB\\C\\src\\docs", u"C:\\Docs");
  fs.RemoveFile(u"C:\\src\\a.txt");
  Restore({"F:\\QTRPMB\\C", "F:\\QTRPMB\\C\\src\\docs"});
  EXPECT_EQ(Content(u"C:\\src\\a.txt"), "aaa");
  EXPECT_FALSE(fs.Exists(u"C:\\src\\loop"));
  EXPECT_FALSE(fs.Exists(u"C:\\src\\docs"));
  EXPECT_EQ(LinesWith(u"F:\\QTRPMB\\C\\src\\loop;Fail(4395)"), 1u);
  EXPECT_EQ(LinesWith(u"F:\\QTRPMB\\C\\src\\docs;Fail(4395)"), 2u);  // met by the walk, and selected
  EXPECT_EQ(lines.lines.size(), 3u);

  const VerifyReport report = VerifyStore(fs, u"F:\\QTRPMB", nullptr);
  EXPECT_EQ(report.filesChecked, 2u);
  EXPECT_EQ(report.damaged, (std::vector<std::u16string>{
                                u"F:\\QTRPMB\\C\\src\\docs;a link (junction or symbolic link), not followed",
                                u"F:\\QTRPMB\\C\\src\\loop;a link (junction or symbolic link), not followed"}));
  EXPECT_EQ(DocsState(), docs_);
}

// G: is a second letter for the target's volume: by its text, G:\QTRPMB is
// not the store, and the store backed itself up.
TEST_F(StoreLinkTest, TheStoreUnderAnotherDriveLetterIsNotBackedUp) {
  fs.PutFile(u"F:\\data\\x.txt", "xx");
  fs.AddLink(u"G:", u"F:\\");
  Backup({"G:"});
  Backup({"G:", "G:\\QTRPMB\\G"});
  EXPECT_EQ(StoreFiles(), (std::vector<std::string>{"F:\\data\\x.txt", "F:\\QTRPMB\\G\\data\\x.txt"}));
  for (const auto& line : lines.lines) ADD_FAILURE() << Narrow(line);
}

}  // namespace
}  // namespace qtr
