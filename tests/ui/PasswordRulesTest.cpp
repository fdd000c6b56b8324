#include "ui/PasswordRules.h"

#include <gtest/gtest.h>

#include "devices/PasswordRecord.h"
#include "devices/UsbDevice.h"

namespace qtr {
namespace {

TEST(PasswordMenu, EntriesFollowThePasswordAndLock) {
  CUSBDevice device;
  EXPECT_FALSE(PasswordMenuFor(device).setEnabled) << "no password where the sector is not known to be free";
  device.m_passwordSectorFree = true;
  PasswordMenuState menu = PasswordMenuFor(device);
  EXPECT_TRUE(menu.setEnabled);
  EXPECT_FALSE(menu.lockEnabled);
  EXPECT_FALSE(menu.resetEnabled);
  ASSERT_EQ(BuildPasswordRecord(u"abc", device.m_passwordRecord), PasswordEncoding::Ok);
  device.m_unlocked = 1;
  menu = PasswordMenuFor(device);
  EXPECT_FALSE(menu.setEnabled);
  EXPECT_TRUE(menu.lockEnabled);
  EXPECT_TRUE(menu.resetEnabled);
  LockDisk(device);
  EXPECT_FALSE(PasswordMenuFor(device).lockEnabled);
}

}  // namespace
}  // namespace qtr
