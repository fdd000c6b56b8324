#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "config/LanguageChoice.h"
#include "config/LanguageList.h"
#include "config/LanguageTable.h"
#include "config/LanguageText.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::TempFolder;
using test::WriteBytes;
using Names = std::vector<std::u16string>;

class LanguageTest : public ::testing::Test {
 protected:
  LanguageTest() { std::filesystem::create_directories(std::filesystem::path(temp_.File(u"Language"))); }
  std::u16string Folder() const { return temp_.File(u""); }
  void WriteLanguageFile(std::u16string_view name, const std::string& bytes) const {
    WriteBytes(temp_.File(u"Language") + std::u16string(1, Folder().back()) + std::u16string(name), bytes);
  }
  LanguageList List(const std::string& bytes) const {
    WriteLanguageFile(u"Language.xml", bytes);
    LanguageList list;
    list.Load(LanguageListPath(Folder()));
    return list;
  }
  TableLoads Loads() const {
    return [folder = Folder()](std::u16string_view id) { return LanguageTableLoads(folder, id); };
  }

  TempFolder temp_;
};

TEST_F(LanguageTest, TextsComeAllFromTheTableOrAllFromTheDefaults) {
  LanguageTable table;
  EXPECT_EQ(DisplayText(table, TextId::OK), u"OK");
  EXPECT_EQ(DisplayText(table, TextId::LastBackupTime), u"Last backup time:");

  // A table without "Cancel": that one text is empty, the others translated.
  WriteLanguageFile(
      u"0x0804.xml",
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Language>\r\n<OK>\xe7\xa1\xae\xe5\xae\x9a</OK>\r\n"
      "<LastBackupTime>\xe4\xb8\x8a\xe6\xac\xa1\xe5\xa4\x87\xe4\xbb\xbd\xe6\x97\xb6\xe9\x97\xb4\xef\xbc\x9a"
      "</LastBackupTime>\r\n</Language>\r\n");
  ASSERT_TRUE(table.Load(LanguageTablePath(Folder(), u"0x0804")));
  EXPECT_EQ(DisplayText(table, TextId::OK), u"\u786E\u5B9A");
  EXPECT_EQ(DisplayText(table, TextId::LastBackupTime), u"\u4E0A\u6B21\u5907\u4EFD\u65F6\u95F4\uFF1A");
  EXPECT_EQ(DisplayText(table, TextId::Cancel), u"");
  EXPECT_EQ(table.Identifier(), u"0x0804");

  // A missing or ill-formed table: every text at its default again.
  EXPECT_FALSE(table.Load(LanguageTablePath(Folder(), u"0x0411")));
  EXPECT_EQ(DisplayText(table, TextId::Cancel), u"Cancel");
  EXPECT_EQ(table.Identifier(), u"");
  WriteLanguageFile(u"0x0412.xml", "<Language><OK>x</Language>");
  EXPECT_FALSE(table.Load(LanguageTablePath(Folder(), u"0x0412")));
  EXPECT_EQ(DisplayText(table, TextId::OK), u"OK");
}

TEST_F(LanguageTest, IdentifiersThatLeaveTheLanguageFolderNameNoTable) {
  WriteBytes(temp_.File(u"outside.xml"), "<Language><OK>x</OK></Language>");
  EXPECT_FALSE(LanguageTableLoads(Folder(), u"..\\outside"));
  EXPECT_FALSE(LanguageTableLoads(Folder(), u"../outside"));
  EXPECT_FALSE(LanguageTableLoads(Folder(), u""));
}

TEST_F(LanguageTest, ListGivesNamesAndLooksUpBothWays) {
  const LanguageList list = List(
      "<Languages>\r\n<Language LanguageID=\"0x0409\" value=\"English\"/>\r\n"
      "<Language LanguageID=\"0x0804\" value=\"\xe7\xae\x80\xe4\xbd\x93\xe4\xb8\xad\xe6\x96\x87\"/>\r\n"
      "<Language LanguageID=\"0x0c04\" value=\"Chinese\"/>\r\n<Language LanguageID=\"0x0404\" "
      "value=\"Chinese\"/>\r\n"
      "</Languages>\r\n");
  EXPECT_EQ(list.DisplayNames(), (Names{u"English", u"\u7B80\u4F53\u4E2D\u6587", u"Chinese", u"Chinese"}));
  EXPECT_EQ(list.IdentifierOf(u"Chinese"), u"0x0404");  // the last match wins
  EXPECT_EQ(list.DisplayNameOf(u"0x0804"), u"\u7B80\u4F53\u4E2D\u6587");
  EXPECT_EQ(list.IdentifierOf(u"Deutsch"), std::nullopt);

  EXPECT_EQ(List("").DisplayNames(), Names{u"English"});
  EXPECT_EQ(List("<Languages/>").DisplayNames(), Names{u"English"});
}

