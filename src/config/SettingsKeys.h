// The keys of the settings file init.xml in the order a new file holds them,
// with the value a new file gets and the value a settings page inserts when
// the key is missing from an existing file.
#pragma once
#include <span>
#include <string_view>

namespace qtr {

// The settings pages that own keys: each inserts its missing keys when it is set up.
enum class SettingsPage { kBackupSettings, kSchedule, kOtherSettings };

enum class SettingForm {
  kText,         // the value is the element's text
  kHotKey,       // empty element with "Str", "VirtualKeyCode", "keyModifiers"
  kScheduleDay,  // empty element with "IsSet", "Timing"
};

struct SettingKey {
  std::u16string_view name;
  SettingForm form;
  std::u16string_view newFileValue;
  std::u16string_view missingValue;
  SettingsPage owner;
};

inline constexpr std::u16string_view kSettingsFileName = u"init.xml";
inline constexpr std::u16string_view kSettingsRoot = u"InitInfo";

// All 25 keys in file order. "Language" stands at its place; its new-file
// value is decided when the file is written.
std::span<const SettingKey> SettingKeys();

}  // namespace qtr
