#include "xml/XmlFileLoad.h"

#include <memory>

namespace qtr {

bool LoadXmlFile(FileSystem& fs, std::u16string_view path, XmlDocument* doc) {
  std::unique_ptr<File> file;
  if (fs.Open(path, OpenMode::kReadExisting, &file) != 0) return false;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    size_t got = 0;
    if (file->Read(buffer, sizeof buffer, &got) != 0) return false;
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  return doc->LoadBytes(bytes);
}

}  // namespace qtr
