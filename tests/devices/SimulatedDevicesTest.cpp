#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "devices/DeviceList.h"
#include "devices/SimulatedDevices.h"

namespace qtr {
namespace {

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

}  // namespace
}  // namespace qtr
