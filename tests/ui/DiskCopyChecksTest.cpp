#include "ui/DiskCopyChecks.h"

#include <gtest/gtest.h>

#include "DeviceTestSupport.h"

namespace qtr {
namespace {

using test::NumberedDisk;
using test::SimulatedWorld;

// Cylinders of 2 x 4 x 512 = 4096 bytes.
TEST(DiskCopyChecks, StartModeFollowsTheChosenDisks) {
  using namespace disk_copy_text;
  EXPECT_EQ(DecideStartMode(true, 1, 2).mode, StartMode::FileBackup);
  EXPECT_EQ(DecideStartMode(false, -1, -1).mode, StartMode::FileBackup);
  EXPECT_EQ(DecideStartMode(false, -1, 2).message, kChoseSourceDisk);
  EXPECT_EQ(DecideStartMode(false, 1, -1).message, kChoseDestDisk);
  const ModeDecision same = DecideStartMode(false, 2, 2);
  EXPECT_EQ(same.mode, StartMode::Stop);
  EXPECT_EQ(same.message, kSourcediskAndDestDiskIsSame);
  EXPECT_EQ(DecideStartMode(false, 1, 2).mode, StartMode::DiskCopy);
}

TEST(DiskCopyChecks, TargetMustBeLargeEnoughAndEmpty) {
  using namespace disk_copy_text;
  SimulatedWorld world(NumberedDisk(1, 4, "capacity = 16384\n") + NumberedDisk(2, 4, "capacity = 16384\n") +
                       NumberedDisk(3, 3, "capacity = 12288\n") + NumberedDisk(4, 8, "volume = H\n") +
                       NumberedDisk(5, 4, "fail = capacity10 capacity16\n"));
  DeviceList list;
  FillDeviceList(list);
  const CopyStartCheck equal = CheckDiskCopyStart(list, 1, 2);
  EXPECT_TRUE(equal.start);
  EXPECT_EQ(equal.sourceIndex, 0);
  EXPECT_EQ(equal.targetIndex, 1);
  EXPECT_EQ(CheckDiskCopyStart(list, 1, 3).message, kSourceDiskIsGreater) << "one block smaller";
  EXPECT_EQ(CheckDiskCopyStart(list, 1, 4).message, kDeleteAllPartitions);
  EXPECT_EQ(CheckDiskCopyStart(list, 1, 5).message, kSourceDiskIsGreater) << "unknown size";
  EXPECT_EQ(CheckDiskCopyStart(list, 1, 1).message, kSourcediskAndDestDiskIsSame);
  const CopyStartCheck missing = CheckDiskCopyStart(list, 1, 9);
  EXPECT_FALSE(missing.start);
  EXPECT_FALSE(missing.message.has_value());
}

}  // namespace
}  // namespace qtr
