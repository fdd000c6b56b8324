// Reading the program folder's XML files through the FileSystem, one key at a time.
#pragma once
#include <string>
#include <string_view>

#include "config/XmlDocument.h"
#include "platform/FileSystem.h"

namespace qtr {

// False when the file cannot be read or is not a document.
bool LoadXmlFile(FileSystem& fs, std::u16string_view path, XmlDocument* doc);
// The text of the root's child element key; empty when it is missing.
std::u16string ReadSettingKey(XmlDocument& doc, std::u16string_view key);
bool HasSettingKey(XmlDocument& doc, std::u16string_view key);

}  // namespace qtr
