// Reading and writing a small file in one piece, for the XML files kept in
// the program folder. Results are Win32 error codes, 0 on success.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qtr {

uint32_t ReadWholeFile(std::u16string_view path, std::string& bytes);

// Creates or truncates the file and writes every byte.
uint32_t WriteWholeFile(std::u16string_view path, std::string_view bytes);

// Makes the file hold exactly bytes without ever leaving it damaged: a new
// file beside it takes its place once written whole (ReplaceFileContents of
// FileReplacement.h over the system's file system).
uint32_t ReplaceWholeFile(std::u16string_view path, std::string_view bytes);

// Gives the file at from the name to, replacing a file of that name.
uint32_t RenameWholeFile(std::u16string_view from, std::u16string_view to);

// The file's size and last-write time (in the system's own units), to tell
// whether it changed since it was last read.
struct WholeFileStamp {
  uint64_t size = 0, lastWrite = 0;
  bool operator==(const WholeFileStamp&) const = default;
};
uint32_t StampOfWholeFile(std::u16string_view path, WholeFileStamp* stamp);

// A lock file that one program holds at a time, for a read, change and
// write of a file that two programs (the window and qtrpack) may make at
// once. It is let go with the object, or with its program however that
// ends; on Windows the lock file goes with it.
class WholeFileLock {
 public:
  // Waits up to waitMs for the lock at path; Held() says whether it came.
  WholeFileLock(std::u16string_view path, uint32_t waitMs);
  ~WholeFileLock();
  WholeFileLock(const WholeFileLock&) = delete;
  WholeFileLock& operator=(const WholeFileLock&) = delete;
  bool Held() const { return handle_ != kNone; }

 private:
  static constexpr intptr_t kNone = -1;
  intptr_t handle_ = kNone;  // a HANDLE on Windows, a descriptor elsewhere
};

}  // namespace qtr
