#include "config/SettingsKeys.h"

namespace qtr {
namespace {

using enum SettingForm;
using enum SettingsPage;

constexpr SettingKey kKeys[] = {
    {u"BackupFinish", kText, u"0", u"0", kBackupSettings},
    {u"WindowsFile", kText, u"0", u"0", kBackupSettings},
    {u"ProgramFiles", kText, u"0", u"0", kBackupSettings},
    {u"DocAndSetFiles", kText, u"0", u"0", kBackupSettings},
    {u"BackupStatus", kText, u"1", u"0", kBackupSettings},
    {u"HideBackupFiles", kText, u"1", u"0", kBackupSettings},
    {u"MakeSure", kText, u"0", u"0", kBackupSettings},
    {u"CompressFile", kText, u"1", u"0", kBackupSettings},
    {u"SetPassword", kText, u"0", u"0", kBackupSettings},
    {u"PasswordStyle", kText, u"0", u"0", kBackupSettings},
    {u"HotKey", kHotKey, u"", u"", kBackupSettings},
    {u"Monday", kScheduleDay, u"", u"", kSchedule},
    {u"Tuesday", kScheduleDay, u"", u"", kSchedule},
    {u"Wednesday", kScheduleDay, u"", u"", kSchedule},
    {u"Thursday", kScheduleDay, u"", u"", kSchedule},
    {u"Friday", kScheduleDay, u"", u"", kSchedule},
    {u"Saturday", kScheduleDay, u"", u"", kSchedule},
    {u"Sunday", kScheduleDay, u"", u"", kSchedule},
    {u"USBHotKey", kText, u"1", u"0", kOtherSettings},
    {u"AutoStart", kText, u"1", u"0", kOtherSettings},
    {u"Language", kText, u"", u"English", kOtherSettings},
    {u"BackupImages", kText, u"0", u"0", kOtherSettings},
    {u"BackupAudios", kText, u"0", u"0", kOtherSettings},
    {u"BackupVedios", kText, u"0", u"0", kOtherSettings},
    {u"BackupDatas", kText, u"0", u"0", kOtherSettings},
};

}  // namespace

std::span<const SettingKey> SettingKeys() {
  return kKeys;
}

}  // namespace qtr
