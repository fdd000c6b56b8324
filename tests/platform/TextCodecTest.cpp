#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <string>

namespace qtr {
namespace {

TEST(TextCodecTest, Windows1252EuroBothWays) {
  std::u16string text;
  ASSERT_TRUE(DecodeToUtf16(1252, "a\x80z", text));
  EXPECT_EQ(text, u"a\u20ACz");

  std::string bytes;
  bool lossy = true;
  ASSERT_TRUE(EncodeFromUtf16(1252, u"a\u20ACz\u00E9", bytes, lossy));
  EXPECT_EQ(bytes, "a\x80z\xE9");
  EXPECT_FALSE(lossy);
}

// An undeclared file is read in the ANSI code page; windows-1252 gives every
// byte back, also those it leaves undefined, so such a file of another code
// page (here GB18030) comes back as it was.
TEST(TextCodecTest, Windows1252GivesEveryByteBack) {
  const std::string gb18030 = "<r>\xD6\xD0\x81\x30\x8D\x30\x8F\x31\x90\x30\x9D\x31</r>";
  std::u16string text;
  ASSERT_TRUE(DecodeToUtf16(1252, gb18030, text));
  EXPECT_EQ(text, u"<r>\u00d6\u00d0\u00810\u008d0\u008f1\u00900\u009d1</r>");
  std::string bytes;
  bool lossy = true;
  ASSERT_TRUE(EncodeFromUtf16(1252, text, bytes, lossy));
  EXPECT_EQ(bytes, gb18030);
  EXPECT_FALSE(lossy);
}

TEST(TextCodecTest, ChineseGbkBothWays) {
  std::u16string text;
  ASSERT_TRUE(DecodeToUtf16(936, "\xD6\xD0\xCE\xC4", text));
  EXPECT_EQ(text, u"\u4E2D\u6587");

  std::string bytes;
  bool lossy = true;
  ASSERT_TRUE(EncodeFromUtf16(936, u"x\u4E2D\u6587", bytes, lossy));
  EXPECT_EQ(bytes, "x\xD6\xD0\xCE\xC4");
  EXPECT_FALSE(lossy);
}

TEST(TextCodecTest, Utf8NonBmpIsASurrogatePair) {
  const std::string utf8 = "\xF0\x9F\x98\x80!";  // U+1F600
  std::u16string text;
  ASSERT_TRUE(DecodeToUtf16(65001, utf8, text));
  EXPECT_EQ(text, u"\xD83D\xDE00!");

  std::string bytes;
  bool lossy = true;
  ASSERT_TRUE(EncodeFromUtf16(65001, text, bytes, lossy));
  EXPECT_EQ(bytes, utf8);
  EXPECT_FALSE(lossy);
}

TEST(TextCodecTest, UnmappableCharactersBecomeQuestionMarks) {
  std::string bytes;
  bool lossy = false;
  ASSERT_TRUE(EncodeFromUtf16(1252, u"a\u4E2Db", bytes, lossy));
  EXPECT_EQ(bytes, "a?b");
  EXPECT_TRUE(lossy);

  // No look-alike substitution either: U+0101 must not quietly become 'a'.
  lossy = false;
  ASSERT_TRUE(EncodeFromUtf16(1252, u"\u0101", bytes, lossy));
  EXPECT_EQ(bytes, "?");
  EXPECT_TRUE(lossy);

  // A non-BMP character has no windows-1252 form either.
  lossy = false;
  ASSERT_TRUE(EncodeFromUtf16(1252, u"x\xD83D\xDE00y", bytes, lossy));
  EXPECT_TRUE(lossy);
  ASSERT_GE(bytes.size(), 3u);
  EXPECT_EQ(bytes.front(), 'x');
  EXPECT_EQ(bytes.back(), 'y');
  EXPECT_EQ(bytes.substr(1, bytes.size() - 2).find_first_not_of('?'), std::string::npos);
}

TEST(TextCodecTest, UnpairedSurrogatesAreLossyNotFatal) {
  const std::u16string cases[] = {
      u"a\xD800", u"\xDC00z", u"a\xD800z", u"\xDE00\xD83D", u"\xD800\xD800\xDC00",
  };
  for (unsigned cp : {1252u, 65001u, 936u}) {
    for (const std::u16string& text : cases) {
      std::string bytes;
      bool lossy = false;
      ASSERT_TRUE(EncodeFromUtf16(cp, text, bytes, lossy)) << cp;
      EXPECT_TRUE(lossy) << cp;
      EXPECT_NE(bytes.find('?'), std::string::npos) << cp;
    }
  }
  // A valid pair after an unpaired high surrogate still comes through.
  std::string bytes;
  bool lossy = false;
  ASSERT_TRUE(EncodeFromUtf16(65001, u"\xD800\xD83D\xDE00", bytes, lossy));
  EXPECT_EQ(bytes, "?\xF0\x9F\x98\x80");
}

TEST(TextCodecTest, InvalidUtf8IsReplacedNotFatal) {
  const std::string cases[] = {
      "A\xFF"
      "B",  // byte that never occurs
      "A\x80"
      "B",  // stray continuation byte
      "A\xC3"
      "B",  // lead byte without its continuation
      "A\xED\xA0\x80"
      "B",  // encoded surrogate
      "A\xC0\xAF"
      "B",  // overlong '/'
  };
  for (const std::string& bytes : cases) {
    std::u16string text;
    ASSERT_TRUE(DecodeToUtf16(65001, bytes, text));
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.front(), u'A');
    EXPECT_EQ(text.back(), u'B');
    EXPECT_NE(text.find(u'\uFFFD'), std::u16string::npos);
    EXPECT_EQ(text.find(u'/'), std::u16string::npos);
  }

