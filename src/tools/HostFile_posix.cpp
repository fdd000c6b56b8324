#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/SystemError.h"
#include "platform/Utf8.h"
#include "tools/HostFile.h"

namespace qtr {
namespace {

// FILETIME counts 100 ns from 1601; Unix time counts from 1970.
constexpr uint64_t kUnixEpoch = 116444736000000000ull;
uint64_t ToFileTime(const struct timespec& t) {
  return kUnixEpoch + static_cast<uint64_t>(t.tv_sec) * 10'000'000 + static_cast<uint64_t>(t.tv_nsec) / 100;
}
struct timespec ToTimespec(uint64_t fileTime) {
  const uint64_t unix100ns = fileTime > kUnixEpoch ? fileTime - kUnixEpoch : 0;
  struct timespec t;
  t.tv_sec = static_cast<time_t>(unix100ns / 10'000'000);
  t.tv_nsec = static_cast<long>(unix100ns % 10'000'000) * 100;
  return t;
}

class PosixFile : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  uint32_t Read(void* buffer, size_t size, size_t* got) override {
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, size);
      if (n >= 0) {
        *got = static_cast<size_t>(n);
        return 0;
      }
      if (errno != EINTR) {
        *got = 0;
        return Win32ErrorFromErrno(errno);
      }
    }
  }
  uint32_t Write(const void* buffer, size_t size) override {
    const char* p = static_cast<const char*>(buffer);
    while (size > 0) {
      const ssize_t n = ::write(fd_, p, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return Win32ErrorFromErrno(errno);
      }
      p += n;
      size -= static_cast<size_t>(n);
    }
    return 0;
  }
  uint32_t Seek(uint64_t offset) override {
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0 ? Win32ErrorFromErrno(errno) : 0;
  }
  uint32_t Size(uint64_t* size) override {
    struct stat s;
    if (::fstat(fd_, &s) != 0) return Win32ErrorFromErrno(errno);
    *size = static_cast<uint64_t>(s.st_size);
    return 0;
  }
  uint32_t GetInfo(FindEntry* info) override {
    struct stat s;
    if (::fstat(fd_, &s) != 0) return Win32ErrorFromErrno(errno);
    info->attributes = S_ISDIR(s.st_mode) ? kAttributeDirectory : kAttributeArchive;
    info->size = static_cast<uint64_t>(s.st_size);
    info->times = {ToFileTime(s.st_ctim), ToFileTime(s.st_atim), ToFileTime(s.st_mtim)};
    return 0;
  }
  // Only the times: a host file has no DOS attributes.
  uint32_t SetTimesAndAttributes(const FileTimes& times, uint32_t) override {
    const struct timespec both[2] = {ToTimespec(times.lastAccess), ToTimespec(times.lastWrite)};
    return ::futimens(fd_, both) == 0 ? 0 : Win32ErrorFromErrno(errno);
  }
  uint32_t SetCompression(bool) override { return kErrorInvalidFunction; }
  uint32_t Flush() override { return ::fsync(fd_) == 0 ? 0 : Win32ErrorFromErrno(errno); }
  // The tool renames by path; a descriptor does not know its name.
  uint32_t RenameTo(std::u16string_view) override { return kErrorNotSupported; }

 private:
  int fd_;
};

std::string Native(std::u16string_view path) { return Utf16ToUtf8(path); }

}  // namespace

uint32_t OpenHostFile(std::u16string_view path, bool write, std::unique_ptr<File>* file) {
  const int fd = write ? ::open(Native(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                       : ::open(Native(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Win32ErrorFromErrno(errno);
  struct stat s;
  if (!write && ::fstat(fd, &s) == 0 && S_ISDIR(s.st_mode)) {
    ::close(fd);
    return kErrorAccessDenied;
  }
  *file = std::make_unique<PosixFile>(fd);
  return 0;
}

uint32_t CreateNewHostFile(std::u16string_view path, std::unique_ptr<File>* file) {
  const int fd = ::open(Native(path).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return Win32ErrorFromErrno(errno);
  *file = std::make_unique<PosixFile>(fd);
  return 0;
}

HostPathKind KindOfHostPath(std::u16string_view path) {
  struct stat s;
  if (::stat(Native(path).c_str(), &s) != 0) return HostPathKind::kMissing;
  if (S_ISREG(s.st_mode)) return HostPathKind::kRegular;
  if (S_ISDIR(s.st_mode)) return HostPathKind::kFolder;
  if (S_ISCHR(s.st_mode) || S_ISFIFO(s.st_mode)) return HostPathKind::kStream;
  return HostPathKind::kRefused;
}

uint32_t RenameHostFile(std::u16string_view from, std::u16string_view to) {
  return std::rename(Native(from).c_str(), Native(to).c_str()) == 0 ? 0 : Win32ErrorFromErrno(errno);
}

uint32_t RemoveHostFile(std::u16string_view path) {
  return ::unlink(Native(path).c_str()) == 0 ? 0 : Win32ErrorFromErrno(errno);
}

uint32_t CreateHiddenHostFolder(std::u16string_view path) {
  return ::mkdir(Native(path).c_str(), 0755) == 0 ? 0 : Win32ErrorFromErrno(errno);
}

bool SameHostFile(std::u16string_view a, std::u16string_view b) {
  struct stat x, y;
  if (::stat(Native(a).c_str(), &x) != 0 || ::stat(Native(b).c_str(), &y) != 0) return false;
  return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

}  // namespace qtr
