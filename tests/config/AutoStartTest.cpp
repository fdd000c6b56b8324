// The Run-key entry, written for real into the registry of the Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include "config/AutoStart.h"

namespace qtr {
namespace {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::u16string ThisExecutable() {
  wchar_t buffer[32768];
  const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
  return std::u16string(reinterpret_cast<const char16_t*>(buffer), length);
}

bool SetValue(HKEY root, const wchar_t* name, const wchar_t* text) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const LSTATUS status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                        static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool HasValue(HKEY root, const wchar_t* name) {
  return RegGetValueW(root, kRunKey, name, RRF_RT_REG_SZ, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(AutoStartTest, TickingWritesThePerUserKeyOnly) {
  ASSERT_EQ(SetAutoStartForThisProgram(false), 0u);
  ASSERT_EQ(SetAutoStartForThisProgram(true), 0u);
  EXPECT_EQ(AutoStartCommand(), ThisExecutable());
  EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, L"VaRuriZeRed"));
  EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, L"VaRuriZeRed")) << "a standard user cannot write there";

  ASSERT_EQ(SetAutoStart(true, u"C:\\Program Files\\Qtr\\QtrBackup.exe"), 0u);
  EXPECT_EQ(AutoStartCommand(), u"C:\\Program Files\\Qtr\\QtrBackup.exe");

  ASSERT_EQ(SetAutoStartForThisProgram(false), 0u);
  EXPECT_EQ(AutoStartCommand(), u"");
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, L"VaRuriZeRed"));
  // Unticking again: the value is already gone, which is what was asked.
  EXPECT_EQ(SetAutoStartForThisProgram(false), 0u);
}

TEST(AutoStartTest, UntickingAlsoRemovesAMachineWideEntry) {
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, L"VaRuriZeRed", L"C:\\old\\QtrBackup.exe"));
  EXPECT_EQ(MachineAutoStartCommand(), u"C:\\old\\QtrBackup.exe");
  ASSERT_EQ(SetAutoStartForThisProgram(true), 0u);
  ASSERT_EQ(SetAutoStartForThisProgram(false), 0u);
  EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, L"VaRuriZeRed"));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, L"VaRuriZeRed"));
}

TEST(AutoStartTest, OtherValuesOfBothRunKeysAreLeftAlone) {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) ASSERT_TRUE(SetValue(root, L"QtrTestOther", L"C:\\o.exe"));
  ASSERT_EQ(SetAutoStartForThisProgram(true), 0u);
  ASSERT_EQ(SetAutoStartForThisProgram(false), 0u);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_TRUE(HasValue(root, L"QtrTestOther"));
    RegDeleteKeyValueW(root, kRunKey, L"QtrTestOther");
  }
}

}  // namespace
}  // namespace qtr
