#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "devices/DeviceMessages.h"
#include "diskcopy/DiskCopyJob.h"

namespace qtr {
namespace {

using test::ReadImage;
using test::NumberedDisk;
using test::SimulatedWorld;
using test::WriteImage;

// Cylinders of 2 x 4 x 512 = 4096 bytes.
constexpr uint32_t kBlock = 4096;

// Every block of the source holds its own index, so a block in the wrong
// place shows.
std::string Pattern(int block) {
  return std::string(kBlock, static_cast<char>('a' + block % 26));
}

class DiskCopy : public ::testing::Test {
 protected:
  void SetUpDisks(const std::string& description, int sourceBlocks) {
    world_ = std::make_unique<SimulatedWorld>(description);
    // After the fill, which writes fresh password records.
    FillDeviceList(list_);
    for (int k = 0; k < sourceBlocks; ++k)
      WriteImage(world_->Image(u"d1.img"), uint64_t(k) * kBlock, Pattern(k));
    job_.source = list_.FindByDeviceNumber(1);
    job_.target = list_.FindByDeviceNumber(2);
  }
  std::u16string TargetImage() const { return world_->Image(u"d2.img"); }

  std::unique_ptr<SimulatedWorld> world_;
  DeviceList list_;
  DiskCopyJob job_;
};

TEST_F(DiskCopy, CompleteCopyPutsEveryBlockInItsPlace) {
  SetUpDisks(NumberedDisk(1, 6, "capacity = 25600\n") + NumberedDisk(2, 8), 6);
  DiskCopyWorker worker;
  worker.Start(job_, list_);
  worker.Join();
  EXPECT_EQ(job_.success, 1);
  EXPECT_EQ(job_.finished, 1);
  EXPECT_EQ(job_.stop, 1);
  EXPECT_EQ(job_.total, 25600u);
  EXPECT_EQ(job_.copied, 6u * kBlock) << "only whole cylinders";
  for (int k = 0; k < 6; ++k)
    EXPECT_EQ(ReadImage(TargetImage(), uint64_t(k) * kBlock, kBlock), Pattern(k)) << k;
  EXPECT_EQ(ReadImage(TargetImage(), 6u * kBlock, kBlock), std::string(kBlock, '\0'));
  EXPECT_TRUE(world_->Messages().Shown().empty());
}

TEST_F(DiskCopy, CancelStopsAfterTheBlockInProgress) {
  SetUpDisks(NumberedDisk(1, 6) + NumberedDisk(2, 6), 6);
  // Cancel is confirmed while block 2 is being read.
  world_->Devices().SetReadObserver([this](size_t disk, uint64_t offset) {
    if (disk == 0 && offset == 2 * kBlock) job_.stop = 1;
  });
  RunDiskCopy(job_, list_);
  EXPECT_EQ(job_.success, 0);
  EXPECT_EQ(job_.finished, 1);
  EXPECT_EQ(job_.copied, 3u * kBlock);
  EXPECT_EQ(ReadImage(TargetImage(), 2u * kBlock, kBlock), Pattern(2)) << "what was copied stays";
  EXPECT_EQ(ReadImage(TargetImage(), 3u * kBlock, kBlock), std::string(kBlock, '\0'));
}

TEST_F(DiskCopy, ReadWriteAndSeekFailuresEndWithTheirMessages) {
  SetUpDisks(NumberedDisk(1, 4) + NumberedDisk(2, 4), 4);
  world_->Devices().SetFailure(0, SimulatedFailure::ShortRead, true);
  RunDiskCopy(job_, list_);
  EXPECT_EQ(job_.success, 0);
  EXPECT_EQ(world_->Messages().Shown().back(), CopyReadFailedMessage(true, 0, kBlock, kBlock / 2));
  world_->Devices().SetFailure(0, SimulatedFailure::ShortRead, false);

  world_->Devices().SetFailure(1, SimulatedFailure::Write, true);
  job_.stop = 0;
  RunDiskCopy(job_, list_);
  EXPECT_EQ(job_.success, 0);
  EXPECT_EQ(world_->Messages().Shown().back(), u"写文件出错");
  world_->Devices().SetFailure(1, SimulatedFailure::Write, false);

  world_->Devices().SetFailure(1, SimulatedFailure::Seek, true);
  job_.stop = 0;
  RunDiskCopy(job_, list_);
  EXPECT_EQ(job_.success, 0);
  EXPECT_EQ(world_->Messages().Shown().back(), u" move byte 4096,error=131");
  EXPECT_EQ(job_.copied, kBlock);
}

TEST_F(DiskCopy, OpenAndGeometryFailuresEndSilently) {
  SetUpDisks(NumberedDisk(1, 4) + NumberedDisk(2, 4), 4);
  world_->Devices().SetFailure(0, SimulatedFailure::Geometry, true);
  RunDiskCopy(job_, list_);
  EXPECT_EQ(job_.success, 0);
  EXPECT_EQ(job_.finished, 1);
  EXPECT_EQ(job_.copied, 0u);
  world_->Devices().SetFailure(0, SimulatedFailure::Geometry, false);

  world_->Devices().SetFailure(1, SimulatedFailure::Open, true);
  RunDiskCopy(job_, list_);
  EXPECT_EQ(job_.success, 0);
  EXPECT_TRUE(world_->Messages().Shown().empty());

  // A geometry without cylinders or without sectors copies nothing and says so.
  for (const char* geometry : {"0 2 4 512", "4 0 4 512", "4 2 4 0"}) {
    SimulatedWorld zero(NumberedDisk(1, 4, std::string("geometry = ") + geometry + "\ncapacity = 16384\n") +
                        NumberedDisk(2, 4));
    DeviceList disks;
    FillDeviceList(disks);
    DiskCopyJob job;
    job.source = 0;
    job.target = 1;
    RunDiskCopy(job, disks);
    EXPECT_EQ(job.success, 0) << geometry;
    EXPECT_EQ(job.finished, 1);
  }

  DiskCopyJob orphan;
  orphan.source = 0;
  orphan.target = 7;  // the target has left the list
  RunDiskCopy(orphan, list_);
  EXPECT_EQ(orphan.success, 0);
  EXPECT_EQ(orphan.finished, 1);
}

}  // namespace
}  // namespace qtr
