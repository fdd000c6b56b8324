#include <gtest/gtest.h>

#include "config/SettingsFile.h"
#include "pages/BackupSettingsMarks.h"
#include "pages/FileTypeFilter.h"
#include "pages/HotKeyRules.h"
#include "pages/OthersExtensionField.h"
#include "pages/TimeFields.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

constexpr std::u16string_view kPrompt = u"Please input the file extensions which should be separated by ','";

XmlDocument Settings(const char16_t* boxes) {
  XmlDocument doc;
  doc.SetDoc(std::u16string(u"<InitInfo>") + boxes + u"</InitInfo>");
  return doc;
}

TEST(FileTypeFilterTest, PictureAndDataFilesGiveOnlyTheirExtensions) {
  XmlDocument doc = Settings(
      u"<BackupImages>1</BackupImages><BackupAudios>0</BackupAudios>"
      u"<BackupVedios>0</BackupVedios><BackupDatas>1</BackupDatas>");
  EXPECT_EQ(FileTypeFilterText(doc, u"", kPrompt), u"bmp,jpg,png,jpeg,jepg,txt,doc,docx,xls,ppt,pdf");
}

TEST(FileTypeFilterTest, NoTickedBoxMeansNoFilter) {
  XmlDocument none = Settings(u"<BackupImages>0</BackupImages><BackupDatas>x</BackupDatas>");
  EXPECT_EQ(FileTypeFilterText(none, u"", kPrompt), u"");
  // A settings file that did not load reads as nothing ticked.
  XmlDocument empty;
  EXPECT_EQ(FileTypeFilterText(empty, u"", kPrompt), u"");
}

TEST(FileTypeFilterTest, OthersFieldAddsTheTypedExtensionsButNotItsPrompt) {
  XmlDocument audio = Settings(u"<BackupAudios>1</BackupAudios>");
  EXPECT_EQ(FileTypeFilterText(audio, u"iso, .7z,,raw ", kPrompt), u"wmv,mp3,wma,iso,7z,raw");
  EXPECT_EQ(FileTypeFilterText(audio, kPrompt, kPrompt), u"wmv,mp3,wma");
  // Only blanks and commas typed: still no filter, rather than one that leaves every file out.
  XmlDocument none = Settings(u"");
  EXPECT_EQ(FileTypeFilterText(none, u" , ,", kPrompt), u"");
}

TEST(FileTypeFilterTest, BoxTextIsTheNameFollowedByItsList) {
  EXPECT_EQ(FileTypeBoxText(FileTypeBoxes()[0], u"图片"), u"图片:bmp,jpg,png,jpeg");
  EXPECT_EQ(FileTypeBoxText(FileTypeBoxes()[3], u"Data files"), u"Data files:txt,doc,docx,xls,ppt,pdf");
}

TEST(OthersExtensionFieldTest, PromptComesWithTheTickAndGoesWithoutIt) {
  OthersExtensionField field = ToggleOthersBox(true, u"", kPrompt);
  EXPECT_TRUE(field.enabled);
  EXPECT_EQ(field.text, kPrompt);
  EXPECT_TRUE(ShowsPrompt(field.text, kPrompt));

  field = ToggleOthersBox(false, field.text, kPrompt);
  EXPECT_FALSE(field.enabled);
  EXPECT_EQ(field.text, u"");

  // The person's own extensions are kept either way and are not grey.
  EXPECT_EQ(ToggleOthersBox(true, u"iso", kPrompt).text, u"iso");
  EXPECT_EQ(ToggleOthersBox(false, u"iso", kPrompt).text, u"iso");
  EXPECT_FALSE(ShowsPrompt(u"iso", kPrompt));
  EXPECT_FALSE(ShowsPrompt(u"", u""));
}

TEST(TimeFieldsTest, FieldsAreClampedToTheirRange) {
  EXPECT_EQ(ClampedFieldText(u"75", kMaxMinute), u"59");
  EXPECT_EQ(ClampedFieldText(u"24", kMaxHour), u"23");
  EXPECT_EQ(ClampedFieldText(u"99999999999999", kMaxMinute), u"59");
  EXPECT_EQ(ClampedFieldText(u"4x", kMaxHour), u"4");
  EXPECT_EQ(ClampedFieldText(u"59", kMaxMinute), std::nullopt);
  EXPECT_EQ(ClampedFieldText(u"05", kMaxMinute), std::nullopt);
  EXPECT_EQ(ClampedFieldText(u"", kMaxMinute), std::nullopt);

  EXPECT_EQ(TimeFieldValue(u"", kMaxMinute), 0);
  EXPECT_EQ(TimeFieldValue(u"75", kMaxMinute), 59);
  EXPECT_EQ(TimeFieldValue(u"07", kMaxHour), 7);
}

