#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "DeviceTestSupport.h"
#include "devices/DeviceChangeHandler.h"
#include "devices/PasswordRecord.h"
#include "devices/TargetDisk.h"
#include "platform/WholeFile.h"

namespace qtr {
namespace {

using test::kDisks;
using test::kFour;
using test::kTwo;


// The page as a record of what the handler asked of it.
class RecordingPage final : public DiskPageView {
 public:
  void ShowDiskItems(const CUSBDevice& disk) override {
    const uint32_t data = disk.m_deviceNumber + 3;
    if (std::find(items.begin(), items.end(), data) != items.end()) return;
    items.insert(std::upper_bound(items.begin(), items.end(), data), data);
  }
  void RemoveDiskItems(uint32_t number) override { std::erase(items, number + 3); }
  void AddTargetDrive(const std::u16string& drive) override {
    if (std::find(drives.begin(), drives.end(), drive) == drives.end()) drives.insert(drives.begin(), drive);
  }
  void RemoveTargetDrive(const std::u16string& drive) override {
    std::erase(drives, drive);
    if (chosen == drive) chosen.clear();
  }
  DiskChoice SourceChoice() override { return {sourceSelected, sourceRemoved}; }
  DiskChoice TargetChoice() override { return {targetSelected, targetRemoved}; }
  void RefillManagementTrees() override { ++refills; }
  void OpenPasswordSet(const std::u16string& path) override { dialogs.push_back(u"set " + path); }
  void AskPassword(const std::u16string& path) override { dialogs.push_back(u"ask " + path); }
  void DiskRemoved() override { ++removals; }
  void DevicesChanged() override { ++changes; }

  std::vector<uint32_t> items;  // item data of the disk items, as both trees hold them
  std::vector<std::u16string> drives;
  std::u16string chosen;
  int sourceSelected = -1, sourceRemoved = 0, targetSelected = -1, targetRemoved = 0;
  int refills = 0, removals = 0, changes = 0;
  std::vector<std::u16string> dialogs;
};

class DeviceChangeHandlerTest : public ::testing::Test {
 protected:
  void Plug(size_t disk, bool in) {
    world.Devices().SetPresent(disk, in);
    for (const auto& change : world.Devices().PollPresence())
      if (!change.volumes)
        handler.OnDeviceChange(change.arrived ? kDeviceArrival : kDeviceRemoveComplete,
                             kDeviceInterfaceBroadcast, change.path);
  }
  std::vector<uint32_t> ListedNumbers() const {
    std::vector<uint32_t> numbers;
    for (size_t i = 0; i < list.Size(); ++i) numbers.push_back(list[i].m_deviceNumber);
    return numbers;
  }

