#include <gtest/gtest.h>

#include "xml/XmlDocument.h"

namespace qtr {
namespace {

constexpr char16_t kSettings[] =
    u"<InitInfo>\r\n"
    u"<BackupStatus>1</BackupStatus>\r\n"
    u"<HotKey Str=\"Alt+Ctrl+B\" VirtualKeyCode=\"66\"/>\r\n"
    u"<Language>0x0409</Language>\r\n"
    u"</InitInfo>\r\n";

TEST(XmlNavigation, ReadOneKeyIdiom) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDoc(kSettings));
  doc.ResetPosition();
  ASSERT_TRUE(doc.FindChildElement(u"Language"));
  EXPECT_EQ(doc.GetChildData(), u"0x0409");
  doc.ResetPosition();
  ASSERT_TRUE(doc.FindChildElement(u"HotKey"));
  EXPECT_EQ(doc.GetChildAttribute(u"Str"), u"Alt+Ctrl+B");
  EXPECT_EQ(doc.GetChildAttribute(u"VirtualKeyCode"), u"66");
  EXPECT_EQ(doc.GetChildAttribute(u"Missing"), u"");
  EXPECT_EQ(doc.GetChildData(), u"");
}

TEST(XmlNavigation, MissingChildStillLandsOnTheRoot) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDoc(kSettings));
  doc.ResetPosition();
  EXPECT_FALSE(doc.FindChildElement(u"CompressFile"));
  EXPECT_EQ(doc.GetTagName(), u"InitInfo");
  EXPECT_EQ(doc.GetChildTagName(), u"");
  // IntoElement now enters the root, and the next search walks its children.
  ASSERT_TRUE(doc.IntoElement());
  ASSERT_TRUE(doc.FindElement());
  EXPECT_EQ(doc.GetTagName(), u"BackupStatus");
}

TEST(XmlNavigation, FindGoesOnAfterTheCurrentElementAndIsCaseSensitive) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDoc(u"<list><path>a</path><x/><path>b</path><Path>c</Path></list>"));
  ASSERT_TRUE(doc.FindElement(u"list"));
  ASSERT_TRUE(doc.IntoElement());
  std::u16string seen;
  while (doc.FindElement(u"path")) {
    ASSERT_TRUE(doc.OutOfElement());
    EXPECT_EQ(doc.GetTagName(), u"list");
    ASSERT_TRUE(doc.IntoElement());
    // OutOfElement made the path element the child position; IntoElement made it current again.
    seen += doc.GetTagName() + u";";
  }
  EXPECT_EQ(seen, u"path;path;");
  EXPECT_FALSE(doc.FindElement(u"list"));  // no sibling of that name at this level
}

TEST(XmlNavigation, IntoAndOutOfNestedElements) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDoc(u"<a><b><c>deep</c></b><d>x</d></a>"));
  EXPECT_FALSE(doc.OutOfElement());
  EXPECT_FALSE(doc.IntoElement());
  ASSERT_TRUE(doc.FindChildElement(u"b"));
  ASSERT_TRUE(doc.IntoElement());  // parent a, current b
  ASSERT_TRUE(doc.FindChildElement(u"c"));
  EXPECT_EQ(doc.GetChildData(), u"deep");
  ASSERT_TRUE(doc.OutOfElement());  // current a, child b
  EXPECT_EQ(doc.GetTagName(), u"a");
  EXPECT_EQ(doc.GetChildTagName(), u"b");
  EXPECT_EQ(doc.GetChildData(), u"");  // b holds elements, not text
  ASSERT_TRUE(doc.FindChildElement());
  EXPECT_EQ(doc.GetChildTagName(), u"d");
  EXPECT_FALSE(doc.FindChildElement());
  EXPECT_EQ(doc.GetChildTagName(), u"d");  // a failed search moves nothing
}

TEST(XmlNavigation, ChildDataSkipsCommentsAndKeepsCdataAsIs) {
  XmlDocument doc;
  ASSERT_TRUE(
      doc.SetDoc(u"<r><v>a&amp;b<!-- not data --><?pi x?><![CDATA[<raw & &amp;>]]>c&lt;</v>"
                 u"<e></e><f/><g x='single &quot;q&quot;' y=bare z></g></r>"));
  ASSERT_TRUE(doc.FindChildElement(u"v"));
  EXPECT_EQ(doc.GetChildData(), u"a&b<raw & &amp;>c<");
  ASSERT_TRUE(doc.FindChildElement(u"e"));
  EXPECT_EQ(doc.GetChildData(), u"");
  ASSERT_TRUE(doc.FindChildElement(u"f"));
  EXPECT_EQ(doc.GetChildData(), u"");
  ASSERT_TRUE(doc.FindChildElement(u"g"));
  EXPECT_EQ(doc.GetChildAttribute(u"x"), u"single \"q\"");
  EXPECT_EQ(doc.GetChildAttribute(u"y"), u"bare");
  EXPECT_EQ(doc.GetChildAttribute(u"z"), u"");
}

TEST(XmlNavigation, EmptyDocumentHasNothingToFind) {
  XmlDocument doc;
  EXPECT_FALSE(doc.IsWellFormed());
  EXPECT_FALSE(doc.FindElement());
  EXPECT_FALSE(doc.FindChildElement(u"x"));
  EXPECT_EQ(doc.GetChildData(), u"");
  EXPECT_FALSE(doc.RemoveChildElement());
  EXPECT_FALSE(doc.SetAttribute(u"a", u"b"));
  EXPECT_FALSE(doc.AddChildElement(u"a", u"b"));
}

}  // namespace
}  // namespace qtr
