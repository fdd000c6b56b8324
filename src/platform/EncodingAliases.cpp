#include "platform/EncodingAliases.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace qtr {
namespace {

// Grouped by code page; sorted by name at compile time below.
constexpr EncodingAlias kUnsorted[] = {
    // Unicode.
    {"utf-8", 65001}, {"utf8", 65001}, {"unicode-1-1-utf-8", 65001},
    {"unicode-2-0-utf-8", 65001}, {"x-unicode11utf8", 65001}, {"x-unicode20utf8", 65001},
    {"utf-7", 65000}, {"utf7", 65000}, {"csunicode11utf7", 65000},
    {"unicode-1-1-utf-7", 65000}, {"unicode-2-0-utf-7", 65000},
    {"x-unicode11utf7", 65000}, {"x-unicode20utf7", 65000},
    {"utf-16", 1200}, {"utf16", 1200}, {"utf-16le", 1200}, {"unicode", 1200},
    {"ucs-2", 1200}, {"iso-10646-ucs-2", 1200}, {"csunicode", 1200},
    {"utf-16be", 1201}, {"unicodefffe", 1201},
    {"utf-32", 12000}, {"utf-32le", 12000}, {"utf-32be", 12001},

    // Windows ANSI code pages.
    {"windows-1250", 1250}, {"cp1250", 1250}, {"x-cp1250", 1250},
    {"windows-1251", 1251}, {"cp1251", 1251}, {"x-cp1251", 1251},
    {"windows-1252", 1252}, {"cp1252", 1252}, {"x-cp1252", 1252}, {"x-ansi", 1252},
    {"windows-1253", 1253}, {"cp1253", 1253}, {"x-cp1253", 1253},
    {"windows-1254", 1254}, {"cp1254", 1254}, {"x-cp1254", 1254},
    {"windows-1255", 1255}, {"cp1255", 1255}, {"x-cp1255", 1255},
    {"windows-1256", 1256}, {"cp1256", 1256}, {"x-cp1256", 1256},
    {"windows-1257", 1257}, {"cp1257", 1257}, {"x-cp1257", 1257},
    {"windows-1258", 1258}, {"cp1258", 1258}, {"x-cp1258", 1258},
    {"windows-874", 874}, {"cp874", 874}, {"dos-874", 874}, {"tis-620", 874},
    {"iso-8859-11", 874},

    // ASCII.
    {"us-ascii", 20127}, {"ascii", 20127}, {"ansi_x3.4-1968", 20127},
    {"ansi_x3.4-1986", 20127}, {"iso646-us", 20127}, {"iso_646.irv:1991", 20127},
    {"iso-ir-6", 20127}, {"us", 20127}, {"csascii", 20127}, {"cp367", 20127},
    {"ibm367", 20127},

    // ISO 8859.
    {"iso-8859-1", 28591}, {"iso8859-1", 28591}, {"iso_8859-1", 28591},
    {"iso_8859-1:1987", 28591}, {"iso-ir-100", 28591}, {"latin1", 28591},
    {"l1", 28591}, {"ibm819", 28591}, {"cp819", 28591}, {"csisolatin1", 28591},
    {"iso-8859-2", 28592}, {"iso8859-2", 28592}, {"iso_8859-2", 28592},
    {"iso_8859-2:1987", 28592}, {"iso-ir-101", 28592}, {"latin2", 28592},
    {"l2", 28592}, {"csisolatin2", 28592},
    {"iso-8859-3", 28593}, {"iso8859-3", 28593}, {"iso_8859-3", 28593},
    {"iso_8859-3:1988", 28593}, {"iso-ir-109", 28593}, {"latin3", 28593},
    {"l3", 28593}, {"csisolatin3", 28593},
    {"iso-8859-4", 28594}, {"iso8859-4", 28594}, {"iso_8859-4", 28594},
    {"iso_8859-4:1988", 28594}, {"iso-ir-110", 28594}, {"latin4", 28594},
    {"l4", 28594}, {"csisolatin4", 28594},
    {"iso-8859-5", 28595}, {"iso8859-5", 28595}, {"iso_8859-5", 28595},
    {"iso_8859-5:1988", 28595}, {"iso-ir-144", 28595}, {"cyrillic", 28595},
    {"csisolatincyrillic", 28595},
    {"iso-8859-6", 28596}, {"iso8859-6", 28596}, {"iso_8859-6", 28596},
    {"iso_8859-6:1987", 28596}, {"iso-ir-127", 28596}, {"arabic", 28596},
    {"ecma-114", 28596}, {"csisolatinarabic", 28596},
    {"iso-8859-7", 28597}, {"iso8859-7", 28597}, {"iso_8859-7", 28597},
    {"iso_8859-7:1987", 28597}, {"iso-ir-126", 28597}, {"greek", 28597},
    {"greek8", 28597}, {"ecma-118", 28597}, {"elot_928", 28597},
    {"csisolatingreek", 28597},
    {"iso-8859-8", 28598}, {"iso8859-8", 28598}, {"iso_8859-8", 28598},
    {"iso_8859-8:1988", 28598}, {"iso-ir-138", 28598}, {"hebrew", 28598},
    {"csisolatinhebrew", 28598}, {"iso-8859-8 visual", 28598}, {"visual", 28598},
    {"iso-8859-8-i", 38598}, {"iso_8859-8-i", 38598}, {"csiso88598i", 38598},
    {"logical", 38598},
    {"iso-8859-9", 28599}, {"iso8859-9", 28599}, {"iso_8859-9", 28599},
    {"iso_8859-9:1989", 28599}, {"iso-ir-148", 28599}, {"latin5", 28599},
    {"l5", 28599}, {"csisolatin5", 28599},
    {"iso-8859-10", 28600}, {"iso8859-10", 28600}, {"iso_8859-10", 28600},
    {"iso-ir-157", 28600}, {"latin6", 28600}, {"l6", 28600},
    {"csisolatin6", 28600},
    {"iso-8859-13", 28603}, {"iso8859-13", 28603}, {"iso_8859-13", 28603},
    {"latin7", 28603}, {"l7", 28603},
    {"iso-8859-14", 28604}, {"iso8859-14", 28604}, {"iso_8859-14", 28604},
    {"iso-ir-199", 28604}, {"latin8", 28604}, {"l8", 28604},
    {"iso-8859-15", 28605}, {"iso8859-15", 28605}, {"iso_8859-15", 28605},
    {"latin9", 28605}, {"latin-9", 28605}, {"l9", 28605}, {"csisolatin9", 28605},
    {"iso-8859-16", 28606}, {"iso8859-16", 28606}, {"iso_8859-16", 28606},
    {"iso-ir-226", 28606}, {"latin10", 28606}, {"l10", 28606},

    // Cyrillic.
    {"koi8-r", 20866}, {"koi8r", 20866}, {"koi8", 20866}, {"koi", 20866},
    {"cskoi8r", 20866},
    {"koi8-u", 21866}, {"koi8-ru", 21866},

    // Chinese, Japanese, Korean.
    {"gb2312", 936}, {"gbk", 936}, {"cp936", 936}, {"ms936", 936},
    {"windows-936", 936}, {"x-gbk", 936}, {"csgb2312", 936}, {"csgb231280", 936},
    {"csiso58gb231280", 936}, {"chinese", 936}, {"gb_2312-80", 936},
    {"gb2312-80", 936}, {"gb231280", 936}, {"iso-ir-58", 936}, {"cn-gb", 936},
    {"gb18030", 54936},
    {"hz-gb-2312", 52936},
    {"euc-cn", 51936}, {"x-euc-cn", 51936},
    {"x-cp20936", 20936},
    {"big5", 950}, {"cn-big5", 950}, {"csbig5", 950}, {"x-x-big5", 950},
    {"big5-hkscs", 950}, {"cp950", 950},
    {"x-chinese-cns", 20000}, {"x-chinese-eten", 20002},
    {"x-cp20001", 20001}, {"x-cp20003", 20003}, {"x-cp20004", 20004},
    {"x-cp20005", 20005},
    {"iso-2022-cn", 50227}, {"x-cp50227", 50227},
    {"shift_jis", 932}, {"shift-jis", 932}, {"sjis", 932}, {"ms_kanji", 932},
    {"csshiftjis", 932}, {"cswindows31j", 932}, {"x-sjis", 932},
    {"x-ms-cp932", 932}, {"cp932", 932}, {"windows-31j", 932},
    {"euc-jp", 51932}, {"x-euc-jp", 51932}, {"cseucpkdfmtjapanese", 51932},
    {"extended_unix_code_packed_format_for_japanese", 51932},
    {"iso-2022-jp", 50220}, {"csiso2022jp", 50220},
    {"ks_c_5601-1987", 949}, {"ks_c_5601-1989", 949}, {"ks_c_5601_1987", 949},
    {"ks_c_5601", 949}, {"ksc_5601", 949}, {"ksc5601", 949}, {"korean", 949},
    {"iso-ir-149", 949}, {"csksc56011987", 949}, {"cp949", 949}, {"uhc", 949},
    {"windows-949", 949},
    {"euc-kr", 51949}, {"cseuckr", 51949}, {"iso-2022-kr-8", 51949},
    {"iso-2022-kr-8bit", 51949},
    {"iso-2022-kr", 50225}, {"csiso2022kr", 50225}, {"iso-2022-kr-7", 50225},
    {"iso-2022-kr-7bit", 50225},
    {"x-cp20949", 20949},
    {"johab", 1361},

    // OEM (DOS) code pages.
    {"ibm437", 437}, {"cp437", 437}, {"437", 437}, {"csibm437", 437},
    {"cspc8codepage437", 437},
    {"asmo-708", 708}, {"dos-720", 720}, {"ibm737", 737}, {"cp737", 737},
    {"ibm775", 775}, {"cp775", 775},
    {"ibm850", 850}, {"cp850", 850}, {"850", 850}, {"csibm850", 850},
    {"ibm852", 852}, {"cp852", 852}, {"852", 852},
    {"ibm855", 855}, {"cp855", 855},
    {"ibm857", 857}, {"cp857", 857},
    {"ibm00858", 858}, {"ccsid00858", 858}, {"cp00858", 858}, {"cp858", 858},
    {"pc-multilingual-850+euro", 858},
    {"ibm860", 860}, {"cp860", 860},
    {"ibm861", 861}, {"cp861", 861},
    {"ibm862", 862}, {"cp862", 862}, {"dos-862", 862},
    {"ibm863", 863}, {"cp863", 863},
    {"ibm864", 864}, {"cp864", 864},
    {"ibm865", 865}, {"cp865", 865},
    {"ibm866", 866}, {"cp866", 866},
    {"ibm869", 869}, {"cp869", 869},

    // Macintosh.
    {"macintosh", 10000}, {"mac", 10000}, {"x-mac-roman", 10000}, {"csmacintosh", 10000},
    {"x-mac-japanese", 10001}, {"x-mac-chinesetrad", 10002}, {"x-mac-korean", 10003},
    {"x-mac-arabic", 10004}, {"x-mac-hebrew", 10005}, {"x-mac-greek", 10006},
    {"x-mac-cyrillic", 10007}, {"x-mac-chinesesimp", 10008},
    {"x-mac-romanian", 10010}, {"x-mac-ukrainian", 10017}, {"x-mac-thai", 10021},
    {"x-mac-ce", 10029}, {"x-mac-icelandic", 10079}, {"x-mac-turkish", 10081},
    {"x-mac-croatian", 10082},

    // EBCDIC.
    {"ibm037", 37}, {"cp037", 37}, {"csibm037", 37}, {"ebcdic-cp-us", 37},
    {"ebcdic-cp-ca", 37}, {"ebcdic-cp-wt", 37}, {"ebcdic-cp-nl", 37},
    {"ibm500", 500}, {"cp500", 500}, {"csibm500", 500}, {"ebcdic-cp-be", 500},
    {"ebcdic-cp-ch", 500},
    {"ibm870", 870}, {"cp870", 870}, {"csibm870", 870}, {"ebcdic-cp-roece", 870},
    {"ebcdic-cp-yu", 870},
    {"cp875", 875}, {"x-ebcdic-greekmodern", 875},
    {"ibm1026", 1026}, {"cp1026", 1026}, {"csibm1026", 1026},
    {"ibm01047", 1047}, {"ibm1047", 1047}, {"cp1047", 1047},
    {"ibm01140", 1140}, {"ccsid01140", 1140}, {"cp01140", 1140},
    {"ebcdic-us-37+euro", 1140},
    {"ibm01141", 1141}, {"ccsid01141", 1141}, {"cp01141", 1141},
    {"ebcdic-de-273+euro", 1141},
    {"ibm01142", 1142}, {"ccsid01142", 1142}, {"cp01142", 1142},
    {"ebcdic-dk-277+euro", 1142}, {"ebcdic-no-277+euro", 1142},
    {"ibm01143", 1143}, {"ccsid01143", 1143}, {"cp01143", 1143},
    {"ebcdic-fi-278+euro", 1143}, {"ebcdic-se-278+euro", 1143},
    {"ibm01144", 1144}, {"ccsid01144", 1144}, {"cp01144", 1144},
    {"ebcdic-it-280+euro", 1144},
    {"ibm01145", 1145}, {"ccsid01145", 1145}, {"cp01145", 1145},
    {"ebcdic-es-284+euro", 1145},
    {"ibm01146", 1146}, {"ccsid01146", 1146}, {"cp01146", 1146},
    {"ebcdic-gb-285+euro", 1146},
    {"ibm01147", 1147}, {"ccsid01147", 1147}, {"cp01147", 1147},
    {"ebcdic-fr-297+euro", 1147},
    {"ibm01148", 1148}, {"ccsid01148", 1148}, {"cp01148", 1148},
    {"ebcdic-international-500+euro", 1148},
    {"ibm01149", 1149}, {"ccsid01149", 1149}, {"cp01149", 1149},
    {"ebcdic-is-871+euro", 1149},
    {"ibm273", 20273}, {"cp273", 20273}, {"csibm273", 20273},
    {"ibm277", 20277}, {"csibm277", 20277}, {"ebcdic-cp-dk", 20277},
    {"ebcdic-cp-no", 20277},
    {"ibm278", 20278}, {"cp278", 20278}, {"csibm278", 20278}, {"ebcdic-cp-fi", 20278},
    {"ebcdic-cp-se", 20278},
    {"ibm280", 20280}, {"cp280", 20280}, {"csibm280", 20280}, {"ebcdic-cp-it", 20280},
    {"ibm284", 20284}, {"cp284", 20284}, {"csibm284", 20284}, {"ebcdic-cp-es", 20284},
    {"ibm285", 20285}, {"cp285", 20285}, {"csibm285", 20285}, {"ebcdic-cp-gb", 20285},
    {"ibm290", 20290}, {"cp290", 20290}, {"csibm290", 20290},
    {"ebcdic-jp-kana", 20290},
    {"ibm297", 20297}, {"cp297", 20297}, {"csibm297", 20297}, {"ebcdic-cp-fr", 20297},
    {"ibm420", 20420}, {"cp420", 20420}, {"csibm420", 20420},
    {"ebcdic-cp-ar1", 20420},
    {"ibm423", 20423}, {"cp423", 20423}, {"csibm423", 20423}, {"ebcdic-cp-gr", 20423},
    {"ibm424", 20424}, {"cp424", 20424}, {"csibm424", 20424}, {"ebcdic-cp-he", 20424},
    {"x-ebcdic-koreanextended", 20833},
    {"ibm-thai", 20838}, {"csibmthai", 20838},
    {"ibm871", 20871}, {"cp871", 20871}, {"csibm871", 20871}, {"ebcdic-cp-is", 20871},
    {"ibm880", 20880}, {"cp880", 20880}, {"csibm880", 20880},
    {"ebcdic-cyrillic", 20880},
    {"ibm905", 20905}, {"cp905", 20905}, {"csibm905", 20905}, {"ebcdic-cp-tr", 20905},
    {"ibm00924", 20924}, {"ccsid00924", 20924}, {"cp00924", 20924},
    {"ebcdic-latin9--euro", 20924},
    {"cp1025", 21025}, {"x-ebcdic-cyrillicserbianbulgarian", 21025},

    // Other 7-bit and national sets.
    {"x-ia5", 20105}, {"x-ia5-german", 20106}, {"x-ia5-swedish", 20107},
    {"x-ia5-norwegian", 20108}, {"x-cp20261", 20261}, {"x-cp20269", 20269},
    {"x-europa", 29001},
    {"x-iscii-de", 57002}, {"x-iscii-be", 57003}, {"x-iscii-ta", 57004},
    {"x-iscii-te", 57005}, {"x-iscii-as", 57006}, {"x-iscii-or", 57007},
    {"x-iscii-ka", 57008}, {"x-iscii-ma", 57009}, {"x-iscii-gu", 57010},
    {"x-iscii-pa", 57011},
};

constexpr auto SortByName() {
    std::array<EncodingAlias, std::size(kUnsorted)> sorted{};
    std::copy(std::begin(kUnsorted), std::end(kUnsorted), sorted.begin());
    std::sort(sorted.begin(), sorted.end(),
              [](const EncodingAlias& a, const EncodingAlias& b) { return a.name < b.name; });
    return sorted;
}

constexpr auto kAliases = SortByName();

constexpr std::size_t LongestName() {
    std::size_t longest = 0;
    for (const EncodingAlias& a : kAliases) longest = std::max(longest, a.name.size());
    return longest;
}

constexpr std::size_t kMaxNameLength = LongestName();

static_assert(std::adjacent_find(kAliases.begin(), kAliases.end(),
                                 [](const EncodingAlias& a, const EncodingAlias& b) {
                                     return a.name == b.name;
                                 }) == kAliases.end(),
              "duplicate encoding alias");

struct IconvName {
    unsigned codePage;
    const char* name;
};

// Names glibc's iconv accepts. Code pages glibc has no converter for (708,
// 720, the Mac CJK/Arabic/Hebrew/Greek/Thai/Turkish/Croatian/Romanian sets,
// HZ, ISCII, CNS, IA5 IRV, Europa, EBCDIC 833/924) are left out so callers
// report them as unsupported instead of decoding with a near miss. A few are
// the closest glibc table: IBM1160 is IBM-Thai plus the euro sign, and the
// EUC-JP-MS table covers the vendor rows Windows puts in 51932.
constexpr IconvName kIconvNames[] = {
    {37, "IBM037"},        {437, "CP437"},        {500, "IBM500"},
    {737, "CP737"},        {775, "CP775"},        {850, "CP850"},
    {852, "CP852"},        {855, "CP855"},        {857, "CP857"},
    {858, "CP858"},        {860, "CP860"},        {861, "CP861"},
    {862, "CP862"},        {863, "CP863"},        {864, "CP864"},
    {865, "CP865"},        {866, "CP866"},        {869, "CP869"},
    {870, "IBM870"},       {874, "CP874"},        {875, "IBM875"},
    {932, "CP932"},        {936, "CP936"},        {949, "CP949"},
    {950, "CP950"},        {1026, "IBM1026"},     {1047, "IBM1047"},
    {1140, "IBM1140"},     {1141, "IBM1141"},     {1142, "IBM1142"},
    {1143, "IBM1143"},     {1144, "IBM1144"},     {1145, "IBM1145"},
    {1146, "IBM1146"},     {1147, "IBM1147"},     {1148, "IBM1148"},
    {1149, "IBM1149"},     {1200, "UTF-16LE"},    {1201, "UTF-16BE"},
    {1250, "CP1250"},      {1251, "CP1251"},      {1252, "CP1252"},
    {1253, "CP1253"},      {1254, "CP1254"},      {1255, "CP1255"},
    {1256, "CP1256"},      {1257, "CP1257"},      {1258, "CP1258"},
    {1361, "JOHAB"},       {10000, "MACINTOSH"},  {10007, "MS-MAC-CYRILLIC"},
    {10017, "MACUKRAINIAN"}, {10029, "MAC-CENTRALEUROPE"}, {10079, "MAC-IS"},
    {12000, "UTF-32LE"},   {12001, "UTF-32BE"},   {20106, "ISO646-DE"},
    {20107, "ISO646-SE"},  {20108, "ISO646-NO"},  {20127, "US-ASCII"},
    {20261, "T.61-8BIT"},  {20269, "ISO_6937"},   {20273, "IBM273"},
    {20277, "IBM277"},     {20278, "IBM278"},     {20280, "IBM280"},
    {20284, "IBM284"},     {20285, "IBM285"},     {20290, "IBM290"},
    {20297, "IBM297"},     {20420, "IBM420"},     {20423, "IBM423"},
    {20424, "IBM424"},     {20838, "IBM1160"},    {20866, "KOI8-R"},
    {20871, "IBM871"},     {20880, "IBM880"},     {20905, "IBM905"},
    {20932, "EUC-JP"},     {20936, "GB2312"},     {20949, "EUC-KR"},
    {21025, "IBM1025"},    {21866, "KOI8-U"},     {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"}, {28593, "ISO-8859-3"}, {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"}, {28596, "ISO-8859-6"}, {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"}, {28599, "ISO-8859-9"}, {28600, "ISO-8859-10"},
    {28603, "ISO-8859-13"}, {28604, "ISO-8859-14"}, {28605, "ISO-8859-15"},
    {28606, "ISO-8859-16"}, {38598, "ISO-8859-8"}, {50220, "ISO-2022-JP"},
    {50221, "ISO-2022-JP"}, {50222, "ISO-2022-JP"}, {50225, "ISO-2022-KR"},
    {50227, "ISO-2022-CN"}, {51932, "EUC-JP-MS"}, {51936, "EUC-CN"},
    {51949, "EUC-KR"},     {54936, "GB18030"},    {65000, "UTF-7"},
    {65001, "UTF-8"},
};

static_assert(std::is_sorted(std::begin(kIconvNames), std::end(kIconvNames),
                             [](const IconvName& a, const IconvName& b) {
                                 return a.codePage < b.codePage;
                             }),
              "iconv names must stay sorted by code page");

} // namespace

unsigned CodePageFromEncodingName(std::u16string_view name) {
    if (name.empty() || name.size() > kMaxNameLength) return 0;

    char folded[kMaxNameLength];
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c > 0x7F) return 0; // Encoding names are ASCII; nothing else can match.
        folded[i] = (c >= u'A' && c <= u'Z') ? static_cast<char>(c - u'A' + 'a')
                                             : static_cast<char>(c);
    }
    const std::string_view key(folded, name.size());
    auto it = std::lower_bound(kAliases.begin(), kAliases.end(), key,
                               [](const EncodingAlias& a, std::string_view k) { return a.name < k; });
    return (it != kAliases.end() && it->name == key) ? it->codePage : 0;
}

const char* IconvNameForCodePage(unsigned codePage) {
    auto it = std::lower_bound(std::begin(kIconvNames), std::end(kIconvNames), codePage,
                               [](const IconvName& n, unsigned cp) { return n.codePage < cp; });
    return (it != std::end(kIconvNames) && it->codePage == codePage) ? it->name : nullptr;
}

std::span<const EncodingAlias> EncodingAliasTable() {
    return kAliases;
}

} // namespace qtr
