#include "pages/HotKeyRules.h"

#include "config/LanguageText.h"

namespace qtr {

uint32_t ModifiersFromControl(uint8_t controlFlags) {
  uint32_t modifiers = 0;
  if (controlFlags & kControlControl) modifiers |= kHotKeyControl;
  if (controlFlags & kControlAlt) modifiers |= kHotKeyAlt;
  if (controlFlags & kControlShift) modifiers |= kHotKeyShift;
  return modifiers;  // HOTKEYF_EXT has no meaning for RegisterHotKey
}

uint8_t ControlFlagsFromModifiers(uint32_t modifiers) {
  uint8_t flags = 0;
  if (modifiers & kHotKeyAlt) flags |= kControlAlt;
  if (modifiers & kHotKeyShift) flags |= kControlShift;
  if (modifiers & kHotKeyControl) flags |= kControlControl;
  return flags;
}

uint16_t HotKeyControlValue(const HotKeySetting& stored) {
  const uint8_t flags = ControlFlagsFromModifiers(stored.modifiers);
  // The control holds a key code of one byte; a stored code outside it
  // cannot be shown and counts as no key.
  if (stored.virtualKey == 0 || stored.virtualKey > 0xFF || flags == 0) return kHotKeyControlPreset;
  return static_cast<uint16_t>(flags << 8 | stored.virtualKey);
}

HotKeySetting HotKeyFromControl(uint16_t controlValue, std::u16string_view displayText) {
  HotKeySetting hotKey;
  const uint32_t key = controlValue & 0xFF;
  const uint32_t modifiers = ModifiersFromControl(static_cast<uint8_t>(controlValue >> 8));
  if (key == 0 || modifiers == 0) return hotKey;
  hotKey.virtualKey = key;
  hotKey.modifiers = modifiers;
  hotKey.text = displayText;
  return hotKey;
}

std::u16string HotKeyDisplayText(uint8_t controlFlags, std::u16string_view keyName) {
  if (keyName.empty()) return {};
  std::u16string text;
  if (controlFlags & kControlControl) text += DisplayText(TextId::HotKeyNameCtrl) + u" + ";
  if (controlFlags & kControlShift) text += DisplayText(TextId::HotKeyNameShift) + u" + ";
  if (controlFlags & kControlAlt) text += DisplayText(TextId::HotKeyNameAlt) + u" + ";
  return text + std::u16string(keyName);
}

}  // namespace qtr
