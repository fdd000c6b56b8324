#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "devices/ImageFile.h"
#include "platform/SystemError.h"
#include "platform/Utf8.h"

namespace qtr {
namespace {

uint32_t Win32Error(int err) {
  switch (err) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return kErrorAccessDenied;
    case ENOSPC: return kErrorDiskFull;
    case EFBIG: return kErrorFileTooLarge;
    case ENOMEM: return kErrorNotEnoughMemory;
    default: return kErrorReadFault;
  }
}

class PosixImageFile final : public ImageFile {
 public:
  explicit PosixImageFile(int fd) : fd_(fd) {}
  ~PosixImageFile() override { close(fd_); }
  PosixImageFile(const PosixImageFile&) = delete;
  PosixImageFile& operator=(const PosixImageFile&) = delete;

  bool ReadAt(uint64_t offset, uint8_t* buffer, uint32_t length, uint32_t& done, uint32_t& error) override {
    done = 0;
    while (done < length) {
      const ssize_t n = pread(fd_, buffer + done, length - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        error = Win32Error(errno);
        return false;
      }
      if (n == 0) break;  // end of the image
      done += static_cast<uint32_t>(n);
    }
    return true;
  }

  bool WriteAt(uint64_t offset, const uint8_t* buffer, uint32_t length, uint32_t& done,
               uint32_t& error) override {
    done = 0;
    while (done < length) {
      const ssize_t n = pwrite(fd_, buffer + done, length - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        error = errno == ENOSPC ? kErrorDiskFull : kErrorWriteFault;
        return false;
      }
      done += static_cast<uint32_t>(n);
    }
    return true;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<ImageFile> ImageFile::Open(const std::u16string& path, bool writable, uint32_t& error) {
  const int fd = open(Utf16ToUtf8(path).c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) {
    error = Win32Error(errno);
    return nullptr;
  }
  return std::make_unique<PosixImageFile>(fd);
}

uint32_t ImageFile::Prepare(const std::u16string& path, uint64_t size) {
  const int fd = open(Utf16ToUtf8(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return Win32Error(errno);
  struct stat info {};
  uint32_t result = 0;
  if (fstat(fd, &info) != 0)
    result = Win32Error(errno);
  else if (static_cast<uint64_t>(info.st_size) < size && ftruncate(fd, static_cast<off_t>(size)) != 0)
    result = Win32Error(errno);
  close(fd);
  return result;
}

}  // namespace qtr
