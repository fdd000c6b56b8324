#include "platform/EncodingAliases.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#ifndef _WIN32
#include <iconv.h>
#endif

namespace qtr {
namespace {

unsigned Cp(std::string_view ascii) {
  return CodePageFromEncodingName(std::u16string(ascii.begin(), ascii.end()));
}

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return u;
}

TEST(EncodingAliasesTest, TableIsLowerCaseUniqueAndReachable) {
  const auto table = EncodingAliasTable();
  EXPECT_GE(table.size(), 360u);

  std::set<std::string_view> names;
  for (const EncodingAlias& a : table) {
    EXPECT_TRUE(names.insert(a.name).second) << "duplicate " << a.name;
    EXPECT_NE(a.codePage, 0u) << a.name;
    for (char c : a.name) {
      EXPECT_FALSE(c >= 'A' && c <= 'Z') << a.name;
      EXPECT_TRUE(static_cast<unsigned char>(c) < 0x80) << a.name;
    }
    EXPECT_EQ(Cp(a.name), a.codePage) << a.name;
    EXPECT_EQ(Cp(Upper(a.name)), a.codePage) << a.name;
  }
}

struct Expected {
  const char* name;
  unsigned codePage;
};

TEST(EncodingAliasesTest, CommonNames) {
  const Expected cases[] = {
      {"utf-8", 65001},
      {"UTF8", 65001},
      {"utf-16", 1200},
      {"unicode", 1200},
      {"utf-16le", 1200},
      {"utf-16be", 1201},
      {"unicodeFFFE", 1201},
      {"utf-7", 65000},
      {"utf-32", 12000},
      {"utf-32be", 12001},
      {"windows-1250", 1250},
      {"windows-1258", 1258},
      {"cp1250", 1250},
      {"cp1258", 1258},
      {"x-cp1250", 1250},
      {"x-cp1256", 1256},
      {"Windows-1252", 1252},
      {"iso-8859-1", 28591},
      {"latin1", 28591},
      {"l1", 28591},
      {"ISO_8859-1", 28591},
      {"iso8859-1", 28591},
      {"ibm819", 28591},
      {"cp819", 28591},
      {"csISOLatin1", 28591},
      {"iso-8859-2", 28592},
      {"latin2", 28592},
      {"iso-8859-5", 28595},
      {"iso-8859-9", 28599},
      {"iso-8859-13", 28603},
      {"iso-8859-15", 28605},
      {"latin9", 28605},
      {"iso-8859-8-i", 38598},
      {"iso-8859-8", 28598},
      {"us-ascii", 20127},
      {"ascii", 20127},
      {"ANSI_X3.4-1968", 20127},
      {"iso646-us", 20127},
      {"us", 20127},
      {"csascii", 20127},
      {"cp367", 20127},
      {"ibm367", 20127},
      {"gb2312", 936},
      {"GBK", 936},
      {"cp936", 936},
      {"csgb2312", 936},
      {"chinese", 936},
      {"x-gbk", 936},
      {"gb_2312-80", 936},
      {"iso-ir-58", 936},
      {"cn-gb", 936},
      {"ms936", 936},
      {"gb18030", 54936},
      {"big5", 950},
      {"cn-big5", 950},
      {"csbig5", 950},
      {"x-x-big5", 950},
      {"big5-hkscs", 950},
      {"Shift_JIS", 932},
      {"sjis", 932},
      {"shift-jis", 932},
      {"ms_kanji", 932},
      {"csshiftjis", 932},
      {"x-sjis", 932},
      {"cp932", 932},
      {"windows-31j", 932},
      {"euc-jp", 51932},
      {"x-euc-jp", 51932},
      {"cseucpkdfmtjapanese", 51932},
      {"iso-2022-jp", 50220},
      {"csiso2022jp", 50220},
      {"euc-kr", 51949},
      {"cseuckr", 51949},
      {"ks_c_5601-1987", 949},
      {"korean", 949},
      {"ksc5601", 949},
      {"ksc_5601", 949},
      {"iso-ir-149", 949},
      {"csksc56011987", 949},
      {"koi8-r", 20866},
      {"cskoi8r", 20866},
      {"koi", 20866},
      {"koi8-u", 21866},
      {"ibm437", 437},
      {"cp437", 437},
      {"437", 437},
      {"cp850", 850},
      {"cp852", 852},
      {"cp855", 855},
      {"cp857", 857},
      {"cp858", 858},
      {"cp860", 860},
      {"cp866", 866},
      {"cp869", 869},
      {"cp874", 874},
      {"windows-874", 874},
      {"tis-620", 874},
      {"macintosh", 10000},
      {"mac", 10000},
      {"x-mac-roman", 10000},
      {"x-mac-cyrillic", 10007},
      {"x-mac-ce", 10029},
      {"ibm037", 37},
      {"cp037", 37},
      {"ibm500", 500},
      {"ibm1026", 1026},
      {"hz-gb-2312", 52936},
      {"euc-cn", 51936},
      {"x-euc-cn", 51936},
      {"johab", 1361},
  };
  for (const Expected& c : cases) {
    EXPECT_EQ(Cp(c.name), c.codePage) << c.name;
  }
}

TEST(EncodingAliasesTest, UnknownNamesGiveZero) {
  EXPECT_EQ(Cp(""), 0u);
  EXPECT_EQ(Cp("utf-9"), 0u);
  EXPECT_EQ(Cp("utf-8 "), 0u);
  EXPECT_EQ(Cp(" utf-8"), 0u);
  EXPECT_EQ(Cp("iso-8859-12"), 0u);
  EXPECT_EQ(Cp(std::string(200, 'a')), 0u);
  EXPECT_EQ(CodePageFromEncodingName(std::u16string_view(u"utf-8\0", 6)), 0u);
  // U+0130 and U+212A fold to 'i'/'k' under full Unicode rules; names are
  // compared by ASCII case only.
  EXPECT_EQ(CodePageFromEncodingName(u"\u0130so-8859-1"), 0u);
  EXPECT_EQ(CodePageFromEncodingName(u"\u212Aoi8-r"), 0u);
}

TEST(EncodingAliasesTest, IconvNames) {
  EXPECT_STREQ(IconvNameForCodePage(65001), "UTF-8");
  EXPECT_STREQ(IconvNameForCodePage(1200), "UTF-16LE");
  EXPECT_STREQ(IconvNameForCodePage(1252), "CP1252");
  EXPECT_STREQ(IconvNameForCodePage(28591), "ISO-8859-1");
  EXPECT_STREQ(IconvNameForCodePage(20866), "KOI8-R");
  EXPECT_EQ(IconvNameForCodePage(0), nullptr);
  EXPECT_EQ(IconvNameForCodePage(4), nullptr);
  EXPECT_EQ(IconvNameForCodePage(99999), nullptr);

  // The encodings documents commonly declare must all be convertible.
  for (const char* name :
       {"utf-8",     "windows-1252", "iso-8859-1",  "us-ascii", "gb2312",         "gb18030", "big5",
        "shift_jis", "euc-jp",       "iso-2022-jp", "euc-kr",   "ks_c_5601-1987", "koi8-r",  "koi8-u",
        "ibm437",    "cp850",        "macintosh",   "ibm037",   "iso-8859-15",    "utf-32"}) {
    EXPECT_NE(IconvNameForCodePage(Cp(name)), nullptr) << name;
  }
}

#ifndef _WIN32
// Every name handed out must be one this system's iconv actually opens.
TEST(EncodingAliasesTest, IconvNamesOpenOnThisSystem) {
  std::set<unsigned> codePages;
  for (const EncodingAlias& a : EncodingAliasTable()) codePages.insert(a.codePage);
  for (unsigned cp : {20932u, 50221u, 50222u}) codePages.insert(cp);

  int opened = 0;
  for (unsigned cp : codePages) {
    const char* name = IconvNameForCodePage(cp);
    if (name == nullptr) continue;
    iconv_t cd = iconv_open("UTF-16LE", name);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << cp << " " << name;
    if (cd != reinterpret_cast<iconv_t>(-1)) {
      iconv_close(cd);
      ++opened;
    }
  }
  EXPECT_GT(opened, 90);
}
#endif

}  // namespace
}  // namespace qtr
