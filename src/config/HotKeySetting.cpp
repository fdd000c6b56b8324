#include "config/HotKeySetting.h"

#include "config/SettingsFile.h"

namespace qtr {
namespace {

constexpr size_t kMaxHotKeyText = 127;

}  // namespace

HotKeySetting ReadHotKey(XmlDocument& settings) {
  HotKeySetting hotKey;
  settings.ResetPosition();
  if (!settings.FindChildElement(u"HotKey")) return hotKey;
  hotKey.text = settings.GetChildAttribute(u"Str");
  if (hotKey.text.size() > kMaxHotKeyText) {
    size_t cut = kMaxHotKeyText;
    // Never leave half of a surrogate pair at the end.
    if (hotKey.text[cut - 1] >= 0xD800 && hotKey.text[cut - 1] <= 0xDBFF) --cut;
    hotKey.text.resize(cut);
  }
  hotKey.virtualKey = SettingNumber(settings.GetChildAttribute(u"VirtualKeyCode"));
  hotKey.modifiers = SettingNumber(settings.GetChildAttribute(u"keyModifiers"));
  return hotKey;
}

std::u16string HotKeyFieldText(const HotKeySetting& hotKey) {
  std::u16string text;
  for (char16_t c : hotKey.text)
    if (c != u' ') text += c;
  return text;
}

}  // namespace qtr
