#include "engine/StoreFileOperations.h"

namespace qtr {
namespace {

// Takes away the attributes that stand in the way; returns those it had
// (kInvalidAttributes when path does not exist).
uint32_t ClearAttributes(FileSystem& fs, std::u16string_view path) {
  uint32_t attributes = kInvalidAttributes;
  if (fs.GetAttributes(path, &attributes) != 0) return kInvalidAttributes;
  fs.SetAttributes(path, kAttributeNormal);
  return attributes;
}

}  // namespace

uint32_t RemoveFileAnyway(FileSystem& fs, std::u16string_view path) {
  const uint32_t attributes = ClearAttributes(fs, path);
  if (attributes == kInvalidAttributes) return 0;
  const uint32_t error = fs.RemoveFile(path);
  if (error != 0) fs.SetAttributes(path, attributes & ~kAttributeDirectory);
  return error;
}

uint32_t PutInPlace(FileSystem& fs, File& partial, std::u16string_view destination) {
  if (partial.RenameTo(destination) == 0) return 0;
  // A read-only (or otherwise protected) destination refuses to be replaced until its attributes are cleared.
  const uint32_t old = ClearAttributes(fs, destination);
  const uint32_t error = partial.RenameTo(destination);
  if (error != 0 && old != kInvalidAttributes) fs.SetAttributes(destination, old & ~kAttributeDirectory);
  return error;
}

}  // namespace qtr
