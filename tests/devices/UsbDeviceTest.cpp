#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "DeviceTestSupport.h"
#include "devices/DeviceList.h"
#include "devices/DeviceMessages.h"
#include "devices/UsbDevice.h"

namespace qtr {
namespace {

using test::SimulatedWorld;

constexpr char kPathOne[] = "\\\\?\\usbstor#disk&ven_wdc#1";
constexpr char kPathTwo[] = "\\\\?\\usbstor#disk&ven_st#2";

std::string Disk(const std::string& path, const std::string& image, int number,
                 const std::string& extra = "") {
  return "[disk]\npath = " + path + "\nimage = " + image +
         "\nvendor = WDC\nproduct = Passport\nnumber = " + std::to_string(number) +
         "\ngeometry = 4 16 63 512\n" + extra;
}

CUSBDevice Record(const std::string& path) {
  CUSBDevice device;
  device.m_devicePath = Utf8ToUtf16(path);
  return device;
}

TEST(UsbDevice, SupportedDiskIsFilledIn) {
  SimulatedWorld world("drive = A removable\ndrive = C fixed 0\n" +
                       Disk(kPathOne, "one.img", 2, "volume = E\nvolume = G\nvolume = F unopenable\n"));
  CUSBDevice device = Record(kPathOne);
  ASSERT_TRUE(device.IsHalvernDevice());
  EXPECT_EQ(device.m_displayName, u"WDC     Passport");
  EXPECT_EQ(device.m_vendorName, u"Western Digital");
  EXPECT_EQ(device.m_deviceNumber, 2u);
  EXPECT_EQ(device.m_partitions, u"E: G: ");
  EXPECT_EQ(device.m_geometry.Cylinders, 4);
  EXPECT_EQ(device.m_geometry.BytesPerSector, 512u);
  EXPECT_EQ(device.m_unlocked, 0);
  EXPECT_TRUE(world.Messages().Shown().empty());
  const auto opened = world.Devices().OpenedPaths();
  EXPECT_EQ(std::count(opened.begin(), opened.end(), u"\\\\.\\A:"), 0) << "the floppy drive is never opened";
  EXPECT_EQ(std::count(opened.begin(), opened.end(), u"\\\\.\\C:"), 1);
}

TEST(UsbDevice, DiskWithoutMarkerOrAnswerIsLeftOutSilently) {
  SimulatedWorld world(Disk(kPathOne, "one.img", 1, "marker = no\n") + Disk(kPathTwo, "two.img", 2));
  std::vector<CUSBDevice> found;
  CUSBDevice::ProbeExistMassStrogeDevice(found);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].m_devicePath, Utf8ToUtf16(kPathTwo));
  EXPECT_TRUE(world.Messages().Shown().empty());
}

TEST(UsbDevice, RefusedDirectRequestFallsBackAfterOneMessage) {
  SimulatedWorld world(Disk(kPathOne, "one.img", 1, "fail = direct\n"));
  CUSBDevice device = Record(kPathOne);
  EXPECT_TRUE(device.IsHalvernDevice());
  EXPECT_EQ(device.m_displayName, u"WDC     Passport");
  EXPECT_EQ(world.Messages().Shown(),
            std::vector<std::u16string>{u"CUSBDevice::ExecuteSCSICommand=>IOCTL_SCSI_PASS_THROUGH_DIRECT: " +
                                        device.m_devicePath + u" failed: 1"});
}

TEST(UsbDevice, CommandFailuresShowTheirMessagesAndLeaveBuffers) {
  SimulatedWorld world(Disk(kPathOne, "one.img", 1, "fail = inquiry\n") +
                       Disk(kPathTwo, "two.img", 2, "fail = open\n"));
  CUSBDevice refusing = Record(kPathOne);
  EXPECT_FALSE(refusing.IsHalvernDevice());
  EXPECT_EQ(world.Messages().Shown().size(), 2u) << "direct and buffered request each";

  // When the disk cannot be opened the buffer stays as the caller left it.
  CUSBDevice closed = Record(kPathTwo);
  uint8_t data[8] = {7, 7, 7, 7, 7, 7, 7, 7};
  const uint8_t command[10] = {0x25};
  const uint32_t before = CUSBDevice::ScsiCallCount();
  EXPECT_FALSE(closed.ExecuteSCSICommand(data, command, sizeof command, sizeof data));
  EXPECT_EQ(data[0], 7);
  EXPECT_EQ(world.Messages().Shown().back(), ScsiOpenFailedMessage(before + 1, closed.m_devicePath, 5));
  EXPECT_EQ(world.Messages().Shown().back().substr(0, 7), u"time = ");
  // Once open, a refused command leaves zeros.
  CUSBDevice open = Record(kPathOne);
  EXPECT_FALSE(open.ExecuteSCSICommand(data, command, sizeof command, sizeof data));
  EXPECT_EQ(data[0], 0);
  EXPECT_FALSE(open.ExecuteSCSICommand(data, command, 17, sizeof data)) << "commands are at most 16 bytes";
}

