#include <gtest/gtest.h>

#include "platform/NumberText.h"
#include "xml/XmlDocument.h"

namespace qtr {
namespace {

TEST(XmlEdit, DocumentBuiltFromNothingIsOneElementPerLine) {
  XmlDocument doc;
  ASSERT_TRUE(doc.AddElement(u"InitInfo"));
  ASSERT_TRUE(doc.IntoElement());
  ASSERT_TRUE(doc.AddElement(u"BackupFinish", u"0"));
  ASSERT_TRUE(doc.AddElement(u"HotKey"));
  EXPECT_EQ(doc.GetDoc(),
            u"<InitInfo>\r\n"
            u"<BackupFinish>0</BackupFinish>\r\n"
            u"<HotKey/>\r\n"
            u"</InitInfo>\r\n");
  ASSERT_TRUE(doc.SetAttribute(u"Str", u"Alt+Ctrl+B"));
  ASSERT_TRUE(doc.SetAttribute(u"VirtualKeyCode", u"66"));
  EXPECT_EQ(doc.GetDoc(),
            u"<InitInfo>\r\n"
            u"<BackupFinish>0</BackupFinish>\r\n"
            u"<HotKey Str=\"Alt+Ctrl+B\" VirtualKeyCode=\"66\"/>\r\n"
            u"</InitInfo>\r\n");
  // Replacing a value rewrites only the quoted value.
  ASSERT_TRUE(doc.SetAttribute(u"Str", u"Ctrl+F9"));
  EXPECT_EQ(doc.GetDoc(),
            u"<InitInfo>\r\n"
            u"<BackupFinish>0</BackupFinish>\r\n"
            u"<HotKey Str=\"Ctrl+F9\" VirtualKeyCode=\"66\"/>\r\n"
            u"</InitInfo>\r\n");
  // The index followed every edit: a fresh parse of the text agrees with it.
  XmlDocument reparsed;
  ASSERT_TRUE(reparsed.SetDoc(doc.GetDoc()));
  doc.ResetPosition();
  ASSERT_TRUE(doc.FindChildElement(u"BackupFinish"));
  EXPECT_EQ(doc.GetChildData(), u"0");
  ASSERT_TRUE(doc.FindChildElement());
  EXPECT_EQ(doc.GetChildAttribute(u"VirtualKeyCode"), u"66");
  EXPECT_FALSE(doc.FindChildElement());
}

TEST(XmlEdit, EmptyValueWritesAnEmptyElementTag) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDoc(u"<r>\r\n</r>"));
  ASSERT_TRUE(doc.FindElement());
  ASSERT_TRUE(doc.AddChildElement(u"a", u""));
  EXPECT_EQ(doc.GetDoc(), u"<r>\r\n<a/>\r\n</r>");
}

TEST(XmlEdit, FirstChildOfAnEmptyElementRewritesItOnThreeLines) {
  for (const char16_t* start : {u"<r/>", u"<r />", u"<r></r>"}) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetDoc(std::u16string(u"<top>") + start + u"<after/></top>"));
    ASSERT_TRUE(doc.FindChildElement(u"r"));
    ASSERT_TRUE(doc.IntoElement());  // current r
    ASSERT_TRUE(doc.AddChildElement(u"path", u"C:\\data"));
    const std::u16string startTag = std::u16string(start) == u"<r />" ? u"<r >" : u"<r>";
    EXPECT_EQ(doc.GetDoc(), u"<top>" + startTag + u"\r\n<path>C:\\data</path>\r\n</r><after/></top>");
    // The element behind the rewritten one moved with it.
    ASSERT_TRUE(doc.OutOfElement());  // current top, child r
    ASSERT_TRUE(doc.FindChildElement(u"after"));
    ASSERT_TRUE(doc.SetChildAttribute(u"k", u"v"));
    EXPECT_TRUE(doc.GetDoc().ends_with(u"</r><after k=\"v\"/></top>"));
  }
}

TEST(XmlEdit, ValuesAreEscapedAndReadBackUnchanged) {
  const std::u16string value = u"a<b & \"c\" 'd'";
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDoc(u"<r/>"));
  ASSERT_TRUE(doc.FindElement());
  ASSERT_TRUE(doc.AddChildElement(u"t", value));
  ASSERT_TRUE(doc.SetChildAttribute(u"v", value));
  EXPECT_EQ(doc.GetDoc(),
            u"<r>\r\n<t v=\"a&lt;b &amp; &quot;c&quot; &apos;d&apos;\">a&lt;b &amp; \"c\" 'd'</t>\r\n</r>");
  EXPECT_EQ(doc.GetChildData(), value);
  EXPECT_EQ(doc.GetChildAttribute(u"v"), value);
}

