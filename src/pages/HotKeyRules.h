// What the hotkey dialog does with the hotkey control's value: the control
// keeps its modifiers as HOTKEYF_* bits, RegisterHotKey and the settings
// file as MOD_* bits.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "config/HotKeySetting.h"

namespace qtr {

// The hotkey control's modifier flags (the high byte of its value).
inline constexpr uint8_t kControlShift = 0x01;    // HOTKEYF_SHIFT
inline constexpr uint8_t kControlControl = 0x02;  // HOTKEYF_CONTROL
inline constexpr uint8_t kControlAlt = 0x04;      // HOTKEYF_ALT
inline constexpr uint8_t kControlExt = 0x08;      // HOTKEYF_EXT

// Ctrl + Alt without a key: what the control offers while no hotkey is set.
inline constexpr uint16_t kHotKeyControlPreset = 0x0600;

uint32_t ModifiersFromControl(uint8_t controlFlags);
uint8_t ControlFlagsFromModifiers(uint32_t modifiers);

// The control's value when the dialog opens with the stored hotkey.
uint16_t HotKeyControlValue(const HotKeySetting& stored);

// The hotkey the dialog's OK stores for the control's value and display
// text: the combination when it has a key and at least one modifier,
// otherwise none (empty text, both numbers 0), which removes the hotkey.
HotKeySetting HotKeyFromControl(uint16_t controlValue, std::u16string_view displayText);

// "Ctrl + Shift + Alt + B" as the control shows it; the key's name comes
// from the system's keyboard layout. Empty without a key.
std::u16string HotKeyDisplayText(uint8_t controlFlags, std::u16string_view keyName);

}  // namespace qtr
