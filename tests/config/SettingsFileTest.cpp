#include <gtest/gtest.h>

#include <filesystem>

#include "config/HotKeySetting.h"
#include "config/SettingsFile.h"
#include "support/TempFolder.h"
#include "xml/XmlDocument.h"

namespace qtr {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

std::string DefaultFile(const std::string& language) {
  return "<InitInfo>\r\n"
         "<BackupFinish>0</BackupFinish>\r\n"
         "<WindowsFile>0</WindowsFile>\r\n"
         "<ProgramFiles>0</ProgramFiles>\r\n"
         "<DocAndSetFiles>0</DocAndSetFiles>\r\n"
         "<BackupStatus>1</BackupStatus>\r\n"
         "<HideBackupFiles>1</HideBackupFiles>\r\n"
         "<MakeSure>0</MakeSure>\r\n"
         "<CompressFile>1</CompressFile>\r\n"
         "<SetPassword>0</SetPassword>\r\n"
         "<PasswordStyle>0</PasswordStyle>\r\n"
         "<HotKey Str=\"\" VirtualKeyCode=\"\" keyModifiers=\"\"/>\r\n"
         "<Monday IsSet=\"0\" Timing=\"00:00\"/>\r\n"
         "<Tuesday IsSet=\"0\" Timing=\"00:00\"/>\r\n"
         "<Wednesday IsSet=\"0\" Timing=\"00:00\"/>\r\n"
         "<Thursday IsSet=\"0\" Timing=\"00:00\"/>\r\n"
         "<Friday IsSet=\"0\" Timing=\"00:00\"/>\r\n"
         "<Saturday IsSet=\"0\" Timing=\"00:00\"/>\r\n"
         "<Sunday IsSet=\"0\" Timing=\"00:00\"/>\r\n"
         "<USBHotKey>1</USBHotKey>\r\n"
         "<AutoStart>1</AutoStart>\r\n"
         "<Language>" +
         language +
         "</Language>\r\n"
         "<BackupImages>0</BackupImages>\r\n"
         "<BackupAudios>0</BackupAudios>\r\n"
         "<BackupVedios>0</BackupVedios>\r\n"
         "<BackupDatas>0</BackupDatas>\r\n"
         "</InitInfo>\r\n";
}

class SettingsFileTest : public ::testing::Test {
 protected:
  std::u16string Folder() const { return temp_.File(u""); }
  SettingsFile Settings(uint16_t language = 0x0409) const { return SettingsFile(Folder(), language); }
  std::string Bytes() const { return ReadBytes(temp_.File(u"init.xml")); }
  void Write(const std::string& bytes) const { WriteBytes(temp_.File(u"init.xml"), bytes); }
  void AddTable(std::u16string_view identifier) const {
    std::filesystem::create_directories(std::filesystem::path(temp_.File(u"Language")));
    const std::u16string separator(1, Folder().back());
    WriteBytes(temp_.File(u"Language") + separator + std::u16string(identifier) + u".xml",
               "<Table>\r\n<OK>OK</OK>\r\n</Table>\r\n");
  }
  // The root's children names, in order.
  std::vector<std::u16string> KeyOrder() const {
    XmlDocument doc;
    EXPECT_TRUE(doc.Load(temp_.File(u"init.xml")));
    std::vector<std::u16string> names;
    while (doc.FindChildElement()) names.push_back(doc.GetChildTagName());
    return names;
  }

