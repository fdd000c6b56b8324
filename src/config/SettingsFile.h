// init.xml, the settings file in the program folder: writing a new one,
// reading keys, storing a changed key, and inserting the keys a settings page
// owns when they are missing. Every operation loads the file afresh and saves
// at once; nothing is cached.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/SettingsKeys.h"
#include "xml/XmlDocument.h"

namespace qtr {

struct HotKeySetting;

class SettingsFile {
 public:
  // programFolder ends with a backslash; systemLanguageId is what
  // SystemDefaultLanguageId() reports (tests pass their own).
  SettingsFile(std::u16string programFolder, uint16_t systemLanguageId);

  const std::u16string& Path() const { return path_; }

  // Writes a new file with every key at its new-file value. "Language" is the
  // system language when its table loads from the language folder, else "0x0409".
  bool WriteDefaults() const;

  // For readers other than the settings pages (the job, the schedule check,
  // the hotkey registration): a file that does not load leaves the document
  // empty, so that every key reads as absent rather than as whatever part of
  // a damaged file could be parsed.
  bool LoadForReading(XmlDocument& doc) const;

  // Loads the file; when it is missing or ill-formed, writes the defaults and
  // loads those. wroteDefaults (when given) tells whether that happened, which
  // at start-up marks the first run.
  bool LoadOrWriteDefaults(XmlDocument& doc, bool* wroteDefaults = nullptr) const;

  // Replaces a text key. The element goes back where it stood (after its
  // previous sibling); a key that was the first child moves to the end, and a
  // missing key is added at the end.
  bool Store(std::u16string_view key, std::u16string_view value) const;
  bool StoreHotKey(const HotKeySetting& hotKey) const;

  // What a settings page does when it is set up: load (or write the defaults),
  // insert each key the page owns that is missing, and save. The document is
  // left holding the file for the page to read its controls from.
  bool SetUpPage(SettingsPage page, XmlDocument& doc) const;

 private:
  // Loads the file and rewrites key; on success the document's current
  // element is the new one, ready for attributes.
  bool Replace(XmlDocument& doc, std::u16string_view key, std::u16string_view value) const;

  std::u16string folder_;
  std::u16string path_;
  uint16_t systemLanguageId_;
};

// "0x" and four lower-case hex digits: 0x0409, 0x0804.
std::u16string FormatLanguageId(uint16_t id);

// The text of a key, or nothing when the key is absent.
std::optional<std::u16string> ReadSetting(XmlDocument& doc, std::u16string_view key);
// An attribute of an attribute key; nothing when the key is absent, empty when only the attribute is.
std::optional<std::u16string> ReadSettingAttribute(XmlDocument& doc, std::u16string_view key,
                                                   std::u16string_view attribute);
// Booleans are on only when the text is exactly "1"; an absent key is off.
bool SettingIsOn(XmlDocument& doc, std::u16string_view key);

// Numbers are read digit by digit without checking: every character counts
// as its code minus that of '0', so other characters give a meaningless value.
// The arithmetic wraps modulo 2^32, so any text gives a defined result; "" is 0.
uint32_t SettingNumber(std::u16string_view text);

}  // namespace qtr
