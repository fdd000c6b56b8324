// Store paths: sources mapped into the store and back, names folded.
#include <gtest/gtest.h>

#include "engine/StoreLayout.h"
#include "engine/StoreVersions.h"

namespace qtr {
namespace {

TEST(StoreLayoutTest, MapsSourcesIntoTheStoreAndBack) {
  EXPECT_EQ(MapToStored(u"F:\\QTRPMB", u"C:\\Users\\ann\\a.txt"), u"F:\\QTRPMB\\C\\Users\\ann\\a.txt");
  EXPECT_EQ(MapToStored(u"F:\\QTRPMB", u"D:\\photo.jpg"), u"F:\\QTRPMB\\D\\photo.jpg");
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB\\C\\Users\\ann\\a.txt"), u"C:\\Users\\ann\\a.txt");
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB\\C\\a.txt.zip"), u"C:\\a.txt.zip");
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB"), u"");
  EXPECT_EQ(MapToSource(u"F:\\Other\\a"), u"");
  // Only a one-letter drive folder of a store root maps to a drive.
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB\\C"), u"C:");
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB\\Docs\\x.txt"), u"");
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB\\~partial\\3.~qtrpart"), u"");
  EXPECT_EQ(MapToSource(u"T:\\other\\QTRPMB\\S\\tree"), u"");
}

TEST(StoreLayoutTest, VersionsLieInStampFoldersAndMapBackToTheirSources) {
  const std::u16string version = u"F:\\QTRPMB\\~versions\\2026-12-09 193800\\C\\Users\\a.txt";
  EXPECT_EQ(VersionPathOf(u"F:\\QTRPMB\\C\\Users\\a.txt", u"2026-12-09 193800"), version);
  EXPECT_EQ(VersionPathOf(u"C\\a.txt.zip", u"2026-12-09 193800.2"), u"~versions\\2026-12-09 193800.2\\C\\a.txt.zip");
  EXPECT_EQ(VersionPathOf(u"F:\\QTRPMB\\~index\\1.xml", u"2026-12-09 193800"), u"");
  EXPECT_EQ(VersionPathOf(version, u"2026-12-10 000000"), u"");  // a version is not versioned again
  EXPECT_EQ(CurrentPathOfVersion(version), u"F:\\QTRPMB\\C\\Users\\a.txt");
  EXPECT_EQ(CurrentPathOfVersion(u"~VERSIONS\\2026-12-09 193800.2\\D\\b"), u"D\\b");
  EXPECT_EQ(CurrentPathOfVersion(u"F:\\QTRPMB\\~versions\\not a stamp\\C\\a.txt"), u"");
  EXPECT_EQ(CurrentPathOfVersion(u"F:\\QTRPMB\\~versions\\2026-12-09 193800\\Docs\\a"), u"");
  EXPECT_EQ(StampOfVersion(version), u"2026-12-09 193800");
  EXPECT_EQ(MapToSource(version), u"C:\\Users\\a.txt");
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB\\~versions\\2026-12-09 193800"), u"");
  EXPECT_TRUE(LiesInVersionFolder(u"F:\\QTRPMB\\~versions\\2026-12-09 193800\\"));
  EXPECT_FALSE(LiesInVersionFolder(u"F:\\QTRPMB\\~versions"));
  EXPECT_TRUE(IsVersionsFolder(u"F:\\QTRPMB\\~Versions"));
}

TEST(StoreLayoutTest, VersionStampsReadBackAndCountDays) {
  const auto stamp = ParseVersionStamp(u"2026-03-01 070809.12");
  ASSERT_TRUE(stamp);
  EXPECT_EQ(VersionStampText(*stamp), u"2026-03-01 070809.12");
  for (const char16_t* bad : {u"2026-13-01 000000", u"2026-03-01 0708", u"2026-03-01 070809.1",
                              u"2026-03-01 070809.01", u"2026-03-01T070809", u"2026-03-01 070809x"})
    EXPECT_FALSE(ParseVersionStamp(bad)) << std::string(bad, bad + std::char_traits<char16_t>::length(bad));
  // Across the end of February and of a year, whatever the times of day.
  EXPECT_EQ(DaysBetween(*ParseVersionStamp(u"2026-02-27 235959"), *stamp), 2);
  EXPECT_EQ(DaysBetween(*ParseVersionStamp(u"2025-12-31 000000"), *ParseVersionStamp(u"2026-01-01 235959")), 1);
  EXPECT_LT(*ParseVersionStamp(u"2026-03-01 070809"), *stamp);
}

// A rename that changed only the case of a non-ASCII letter read as
// another file: names fold as the volume compares them.
TEST(StoreLayoutTest, NamesFoldAsTheVolumeComparesThem) {
  EXPECT_EQ(Lowercase(u"F:\\QTRPMB\\C\\\u00C4RGER \u03A9\u0416.TXT"), u"f:\\qtrpmb\\c\\\u00E4rger \u03C9\u0436.txt");
  EXPECT_EQ(Lowercase(u"\u01C4\u01C5\u01C6"), u"\u01C6\u01C6\u01C6");  // DZ, Dz, dz
  EXPECT_EQ(Lowercase(u"\u017F"), u"s");                             // long s upper-cases to S
  EXPECT_EQ(Lowercase(u"\u212A"), u"\u212A");                       // the Kelvin sign is not "k"
  EXPECT_EQ(Lowercase(u"\uFF21\u0100\u0101"), u"\uFF41\u0101\u0101");
  EXPECT_TRUE(EndsWithNoCase(u"\u00C9T\u00C9.TXT", u"\u00E9.txt"));
}

}  // namespace
}  // namespace qtr
