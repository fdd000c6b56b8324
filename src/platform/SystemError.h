// Error codes are Win32 error codes in every build, so messages, logs and
// tests read the same natively and on Windows.
#pragma once
#include <cstdint>
#include <string>

namespace qtr {

inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorNotEnoughMemory = 8;
inline constexpr uint32_t kErrorWriteFault = 29;
inline constexpr uint32_t kErrorReadFault = 30;
inline constexpr uint32_t kErrorInvalidData = 13;
inline constexpr uint32_t kErrorHandleEof = 38;
inline constexpr uint32_t kErrorFileExists = 80;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorDiskFull = 112;
inline constexpr uint32_t kErrorFileTooLarge = 223;
inline constexpr uint32_t kErrorInvalidFunction = 1;
inline constexpr uint32_t kErrorNoMoreFiles = 18;
inline constexpr uint32_t kErrorNotSupported = 50;
inline constexpr uint32_t kErrorNegativeSeek = 131;
inline constexpr uint32_t kErrorBadPathName = 161;
inline constexpr uint32_t kErrorDirNotEmpty = 145;
inline constexpr uint32_t kErrorAlreadyExists = 183;
inline constexpr uint32_t kErrorIoDevice = 1117;
inline constexpr uint32_t kErrorDeviceNotConnected = 1167;
// A reparse point (junction, symbolic link, mount point) where the program
// follows none; its text is the program's own in every build.
inline constexpr uint32_t kErrorLinkNotFollowed = 4395;
inline constexpr char16_t kLinkNotFollowedText[] =
    u"The folder is a link (a junction or symbolic link) and was not followed.";

// The system's message text for an error code, without trailing line end
// ("The system cannot find the file specified." for 2).
std::u16string SystemErrorMessage(uint32_t code);

#ifndef _WIN32
// The Win32 code that stands for a POSIX errno value.
uint32_t Win32ErrorFromErrno(int error);
#endif

}  // namespace qtr
