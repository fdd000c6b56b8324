#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "DeviceTestSupport.h"
#include "devices/DeviceList.h"
#include "devices/DeviceMessages.h"
#include "devices/ProgramDevices.h"
#include "devices/Win32DeviceSystem.h"
#include "platform/NumberText.h"
#include "support/MappedDrive.h"

namespace qtr {
namespace {

// The texts a failing probe may show: the documented messages of the SCSI
// command and of the password record.
bool IsDocumentedMessage(const std::u16string& text) {
  return text.starts_with(u"time = ") ||
         text.starts_with(u"CUSBDevice::ExecuteSCSICommand=>IOCTL_SCSI_PASS_THROUGH_DIRECT: ") ||
         text.starts_with(u"CUSBDevice::ExecuteSCSICommand=>IOCTL_SCSI_PASS_THROUGH: ") ||
         text == u"createFile faild";
}

class Win32Backend : public ::testing::Test {
 protected:
  std::unique_ptr<DeviceSystem> system_ = MakeWin32DeviceSystem();
  test::RecordingMessages messages_;
  ScopedDeviceServices installed_{system_.get(), &messages_};
};

TEST_F(Win32Backend, EnumerationFindsNoSupportedDisk) {
  std::vector<std::u16string> paths;
  system_->EnumerateDiskInterfaces(paths);
  DeviceList list;
  FillDeviceList(list);
  EXPECT_EQ(list.Size(), 0u);
  RecordProperty("disk_interfaces", static_cast<int>(paths.size()));
  RecordProperty("messages", static_cast<int>(messages_.Shown().size()));
  for (const std::u16string& text : messages_.Shown())
    EXPECT_TRUE(IsDocumentedMessage(text)) << Utf16ToUtf8(text);
}

TEST_F(Win32Backend, MissingDiskFailsEveryOperation) {
  CUSBDevice device;
  device.m_devicePath = u"\\\\?\\usbstor#disk&ven_none#0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
  EXPECT_FALSE(device.IsHalvernDevice());
  EXPECT_EQ(device.GetCapacity(), 0u);
  EXPECT_FALSE(device.GetDiskGeometry());
  EXPECT_EQ(device.ReadPasswordRecord(), 0);
  EXPECT_FALSE(device.m_passwordSectorFree);
  EXPECT_EQ(device.WritePasswordRecord(FreshPasswordRecord()), CUSBDevice::RecordWrite::Unsupported);
  device.m_passwordSectorFree = true;
  EXPECT_EQ(device.WritePasswordRecord(FreshPasswordRecord()), CUSBDevice::RecordWrite::OpenFailed);
  ASSERT_FALSE(messages_.Shown().empty());
  EXPECT_EQ(messages_.Shown().front(), u"time = " + DecimalText(CUSBDevice::ScsiCallCount() - 2) +
                                           u" CUSBDevice::ExecuteSCSICommand=> CreateFile(\"" +
                                           device.m_devicePath + u"\") failed: 2");
  for (const std::u16string& text : messages_.Shown())
    EXPECT_TRUE(IsDocumentedMessage(text)) << Utf16ToUtf8(text);
}

TEST_F(Win32Backend, RequestsOnAPlainFileFailButItsBytesMove) {
  test::TempFolder folder;
  const std::u16string file = folder.File(u"disk.img");
  test::WriteBytes(file, std::string(4096, '\0'));
  uint32_t error = 0;
  auto handle = system_->Open(file, DeviceAccess::ReadWrite, error);
  ASSERT_NE(handle, nullptr) << error;
  DiskGeometry geometry;
  EXPECT_FALSE(handle->GetGeometry(geometry, error));
  EXPECT_NE(error, 0u);
  std::vector<PartitionExtent> partitions;
  error = 0;
  EXPECT_FALSE(handle->GetDriveLayout(partitions, error)) << "a file has no partition layout";
  EXPECT_NE(error, 0u);
  uint8_t data[38] = {};
  const uint8_t inquiry[6] = {0x12, 0, 0, 0, 38, 0};
  EXPECT_FALSE(handle->ScsiDataInDirect(inquiry, 6, data, sizeof data, error));
  EXPECT_FALSE(handle->ScsiDataInBuffered(inquiry, 6, data, sizeof data, error));
  EXPECT_FALSE(handle->ScsiDataInBuffered(inquiry, 6, data, 513, error)) << "beyond the request's data area";

  uint32_t done = 0;
  ASSERT_TRUE(handle->Seek(1024, error));
  ASSERT_TRUE(handle->Write(reinterpret_cast<const uint8_t*>("sector"), 6, done, error));
  ASSERT_TRUE(handle->Seek(1024, error));
  uint8_t back[6] = {};
  ASSERT_TRUE(handle->Read(back, 6, done, error));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back), 6), "sector");
}

