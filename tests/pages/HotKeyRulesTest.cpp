#include <gtest/gtest.h>

#include "pages/HotKeyRules.h"

namespace qtr {
namespace {

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

}  // namespace
}  // namespace qtr
