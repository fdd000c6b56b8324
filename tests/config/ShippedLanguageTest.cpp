// The language folder that ships beside the program.
#include <gtest/gtest.h>

#include "config/LanguageList.h"
#include "config/LanguageTable.h"
#include "config/LanguageText.h"

namespace qtr {
namespace {

// The program folder whose Language folder is the one in the source tree.
std::u16string ResourcesFolder() {
  const std::string folder = QTR_RESOURCES_FOLDER;
#ifdef _WIN32
  std::u16string path = u"Z:";  // Wine's drive for the Linux root
#else
  std::u16string path;
#endif
  for (char c : folder) path += c == '/' ? u'\\' : static_cast<char16_t>(c);
  return path + u"\\";
}

TEST(ShippedLanguageTest, ListOffersEnglishAndSimplifiedChinese) {
  LanguageList list;
  ASSERT_TRUE(list.Load(LanguageListPath(ResourcesFolder())));
  EXPECT_EQ(list.DisplayNames(), (std::vector<std::u16string>{u"English", u"\u7B80\u4F53\u4E2D\u6587"}));
  EXPECT_EQ(list.IdentifierOf(u"English"), u"0x0409");
  EXPECT_EQ(list.IdentifierOf(u"\u7B80\u4F53\u4E2D\u6587"), u"0x0804");
}

TEST(ShippedLanguageTest, EveryTableHoldsEveryKeyTheCodeUses) {
  for (const std::u16string_view id : {u"0x0409", u"0x0804"}) {
    LanguageTable table;
    ASSERT_TRUE(table.Load(LanguageTablePath(ResourcesFolder(), id)));
    XmlDocument doc;
    ASSERT_TRUE(doc.Load(LanguageTablePath(ResourcesFolder(), id)));
    for (const LanguageKey& key : AllLanguageKeys()) {
      doc.ResetPosition();
      EXPECT_TRUE(doc.FindChildElement(key.key)) << "missing key in table";
      EXPECT_FALSE(table.Text(key.key).empty());
    }
  }
}

TEST(ShippedLanguageTest, EnglishTableHoldsTheDefaultsAndChineseTranslatesThem) {
  LanguageTable english, chinese;
  ASSERT_TRUE(english.Load(LanguageTablePath(ResourcesFolder(), u"0x0409")));
  ASSERT_TRUE(chinese.Load(LanguageTablePath(ResourcesFolder(), u"0x0804")));
  for (const LanguageKey& key : AllLanguageKeys()) {
    EXPECT_EQ(english.Text(key.key), key.englishDefault);
    const std::u16string text = chinese.Text(key.key);
    // Every Chinese text holds at least one CJK character; the product name
    // and the modifier keys, labelled so on every keyboard, are kept as they are.
    if (key.key == u"Vantro" || key.key.starts_with(u"HotKeyName")) continue;
    bool cjk = false;
    for (char16_t c : text) cjk = cjk || (c >= 0x4E00 && c <= 0x9FFF);
    EXPECT_TRUE(cjk) << "untranslated text";
  }
}

}  // namespace
}  // namespace qtr
