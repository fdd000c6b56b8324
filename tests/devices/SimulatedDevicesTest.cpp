#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "devices/DeviceList.h"
#include "devices/SimulatedDevices.h"
#include "platform/WholeFile.h"

namespace qtr {
namespace {

using test::kDisks;
using test::kFour;
using test::kTwo;

std::u16string ExampleDescription() {
#ifdef _WIN32
  // The source tree is reached through the drive that maps the host's root.
  std::u16string path = u"Z:" + Utf8ToUtf16(QTR_DEVICES_EXAMPLE);
  for (char16_t& c : path)
    if (c == u'/') c = u'\\';
  return path;
#else
  return Utf8ToUtf16(QTR_DEVICES_EXAMPLE);
#endif
}

TEST(SimulatedDevices, ExampleDescriptionSetsUpItsDisks) {
  test::TempFolder images;
  test::RecordingMessages messages;
  std::u16string error;
  auto devices = SimulatedDevices::Load(ExampleDescription(), images.Path(), error);
  ASSERT_NE(devices, nullptr) << Utf16ToUtf8(error);
  ScopedDeviceServices installed(devices.get(), &messages);
  DeviceList list;
  FillDeviceList(list);
  ASSERT_EQ(list.Size(), 2u) << "the third disk lacks the marker";
  EXPECT_EQ(list[0].m_displayName, u"WDC     Passport");
  EXPECT_EQ(list[0].m_partitions, u"E: ");
  EXPECT_EQ(list[1].m_vendorName, u"Seagate");
  EXPECT_EQ(list[1].GetCapacity(), 20ull * 255 * 63 * 512);
  EXPECT_TRUE(messages.Shown().empty());
}

TEST(SimulatedDevices, BadDescriptionsNameTheirLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"drive = C fixed\n[disk]\ncolour = red\n", "line 3: unknown key \"colour\""},
      {"[disk]\npath = x\nimage = i\ngeometry = 1 2 3\n",
       "line 4: expected \"geometry = <cylinders> <tracks> <sectors> <bytes>\""},
      {"[disk]\npath = x\nimage = i\nfail = sometimes\n", "line 4: unknown failure \"sometimes\""},
      {"[disk]\nimage = i\n", "line 0: a [disk] has no path"},
      {"number = 3\n", "line 1: unknown key \"number\" outside a [disk]"},
      {"[disk]\njust words\n", "line 2: expected \"key = value\""},
  };
  test::TempFolder images;
  for (const auto& [text, expected] : cases) {
    std::u16string message;
    EXPECT_EQ(SimulatedDevices::Parse(text, images.Path(), message), nullptr) << text;
    EXPECT_EQ(Utf16ToUtf8(message), expected);
  }
}

TEST(SimulatedDevices, UnpluggedDiskIsNeitherListedNorOpened) {
  test::SimulatedWorld world(
      "[disk]\npath = \\\\?\\one\nimage = one.img\ngeometry = 1 1 8 512\nvolume = E\n");
  std::vector<std::u16string> paths;
  ASSERT_TRUE(world.Devices().EnumerateDiskInterfaces(paths));
  EXPECT_EQ(paths.size(), 1u);
  world.Devices().SetPresent(0, false);
  ASSERT_TRUE(world.Devices().EnumerateDiskInterfaces(paths));
  EXPECT_TRUE(paths.empty());
  uint32_t error = 0;
  EXPECT_EQ(world.Devices().Open(u"\\\\?\\ONE", DeviceAccess::Read, error), nullptr);
  EXPECT_TRUE(world.Devices().LogicalDriveRoots().empty());
}

// Each change as "disk 0 in", "volumes 0 out", in the order reported.
std::vector<std::string> Changes(SimulatedDevices& devices) {
  std::vector<std::string> said;
  for (const auto& change : devices.PollPresence())
    said.push_back((change.volumes ? "volumes " : "disk ") + std::to_string(change.disk) +
                   (change.arrived ? " in" : " out"));
  return said;
}
using Said = std::vector<std::string>;

TEST(SimulatedPlugging, PlugFileAndSwitchReportEachChangeOnce) {
  test::SimulatedWorld world(kDisks);
  SimulatedDevices& devices = world.Devices();
  EXPECT_TRUE(devices.PollPresence().empty()) << "all start unplugged";
  ASSERT_EQ(WriteWholeFile(world.Image(u"four.plug"), "in\n"), 0u);
  devices.SetPresent(1, true);
  EXPECT_EQ(Changes(devices), (Said{"disk 0 in", "volumes 0 in", "disk 1 in", "volumes 1 in"}));
  EXPECT_TRUE(devices.PollPresence().empty());
  std::vector<std::u16string> paths;
  devices.EnumerateDiskInterfaces(paths);
  EXPECT_EQ(paths, (std::vector<std::u16string>{kFour, kTwo}));

  ASSERT_EQ(WriteWholeFile(world.Image(u"four.plug"), "unsure\n"), 0u);
  EXPECT_TRUE(devices.PollPresence().empty()) << "an unknown word keeps the disk as it is";
  ASSERT_EQ(WriteWholeFile(world.Image(u"four.plug"), "out\n"), 0u);
  EXPECT_EQ(Changes(devices), (Said{"volumes 0 out", "disk 0 out"}));
  EXPECT_EQ(devices.DriveType(u"E:\\"), DriveKind::NoRoot);
}

TEST(SimulatedPlugging, VolumesComeAfterTheirDelayAndGoWhileTheDiskStays) {
  test::SimulatedWorld world(
      "[disk]\npath = \\\\?\\usbstor#late\nimage = late.img\nvendor = WDC\nnumber = 5\n"
      "geometry = 2 16 63 512\nvolume = E\nvolume-delay = 1500\nmount = late.mount\npresent = no\n");
  SimulatedDevices& devices = world.Devices();
  int64_t now = 10000;
  devices.SetClock([&now] { return now; });
  const auto letters = [&] {
    CUSBDevice disk;
    disk.m_devicePath = u"\\\\?\\usbstor#late";
    return disk.GetPartitions();
  };
  devices.SetPresent(0, true);
  EXPECT_EQ(Changes(devices), (Said{"disk 0 in"}));
  EXPECT_TRUE(devices.LogicalDriveRoots().empty());
  EXPECT_EQ(letters(), u"");
  uint32_t error = 0;
  EXPECT_EQ(devices.Open(u"\\\\.\\E:", DeviceAccess::Read, error), nullptr);
  now += 1499;
  EXPECT_TRUE(Changes(devices).empty());
  now += 1;
  EXPECT_EQ(Changes(devices), (Said{"volumes 0 in"}));
  EXPECT_EQ(letters(), u"E: ");

  ASSERT_EQ(WriteWholeFile(world.Image(u"late.mount"), "unmounted\n"), 0u);
  EXPECT_EQ(Changes(devices), (Said{"volumes 0 out"}));
  EXPECT_EQ(letters(), u"");
  std::vector<std::u16string> paths;
  devices.EnumerateDiskInterfaces(paths);
  EXPECT_EQ(paths.size(), 1u) << "the disk stays";
  ASSERT_EQ(WriteWholeFile(world.Image(u"late.mount"), "mounted\n"), 0u);
  EXPECT_EQ(Changes(devices), (Said{"volumes 0 in"})) << "no delay: the disk did not come again";
  devices.SetPresent(0, false);
  EXPECT_EQ(Changes(devices), (Said{"volumes 0 out", "disk 0 out"}));
}

}  // namespace
}  // namespace qtr