  // A sequence cut off by the end of the input.
  std::u16string text;
  ASSERT_TRUE(DecodeToUtf16(65001, "ok\xE4\xB8", text));
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text.substr(0, 2), u"ok");
  EXPECT_EQ(text.back(), u'\uFFFD');
}

TEST(TextCodecTest, EmptyInputAndAnsiCodePage) {
  std::u16string text = u"stale";
  ASSERT_TRUE(DecodeToUtf16(1252, "", text));
  EXPECT_TRUE(text.empty());
  std::string bytes = "stale";
  bool lossy = true;
  ASSERT_TRUE(EncodeFromUtf16(65001, u"", bytes, lossy));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(lossy);

  EXPECT_NE(AnsiCodePage(), 0u);
  ASSERT_TRUE(DecodeToUtf16(0, "plain ascii", text));
  EXPECT_EQ(text, u"plain ascii");
  ASSERT_TRUE(EncodeFromUtf16(0, u"plain ascii", bytes, lossy));
  EXPECT_EQ(bytes, "plain ascii");
  EXPECT_FALSE(lossy);
}

TEST(TextCodecTest, LargeInputIsConvertedWhole) {
  std::string bytes;
  for (int i = 0; i < 20000; ++i)
    bytes +=
        "\xD6\xD0"
        "a";
  std::u16string text;
  ASSERT_TRUE(DecodeToUtf16(936, bytes, text));
  ASSERT_EQ(text.size(), 40000u);
  EXPECT_EQ(text[39998], u'\u4E2D');
  EXPECT_EQ(text[39999], u'a');

  std::string back;
  bool lossy = true;
  ASSERT_TRUE(EncodeFromUtf16(65001, text, back, lossy));
  EXPECT_EQ(back.size(), 20000u * 4);
  EXPECT_FALSE(lossy);
}

TEST(TextCodecTest, UnsupportedCodePageFails) {
  std::u16string text;
  EXPECT_FALSE(DecodeToUtf16(4, "abc", text));
  EXPECT_FALSE(DecodeToUtf16(4, "", text));
  std::string bytes;
  bool lossy = false;
  EXPECT_FALSE(EncodeFromUtf16(4, u"abc", bytes, lossy));
  EXPECT_FALSE(EncodeFromUtf16(4, u"", bytes, lossy));
}

}  // namespace
}  // namespace qtr
