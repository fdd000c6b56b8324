#include "engine/CopyPass.h"

#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "engine/CopyPassState.h"
#include "engine/DestinationFolders.h"
#include "engine/SourcePrefetch.h"
#include "engine/StoreIndex.h"
#include "engine/StoreKey.h"
#include "engine/StoreLayout.h"
#include "engine/StoredFileCopy.h"
#include "engine/StoredFormDetection.h"
#include "engine/StoredForms.h"
#include "engine/StoredPlaceCheck.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

enum class NextSource { kOpened, kFailed, kStopped };

// The next source of the pass, opened ahead: a file that did not open is a
// failure line; kStopped once the job stopped before it was opened.
NextSource TakeSource(BackupJob& job, SourcePrefetch& prefetch, std::u16string_view path,
                      SourcePrefetch::Opened* opened) {
  if (!prefetch.Take(opened)) return NextSource::kStopped;
  if (opened->error != 0) {
    job.results.AddFailure(path, opened->error);
    return NextSource::kFailed;
  }
  job.counters.currentSize = opened->info.size;
  return NextSource::kOpened;
}

}  // namespace

// The stored name without the suffixes of the stored forms: "a.txt.zip.qtrx" -> "a.txt".
std::u16string BaseName(std::u16string_view stored) {
  std::u16string name(stored);
  if (EndsWithNoCase(name, kEncryptedSuffix)) name.resize(name.size() - kEncryptedSuffix.size());
  if (EndsWithNoCase(name, kCompressedSuffix)) name.resize(name.size() - kCompressedSuffix.size());
  return Lowercase(name);
}

// Takes off the restore list every stored form of a file but one, with a
// line naming the one kept: "a.txt" and "a.txt.zip" both restore to
// "a.txt", and a second write would put whichever came last over the first.
// Kept is the form an index entry describes (the newest of them), else the
// newest by its stored time.
void KeepOneFormPerDestination(BackupJob& job, const StoreIndex& index) {
  std::map<std::u16string, std::vector<size_t>> byBase;
  for (size_t i = 0; i < job.walk.fileList.size(); ++i) byBase[BaseName(job.walk.fileList[i])].push_back(i);
  std::vector<bool> dropped(job.walk.fileList.size(), false);
  for (const auto& [base, members] : byBase) {
    if (members.size() < 2) continue;
    struct Candidate {
      size_t at;
      std::u16string destination;
      bool described;
      uint64_t time;
    };
    std::vector<Candidate> candidates;
    for (const size_t at : members) {
      const std::u16string& stored = job.walk.fileList[at];
      FindEntry listed;
      if (job.fs.Find(stored, &listed) != 0) continue;  // its own open reports it
      const StoreIndexEntry* entry = nullptr;
      const bool described = index.StateOf(stored, listed, &entry) == IndexState::kCurrent;
      // Without an entry the name tells the form, as it does for a person looking at the store.
      const bool encrypted = EndsWithNoCase(stored, kEncryptedSuffix);
      const std::u16string_view inner =
          std::u16string_view(stored).substr(0, stored.size() - (encrypted ? kEncryptedSuffix.size() : 0));
      StoredForm form = FormFor(EndsWithNoCase(inner, kCompressedSuffix), encrypted);
      if (described) form = entry->form;
      candidates.push_back({at, Lowercase(RestoredNameOf(MapToSource(stored), form)), described,
                            described ? entry->sourceLastWrite : listed.times.lastWrite});
    }
    for (const Candidate& one : candidates) {
      const Candidate* best = &one;
      for (const Candidate& other : candidates) {
        if (other.destination != one.destination) continue;
        if (std::tie(other.described, other.time) > std::tie(best->described, best->time)) best = &other;
      }
      if (best == &one) continue;
      dropped[one.at] = true;
      job.results.AddFailure(job.walk.fileList[one.at],
                             job.settings.notes.secondForm + u" " + job.walk.fileList[best->at]);
    }
  }
  size_t kept = 0;
  for (size_t i = 0; i < job.walk.fileList.size(); ++i) {
    if (dropped[i]) continue;
    if (kept != i) job.walk.fileList[kept] = std::move(job.walk.fileList[i]);
    ++kept;
  }
  job.walk.fileList.resize(kept);
}