  TempFolder temp_;
};

TEST_F(SettingsFileTest, NewFileHoldsTheKeysInOrderByteForByte) {
  ASSERT_TRUE(Settings().WriteDefaults());
  EXPECT_EQ(Bytes(), DefaultFile("0x0409"));
}

TEST_F(SettingsFileTest, NewFileTakesTheSystemLanguageOnlyWhenItsTableLoads) {
  ASSERT_TRUE(Settings(0x0804).WriteDefaults());
  EXPECT_EQ(Bytes(), DefaultFile("0x0409"));

  AddTable(u"0x0804");
  ASSERT_TRUE(Settings(0x0804).WriteDefaults());
  EXPECT_EQ(Bytes(), DefaultFile("0x0804"));

  AddTable(u"0x0007");  // short identifiers are padded to four digits
  ASSERT_TRUE(Settings(0x7).WriteDefaults());
  EXPECT_EQ(Bytes(), DefaultFile("0x0007"));
}

TEST_F(SettingsFileTest, LanguageIdentifierForm) {
  EXPECT_EQ(FormatLanguageId(0x0409), u"0x0409");
  EXPECT_EQ(FormatLanguageId(0x0804), u"0x0804");
  EXPECT_EQ(FormatLanguageId(0x1), u"0x0001");
  EXPECT_EQ(FormatLanguageId(0xC0AB), u"0xc0ab");
}

TEST_F(SettingsFileTest, StoringTheFirstKeyMovesItToTheEndOtherKeysKeepTheirPlace) {
  ASSERT_TRUE(Settings().WriteDefaults());
  std::vector<std::u16string> order = KeyOrder();

  ASSERT_TRUE(Settings().Store(u"BackupFinish", u"2"));
  std::rotate(order.begin(), order.begin() + 1, order.end());
  EXPECT_EQ(KeyOrder(), order);

  ASSERT_TRUE(Settings().Store(u"CompressFile", u"0"));
  ASSERT_TRUE(Settings().Store(u"BackupDatas", u"1"));
  ASSERT_TRUE(Settings().Store(u"BackupFinish", u"3"));  // now last: stays last
  EXPECT_EQ(KeyOrder(), order);

  XmlDocument doc;
  ASSERT_TRUE(doc.Load(Settings().Path()));
  EXPECT_EQ(ReadSetting(doc, u"BackupFinish"), u"3");
  EXPECT_EQ(ReadSetting(doc, u"CompressFile"), u"0");
  EXPECT_FALSE(SettingIsOn(doc, u"CompressFile"));
  EXPECT_TRUE(SettingIsOn(doc, u"BackupDatas"));
  EXPECT_NE(Bytes().find("<WindowsFile>0</WindowsFile>\r\n<ProgramFiles>0</ProgramFiles>\r\n"),
            std::string::npos);
}

TEST_F(SettingsFileTest, StoringAMissingKeyAddsItAtTheEnd) {
  Write("<InitInfo>\r\n<BackupFinish>0</BackupFinish>\r\n</InitInfo>\r\n");
  ASSERT_TRUE(Settings().Store(u"Language", u"0x0804"));
  EXPECT_EQ(Bytes(),
            "<InitInfo>\r\n<BackupFinish>0</BackupFinish>\r\n<Language>0x0804</Language>\r\n</InitInfo>\r\n");
}

TEST_F(SettingsFileTest, StoringIntoAMissingOrDamagedFileStartsFromTheDefaults) {
  ASSERT_TRUE(Settings().Store(u"MakeSure", u"1"));
  XmlDocument doc;
  ASSERT_TRUE(doc.Load(Settings().Path()));
  EXPECT_EQ(doc.GetDoc().substr(0, 10), u"<InitInfo>");
  EXPECT_TRUE(SettingIsOn(doc, u"MakeSure"));
  EXPECT_TRUE(SettingIsOn(doc, u"CompressFile"));

  Write("<InitInfo>\r\n<BackupFinish>0</Backu");  // cut off while being written
  ASSERT_TRUE(Settings().Store(u"BackupFinish", u"1"));
  ASSERT_TRUE(doc.Load(Settings().Path()));
  EXPECT_EQ(ReadSetting(doc, u"BackupFinish"), u"1");
  EXPECT_EQ(KeyOrder().size(), 25u);
}

TEST_F(SettingsFileTest, HotKeyIsStoredAsAttributesAndReadBack) {
  ASSERT_TRUE(Settings().WriteDefaults());
  ASSERT_TRUE(Settings().StoreHotKey({u"Ctrl + Alt + B", 66, kHotKeyAlt | kHotKeyControl}));
  EXPECT_NE(Bytes().find("<HotKey Str=\"Ctrl + Alt + B\" VirtualKeyCode=\"66\" keyModifiers=\"3\"/>\r\n"),
            std::string::npos);

  XmlDocument doc;
  ASSERT_TRUE(doc.Load(Settings().Path()));
  const HotKeySetting hotKey = ReadHotKey(doc);
  EXPECT_EQ(hotKey.virtualKey, static_cast<uint32_t>('B'));
  EXPECT_EQ(hotKey.modifiers, kHotKeyAlt | kHotKeyControl);
  EXPECT_TRUE(hotKey.Registrable());
  EXPECT_EQ(HotKeyFieldText(hotKey), u"Ctrl+Alt+B");
}

TEST_F(SettingsFileTest, HotKeyWithoutKeyOrModifierIsNotRegistered) {
  for (const char* attributes :
       {"VirtualKeyCode=\"\" keyModifiers=\"3\"", "VirtualKeyCode=\"66\" keyModifiers=\"0\"",
        "VirtualKeyCode=\"0\" keyModifiers=\"2\"", "Str=\"x\""}) {
    Write(std::string("<InitInfo>\r\n<HotKey ") + attributes + "/>\r\n</InitInfo>\r\n");
    XmlDocument doc;
    ASSERT_TRUE(doc.Load(Settings().Path()));
    EXPECT_FALSE(ReadHotKey(doc).Registrable()) << attributes;
  }
  XmlDocument empty;
  EXPECT_FALSE(ReadHotKey(empty).Registrable());

  // The hotkey dialog stores "no hotkey" as an empty text and two zeros.
  ASSERT_TRUE(Settings().StoreHotKey({}));
  EXPECT_NE(Bytes().find("<HotKey Str=\"\" VirtualKeyCode=\"0\" keyModifiers=\"0\"/>"), std::string::npos);
}

TEST_F(SettingsFileTest, ReadersSeeADamagedFileAsHavingNoKeys) {
  const std::string damaged =
      "<InitInfo>\r\n<CompressFile>1</CompressFile>\r\n<BackupStatus>1</BackupStatus>\r\n<Wind";
  Write(damaged);
  XmlDocument doc;
  EXPECT_FALSE(Settings().LoadForReading(doc));
  EXPECT_FALSE(SettingIsOn(doc, u"CompressFile"));
  EXPECT_EQ(ReadSetting(doc, u"BackupStatus"), std::nullopt);
  EXPECT_EQ(Bytes(), damaged);  // reading never rewrites the file
}

TEST_F(SettingsFileTest, HotKeyTextIsCutTo127Characters) {
  const std::string longText(300, 'K');
  Write("<InitInfo>\r\n<HotKey Str=\"" + longText +
        "\" VirtualKeyCode=\"66\" keyModifiers=\"1\"/>\r\n</InitInfo>\r\n");
  XmlDocument doc;
  ASSERT_TRUE(doc.Load(Settings().Path()));
  EXPECT_EQ(ReadHotKey(doc).text, std::u16string(127, u'K'));
}

TEST_F(SettingsFileTest, BackupPageInsertsItsMissingKeysFirstWithTheirMissingValues) {
  Write(
      "<InitInfo>\r\n<BackupFinish>1</BackupFinish>\r\n<WindowsFile>0</WindowsFile>\r\n<ProgramFiles>0</"
      "ProgramFiles>\r\n"
      "<DocAndSetFiles>0</DocAndSetFiles>\r\n<BackupStatus>1</BackupStatus>\r\n<HideBackupFiles>1</"
      "HideBackupFiles>\r\n"
      "<MakeSure>0</MakeSure>\r\n<SetPassword>0</SetPassword>\r\n<PasswordStyle>0</PasswordStyle>\r\n"
      "<HotKey Str=\"\" VirtualKeyCode=\"\" keyModifiers=\"\"/>\r\n</InitInfo>\r\n");
  {
    XmlDocument job;  // a reader that is not the page sees the key as absent: no compression
    ASSERT_TRUE(job.Load(Settings().Path()));
    EXPECT_EQ(ReadSetting(job, u"CompressFile"), std::nullopt);
    EXPECT_FALSE(SettingIsOn(job, u"CompressFile"));
  }
  XmlDocument doc;
  ASSERT_TRUE(Settings().SetUpPage(SettingsPage::kBackupSettings, doc));
  EXPECT_EQ(Bytes().substr(0, 46), "<InitInfo>\r\n<CompressFile>0</CompressFile>\r\n<B");
  EXPECT_EQ(ReadSetting(doc, u"BackupFinish"), u"1");
}

TEST_F(SettingsFileTest, OtherPagesInsertLanguageAsEnglishAndHotKeyWithoutText) {
  Write("<InitInfo>\r\n<BackupFinish>0</BackupFinish>\r\n</InitInfo>\r\n");
  XmlDocument doc;
  ASSERT_TRUE(Settings().SetUpPage(SettingsPage::kOtherSettings, doc));
  EXPECT_EQ(KeyOrder(),
            (std::vector<std::u16string>{u"BackupDatas", u"BackupVedios", u"BackupAudios", u"BackupImages",
                                         u"Language", u"AutoStart", u"USBHotKey", u"BackupFinish"}));
  EXPECT_EQ(ReadSetting(doc, u"Language"), u"English");
  EXPECT_EQ(ReadSetting(doc, u"AutoStart"), u"0");

  ASSERT_TRUE(Settings().SetUpPage(SettingsPage::kBackupSettings, doc));
  EXPECT_NE(Bytes().find("<HotKey VirtualKeyCode=\"\" keyModifiers=\"\"/>\r\n"), std::string::npos);
  ASSERT_TRUE(Settings().SetUpPage(SettingsPage::kSchedule, doc));
  EXPECT_NE(Bytes().find("<Sunday IsSet=\"0\" Timing=\"00:00\"/>\r\n</InitInfo>"), std::string::npos);
  EXPECT_EQ(KeyOrder().size(), 25u);
}

TEST_F(SettingsFileTest, UnreadableFilesAreReplacedByTheDefaults) {
  const std::string cases[] = {
      "",
      "<InitInfo>\r\n<BackupFinish>0</BackupFinish>\r\n<Wind",
      std::string("\x00\x01\xff\xfe\x80garbage\x00", 13),
      "<InitInfo><a></b></InitInfo>",
      "<InitInfo/><Other/>",
      "<InitInfo>" + std::string(2'000'000, 'x') + "<BackupFinish>2</BackupFinish>",
  };
  for (const std::string& bytes : cases) {
    Write(bytes);
    XmlDocument reader;
    EXPECT_FALSE(reader.Load(Settings().Path()));
    bool wroteDefaults = false;
    XmlDocument doc;
    ASSERT_TRUE(Settings().LoadOrWriteDefaults(doc, &wroteDefaults));
    EXPECT_TRUE(wroteDefaults) << bytes.substr(0, 40);
    EXPECT_EQ(Bytes(), DefaultFile("0x0409"));
  }
  bool wroteDefaults = true;
  XmlDocument doc;
  ASSERT_TRUE(Settings().LoadOrWriteDefaults(doc, &wroteDefaults));
  EXPECT_FALSE(wroteDefaults);
}

TEST(SettingNumberTest, DigitsAndAnythingElse) {
  EXPECT_EQ(SettingNumber(u""), 0u);
  EXPECT_EQ(SettingNumber(u"66"), 66u);
  EXPECT_EQ(SettingNumber(u"0003"), 3u);
  EXPECT_EQ(SettingNumber(u"4294967295"), 4294967295u);
  EXPECT_EQ(SettingNumber(u"4294967296"), 0u);  // wraps, defined
  EXPECT_EQ(SettingNumber(u"1a"), 10u + (u'a' - u'0'));
  EXPECT_EQ(SettingNumber(u" "), static_cast<uint32_t>(u' ' - u'0'));  // negative digit, wraps
  EXPECT_EQ(SettingNumber(u"123456789012"), 3197704724u);  // 123456789012 mod 2^32
  EXPECT_EQ(SettingNumber(u"\xFFFF\xFFFF"), 720357u);      // (65535 - 48) * 11
  EXPECT_EQ(SettingNumber(std::u16string(10000, u'0')), 0u);
}

}  // namespace
}  // namespace qtr
