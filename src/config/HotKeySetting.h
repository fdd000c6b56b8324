// The backup hotkey as the settings file keeps it: the "HotKey" element with
// its display text, virtual-key code and RegisterHotKey modifier bits.
#pragma once
#include <cstdint>
#include <string>

#include "xml/XmlDocument.h"

namespace qtr {

inline constexpr uint32_t kHotKeyAlt = 1;      // MOD_ALT
inline constexpr uint32_t kHotKeyControl = 2;  // MOD_CONTROL
inline constexpr uint32_t kHotKeyShift = 4;    // MOD_SHIFT
inline constexpr uint32_t kBackupHotKeyId = 1074;

struct HotKeySetting {
  std::u16string text;  // as the hotkey control showed it
  uint32_t virtualKey = 0;
  uint32_t modifiers = 0;

  // Only a combination with a key and at least one modifier is registered.
  bool Registrable() const { return virtualKey != 0 && modifiers != 0; }
};

// Reads "HotKey" from a loaded settings document; an absent key or empty
// values read as 0 (no hotkey). The text is cut to 127 characters.
HotKeySetting ReadHotKey(XmlDocument& settings);

// The text shown in the settings page's hotkey field: spaces removed.
std::u16string HotKeyFieldText(const HotKeySetting& hotKey);

}  // namespace qtr
