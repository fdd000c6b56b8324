// Store paths: sources mapped into the store and back, names folded.
#include <gtest/gtest.h>

#include "engine/StoreLayout.h"

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
