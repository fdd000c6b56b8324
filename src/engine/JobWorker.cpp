#include "engine/JobWorker.h"

#include "config/XmlDocument.h"
#include "engine/CopyPass.h"
#include "engine/RestoreWalk.h"
#include "config/SettingsFile.h"
#include "config/XmlFileLoad.h"
#include "engine/SourceWalk.h"
#include "engine/StoreLayout.h"

namespace qtr {
namespace {

// The top-level destination a selected stored path restores to:
// "F:\QTRPMB\C" -> "C:\", "F:\QTRPMB\C\Users" -> "C:\Users".
void AddRestoreRoot(BackupJob& job, const std::u16string& stored, const std::u16string& storeRoot) {
  if (stored == storeRoot) {
    AddStoreRootDrives(job, storeRoot);
    return;
  }
  if (stored.size() <= storeRoot.size() + 1) return;
  std::u16string rest = stored.substr(storeRoot.size() + 1);
  if (rest.size() < 2) {
    rest += u":\\";
  } else {
    rest.insert(1, 1, u':');
  }
  job.restoreRoots.push_back(rest);
}

}  // namespace

void RunJob(BackupJob& job) {
  XmlDocument init;
  if (LoadXmlFile(job.fs, job.programFolder + u"init.xml", &init)) {
    if (const auto changedOnly = ReadSetting(init, u"BackupStatus")) job.changedOnly = *changedOnly == u"1";
  }
  const std::u16string storeRoot = StoreRootOf(job.targetRoot);

  if (job.restore != 0) {
    XmlDocument selection;
    LoadXmlFile(job.fs, job.programFolder + u"restoreTempPath.xml", &selection);
    job.scanning = 1;
    bool stopped = false;
    selection.ResetPosition();
    while (selection.FindChildElement(u"path")) {
      const std::u16string stored = selection.GetChildAttribute(u"path");
      ScanStoredPath(job, stored);
      if (job.stop != 0) {
        stopped = true;
        break;
      }
      AddRestoreRoot(job, stored, storeRoot);
    }
    job.scanning = 0;
    if (!stopped) CopyPassRestore(job);
  } else {
    if (SettingIsOn(init, u"CompressFile")) job.compress = 1;
    XmlDocument selection;
    LoadXmlFile(job.fs, job.programFolder + u"backupfullpath.xml", &selection);
    job.scanning = 1;
    bool stopped = false;
    selection.ResetPosition();
    while (selection.FindChildElement(u"path")) {
      ScanBackupPath(job, selection.GetChildAttribute(u"path"), storeRoot);
      if (job.stop != 0) {
        stopped = true;
        break;
      }
    }
    job.scanning = 0;
    if (!stopped) CopyPassBackup(job, storeRoot);
  }

  job.stop = 1;
  job.fs.RemoveFile(job.programFolder + u"restoreTempPath.xml");
  job.workerFinished = 1;
  JobFinishedFlag() = 1;
}

}  // namespace qtr
