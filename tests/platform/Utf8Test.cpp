#include "platform/Utf8.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

TEST(Utf8, ValidatesWellFormedTextOnly) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain ascii"));
  EXPECT_TRUE(IsValidUtf8("\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("\xE9"));              // a Latin-1 byte
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong '/'
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // an encoded surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE4\xB8"));          // cut off at the end
}

TEST(Utf8, DecodesToSurrogatePairsAndReplacesBadBytes) {
  EXPECT_EQ(Utf8ToUtf16("a\xC3\xA9\xF0\x9F\x98\x80"), std::u16string({u'a', 0xE9, 0xD83D, 0xDE00}));
  EXPECT_EQ(Utf8ToUtf16("a\xFF"
                        "b\xE4\xB8"),
            std::u16string({u'a', 0xFFFD, u'b', 0xFFFD, 0xFFFD}));
}

TEST(Utf8, EncodesAndReportsUnpairedSurrogates) {
  bool lossy = true;
  EXPECT_EQ(Utf16ToUtf8(std::u16string({u'a', 0xE9, 0xD83D, 0xDE00}), &lossy), "a\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_FALSE(lossy);
  EXPECT_EQ(Utf16ToUtf8(std::u16string({0xDC00, u'x', 0xD800}), &lossy), "\xEF\xBF\xBDx\xEF\xBF\xBD");
  EXPECT_TRUE(lossy);
}

}  // namespace
}  // namespace qtr
