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

TEST(MappedDrive, LetterInUseIsNeitherTakenNorRemoved) {
  TempFolder mine, other;
  WriteBytes(mine.File(u"mine.txt"), "a person's drive");
  const std::wstring minePath(mine.Path().begin(), mine.Path().end());
  const std::wstring otherPath(other.Path().begin(), other.Path().end());
  MappedDrive person(L's', minePath);
  ASSERT_TRUE(person.Ok());
  {
    MappedDrive test(L's', otherPath);
    EXPECT_FALSE(test.Ok());
  }
  EXPECT_EQ(ReadBytes(u"S:\\mine.txt"), "a person's drive") << "S: still shows the person's folder";

  // A link whose folder is missing right now is somebody's letter too.
  wchar_t prefix[MAX_PATH] = {};
  ASSERT_NE(GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH), 0u);
  const std::wstring link = std::wstring(prefix) + L"/dosdevices/q:";
  const std::u16string later = other.File(u"later");
  const std::string laterHost = HostPath(otherPath) + "/later";
  ASSERT_TRUE(RunHostCommand(L"/bin/ln", L"-sfn \"" + std::wstring(laterHost.begin(), laterHost.end()) + L"\" \"" +
                                             link + L"\""));
  Sleep(200);
  {
    MappedDrive test(L'q', minePath);
    EXPECT_FALSE(test.Ok());
  }
  // The folder comes back: the person's letter shows it again.
  ASSERT_TRUE(CreateDirectoryW(reinterpret_cast<const wchar_t*>(later.c_str()), nullptr));
  WriteBytes(later + u"\\there.txt", "back");
  EXPECT_EQ(ReadBytes(u"Q:\\there.txt"), "back") << "the dangling link is still there";
  RunHostCommand(L"/bin/rm", L"-f \"" + link + L"\"");
}

}  // namespace
}  // namespace qtr::test