TEST(UsbDevice, CapacityComesFromTheCommandThatAnswers) {
  SimulatedWorld world(Disk(kPathOne, "one.img", 1, "capacity = 1048576\n") +
                       Disk(kPathTwo, "two.img", 2, "capacity = 3298534883328\n") +  // 3 TiB
                       Disk("\\\\?\\three", "three.img", 3, "fail = capacity10 capacity16\n"));
  EXPECT_EQ(Record(kPathOne).GetCapacity(), 1048576u);
  EXPECT_EQ(Record(kPathTwo).GetCapacity(), 3298534883328u) << "READ CAPACITY(10) says 0xFFFFFFFF";
  world.Devices().SetFailure(1, SimulatedFailure::Capacity10, true);
  EXPECT_EQ(Record(kPathTwo).GetCapacity(), 3298534883328u);
  EXPECT_EQ(Record("\\\\?\\three").GetCapacity(), 0u);
}

TEST(UsbDevice, FailingRequestsKeepTheDiskAndOldValues) {
  SimulatedWorld world("drive = C fixed 0\n" +
                       Disk(kPathOne, "one.img", 4, "volume = E\nfail = geometry number\n"));
  CUSBDevice device = Record(kPathOne);
  EXPECT_TRUE(device.IsHalvernDevice());
  EXPECT_EQ(device.m_deviceNumber, 0u);
  EXPECT_EQ(device.m_partitions, u"") << "the system disk's C: is not taken for this disk's volume";
  device.m_deviceNumber = 9;
  device.GetPartitions();
  EXPECT_EQ(device.m_deviceNumber, 9u);
  EXPECT_EQ(device.m_geometry.Cylinders, 0);
  EXPECT_EQ(device.m_partitions, u"");
}

TEST(UsbDevice, KnownDeviceNumberSurvivesAFailedRequest) {
  SimulatedWorld world("drive = C fixed 0\n" + Disk(kPathOne, "one.img", 4, "volume = E\nvolume = G\n"));
  CUSBDevice device = Record(kPathOne);
  ASSERT_TRUE(device.IsHalvernDevice());
  world.Devices().SetFailure(0, SimulatedFailure::DeviceNumber, true);
  EXPECT_EQ(device.GetPartitions(), u"E: G: ");
  EXPECT_EQ(device.m_deviceNumber, 4u);
}

TEST(DeviceList, OwningThreadMayTakeTheLockAgain) {
  DeviceList list;
  const std::lock_guard outer(list.Mutex());
  // What a tree notification handler does while the removal handler holds the lock.
  ASSERT_TRUE(list.Mutex().try_lock());
  list.Mutex().unlock();
  bool otherThreadGotIt = true;
  std::thread([&] {
    otherThreadGotIt = list.Mutex().try_lock();
    if (otherThreadGotIt) list.Mutex().unlock();
  }).join();
  EXPECT_FALSE(otherThreadGotIt);
}

TEST(DeviceList, KeepsDeviceNumberOrder) {
  SimulatedWorld world(Disk(kPathTwo, "two.img", 3) + Disk(kPathOne, "one.img", 1));
  DeviceList list;
  FillDeviceList(list);
  ASSERT_EQ(list.Size(), 2u);
  EXPECT_EQ(list[0].m_deviceNumber, 1u);
  EXPECT_EQ(list[1].m_deviceNumber, 3u);

  CUSBDevice again = list[0];
  again.m_displayName = u"second";
  EXPECT_EQ(list.Insert(again), 1u) << "equal numbers keep arrival order";
  EXPECT_EQ(list.FindByPath(u"\\\\?\\USBSTOR#DISK&VEN_ST#2"), 2);
  EXPECT_EQ(list.FindByDeviceNumber(3), 2);
  EXPECT_EQ(list.FindByDeviceNumber(7), -1);
  EXPECT_TRUE(list.RemoveAt(0));
  EXPECT_EQ(list[0].m_displayName, u"second");
  EXPECT_EQ(list.At(5), nullptr);
  EXPECT_EQ(list.At(-1), nullptr);
}

}  // namespace
}  // namespace qtr
