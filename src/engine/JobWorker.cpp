#include "engine/JobWorker.h"

#include <memory>
#include <vector>

#include "crypto/KeyCheck.h"
#include "engine/CopyPass.h"
#include "engine/InterruptedCopies.h"
#include "engine/JobOptions.h"
#include "engine/RestoreWalk.h"
#include "engine/SourceWalk.h"
#include "engine/StoreAsOf.h"
#include "engine/StoreFolderCheck.h"
#include "engine/StoreIndex.h"
#include "engine/StoreLayout.h"
#include "engine/StoreVersions.h"
#include "engine/StoredForms.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "xml/XmlDocument.h"
#include "xml/XmlFileLoad.h"

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
  if (LiesInVersionFolder(stored)) {
    // A version folder holds drive folders as the store root does; below it, a version's place.
    std::u16string source = MapToSource(stored);
    if (source.empty()) {
      AddStoreRootDrives(job, stored);
    } else {
      job.results.restoreRoots.push_back(source.size() < 3 ? source + u"\\" : source);
    }
    return;
  }
  std::u16string rest = stored.substr(storeRoot.size() + 1);
  if (rest.size() < 2) {
    rest += u":\\";
  } else {
    rest.insert(1, 1, u':');
  }
  job.results.restoreRoots.push_back(rest);
}

// Loads a selection file of the program folder. A file that is missing,
// cannot be read or is not a well-formed document gives a failure line and
// selects nothing: a damaged list is never walked as if it were whole.
bool LoadSelection(BackupJob& job, std::u16string_view name, XmlDocument* selection) {
  const std::u16string path = job.programFolder + std::u16string(name);
  {
    std::unique_ptr<File> file;
    if (const uint32_t error = job.fs.Open(path, OpenMode::kReadExisting, &file); error != 0) {
      job.results.AddFailure(path, error);
      return false;
    }
  }
  if (!LoadXmlFile(job.fs, path, selection)) {
    job.results.AddFailure(path, kErrorInvalidData);
    return false;
  }
  return true;
}

// A path a restore may read from: the store root of the job's target, a
// drive folder of it or a version folder, and what lies below. Nothing else on the target, in
// another store or in the store's own folders is a stored copy.
bool IsRestorable(std::u16string_view stored, const std::u16string& storeRoot) {
  stored = WithoutTrailingBackslashes(stored);
  if (Lowercase(stored) == Lowercase(storeRoot)) return true;
  return Lowercase(stored).starts_with(Lowercase(storeRoot) + u"\\") &&
         (!MapToSource(stored).empty() || LiesInVersionFolder(stored));
}

bool ProgramFolderExists(BackupJob& job) {
  const std::u16string folder(WithoutTrailingBackslashes(job.programFolder));
  std::unique_ptr<FolderListing> listing;
  const uint32_t error = job.fs.List(folder, &listing);
  if (error != 0) job.results.AddFailure(folder, error);
  return error == 0;
}

void WalkAndRestore(BackupJob& job, const std::u16string& storeRoot) {
  XmlDocument selection;
  if (!LoadSelection(job, u"restoreTempPath.xml", &selection)) return;
  // For the changed-only test; the copy pass reads it again and reports its damage.
  const StoreIndex index =
      StoreIndex::Load(job.fs, storeRoot, job.settings.storeKey ? &*job.settings.storeKey : nullptr);
  // A copy a torn rename left in the partial folder is the stored file to restore.
  StoreFolderCheck storeFolders(job, storeRoot);
  PutInterruptedCopiesInPlace(job.fs, storeRoot, index,
                              [&](std::u16string_view folder) { return storeFolders.Plain(folder); });
  job.counters.scanning = 1;
  std::vector<std::u16string> selected;
  selection.ResetPosition();
  while (selection.FindChildElement(u"path")) {
    const std::u16string stored = selection.GetChildAttribute(u"path");
    ++job.counters.selectedCount;
    if (!IsRestorable(stored, storeRoot)) {
      job.results.AddFailure(stored, kErrorBadPathName);
      continue;
    }
    ScanStoredPath(job, stored, &index);
    if (job.control.stop != 0) {
      job.counters.scanning = 0;
      return;
    }
    AddRestoreRoot(job, stored, storeRoot);
    selected.push_back(stored);
  }
  // As of a stamp: each listed file gives way to the copy the store held then.
  const bool asOf = TakeStoreAsOf(job, storeRoot, selected, index);
  job.counters.scanning = 0;
  if (asOf) CopyPassRestore(job);
}

void WalkAndBackUp(BackupJob& job, const std::u16string& storeRoot) {
  XmlDocument selection;
  if (!LoadSelection(job, u"backupfullpath.xml", &selection)) return;
  // Read once, for the changed-only test and then the copy pass.
  StoreIndex index =
      StoreIndex::Load(job.fs, storeRoot, job.settings.storeKey ? &*job.settings.storeKey : nullptr);
  job.counters.scanning = 1;
  selection.ResetPosition();
  while (selection.FindChildElement(u"path")) {
    ++job.counters.selectedCount;
    ScanBackupPath(job, selection.GetChildAttribute(u"path"), storeRoot, &index);
    if (job.control.stop != 0) {
      job.counters.scanning = 0;
      return;
    }
  }
  job.counters.scanning = 0;
  CopyPassBackup(job, storeRoot, index);
}

}  // namespace

void RunJob(BackupJob& job) {
  if (ProgramFolderExists(job)) {
    ApplyJobOptions(ReadJobOptions(job.fs, job.programFolder), job);
    const std::u16string storeRoot = StoreRootOf(job.settings.targetRoot);
    if (job.settings.IsBackup() && job.settings.encrypt != 0 && !job.settings.storeKey) {
      // Encryption asked for and no key handed over: nothing is stored,
      // rather than every file in the clear.
      job.results.AddFailure(JoinPath(storeRoot, kKeyCheckFileName), kErrorNoStoreKey);
    } else if (job.settings.IsBackup() && job.settings.encrypt == 0 && job.settings.storeReadable == 0 &&
               StoreHasKeyCheck(job.fs, storeRoot)) {
      // Encryption off (settings that did not load, a second PC) must not
      // quietly turn an encrypted store readable: only the person's yes does.
      job.results.AddFailure(storeRoot, job.settings.notes.storeReadable);
    } else if (!job.settings.IsBackup()) {
      WalkAndRestore(job, storeRoot);
    } else {
      WalkAndBackUp(job, storeRoot);
    }
  }

  job.control.stop = 1;
  job.fs.RemoveFile(job.programFolder + u"restoreTempPath.xml");
}

}  // namespace qtr
