#include "xml/XmlEscape.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

TEST(XmlEscape, TextEscapesMarkupButLeavesQuotes) {
  EXPECT_EQ(EscapeXmlText(u"a<b & \"c\" 'd'>"), u"a&lt;b &amp; \"c\" 'd'&gt;");
}

TEST(XmlEscape, AttributeEscapesQuotesToo) {
  EXPECT_EQ(EscapeXmlAttribute(u"a<b & \"c\" 'd'>"), u"a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt;");
}

TEST(XmlEscape, NumericReferencesBecomeCharacters) {
  EXPECT_EQ(UnescapeXml(u"&#65;&#x42;&#x00e9;"), u"AB\u00e9");
  EXPECT_EQ(UnescapeXml(u"&#x1F600;"), std::u16string({0xD83D, 0xDE00}));
  EXPECT_EQ(UnescapeXml(u"&#1114111;"), std::u16string({0xDBFF, 0xDFFF}));
}

TEST(XmlEscape, NamedReferencesIncludingHtmlNamesAndFoldedCase) {
  EXPECT_EQ(UnescapeXml(u"&lt;&gt;&amp;&quot;&apos;"), u"<>&\"'");
  EXPECT_EQ(UnescapeXml(u"&euro;&nbsp;&hearts;&thetasym;"), u"\u20ac\u00a0\u2665\u03d1");
  EXPECT_EQ(UnescapeXml(u"&AMP;&Alpha;&alpha;"), u"&\u0391\u03b1");
}

TEST(XmlEscape, WhatIsNoReferenceStaysLiteral) {
  EXPECT_EQ(UnescapeXml(u"&bogus; &#0; &#x0; & x;"), u"&bogus; &#0; &#x0; & x;");
  EXPECT_EQ(UnescapeXml(u"AT&T and fish &amp chips"), u"AT&T and fish &amp chips");
  EXPECT_EQ(UnescapeXml(u"&#x110000; &#xD800; &#12a; &#;"), u"&#x110000; &#xD800; &#12a; &#;");
  // Nine characters at most between '&' and ';'.
  EXPECT_EQ(UnescapeXml(u"&#0000000065;"), u"&#0000000065;");
  EXPECT_EQ(UnescapeXml(u"&#00000065;"), u"A");
  EXPECT_EQ(UnescapeXml(u"&#99999999999999999999;"), u"&#99999999999999999999;");
  // The literal '&' does not swallow a real reference right behind it.
  EXPECT_EQ(UnescapeXml(u"&&lt;"), u"&<");
  EXPECT_EQ(UnescapeXml(u"trailing &"), u"trailing &");
}

}  // namespace
}  // namespace qtr
