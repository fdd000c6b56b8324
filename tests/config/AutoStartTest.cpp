// The Run-key entry, written for real into the registry of the Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include "config/AutoStart.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

std::u16string ThisExecutable() {
  wchar_t buffer[32768];
  const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
  return std::u16string(reinterpret_cast<const char16_t*>(buffer), length);
}

TEST(AutoStartTest, TickingSetsTheExecutablePathAndUntickingRemovesIt) {
  ASSERT_EQ(SetAutoStartForThisProgram(true), 0u);
  EXPECT_EQ(AutoStartCommand(), ThisExecutable());

  ASSERT_EQ(SetAutoStart(true, u"C:\\Program Files\\Qtr\\QtrBackup.exe"), 0u);
  EXPECT_EQ(AutoStartCommand(), u"C:\\Program Files\\Qtr\\QtrBackup.exe");

  ASSERT_EQ(SetAutoStartForThisProgram(false), 0u);
  EXPECT_EQ(AutoStartCommand(), u"");
  // Unticking again: the value is already gone, which is what was asked.
  EXPECT_EQ(SetAutoStartForThisProgram(false), 0u);
}

TEST(AutoStartTest, OtherValuesOfTheRunKeyAreLeftAlone) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                            nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t other[] = L"C:\\other.exe";
  ASSERT_EQ(
      RegSetValueExW(key, L"QtrTestOther", 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof other),
      ERROR_SUCCESS);
  ASSERT_EQ(SetAutoStartForThisProgram(true), 0u);
  ASSERT_EQ(SetAutoStartForThisProgram(false), 0u);
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExW(key, L"QtrTestOther", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  RegDeleteValueW(key, L"QtrTestOther");
  RegCloseKey(key);
}

TEST(AutoStartTest, FailureTextComesFromTheSystem) {
  // What the settings page shows when the value cannot be set.
  EXPECT_EQ(SystemErrorMessage(ERROR_ACCESS_DENIED).substr(0, 6), u"Access");
}

}  // namespace
}  // namespace qtr
