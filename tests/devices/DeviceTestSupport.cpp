#include "DeviceTestSupport.h"

#include "devices/ImageFile.h"

namespace qtr::test {

std::string ReadImage(const std::u16string& image, uint64_t offset, size_t length) {
  uint32_t error = 0;
  auto file = ImageFile::Open(image, false, error);
  EXPECT_NE(file, nullptr);
  if (!file) return {};
  std::string bytes(length, '\0');
  uint32_t done = 0;
  EXPECT_TRUE(file->ReadAt(offset, reinterpret_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(length),
                           done, error));
  bytes.resize(done);
  return bytes;
}

void WriteImage(const std::u16string& image, uint64_t offset, const std::string& bytes) {
  uint32_t error = 0;
  auto file = ImageFile::Open(image, true, error);
  ASSERT_NE(file, nullptr);
  uint32_t done = 0;
  ASSERT_TRUE(file->WriteAt(offset, reinterpret_cast<const uint8_t*>(bytes.data()),
                            static_cast<uint32_t>(bytes.size()), done, error));
}

}  // namespace qtr::test
