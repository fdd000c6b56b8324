#include "platform/WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/SystemError.h"
#include "platform/Utf8.h"

namespace qtr {
namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

uint32_t FromErrno(int e) {
  switch (e) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return kErrorAccessDenied;
    case ENOSPC: return kErrorDiskFull;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EFBIG: return kErrorFileTooLarge;
    default: return kErrorReadFault;
  }
}

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
  if (!f) return FromErrno(errno);
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
  if (!f) return FromErrno(errno);
  if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) return FromErrno(errno);
  if (std::fclose(f.release()) != 0) return FromErrno(errno);
  return 0;
}

}  // namespace qtr
