#include "engine/CopyPass.h"

#include <memory>

#include "engine/CopyPassState.h"
#include "engine/SourcePrefetch.h"
#include "engine/StoreIndex.h"
#include "platform/SystemError.h"
#include "engine/StoreLayout.h"
#include "engine/StoredFileCopy.h"
#include "engine/StoredForms.h"

namespace qtr {
namespace {

enum class NextSource { kOpened, kFailed, kStopped };

// The next source of the pass, opened ahead: a file that did not open is a
// failure line; kStopped once the job stopped before it was opened.
NextSource TakeSource(BackupJob& job, SourcePrefetch& prefetch, std::u16string_view path,
                      SourcePrefetch::Opened* opened) {
  if (!prefetch.Take(opened)) return NextSource::kStopped;
  if (opened->error != 0) {
    job.AddFailure(path, opened->error);
    return NextSource::kFailed;
  }
  job.currentSize = opened->info.size;
  return NextSource::kOpened;
}

}  // namespace

void CopyPassBackup(BackupJob& job, std::u16string_view storeRoot) {
  CopyPassState pass(job, std::u16string(storeRoot));
  // A link as the store, its partial or its index folder: nothing in the store is touched.
  if (!pass.StoreFolderIsPlain(PartialFolderOf(storeRoot)) || !pass.StoreFolderIsPlain(IndexFolderOf(storeRoot))) {
    job.workerFinished = 1;
    return;
  }
  SourcePrefetch prefetch(job, job.fileList, SourcePrefetch::kBackupAhead);
  // A damaged piece of the index is passed over: the pieces this pass adds supersede it.
  StoreIndex index = StoreIndex::Load(job.fs, storeRoot);
  pass.SetIndex(&index);
  pass.RemoveLeftovers();
  for (const std::u16string& source : job.fileList) {
    if (!job.WaitUnlessStopped()) break;
    const std::u16string destination = MapToStored(storeRoot, source);
    pass.CommitUnlessIn(ParentOf(destination));
    // Opened once: for its size here, then for the copy.
    SourcePrefetch::Opened in;
    const NextSource next = TakeSource(job, prefetch, source, &in);
    if (next == NextSource::kStopped) break;
    if (next == NextSource::kFailed) continue;
    // Nothing is stored through a link in the store; the link has its line.
    if (!pass.StoreFolderIsPlain(ParentOf(destination))) continue;
    MakeStoreDirectories(job, pass, destination, source);
    BackupOneFile(job, pass, source, destination, std::move(in.file), in.info);
  }
  pass.Commit();
  if (job.stop == 0) ApplyFolderInfo(job, pass, storeRoot);
  // The next job then reads one piece instead of one per batch of this one; failing leaves it readable.
  if (job.stop == 0) index.CompactIfLarge(job.fs);
  job.workerFinished = 1;
}

void CopyPassRestore(BackupJob& job) {
  CopyPassState pass(job, {});
  SourcePrefetch prefetch(job, job.fileList, 0);
  // The index of the store, when the job names it; a damaged one is reported once, and what is left of it used.
  StoreIndex index;
  if (!job.targetRoot.empty()) index = StoreIndex::Load(job.fs, StoreRootOf(job.targetRoot));
  if (index.Damaged()) job.AddFailure(index.Damage(), kErrorInvalidData);
  for (const std::u16string& stored : job.fileList) {
    if (job.stop != 0) break;
    std::u16string destination = MapToSource(stored);
    SourcePrefetch::Opened opened;
    if (destination.empty()) {
      // Files directly in the store root are none of a source's.
      if (!prefetch.Take(&opened)) break;
      continue;
    }
    pass.CommitUnlessIn(ParentOf(destination));
    const NextSource next = TakeSource(job, prefetch, stored, &opened);
    if (next == NextSource::kStopped) break;
    if (next == NextSource::kFailed) continue;
    std::unique_ptr<File> in = std::move(opened.file);
    const FindEntry& info = opened.info;
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
