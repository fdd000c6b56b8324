#include "pages/BackupHandOver.h"

#include "config/BackupRecord.h"
#include "config/SettingsFile.h"
#include "engine/StoreLayout.h"

namespace qtr {

bool RecordBackupStart(const std::u16string& programFolder, const LocalTime& now) {
  return BackupRecord(programFolder)
      .RecordStart({now.year, now.month, now.day, now.hour, now.minute, now.second});
}

uint32_t ApplyStoreVisibility(FileSystem& fs, XmlDocument& settings, const std::u16string& target) {
  const auto hide = ReadSetting(settings, u"HideBackupFiles");
  if (!hide) return 0;
  const bool hidden = *hide == u"1";
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
  return fs.SetAttributes(store, wanted);
}

}  // namespace qtr
