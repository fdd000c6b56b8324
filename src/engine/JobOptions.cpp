#include "engine/JobOptions.h"

#include <algorithm>
#include <string>

#include "config/SettingsFile.h"
#include "engine/StoreLayout.h"
#include "platform/NumberText.h"
#include "platform/SystemError.h"
#include "xml/XmlFileLoad.h"

namespace qtr {

int VersionDaysFrom(const std::optional<std::u16string>& stored) {
  if (!stored || stored->empty()) return kDefaultVersionDays;
  for (const char16_t c : *stored) {
    if (c < u'0' || c > u'9') return kDefaultVersionDays;
  }
  // However many digits, it is a number of days: past the most, the most.
  const std::u16string_view digits =
      std::u16string_view(*stored).substr(std::min(stored->find_first_not_of(u'0'), stored->size()));
  uint64_t days = 0;
  if (digits.size() > 4) return kMostVersionDays;
  if (!digits.empty() && !ParseDigits(digits, &days)) return kDefaultVersionDays;
  return static_cast<int>(std::min<uint64_t>(days, kMostVersionDays));
}

JobOptions JobOptionsOf(XmlDocument& settings) {
  JobOptions options;
  if (const auto changedOnly = ReadSetting(settings, u"BackupStatus")) options.changedOnly = *changedOnly == u"1";
  options.compress = SettingIsOn(settings, u"CompressFile");
  options.encrypt = SettingIsOn(settings, u"SetPassword");
  options.includeWindows = SettingIsOn(settings, u"WindowsFile");
  options.includeDocumentsAndSettings = SettingIsOn(settings, u"DocAndSetFiles");
  options.includeProgramFiles = SettingIsOn(settings, u"ProgramFiles");
  if (const auto hide = ReadSetting(settings, u"HideBackupFiles")) options.hideStore = *hide == u"1";
  options.versionDays = VersionDaysFrom(ReadSetting(settings, kVersionDaysKey));
  return options;
}

JobOptions ReadJobOptions(FileSystem& fs, std::u16string_view programFolder) {
  XmlDocument init;
  if (!LoadXmlFile(fs, std::u16string(programFolder) + u"init.xml", &init)) return {};
  return JobOptionsOf(init);
}

void ApplyJobOptions(const JobOptions& options, BackupJob& job) {
  if (options.changedOnly) job.settings.changedOnly = *options.changedOnly ? 1 : 0;
  if (job.settings.IsBackup() && options.compress) job.settings.compress = 1;
  if (job.settings.IsBackup() && options.encrypt) job.settings.encrypt = 1;
  job.settings.includeWindows = options.includeWindows ? 1 : 0;
  job.settings.includeDocumentsAndSettings = options.includeDocumentsAndSettings ? 1 : 0;
  job.settings.includeProgramFiles = options.includeProgramFiles ? 1 : 0;
  job.settings.versionDays = job.settings.IsBackup() ? options.versionDays : 0;
}

void SetUpJob(BackupJob& job, std::u16string_view target, bool restore) {
  job.settings.targetRoot = std::u16string(target.substr(0, 2));
  job.settings.kind = restore ? JobKind::kRestore : JobKind::kBackup;
  ApplyJobOptions(ReadJobOptions(job.fs, job.programFolder), job);
}

uint32_t ApplyStoreVisibility(FileSystem& fs, const JobOptions& options, std::u16string_view target) {
  if (!options.hideStore) return 0;
  const bool hidden = *options.hideStore;
  const std::u16string store = StoreRootOf(target);
  uint32_t attributes = 0;
  uint32_t error = fs.GetAttributes(store, &attributes);
  if (error == kErrorFileNotFound || error == kErrorPathNotFound) {
    // Nothing to show; a store to hide is made now, before its first file.
    if (!hidden) return 0;
    if ((error = fs.CreateFolder(store)) != 0) return error;
    error = fs.GetAttributes(store, &attributes);
  }
  if (error != 0) return error;
  const uint32_t wanted = hidden ? (attributes | kAttributeHidden) : (attributes & ~kAttributeHidden);
  if (wanted == attributes) return 0;
  return fs.SetAttributes(store, wanted & ~(kAttributeDirectory | kAttributeCompressed));
}

}  // namespace qtr
