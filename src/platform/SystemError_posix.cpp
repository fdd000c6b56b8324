#include "platform/SystemError.h"

#include <cerrno>

namespace qtr {

uint32_t Win32ErrorFromErrno(int error) {
  switch (error) {
    case 0: return 0;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return kErrorAccessDenied;
    case ENOSPC: return kErrorDiskFull;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EFBIG: return kErrorFileTooLarge;
    case EEXIST: return kErrorFileExists;
    case EIO: return kErrorReadFault;
    default: return kErrorInvalidParameter;
  }
}

// The English texts Windows gives for the codes the portable code reports.
std::u16string SystemErrorMessage(uint32_t code) {
  switch (code) {
    case 0: return u"The operation completed successfully.";
    case kErrorFileNotFound: return u"The system cannot find the file specified.";
    case kErrorPathNotFound: return u"The system cannot find the path specified.";
    case kErrorAccessDenied: return u"Access is denied.";
    case kErrorNotEnoughMemory: return u"Not enough memory resources are available to process this command.";
    case kErrorWriteFault: return u"The system cannot write to the specified device.";
    case kErrorReadFault: return u"The system cannot read from the specified device.";
    case kErrorHandleEof: return u"Reached the end of the file.";
    case kErrorFileExists: return u"The file exists.";
    case kErrorInvalidParameter: return u"The parameter is incorrect.";
    case kErrorDiskFull: return u"There is not enough space on the disk.";
    case kErrorFileTooLarge: return u"The file size exceeds the limit allowed and cannot be saved.";
    case kErrorBadPathName: return u"The specified path is invalid.";
    case kErrorLinkNotFollowed: return kLinkNotFollowedText;
    default: return u"Unknown error";
  }
}

}  // namespace qtr
