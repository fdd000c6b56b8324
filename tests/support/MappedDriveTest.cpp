#include "support/MappedDrive.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/TempFolder.h"

namespace qtr::test {
namespace {

TEST(MappedDrive, FolderAppearsAsDriveAndGoesAwayAfterwards) {
  TempFolder folder;
  const std::wstring path(folder.Path().begin(), folder.Path().end());
  WriteBytes(folder.File(u"hello.txt"), "hello");
  ASSERT_EQ(GetFileAttributesW(L"T:\\"), INVALID_FILE_ATTRIBUTES) << "T: is taken before the test";
  {
    MappedDrive drive(L't', path);
    ASSERT_TRUE(drive.Ok());
    EXPECT_EQ(drive.Root(), L"T:\\");
    EXPECT_NE(GetDriveTypeW(L"T:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    EXPECT_EQ(ReadBytes(u"T:\\hello.txt"), "hello");
    WriteBytes(u"T:\\written.txt", "through the drive letter");
  }
  EXPECT_EQ(GetFileAttributesW(L"T:\\"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadBytes(folder.File(u"written.txt")), "through the drive letter");
}

}  // namespace
}  // namespace qtr::test
