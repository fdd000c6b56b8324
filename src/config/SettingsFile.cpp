#include "config/SettingsFile.h"

#include <utility>

#include "config/HotKeySetting.h"
#include "config/LanguageTable.h"
#include "platform/NumberText.h"
#include "xml/XmlResultLog.h"

namespace qtr {
namespace {

void SetEmptyHotKeyAttributes(XmlDocument& doc, bool withText) {
  if (withText) doc.SetAttribute(u"Str", u"");
  doc.SetAttribute(u"VirtualKeyCode", u"");
  doc.SetAttribute(u"keyModifiers", u"");
}

void SetNewScheduleDayAttributes(XmlDocument& doc) {
  doc.SetAttribute(u"IsSet", u"0");
  doc.SetAttribute(u"Timing", u"00:00");
}

}  // namespace

SettingsFile::SettingsFile(std::u16string programFolder, uint16_t systemLanguageId)
    : folder_(std::move(programFolder)), systemLanguageId_(systemLanguageId) {
  path_ = folder_ + std::u16string(kSettingsFileName);
}

bool SettingsFile::WriteDefaults() const {
  XmlDocument doc;
  if (!doc.AddElement(kSettingsRoot) || !doc.IntoElement()) return false;
  for (const SettingKey& key : SettingKeys()) {
    std::u16string value(key.newFileValue);
    if (key.name == u"Language") {
      value = FormatLanguageId(systemLanguageId_);
      if (!LanguageTableLoads(folder_, value)) value = u"0x0409";
    }
    if (!doc.AddElement(key.name, value)) return false;
    if (key.form == SettingForm::kHotKey) SetEmptyHotKeyAttributes(doc, true);
    if (key.form == SettingForm::kScheduleDay) SetNewScheduleDayAttributes(doc);
  }
  doc.OutOfElement();
  return doc.Save(path_);
}

bool SettingsFile::LoadForReading(XmlDocument& doc) const {
  if (doc.Load(path_)) return true;
  doc.SetDoc({});
  return false;
}

bool SettingsFile::LoadOrWriteDefaults(XmlDocument& doc, bool* wroteDefaults) const {
  if (wroteDefaults != nullptr) *wroteDefaults = false;
  if (doc.Load(path_)) return true;
  if (!WriteDefaults()) return false;
  if (wroteDefaults != nullptr) *wroteDefaults = true;
  return doc.Load(path_);
}

bool SettingsFile::Replace(XmlDocument& doc, std::u16string_view key, std::u16string_view value) const {
  // A file that cannot be read is replaced by the defaults before the key is
  // stored: editing what an ill-formed or missing file left in the document
  // would save a file without its root.
  if (!LoadOrWriteDefaults(doc)) return false;
  doc.ResetPosition();
  if (doc.FindChildElement(key)) doc.RemoveChildElement();
  // The cursor now stands on the root with the removed key's previous
  // sibling (or nothing) as child; entering the root makes that sibling current.
  doc.FindElement();
  return doc.IntoElement() && doc.AddElement(key, value);
}

bool SettingsFile::Store(std::u16string_view key, std::u16string_view value) const {
  XmlDocument doc;
  return Replace(doc, key, value) && doc.Save(path_);
}

bool SettingsFile::StoreHotKey(const HotKeySetting& hotKey) const {
  XmlDocument doc;
  if (!Replace(doc, u"HotKey", {})) return false;
  doc.SetAttribute(u"Str", hotKey.text);
  doc.SetAttribute(u"VirtualKeyCode", DigitsOf(hotKey.virtualKey));
  doc.SetAttribute(u"keyModifiers", DigitsOf(hotKey.modifiers));
  return doc.Save(path_);
}

bool SettingsFile::SetUpPage(SettingsPage page, XmlDocument& doc) const {
  if (!LoadOrWriteDefaults(doc)) return false;
  for (const SettingKey& key : SettingKeys()) {
    if (key.owner != page) continue;
    doc.ResetPosition();
    if (doc.FindChildElement(key.name)) continue;
    if (!doc.IntoElement()) break;  // no root at all
    if (key.form == SettingForm::kScheduleDay) {
      // The schedule page appends a missing day at the end of the root.
      doc.AddElement(key.name);
      SetNewScheduleDayAttributes(doc);
    } else {
      // The other pages put it first.
      doc.InsertElement(key.name, key.missingValue);
      if (key.form == SettingForm::kHotKey) SetEmptyHotKeyAttributes(doc, false);
    }
  }
  doc.Save(path_);  // a failed save is not reported; the page reads from the document anyway
  doc.ResetPosition();
  return true;
}

std::u16string FormatLanguageId(uint16_t id) {
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  std::u16string text = u"0x";
  for (int shift = 12; shift >= 0; shift -= 4) text += kHex[(id >> shift) & 0xF];
  return text;
}

std::optional<std::u16string> ReadSetting(XmlDocument& doc, std::u16string_view key) {
  doc.ResetPosition();
  if (!doc.FindChildElement(key)) return std::nullopt;
  return doc.GetChildData();
}

std::optional<std::u16string> ReadSettingAttribute(XmlDocument& doc, std::u16string_view key,
                                                   std::u16string_view attribute) {
  doc.ResetPosition();
  if (!doc.FindChildElement(key)) return std::nullopt;
  return doc.GetChildAttribute(attribute);
}

bool SettingIsOn(XmlDocument& doc, std::u16string_view key) {
  const std::optional<std::u16string> value = ReadSetting(doc, key);
  return value && *value == u"1";
}

uint32_t SettingNumber(std::u16string_view text) {
  uint32_t value = 0;
  for (char16_t c : text) value = value * 10u + (static_cast<uint32_t>(c) - u'0');
  return value;
}

}  // namespace qtr