TEST(TimeFieldsTest, TimingIsReadAndWrittenAsHoursAndMinutes) {
  const TimeOfDay nine = ParseTiming(u"09:05");
  EXPECT_EQ(nine.hour, 9);
  EXPECT_EQ(nine.minute, 5);
  const TimeOfDay damaged = ParseTiming(u"31:77");
  EXPECT_EQ(damaged.hour, 23);
  EXPECT_EQ(damaged.minute, 59);
  const TimeOfDay empty = ParseTiming(u"");
  EXPECT_EQ(empty.hour, 0);
  EXPECT_EQ(empty.minute, 0);

  EXPECT_EQ(FormatTiming({9, 5}), u"09:05");
  EXPECT_EQ(FormatTiming({23, 59}), u"23:59");
  EXPECT_EQ(FormatTiming({0, 0}), u"00:00");
}

TEST(HotKeyRulesTest, StoredHotKeyPresetsTheControl) {
  // Alt + Ctrl + B as stored: MOD_ALT | MOD_CONTROL, 'B'.
  EXPECT_EQ(HotKeyControlValue({u"", 66, kHotKeyAlt | kHotKeyControl}), 0x0642);
  EXPECT_EQ(HotKeyControlValue({u"", 0x70, kHotKeyShift}), 0x0170);
  // No key or no modifier: Ctrl + Alt without a key.
  EXPECT_EQ(HotKeyControlValue({u"", 0, kHotKeyAlt}), kHotKeyControlPreset);
  EXPECT_EQ(HotKeyControlValue({u"", 66, 0}), kHotKeyControlPreset);
  EXPECT_EQ(HotKeyControlValue({u"", 0x1234, kHotKeyAlt}), kHotKeyControlPreset);
}

TEST(HotKeyRulesTest, ControlValueBecomesTheStoredHotKey) {
  const HotKeySetting both = HotKeyFromControl(0x0642, u"Ctrl + Alt + B");
  EXPECT_EQ(both.virtualKey, 66u);
  EXPECT_EQ(both.modifiers, kHotKeyAlt | kHotKeyControl);
  EXPECT_EQ(both.text, u"Ctrl + Alt + B");
  EXPECT_TRUE(both.Registrable());

  // The extended-key flag is dropped.
  EXPECT_EQ(HotKeyFromControl(0x0B2E, u"Ctrl + Shift + Del").modifiers, kHotKeyControl | kHotKeyShift);

  // A key without a modifier, or modifiers without a key, remove the hotkey.
  for (uint16_t value : {uint16_t{0x0042}, uint16_t{0x0600}, uint16_t{0x0800 | 0x42}}) {
    const HotKeySetting none = HotKeyFromControl(value, u"B");
    EXPECT_EQ(none.virtualKey, 0u) << value;
    EXPECT_EQ(none.modifiers, 0u) << value;
    EXPECT_EQ(none.text, u"") << value;
  }
}

TEST(HotKeyRulesTest, DisplayTextNamesTheModifiersInTheControlsOrder) {
  EXPECT_EQ(HotKeyDisplayText(kControlAlt | kControlControl | kControlShift, u"F5"),
            u"Ctrl + Shift + Alt + F5");
  EXPECT_EQ(HotKeyDisplayText(kControlAlt, u"B"), u"Alt + B");
  EXPECT_EQ(HotKeyDisplayText(kControlAlt, u""), u"");
}

TEST(BackupSettingsMarksTest, StoredValuesMarkOneButtonEach) {
  EXPECT_EQ(CompletionChoice(u"0"), 0);
  EXPECT_EQ(CompletionChoice(u"2"), 2);
  EXPECT_EQ(CompletionChoice(u"3"), 3);
  EXPECT_EQ(CompletionChoice(u"7"), 3);
  EXPECT_EQ(CompletionChoice(u""), 3);
  EXPECT_FALSE(ChangedFilesChosen(u"0"));
  EXPECT_TRUE(ChangedFilesChosen(u"1"));
  EXPECT_TRUE(ChangedFilesChosen(u"yes"));
}

}  // namespace
}  // namespace qtr
