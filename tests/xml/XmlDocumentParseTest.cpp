#include <gtest/gtest.h>

#include "xml/XmlDocument.h"

namespace qtr {
namespace {

bool LogHas(const XmlDocument& doc, std::u16string_view record) {
  return doc.GetResult().find(u"<" + std::u16string(record) + u" ") != std::u16string::npos ||
         doc.GetResult().find(u"<" + std::u16string(record) + u"/>") != std::u16string::npos;
}

TEST(XmlParse, DeclarationCommentsDoctypeAndCdataAreNotElements) {
  XmlDocument doc;
  ASSERT_TRUE(
      doc.SetDoc(u"<?xml version=\"1.0\"?>\r\n<!-- a <b> comment -->\r\n"
                 u"<!DOCTYPE r [ <!ENTITY x \"a>b\"> ]>\r\n"
                 u"<r><![CDATA[<not/>]]><k a=\"x>y\">v</k></r>\r\n<!-- trailing -->"));
  EXPECT_EQ(doc.GetResult(), u"");
  ASSERT_TRUE(doc.FindElement());
  EXPECT_EQ(doc.GetTagName(), u"r");
  ASSERT_TRUE(doc.FindChildElement());
  EXPECT_EQ(doc.GetChildTagName(), u"k");
  EXPECT_EQ(doc.GetChildAttribute(u"a"), u"x>y");
  EXPECT_FALSE(doc.FindChildElement());
}

TEST(XmlParse, TwoTopLevelElementsAreIllFormed) {
  XmlDocument doc;
  EXPECT_FALSE(doc.SetDoc(u"<a/><b/>"));
  EXPECT_TRUE(LogHas(doc, u"root_has_sibling"));
  EXPECT_FALSE(doc.IsWellFormed());
  // What was parsed is still there to read.
  ASSERT_TRUE(doc.FindElement(u"b"));
}

TEST(XmlParse, NoElementAtAll) {
  for (const char16_t* text : {u"", u"just text", u"<?xml version=\"1.0\"?>", u"<!-- only -->"}) {
    XmlDocument doc;
    EXPECT_FALSE(doc.SetDoc(text)) << "text: "
                                   << std::string(text, text + std::char_traits<char16_t>::length(text));
    EXPECT_TRUE(LogHas(doc, u"no_root_element"));
  }
}

TEST(XmlParse, UnendedElementsLetTheirParentEndThem) {
  XmlDocument doc;
  EXPECT_FALSE(doc.SetDoc(u"<r><a><b>1</b><c><d/></r>"));
  EXPECT_TRUE(LogHas(doc, u"unended_start_tag"));
  EXPECT_NE(doc.GetResult().find(u"tagname=\"a\""), std::u16string::npos);
  EXPECT_NE(doc.GetResult().find(u"tagname=\"c\""), std::u16string::npos);
  // a and c end at their start tags; what they held became r's children.
  std::u16string names;
  while (doc.FindChildElement()) names += doc.GetChildTagName() + u",";
  EXPECT_EQ(names, u"a,b,c,d,");
  doc.ResetPosition();
  ASSERT_TRUE(doc.FindChildElement(u"b"));
  EXPECT_EQ(doc.GetChildData(), u"1");
}

TEST(XmlParse, ElementsOpenAtTheEndMoveToTheTop) {
  XmlDocument doc;
  EXPECT_FALSE(doc.SetDoc(u"<r><a>text"));
  EXPECT_TRUE(LogHas(doc, u"unended_start_tag"));
  EXPECT_TRUE(LogHas(doc, u"root_has_sibling"));
}

TEST(XmlParse, EndTagWithoutStartTag) {
  XmlDocument doc;
  EXPECT_FALSE(doc.SetDoc(u"<r><a/></b></r>"));
  EXPECT_TRUE(LogHas(doc, u"lone_end_tag"));
  EXPECT_NE(doc.GetResult().find(u"tagname=\"b\""), std::u16string::npos);
  ASSERT_TRUE(doc.FindChildElement(u"a"));
}

TEST(XmlParse, SyntaxFaultsAreReportedAndSkipped) {
  struct Case {
    const char16_t* text;
    const char16_t* record;
  };
  const Case cases[] = {
      {u"<r><!-- never closed </r>", u"comment_tag_syntax"},
      {u"<r><![CDATA[ never closed </r>", u"cdata_section_syntax"},
      {u"<!DOCTYPE r [ <!ENTITY x 'y'> <r/>", u"doctype_tag_syntax"},
      {u"<r><!bogus></r>", u"exclamation_tag_syntax"},
      {u"<r>a < b</r>", u"first_tag_syntax"},
      {u"<r><a x=\"1\"</r>", u"unterminated_tag_syntax"},
      {u"<r></r", u"unterminated_tag_syntax"},
      {u"<r/><?pi", u"unterminated_tag_syntax"},
      {u"<r/><", u"unterminated_tag_syntax"},
  };
  for (const Case& c : cases) {
    XmlDocument doc;
    EXPECT_FALSE(doc.SetDoc(c.text));
    EXPECT_TRUE(LogHas(doc, c.record))
        << "log: " << std::string(doc.GetResult().begin(), doc.GetResult().end());
  }
  // After a stray '<' the markup behind it is still read.
  XmlDocument doc;
  doc.SetDoc(u"<r>a < b<k>v</k></r>");
  ASSERT_TRUE(doc.FindChildElement(u"k"));
  EXPECT_EQ(doc.GetChildData(), u"v");
}

TEST(XmlParse, ResultLogStopsGrowingPastItsCap) {
  std::u16string text = u"<r>";
  for (int i = 0; i < 5000; ++i) text += u"</x>";
  text += u"</r>";
  XmlDocument doc;
  EXPECT_FALSE(doc.SetDoc(text));
  EXPECT_GT(doc.GetResult().size(), 999u);
  EXPECT_LT(doc.GetResult().size(), 1100u);
}

TEST(XmlParse, DeepNestingNeitherRecursesNorSlowsDown) {
  std::u16string text;
  for (int i = 0; i < 100000; ++i) text += u"<a>";
  text += u"<b/>";
  XmlDocument doc;
  EXPECT_FALSE(doc.SetDoc(text));  // every a is unended
  ASSERT_TRUE(doc.FindElement(u"b"));
  std::u16string closed = text;
  for (int i = 0; i < 100000; ++i) closed += u"</a>";
  EXPECT_TRUE(doc.SetDoc(closed));
}

}  // namespace
}  // namespace qtr
