#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "devices/DeviceMessages.h"
#include "devices/DeviceServices.h"
#include "devices/UsbDevice.h"

namespace qtr {
namespace {

TEST(DebugMessageBox, ShowsLevelTwoOrLessCutToItsBuffer) {
  test::RecordingMessages messages;
  ScopedDeviceServices installed(nullptr, &messages);
  DebugMessageBox(3, u"detail");
  DebugMessageBox(2, std::u16string(2000, u'x'));
  DebugMessageBox(1, u"failure");
  const auto shown = messages.Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].size(), 1023u);
  EXPECT_EQ(shown[1], u"failure");
}

TEST(DebugMessageBox, TextsOfTheDeviceFailures) {
  EXPECT_EQ(ScsiOpenFailedMessage(7, u"\\\\?\\d", 5),
            u"time = 7 CUSBDevice::ExecuteSCSICommand=> CreateFile(\"\\\\?\\d\") failed: 5");
  EXPECT_EQ(ScsiBufferedFailedMessage(u"p", 1),
            u"CUSBDevice::ExecuteSCSICommand=>IOCTL_SCSI_PASS_THROUGH: p failed: 1");
  EXPECT_EQ(SeekFailedMessage(5000000000ull, 87), u" move byte 5000000000,error=87");
  EXPECT_EQ(CopyReadFailedMessage(false, 23, 8225280, 0),
            u"读文件出错ret= 0,error=23,bPlantReadLen = 8225280,bRealReadLen = 0");
}

TEST(NoDeviceSystem, FindsAndOpensNothing) {
  ScopedDeviceServices installed(nullptr, nullptr);
  std::vector<CUSBDevice> found;
  CUSBDevice::ProbeExistMassStrogeDevice(found);
  EXPECT_TRUE(found.empty());
  CUSBDevice device;
  device.m_devicePath = u"\\\\?\\x";
  EXPECT_EQ(device.GetCapacity(), 0u);
}

}  // namespace
}  // namespace qtr
