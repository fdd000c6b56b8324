// Random-access reads and writes of a disk image file, the storage of a
// simulated disk. Results are Win32 error codes.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace qtr {

class ImageFile {
 public:
  virtual ~ImageFile() = default;

  // Opens an existing image.
  static std::unique_ptr<ImageFile> Open(const std::u16string& path, bool writable, uint32_t& error);
  // Creates the image when missing and makes it at least size bytes long;
  // the added bytes read as zero and take no space where the file system
  // allows holes. 0 on success.
  static uint32_t Prepare(const std::u16string& path, uint64_t size);

  // Moves up to length bytes at offset; done says how many moved (fewer
  // than asked at the end of the file when reading).
  virtual bool ReadAt(uint64_t offset, uint8_t* buffer, uint32_t length, uint32_t& done, uint32_t& error) = 0;
  virtual bool WriteAt(uint64_t offset, const uint8_t* buffer, uint32_t length, uint32_t& done,
                       uint32_t& error) = 0;
};

}  // namespace qtr