constexpr char16_t kThreeKeys[] =
    u"<InitInfo>\r\n"
    u"<BackupStatus>1</BackupStatus>\r\n"
    u"<BackupFinish>0</BackupFinish>\r\n"
    u"<Language>0x0409</Language>\r\n"
    u"</InitInfo>\r\n";

TEST(XmlEdit, ReplaceOneKeyKeepsItsPlace) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDoc(kThreeKeys));
  doc.ResetPosition();
  ASSERT_TRUE(doc.FindChildElement(u"BackupFinish"));
  ASSERT_TRUE(doc.RemoveChildElement());
  EXPECT_EQ(doc.GetChildTagName(), u"BackupStatus");
  ASSERT_TRUE(doc.AddChildElement(u"BackupFinish", u"2"));
  EXPECT_EQ(doc.GetDoc(),
            u"<InitInfo>\r\n"
            u"<BackupStatus>1</BackupStatus>\r\n"
            u"<BackupFinish>2</BackupFinish>\r\n"
            u"<Language>0x0409</Language>\r\n"
            u"</InitInfo>\r\n");
}

TEST(XmlEdit, RemovingTheFirstChildAndAddingAgainPutsItAtTheEnd) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDoc(kThreeKeys));
  doc.ResetPosition();
  ASSERT_TRUE(doc.FindChildElement(u"BackupStatus"));
  ASSERT_TRUE(doc.RemoveChildElement());
  EXPECT_EQ(doc.GetChildTagName(), u"");
  // No child position: the new element goes to the end of the parent's content.
  ASSERT_TRUE(doc.FindChildElement(u"Language"));
  ASSERT_TRUE(doc.AddChildElement(u"BackupStatus", u"0"));
  EXPECT_EQ(doc.GetDoc(),
            u"<InitInfo>\r\n"
            u"<BackupFinish>0</BackupFinish>\r\n"
            u"<Language>0x0409</Language>\r\n"
            u"<BackupStatus>0</BackupStatus>\r\n"
            u"</InitInfo>\r\n");
}

TEST(XmlEdit, MissingKeyIsInsertedAsTheFirstChild) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDoc(kThreeKeys));
  doc.ResetPosition();
  ASSERT_FALSE(doc.FindChildElement(u"CompressFile"));
  doc.ResetPosition();
  ASSERT_TRUE(doc.FindElement());
  ASSERT_TRUE(doc.IntoElement());
  ASSERT_TRUE(doc.InsertElement(u"CompressFile", u"0"));
  EXPECT_EQ(doc.GetDoc(),
            u"<InitInfo>\r\n"
            u"<CompressFile>0</CompressFile>\r\n"
            u"<BackupStatus>1</BackupStatus>\r\n"
            u"<BackupFinish>0</BackupFinish>\r\n"
            u"<Language>0x0409</Language>\r\n"
            u"</InitInfo>\r\n");
  // Before the current element, at its '<'.
  ASSERT_TRUE(doc.FindElement(u"Language"));
  ASSERT_TRUE(doc.InsertElement(u"Hidden"));
  EXPECT_NE(doc.GetDoc().find(u"</BackupFinish>\r\n<Hidden/>\r\n<Language>"), std::u16string::npos);
  EXPECT_EQ(doc.GetTagName(), u"Hidden");
  ASSERT_TRUE(doc.FindElement());
  EXPECT_EQ(doc.GetTagName(), u"Language");
}

TEST(XmlEdit, RemoveTakesTheWhiteSpaceBehindTheElement) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDoc(u"<r>\r\n  <a>1</a>\r\n  <!-- kept -->\r\n  <b><c/></b>\r\n</r>"));
  ASSERT_TRUE(doc.FindChildElement(u"b"));
  ASSERT_TRUE(doc.RemoveChildElement());
  EXPECT_EQ(doc.GetDoc(), u"<r>\r\n  <a>1</a>\r\n  <!-- kept -->\r\n  </r>");
  EXPECT_EQ(doc.GetChildTagName(), u"a");
  ASSERT_TRUE(doc.RemoveChildElement());
  EXPECT_EQ(doc.GetDoc(), u"<r>\r\n  <!-- kept -->\r\n  </r>");
  EXPECT_FALSE(doc.RemoveChildElement());
  EXPECT_FALSE(doc.FindChildElement());
}