void CopyPassBackup(BackupJob& job, std::u16string_view storeRoot, StoreIndex& index) {
  CopyPassState pass(job, std::u16string(storeRoot));
  // A link as the store, its partial or its index folder: nothing in the store is touched.
  if (!pass.StoreFolderIsPlain(PartialFolderOf(storeRoot)) ||
      !pass.StoreFolderIsPlain(IndexFolderOf(storeRoot)))
    return;
  SourcePrefetch prefetch(job, job.walk.fileList, SourcePrefetch::kBackupAhead);
  pass.SetIndex(&index);
  pass.RemoveLeftovers();
  pass.RemoveExpiredVersions();
  for (const std::u16string& source : job.walk.fileList) {
    if (!job.control.WaitUnlessStopped()) break;
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
    pass.MakeRoomFor(in.info.size);
    BackupOneFile(job, pass, source, destination, std::move(in.file), in.info);
  }
  pass.Commit();
  if (job.control.stop == 0) ApplyFolderInfo(job, pass, storeRoot);
  // The next job then reads one piece instead of one per batch of this one; failing leaves it readable.
  if (job.control.stop == 0) index.CompactIfLarge(job.fs);
}

namespace {

// The store a restore reads: its index (a damaged one reported once, and
// what is left of it used), and whether it holds its files encrypted.
struct RestoreSource {
  StoreIndex index;
  bool encrypted = false;
};

RestoreSource OpenRestoreSource(BackupJob& job) {
  RestoreSource source;
  const StoreKey* key = job.settings.storeKey ? &*job.settings.storeKey : nullptr;
  if (!job.settings.targetRoot.empty())
    source.index = StoreIndex::Load(job.fs, StoreRootOf(job.settings.targetRoot), key);
  if (source.index.Damaged()) job.results.AddFailure(source.index.Damage(), kErrorInvalidData);
  // A store with a key check file, or an index kept under a key, holds its
  // files encrypted: a readable one there needs the index to vouch for it.
  source.encrypted =
      key != nullptr || source.index.HasTaggedRecords() ||
      (!job.settings.targetRoot.empty() && StoreHasKeyCheck(job.fs, StoreRootOf(job.settings.targetRoot)));
  return source;
}

// Restores stored, opened, to its destination, when its form is known and
// its place is its own.
void RestoreOpened(BackupJob& job, CopyPassState& pass, const RestoreSource& source,
                   const std::u16string& stored, std::u16string destination, SourcePrefetch::Opened& opened) {
  const StoreIndex& index = source.index;
  std::unique_ptr<File> in = std::move(opened.file);
  const FindEntry& info = opened.info;
  MakeStoreDirectories(job, pass, destination, {});
  // An entry that describes the stored file checks its restore. One that
  // no longer does means the file was changed after the program wrote it:
  // the entry still tells its form and the size it restores to. Without
  // an entry the old rules restore it.
  const StoreIndexEntry* entry = nullptr;
  const IndexState state = index.StateOf(stored, info, &entry);
  if (state == IndexState::kNone) entry = nullptr;
  const std::vector<const StoreIndexEntry*> describing = index.DescribingEntries(stored, info);
  const StoreIndexEntry* alternative =
      describing.size() > 1 && describing[1]->form == describing[0]->form ? describing[1] : nullptr;
  StoredForm form = StoredForm::kPlain;
  if (!ResolveRestoreForm(job, stored, *in, info, entry, &form)) return;
  const PlaceVerdict place = CheckStoredPlace(
      job, index, stored, *in, form, state == IndexState::kCurrent ? entry : nullptr, source.encrypted);
  if (place == PlaceVerdict::kRefused) return;
  destination = RestoredNameOf(destination, form);
  if (RestoreOneFile(job, pass, stored, destination, std::move(in), info, form, entry,
                     state == IndexState::kStale, alternative, &index) == 1 &&
      place == PlaceVerdict::kRenamed)
    job.results.AddNote(stored, job.settings.notes.renamedRestored);
}

}  // namespace

void CopyPassRestore(BackupJob& job) {
  const RestoreSource source = OpenRestoreSource(job);
  KeepOneFormPerDestination(job, source.index);
  CopyPassState pass(job, {});
  SourcePrefetch prefetch(job, job.walk.fileList, 0);
  for (const std::u16string& stored : job.walk.fileList) {
    if (job.control.stop != 0) break;
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
    RestoreOpened(job, pass, source, stored, std::move(destination), opened);
    if (job.control.stop != 0) break;
  }
  pass.Commit();
  if (job.control.stop == 0) ApplyFolderInfo(job, pass, {});
}

}  // namespace qtr
