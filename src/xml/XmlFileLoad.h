// Reading an XML file through the FileSystem seam, so that code tested on
// the in-memory file system reads its settings and lists the same way.
#pragma once
#include <string_view>

#include "platform/FileSystem.h"
#include "xml/XmlDocument.h"

namespace qtr {

// False when the file cannot be read or is not a well-formed document.
bool LoadXmlFile(FileSystem& fs, std::u16string_view path, XmlDocument* doc);

}  // namespace qtr
