#include "devices/DeviceMessages.h"

#include "platform/NumberText.h"

namespace qtr {
namespace {

constexpr std::u16string_view kScsiOperation = u"CUSBDevice::ExecuteSCSICommand";

}  // namespace

// Error codes are printed with %d, as the system's messages always did.
static std::u16string ErrorNumber(uint32_t error) {
  return DecimalText(static_cast<int32_t>(error));
}

std::u16string ScsiOpenFailedMessage(uint32_t callCount, std::u16string_view path, uint32_t error) {
  return u"time = " + DecimalText(static_cast<int32_t>(callCount)) + u" " + std::u16string(kScsiOperation) +
         u"=> CreateFile(\"" + std::u16string(path) + u"\") failed: " + ErrorNumber(error);
}

std::u16string ScsiDirectFailedMessage(std::u16string_view path, uint32_t error) {
  return std::u16string(kScsiOperation) + u"=>IOCTL_SCSI_PASS_THROUGH_DIRECT: " + std::u16string(path) +
         u" failed: " + ErrorNumber(error);
}

std::u16string ScsiBufferedFailedMessage(std::u16string_view path, uint32_t error) {
  return std::u16string(kScsiOperation) + u"=>IOCTL_SCSI_PASS_THROUGH: " + std::u16string(path) +
         u" failed: " + ErrorNumber(error);
}

std::u16string SeekFailedMessage(uint64_t offset, uint32_t error) {
  return u" move byte " + DecimalText(static_cast<int64_t>(offset)) + u",error=" + ErrorNumber(error);
}

std::u16string CopyReadFailedMessage(bool readResult, uint32_t error, uint32_t blockSize,
                                     uint32_t bytesRead) {
  return u"读文件出错ret= " + DecimalText(readResult ? 1 : 0) + u",error=" + ErrorNumber(error) +
         u",bPlantReadLen = " + DecimalText(static_cast<int32_t>(blockSize)) + u",bRealReadLen = " +
         DecimalText(static_cast<int32_t>(bytesRead));
}

std::u16string CopyWriteFailedMessage() {
  return u"写文件出错";
}

std::u16string PasswordOpenFailedMessage() {
  return u"createFile faild";
}

}  // namespace qtr