TEST(XmlEdit, InvalidNamesAreRefused) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDoc(u"<r/>"));
  ASSERT_TRUE(doc.FindElement());
  const std::u16string before = doc.GetDoc();
  EXPECT_FALSE(doc.AddChildElement(u""));
  EXPECT_FALSE(doc.AddChildElement(u"1abc"));
  EXPECT_FALSE(doc.AddChildElement(u"a b"));
  EXPECT_FALSE(doc.SetAttribute(u"x>", u"v"));
  EXPECT_EQ(doc.GetDoc(), before);
}

TEST(XmlEdit, ElementEndedByItsParentTakesChildrenOnItsOwnLine) {
  XmlDocument doc;
  EXPECT_FALSE(doc.SetDoc(u"<r><open a='1'><x/></r>"));
  ASSERT_TRUE(doc.FindChildElement(u"open"));
  ASSERT_TRUE(doc.IntoElement());
  ASSERT_TRUE(doc.IntoElement());  // parent open, no current element: its content
  ASSERT_TRUE(doc.AddElement(u"n", u"v"));
  EXPECT_EQ(doc.GetDoc(), u"<r><open a='1'>\r\n<n>v</n>\r\n</open><x/></r>");
  ASSERT_TRUE(doc.OutOfElement());  // current open
  ASSERT_TRUE(doc.OutOfElement());  // current r
  ASSERT_TRUE(doc.FindChildElement(u"x"));
  ASSERT_TRUE(doc.SetChildAttribute(u"k", u"1"));
  EXPECT_EQ(doc.GetDoc(), u"<r><open a='1'>\r\n<n>v</n>\r\n</open><x k=\"1\"/></r>");
}

// More than one block of 65,536 records.
TEST(XmlEdit, TwoHundredThousandElements) {
  constexpr int kCount = 200000;
  std::u16string text = u"<list>\r\n";
  for (int i = 0; i < kCount; ++i) {
    const std::string line =
        "<path n=\"" + std::to_string(i) + "\">C:\\f" + std::to_string(i) + "</path>\r\n";
    text.append(line.begin(), line.end());
  }
  text += u"</list>\r\n";
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDoc(text));

  doc.ResetPosition();
  int seen = 0;
  while (doc.FindChildElement(u"path")) {
    if (seen == 70000 || seen == kCount - 1) {
      EXPECT_EQ(doc.GetChildAttribute(u"n"), DigitsOf(seen));
      const std::string expected = "C:\\f" + std::to_string(seen);
      EXPECT_EQ(doc.GetChildData(), std::u16string(expected.begin(), expected.end()));
    }
    if (seen == 131072) {
      ASSERT_TRUE(doc.RemoveChildElement());  // in the third block
    }
    ++seen;
  }
  EXPECT_EQ(seen, kCount);
  ASSERT_TRUE(doc.AddChildElement(u"path", u"last"));
  ASSERT_TRUE(doc.SetChildAttribute(u"n", u"end"));
  EXPECT_TRUE(doc.GetDoc().ends_with(
      u"<path n=\"199999\">C:\\f199999</path>\r\n<path n=\"end\">last</path>\r\n</list>\r\n"));
  EXPECT_EQ(doc.GetDoc().find(u"n=\"131072\""), std::u16string::npos);

  // The edited index still matches the text everywhere.
  XmlDocument reparsed;
  ASSERT_TRUE(reparsed.SetDoc(doc.GetDoc()));
  doc.ResetPosition();
  reparsed.ResetPosition();
  int count = 0;
  while (doc.FindChildElement()) {
    ASSERT_TRUE(reparsed.FindChildElement());
    if (count % 9973 == 0 || count > kCount - 3) {
      EXPECT_EQ(doc.GetChildAttribute(u"n"), reparsed.GetChildAttribute(u"n"));
      EXPECT_EQ(doc.GetChildData(), reparsed.GetChildData());
    }
    ++count;
  }
  EXPECT_EQ(count, kCount);
}

}  // namespace
}  // namespace qtr
