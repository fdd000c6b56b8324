#include "xml/XmlEntities.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qtr {
namespace {

std::u16string Widen(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

TEST(XmlEntitiesTest, TableHoldsTheHtmlSetPlusApos) {
  const auto table = XmlEntityTable();
  EXPECT_EQ(table.size(), 253u);

  std::set<std::string_view> names;
  for (const XmlEntity& e : table) {
    EXPECT_TRUE(names.insert(e.name).second) << "duplicate " << e.name;
    EXPECT_FALSE(e.name.empty());
    EXPECT_LE(e.name.size(), 8u) << e.name;
    EXPECT_NE(e.codePoint, 0u) << e.name;
    // Every entry must be reachable through the public lookup.
    EXPECT_EQ(LookupXmlEntity(Widen(e.name)), e.codePoint) << e.name;
  }
}

TEST(XmlEntitiesTest, KnownValues) {
  EXPECT_EQ(LookupXmlEntity(u"amp"), 0x26u);
  EXPECT_EQ(LookupXmlEntity(u"lt"), 0x3Cu);
  EXPECT_EQ(LookupXmlEntity(u"gt"), 0x3Eu);
  EXPECT_EQ(LookupXmlEntity(u"quot"), 0x22u);
  EXPECT_EQ(LookupXmlEntity(u"apos"), 0x27u);
  EXPECT_EQ(LookupXmlEntity(u"nbsp"), 0xA0u);
  EXPECT_EQ(LookupXmlEntity(u"yuml"), 0xFFu);
  EXPECT_EQ(LookupXmlEntity(u"Yuml"), 0x178u);
  EXPECT_EQ(LookupXmlEntity(u"euro"), 0x20ACu);
  EXPECT_EQ(LookupXmlEntity(u"Alpha"), 0x391u);
  EXPECT_EQ(LookupXmlEntity(u"alpha"), 0x3B1u);
  EXPECT_EQ(LookupXmlEntity(u"sigmaf"), 0x3C2u);
  EXPECT_EQ(LookupXmlEntity(u"thetasym"), 0x3D1u);
  EXPECT_EQ(LookupXmlEntity(u"hearts"), 0x2665u);
  EXPECT_EQ(LookupXmlEntity(u"lArr"), 0x21D0u);
  EXPECT_EQ(LookupXmlEntity(u"larr"), 0x2190u);
  EXPECT_EQ(LookupXmlEntity(u"rArr"), 0x21D2u);
  EXPECT_EQ(LookupXmlEntity(u"frac34"), 0xBEu);
  EXPECT_EQ(LookupXmlEntity(u"there4"), 0x2234u);
  EXPECT_EQ(LookupXmlEntity(u"Dagger"), 0x2021u);
  EXPECT_EQ(LookupXmlEntity(u"dagger"), 0x2020u);
  EXPECT_EQ(LookupXmlEntity(u"ETH"), 0xD0u);
  EXPECT_EQ(LookupXmlEntity(u"eth"), 0xF0u);
}

TEST(XmlEntitiesTest, CaseInsensitiveFallback) {
  EXPECT_EQ(LookupXmlEntity(u"AMP"), 0x26u);
  EXPECT_EQ(LookupXmlEntity(u"Amp"), 0x26u);
  EXPECT_EQ(LookupXmlEntity(u"EURO"), 0x20ACu);
  EXPECT_EQ(LookupXmlEntity(u"NBSP"), 0xA0u);
  EXPECT_EQ(LookupXmlEntity(u"HeArTs"), 0x2665u);
  EXPECT_EQ(LookupXmlEntity(u"THETASYM"), 0x3D1u);

  // Names that differ only in case keep their exact meaning; other
  // spellings land on one of the two.
  const char32_t alpha = LookupXmlEntity(u"ALPHA");
  EXPECT_TRUE(alpha == 0x391u || alpha == 0x3B1u) << static_cast<unsigned>(alpha);
  const char32_t agrave = LookupXmlEntity(u"AGRAVE");
  EXPECT_TRUE(agrave == 0xC0u || agrave == 0xE0u) << static_cast<unsigned>(agrave);
  const char32_t arr = LookupXmlEntity(u"LARR");
  EXPECT_TRUE(arr == 0x2190u || arr == 0x21D0u) << static_cast<unsigned>(arr);
}

TEST(XmlEntitiesTest, UnknownNamesGiveZero) {
  EXPECT_EQ(LookupXmlEntity(u""), 0u);
  EXPECT_EQ(LookupXmlEntity(u"foo"), 0u);
  EXPECT_EQ(LookupXmlEntity(u"am"), 0u);
  EXPECT_EQ(LookupXmlEntity(u"ampx"), 0u);
  EXPECT_EQ(LookupXmlEntity(u"amp;"), 0u);
  EXPECT_EQ(LookupXmlEntity(u"#38"), 0u);
  EXPECT_EQ(LookupXmlEntity(u"thetasyms"), 0u);  // nine characters
  EXPECT_EQ(LookupXmlEntity(u"averyveryverylongname"), 0u);
  EXPECT_EQ(LookupXmlEntity(std::u16string_view(u"amp\0", 4)), 0u);
  // A non-ASCII character must not fold onto an ASCII letter.
  EXPECT_EQ(LookupXmlEntity(u"\u0101mp"), 0u);
  EXPECT_EQ(LookupXmlEntity(u"\u0161amp"), 0u);
  EXPECT_EQ(LookupXmlEntity(u"\u0141t"), 0u);
}

}  // namespace
}  // namespace qtr
