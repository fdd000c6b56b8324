#include "platform/FileReplacement.h"

#include <memory>

namespace qtr {

std::u16string ReplacementName(std::u16string_view path) {
  return std::u16string(path) + u".~qtrnew";
}

uint32_t ReplaceFileContents(FileSystem& fs, std::u16string_view path, std::string_view bytes) {
  uint32_t attributes = kInvalidAttributes;
  if (fs.GetAttributes(path, &attributes) == 0 &&
      (attributes & (kAttributeReadOnly | kAttributeDirectory)) != 0)
    return kErrorAccessDenied;
  const std::u16string replacement = ReplacementName(path);
  // What an earlier save left when it was cut short.
  fs.RemoveFile(replacement);
  uint32_t error = 0;
  {
    std::unique_ptr<File> file;
    error = fs.Open(replacement, OpenMode::kWriteNew, &file);
    if (error != 0) return error;
    error = file->Write(bytes.data(), bytes.size());
  }
  if (error == 0) error = fs.ReplaceFile(replacement, path);
  if (error != 0) fs.RemoveFile(replacement);
  return error;
}

}  // namespace qtr
