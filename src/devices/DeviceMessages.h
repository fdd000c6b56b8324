// The texts of the device code's debug and plain message boxes. They name
// operations, paths and error codes; never a password.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qtr {

std::u16string ScsiOpenFailedMessage(uint32_t callCount, std::u16string_view path, uint32_t error);
std::u16string ScsiDirectFailedMessage(std::u16string_view path, uint32_t error);
std::u16string ScsiBufferedFailedMessage(std::u16string_view path, uint32_t error);
// " move byte %Ld,error=%d"
std::u16string SeekFailedMessage(uint64_t offset, uint32_t error);
// The read-error box of the disk copy, with the ReadFile result, the error
// code, the block size and the bytes read.
std::u16string CopyReadFailedMessage(bool readResult, uint32_t error, uint32_t blockSize, uint32_t bytesRead);
// The write-error box of the disk copy.
std::u16string CopyWriteFailedMessage();
// The box shown when the disk holding a password record cannot be opened.
std::u16string PasswordOpenFailedMessage();

}  // namespace qtr