TEST_F(Win32Backend, LogicalDrivesIncludeTheSystemDrive) {
  const auto roots = system_->LogicalDriveRoots();
  EXPECT_NE(std::find(roots.begin(), roots.end(), u"C:\\"), roots.end());
  EXPECT_EQ(system_->DriveType(u"C:\\"), DriveKind::Fixed);
  std::vector<ButtonPortRecord> ports;
  EXPECT_TRUE(system_->ScanButtonPorts(ports));
  EXPECT_TRUE(ports.empty()) << "no enclosure with a button here";
}

// A simulated disk's volume is a folder mapped to its letter: the program
// lists the letter for the disk and reaches its files through it.
TEST(SimulatedVolume, MappedFolderIsTheDisksDrive) {
  test::TempFolder volume;
  test::WriteBytes(volume.File(u"note.txt"), "on the usb disk");
  test::SimulatedWorld world(
      "[disk]\npath = \\\\?\\one\nimage = one.img\nvendor = QTR\nproduct = Box\nnumber = 1\n"
      "geometry = 1 1 8 512\nvolume = U\n");
  test::MappedDrive drive(L'u', std::wstring(volume.Path().begin(), volume.Path().end()));
  ASSERT_TRUE(drive.Ok());
  CUSBDevice device;
  device.m_devicePath = u"\\\\?\\one";
  ASSERT_TRUE(device.IsHalvernDevice());
  EXPECT_EQ(device.m_partitions, u"U: ");
  EXPECT_EQ(test::ReadBytes(device.m_partitions.substr(0, 2) + u"\\note.txt"), "on the usb disk");
}

}  // namespace
}  // namespace qtr

namespace qtr {
namespace {

TEST(ProgramDevices, DescriptionInTheProgramFolderSelectsSimulatedDisks) {
  ScopedDeviceServices restore(nullptr, nullptr);  // puts the test's services back afterwards
  test::TempFolder folder;
  const std::u16string programFolder = folder.Path() + u"\\";
  std::u16string message;
  ASSERT_TRUE(InstallProgramDevices(programFolder, message));
  std::vector<std::u16string> paths;
  Devices().EnumerateDiskInterfaces(paths);
  EXPECT_TRUE(paths.empty()) << "the real disks: none under Wine";

  test::WriteBytes(
      folder.File(kSimulatedDisksFile),
      "[disk]\npath = \\\\?\\sim\nimage = sim.img\nvendor = QTR\nproduct = Box\ngeometry = 1 1 8 512\n");
  ASSERT_TRUE(InstallProgramDevices(programFolder, message)) << Utf16ToUtf8(message);
  Devices().EnumerateDiskInterfaces(paths);
  EXPECT_EQ(paths, std::vector<std::u16string>{u"\\\\?\\sim"});

  test::WriteBytes(folder.File(kSimulatedDisksFile), "[disk]\nsize = big\n");
  EXPECT_FALSE(InstallProgramDevices(programFolder, message));
  EXPECT_EQ(message, u"The simulated disks described in " + programFolder +
                         u"simulated-disks.txt cannot be used (line 2: unknown key \"size\"). "
                         u"The real disks are used instead.");
  Devices().EnumerateDiskInterfaces(paths);
  EXPECT_TRUE(paths.empty()) << "back to the real disks";
}

}  // namespace
}  // namespace qtr
