#include "engine/CopyPass.h"

#include <memory>

#include "engine/CopyPassState.h"
#include "engine/StoreIndex.h"
#include "platform/SystemError.h"
#include "engine/StoreLayout.h"
#include "engine/StoredFileCopy.h"
#include "engine/StoredForms.h"

namespace qtr {

void CopyPassBackup(BackupJob& job, std::u16string_view storeRoot) {
  CopyPassState pass(job, std::u16string(storeRoot));
  // A damaged piece of the index is passed over: the pieces this pass adds supersede it.
  StoreIndex index = StoreIndex::Load(job.fs, storeRoot);
  pass.SetIndex(&index);
  pass.RemoveLeftovers();
  for (const std::u16string& source : job.fileList) {
    if (!job.WaitUnlessStopped()) break;
    const std::u16string destination = MapToStored(storeRoot, source);
    pass.CommitUnlessIn(ParentOf(destination));
    // Opened once: for its size here, then for the copy.
    std::unique_ptr<File> in;
    FindEntry info;
    if (!OpenSource(job, source, &in, &info)) continue;
    MakeStoreDirectories(job, pass, destination, source);
    BackupOneFile(job, pass, source, destination, std::move(in), info);
  }
  pass.Commit();
  if (job.stop == 0) ApplyFolderInfo(job, pass, storeRoot);
  // The next job then reads one piece instead of one per batch of this one; failing leaves it readable.
  if (job.stop == 0) index.CompactIfLarge(job.fs);
  job.workerFinished = 1;
}

void CopyPassRestore(BackupJob& job) {
  CopyPassState pass(job, {});
  // The index of the store, when the job names it; a damaged one is reported once, and what is left of it used.
  StoreIndex index;
  if (!job.targetRoot.empty()) index = StoreIndex::Load(job.fs, StoreRootOf(job.targetRoot));
  if (index.Damaged()) job.AddFailure(index.Damage(), kErrorInvalidData);
  for (const std::u16string& stored : job.fileList) {
    if (job.stop != 0) break;
    std::u16string destination = MapToSource(stored);
    if (destination.empty()) continue;
    pass.CommitUnlessIn(ParentOf(destination));
    std::unique_ptr<File> in;
    FindEntry info;
    if (!OpenSource(job, stored, &in, &info)) continue;
    MakeStoreDirectories(job, pass, destination, {});
    // Only an entry that still describes the stored file counts; any other is restored by the old rules.
    const StoreIndexEntry* entry = nullptr;
    if (index.StateOf(stored, info, &entry) != IndexState::kCurrent) entry = nullptr;
    StoredForm form = StoredForm::kPlain;
    if (!ResolveRestoreForm(job, stored, *in, info, entry, &form)) continue;
    destination = RestoredNameOf(destination, form);
    RestoreOneFile(job, pass, stored, destination, std::move(in), info, form, entry);
    if (job.stop != 0) break;
  }
  pass.Commit();
  if (job.stop == 0) ApplyFolderInfo(job, pass, {});
  job.workerFinished = 1;
}

}  // namespace qtr