TEST_F(LanguageTest, StoredLanguageSelectsItsEntry) {
  const Names entries{u"English", u"\u7B80\u4F53\u4E2D\u6587"};
  const LanguageList list = List(
      "<L>\r\n<Language LanguageID=\"0x0409\" value=\"English\"/>\r\n"
      "<Language LanguageID=\"0x0804\" "
      "value=\"\xe7\xae\x80\xe4\xbd\x93\xe4\xb8\xad\xe6\x96\x87\"/>\r\n</L>\r\n");
  WriteLanguageFile(u"0x0804.xml", "<Language><OK>x</OK></Language>");

  EXPECT_EQ(ShowStoredLanguage(entries, list, u"0x0804", Loads()).index, 1);
  EXPECT_EQ(ShowStoredLanguage(entries, list, u"0x0409", Loads()).index, 0);  // no table: "English"
  EXPECT_EQ(ShowStoredLanguage(entries, list, u"0x0411", Loads()).index, 0);
  const ShownLanguage missing = ShowStoredLanguage(entries, list, std::nullopt, Loads());
  EXPECT_EQ(missing.index, 0);
  EXPECT_TRUE(missing.insertEnglish);

  EXPECT_EQ(FindListEntry({u"English (US)", u"Deutsch"}, u"english"), 0);
  EXPECT_EQ(FindListEntry({u"Deutsch"}, u"English"), -1);
}

TEST_F(LanguageTest, PickingALanguageStoresItOnlyWhenItsTableLoadsOrItIsEnglish) {
  const Names entries{u"English", u"Deutsch", u"Fran\u00E7ais"};
  const LanguageList list = List(
      "<L>\r\n<Language LanguageID=\"0x0409\" value=\"English\"/>\r\n<Language LanguageID=\"0x0407\" "
      "value=\"Deutsch\"/>"
      "\r\n<Language LanguageID=\"0x040c\" value=\"Fran\xc3\xa7\x61is\"/>\r\n</L>\r\n");
  WriteLanguageFile(u"0x0407.xml", "<Language><OK>OK</OK></Language>");

  EXPECT_EQ(PickLanguage(entries, 1, 1, list, Loads()).action, LanguagePick::Action::kNothing);
  const LanguagePick german = PickLanguage(entries, 1, 0, list, Loads());
  EXPECT_EQ(german.action, LanguagePick::Action::kStore);
  EXPECT_EQ(german.identifier, u"0x0407");
  EXPECT_EQ(PickLanguage(entries, 2, 1, list, Loads()).action, LanguagePick::Action::kRevert);
  const LanguagePick english = PickLanguage(entries, 0, 1, list, Loads());  // no 0x0409.xml here
  EXPECT_EQ(english.action, LanguagePick::Action::kStore);
  EXPECT_EQ(english.identifier, u"0x0409");
  EXPECT_EQ(PickLanguage(entries, 7, 0, list, Loads()).action, LanguagePick::Action::kNothing);
}

TEST(LanguageKeysTest, FillTextPutsEachValueInTheNextPlaceholder) {
  EXPECT_EQ(FillText(u"The disks in %s cannot be used (%s).", {u"a.txt", u"line 4: 100%s"}),
            u"The disks in a.txt cannot be used (line 4: 100%s).");
  EXPECT_EQ(FillText(u"\u201c%s\u201d", {u"x", u"y"}), u"\u201cx\u201d");
  EXPECT_EQ(FillText(u"%s and %s", {u"one"}), u"one and %s");
}

TEST(LanguageKeysTest, EveryKeyIsUniqueAndHasADefault) {
  std::set<std::u16string_view> seen;
  for (const LanguageKey& key : AllLanguageKeys()) {
    EXPECT_TRUE(seen.insert(key.key).second);
    EXPECT_FALSE(key.englishDefault.empty());
  }
  EXPECT_EQ(KeyOf(TextId::CheckLanuage).key, u"CheckLanuage");
  EXPECT_EQ(KeyOf(TextId::Vedio).englishDefault, u"Video");
  // Display texts are mended where the keys keep their old spelling.
  EXPECT_EQ(KeyOf(TextId::RestoreFinishTipMessage).englishDefault,
            u"The restore for selected files has been finished ");
  EXPECT_EQ(KeyOf(TextId::DocSetFile).englishDefault, u"Backup Documents and Settings folder");
  EXPECT_EQ(KeyOf(TextId::DiskIsSmallMessage).englishDefault, u"File backup failed: Not enough free disk space!");
}

}  // namespace
}  // namespace qtr
