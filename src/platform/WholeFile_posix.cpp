#include "platform/WholeFile.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SystemError.h"
#include "platform/Utf8.h"

namespace qtr {
namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Windows paths in tests use backslashes; natively they name the same folders.
std::string NativePath(std::u16string_view path) {
  std::string p = Utf16ToUtf8(path);
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

}  // namespace

uint32_t ReadWholeFile(std::u16string_view path, std::string& bytes) {
  bytes.clear();
  File f(std::fopen(NativePath(path).c_str(), "rb"));
  if (!f) return Win32ErrorFromErrno(errno);
  char buffer[65536];
  for (;;) {
    const size_t n = std::fread(buffer, 1, sizeof buffer, f.get());
    bytes.append(buffer, n);
    if (n < sizeof buffer) break;
  }
  // A folder opens but cannot be read.
  if (std::ferror(f.get())) return errno == EISDIR ? kErrorAccessDenied : kErrorReadFault;
  return 0;
}

uint32_t WriteWholeFile(std::u16string_view path, std::string_view bytes) {
  File f(std::fopen(NativePath(path).c_str(), "wb"));
  if (!f) return Win32ErrorFromErrno(errno);
  if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) return Win32ErrorFromErrno(errno);
  if (std::fclose(f.release()) != 0) return Win32ErrorFromErrno(errno);
  return 0;
}

uint32_t ReplaceWholeFile(std::u16string_view path, std::string_view bytes) {
  const std::string target = NativePath(path);
  const std::string replacement = target + ".~qtrnew";
  uint32_t error = 0;
  {
    File f(std::fopen(replacement.c_str(), "wb"));
    if (!f) return Win32ErrorFromErrno(errno);
    if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size() || std::fflush(f.get()) != 0 ||
        fsync(fileno(f.get())) != 0)
      error = Win32ErrorFromErrno(errno);
    if (std::fclose(f.release()) != 0 && error == 0) error = Win32ErrorFromErrno(errno);
  }
  if (error == 0 && std::rename(replacement.c_str(), target.c_str()) != 0) error = Win32ErrorFromErrno(errno);
  if (error != 0) std::remove(replacement.c_str());
  return error;
}

uint32_t RenameWholeFile(std::u16string_view from, std::u16string_view to) {
  if (std::rename(NativePath(from).c_str(), NativePath(to).c_str()) != 0) return Win32ErrorFromErrno(errno);
  return 0;
}

uint32_t StampOfWholeFile(std::u16string_view path, WholeFileStamp* stamp) {
  struct stat info {};
  if (stat(NativePath(path).c_str(), &info) != 0) return Win32ErrorFromErrno(errno);
  stamp->size = static_cast<uint64_t>(info.st_size);
  stamp->lastWrite = static_cast<uint64_t>(info.st_mtim.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(info.st_mtim.tv_nsec);
  return 0;
}

WholeFileLock::WholeFileLock(std::u16string_view path, uint32_t waitMs) {
  const int fd = open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  // flock, not unlink on release: a file unlinked while another waits on it would let two hold the lock.
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= until) {
      close(fd);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  handle_ = fd;
}

WholeFileLock::~WholeFileLock() {
  if (handle_ != kNone) close(static_cast<int>(handle_));
}

}  // namespace qtr