  test::SimulatedWorld world{kDisks};
  DeviceList list;
  RecordingPage page;
  EnclosureButton button;
  DeviceChangeHandler handler{list, page, button};
};

TEST_F(DeviceChangeHandlerTest, ArrivalsAreShownOnceInDeviceNumberOrder) {
  Plug(0, true);
  Plug(1, true);
  EXPECT_EQ(ListedNumbers(), (std::vector<uint32_t>{2, 4}));
  EXPECT_EQ(page.items, (std::vector<uint32_t>{5, 7}));
  EXPECT_EQ(page.drives, (std::vector<std::u16string>{u"F:", u"E:", u"G:"}));
  EXPECT_EQ(page.refills, 2);

  // Unplugged and plugged again, and one arrival announced twice.
  Plug(0, false);
  Plug(0, true);
  handler.OnDeviceChange(kDeviceArrival, kDeviceInterfaceBroadcast, kFour);
  EXPECT_EQ(ListedNumbers(), (std::vector<uint32_t>{2, 4}));
  EXPECT_EQ(page.items, (std::vector<uint32_t>{5, 7}));
  std::vector<std::u16string> drives = page.drives;
  std::sort(drives.begin(), drives.end());
  EXPECT_EQ(drives, (std::vector<std::u16string>{u"E:", u"F:", u"G:"}));
}

TEST_F(DeviceChangeHandlerTest, UnsupportedAndForeignBroadcastsChangeNothing) {
  Plug(2, true);  // no marker
  handler.OnDeviceChange(kDeviceArrival, 2 /* a volume */, kFour);
  handler.OnDeviceChange(kDeviceRemoveComplete, kDeviceInterfaceBroadcast, u"\\\\?\\usbstor#unknown");
  handler.OnDeviceChange(kDeviceRemovePending, kDeviceInterfaceBroadcast, kFour);
  EXPECT_TRUE(list.Empty());
  EXPECT_TRUE(page.items.empty());
  EXPECT_TRUE(page.drives.empty());
  EXPECT_EQ(page.removals, 0);
  EXPECT_EQ(page.changes, 0);
  EXPECT_TRUE(world.Messages().Shown().empty());
}

TEST_F(DeviceChangeHandlerTest, RemovalTakesTheDiskItsItemsAndItsLettersAway) {
  Plug(0, true);
  Plug(1, true);
  page.chosen = u"G:";
  page.targetSelected = 4;
  page.sourceSelected = 2;
  Plug(0, false);
  EXPECT_EQ(ListedNumbers(), (std::vector<uint32_t>{2}));
  EXPECT_EQ(page.items, (std::vector<uint32_t>{5}));
  EXPECT_EQ(page.drives, (std::vector<std::u16string>{u"F:"}));
  EXPECT_EQ(page.chosen, u"") << "the chosen letter was on the disk that left";
  EXPECT_EQ(page.targetSelected, -1);
  EXPECT_EQ(page.targetRemoved, 1);
  EXPECT_EQ(page.sourceSelected, 2) << "the source tree chose the other disk";
  EXPECT_EQ(page.sourceRemoved, 0);
  EXPECT_EQ(page.removals, 1);
}

TEST_F(DeviceChangeHandlerTest, RemovalOfADiskNoTreeChoseLeavesBothFlagsClear) {
  Plug(0, true);
  Plug(1, true);
  page.targetSelected = 4;
  Plug(1, false);
  EXPECT_EQ(page.targetSelected, 4);
  EXPECT_EQ(page.targetRemoved, 0);
  EXPECT_EQ(page.sourceRemoved, 0);
}

TEST_F(DeviceChangeHandlerTest, ItemsAreFoundByTheirDataWhenTheTreeIsOutOfStep) {
  Plug(0, true);
  Plug(1, true);
  // The trees lost disk 2's item (say a refill went wrong): removing disk 2
  // must not take disk 4's item, which now stands where disk 2's stood.
  page.items = {7};
  Plug(1, false);
  EXPECT_EQ(page.items, (std::vector<uint32_t>{7}));
  EXPECT_EQ(ListedNumbers(), (std::vector<uint32_t>{4}));
}

TEST_F(DeviceChangeHandlerTest, ArrivalOpensThePasswordDialogThatFitsTheDisk) {
  Plug(1, true);
  // A password on disk 4 before it comes.
  {
    CUSBDevice four;
    four.m_devicePath = kFour;
    world.Devices().SetPresent(0, true);
    ASSERT_TRUE(four.IsHalvernDevice());
    PasswordRecord record{};
    ASSERT_EQ(BuildPasswordRecord(u"abc", record), PasswordEncoding::Ok);
    ASSERT_EQ(four.WritePasswordRecord(record), CUSBDevice::RecordWrite::Written);
    world.Devices().SetPresent(0, false);
  }
  world.Devices().PollPresence();
  Plug(0, true);
  EXPECT_EQ(page.dialogs, (std::vector<std::u16string>{u"set " + kTwo, u"ask " + kFour}));
  // A repeated announcement of a listed disk asks nothing again.
  handler.OnDeviceChange(kDeviceArrival, kDeviceInterfaceBroadcast, kFour);
  EXPECT_EQ(page.dialogs.size(), 2u);
}

TEST(DeviceChangeHandler, ADiskWithoutRoomForAPasswordArrivesWithoutTheSetDialog) {
  test::SimulatedWorld world{
      "[disk]\npath = \\\\?\\usbstor#full\nimage = full.img\nvendor = WDC\nproduct = Full\n"
      "number = 5\ngeometry = 2 16 63 512\nvolume = J\npresent = no\n"};
  // One NTFS partition from sector 63 to the last (2015) covers the record's sector 2014.
  std::string mbr(512, '\0');
  const uint32_t first = 63, count = 2016 - 63;
  mbr[446 + 4] = '\x07';
  std::memcpy(mbr.data() + 446 + 8, &first, 4);
  std::memcpy(mbr.data() + 446 + 12, &count, 4);
  mbr[510] = '\x55';
  mbr[511] = '\xAA';
  test::WriteImage(world.Image(u"full.img"), 0, mbr);
  DeviceList list;
  RecordingPage page;
  EnclosureButton button;
  DeviceChangeHandler handler{list, page, button};
  world.Devices().SetPresent(0, true);
  for (const auto& change : world.Devices().PollPresence())
    handler.OnDeviceChange(kDeviceArrival, kDeviceInterfaceBroadcast, change.path);
  ASSERT_EQ(list.Size(), 1u);
  EXPECT_FALSE(list[0].m_passwordSectorFree);
  EXPECT_TRUE(page.dialogs.empty());
}

TEST_F(DeviceChangeHandlerTest, ButtonPollingFollowsTheDisks) {
  button.Apply(true, false);
  Plug(0, true);
  EXPECT_TRUE(button.Running());
  Plug(0, false);
  EXPECT_FALSE(button.Running()) << "no disk left to poll";
  EXPECT_TRUE(button.Enabled());
}

TEST(DriveChanges, ALetterAfterItsDiskBecomesATargetOnceAndGoesWhileTheDiskStays) {
  test::SimulatedWorld world(
      "drive = C fixed 0\n[disk]\npath = \\\\?\\usbstor#late\nimage = late.img\nvendor = WDC\n"
      "product = Late\nnumber = 5\ngeometry = 2 16 63 512\nvolume = E\nvolume-delay = 1500\npresent = no\n");
  int64_t now = 0;
  world.Devices().SetClock([&now] { return now; });
  DeviceList list;
  RecordingPage page;
  EnclosureButton button;
  DeviceChangeHandler handler{list, page, button};
  // As the program hears of it: the disk's broadcast, the shell's drive notifications.
  const auto poll = [&] {
    for (const auto& change : world.Devices().PollPresence()) {
      if (!change.volumes)
        handler.OnDeviceChange(change.arrived ? kDeviceArrival : kDeviceRemoveComplete,
                               kDeviceInterfaceBroadcast, change.path);
      else if (change.arrived)
        handler.DriveArrived(u"E:");
      else
        handler.DriveRemoved(u"E:");
    }
  };
  world.Devices().SetPresent(0, true);
  poll();
  ASSERT_EQ(list.Size(), 1u);
  EXPECT_TRUE(page.drives.empty());
  EXPECT_FALSE(handler.DriveArrived(u"C:")) << "a local drive is no target";
  now += 1500;
  poll();
  EXPECT_EQ(page.drives, (std::vector<std::u16string>{u"E:"}));
  EXPECT_EQ(list[0].m_partitions, u"E: ") << "a source tree asking now knows E: for a USB drive";
  EXPECT_TRUE(handler.DriveArrived(u"E:"));  // told twice
  EXPECT_EQ(page.drives.size(), 1u);

  page.chosen = u"E:";
  world.Devices().SetMounted(0, false);
  poll();
  EXPECT_TRUE(page.drives.empty());
  EXPECT_EQ(page.chosen, u"") << "the choice is cleared";
  EXPECT_EQ(page.removals, 1) << "a pending start is closed";
  EXPECT_EQ(list.Size(), 1u) << "the disk stays";
  EXPECT_FALSE(handler.DriveRemoved(u"E:")) << "gone already";
}

TEST_F(DeviceChangeHandlerTest, TheChosenPartitionNamesItsDiskAndWhetherItIsLocked) {
  Plug(0, true);
  Plug(1, true);
  TargetDisk target = FindTargetDisk(list, u"G:");
  EXPECT_TRUE(target.found);
  EXPECT_EQ(target.path, kFour);
  EXPECT_EQ(target.deviceNumber, 4u);
  EXPECT_FALSE(target.locked);
  EXPECT_FALSE(FindTargetDisk(list, u"H:").found) << "the disk without the marker is not listed";
  EXPECT_FALSE(FindTargetDisk(list, u"").found);

  // Letters not known yet are asked for again; a set password locks.
  const int two = list.FindByPath(kTwo);
  ASSERT_GE(two, 0);
  list[static_cast<size_t>(two)].m_partitions.clear();
  list[static_cast<size_t>(two)].m_passwordRecord[0] = 1;
  target = FindTargetDisk(list, u"F:");
  EXPECT_EQ(target.path, kTwo);
  EXPECT_TRUE(target.locked);
  EXPECT_EQ(list[static_cast<size_t>(two)].m_partitions, u"F: ");
  list[static_cast<size_t>(two)].m_unlocked = 1;
  EXPECT_FALSE(FindTargetDisk(list, u"F:").locked);
}

TEST(DriveTexts, GroupsOfThree) {
  EXPECT_EQ(DriveTexts(u"E: G: "), (std::vector<std::u16string>{u"E:", u"G:"}));
  EXPECT_EQ(DriveTexts(u"E:"), (std::vector<std::u16string>{u"E:"}));
  EXPECT_TRUE(DriveTexts(u"").empty());
}

}  // namespace
}  // namespace qtr
