#include "engine/CopyPassState.h"

#include <algorithm>
#include <string>

#include "config/LanguageText.h"
#include "engine/InterruptedCopies.h"
#include "engine/PartialFileMaker.h"
#include "engine/StoreFileOperations.h"
#include "engine/StoreLayout.h"
#include "engine/StoredForms.h"
#include "platform/NumberText.h"
#include "platform/SystemError.h"

namespace qtr {

CopyPassState::CopyPassState(BackupJob& job, std::u16string storeRoot)
    : job_(job),
      storeRoot_(std::move(storeRoot)),
      storeFolders_(job, storeRoot_),
      listing_(job.fs),
      replaced_(job),
      versions_(job, job.settings.IsBackup() ? storeRoot_ : std::u16string()) {}

CopyPassState::~CopyPassState() {
  partials_.reset();
  announcer_.Stop();
  committer_.Stop();
  flusher_.End();
  // Copies still held were never put in place: their partial files go.
  for (Held& held : held_) {
    held.file.reset();
    RemoveFileAnyway(job_.fs, held.partial);
  }
}

void CopyPassState::RemoveLeftovers() {
  if (storeRoot_.empty()) return;
  const std::u16string folder = PartialFolderOf(storeRoot_);
  if (!StoreFolderIsPlain(folder)) return;
  // A complete copy a torn rename left behind goes where it belongs first.
  if (index_ != nullptr)
    PutInterruptedCopiesInPlace(job_.fs, storeRoot_, *index_,
                                [this](std::u16string_view f) { return StoreFolderIsPlain(f); });
  std::unique_ptr<FolderListing> listing;
  if (job_.fs.List(folder, &listing) != 0) return;
  std::vector<std::u16string> leftovers;
  FindEntry entry;
  while (listing->Next(&entry))
    if (!entry.IsFolder() && IsPartialFileName(entry.name)) leftovers.push_back(JoinPath(folder, entry.name));
  listing.reset();
  for (const auto& path : leftovers) RemoveFileAnyway(job_.fs, path);
  listing_.FirstVisit(folder);
}

uint32_t CopyPassState::CreatePartial(std::u16string_view destination, std::u16string* partial,
                                      std::unique_ptr<File>* file) {
  uint32_t error = kErrorFileExists;
  if (!storeRoot_.empty()) {
    // In the store's own partial folder, where no stored copy can be: a
    // name taken there (by another job running now) is skipped.
    if (!partials_) {
      const std::u16string folder = PartialFolderOf(storeRoot_);
      if (!StoreFolderIsPlain(folder)) return kErrorLinkNotFollowed;
      if (FirstVisitOfFolder(folder) && job_.fs.CreateFolder(folder) == 0)
        job_.fs.SetAttributes(folder, kAttributeHidden | kAttributeSystem);
      partials_ = std::make_unique<PartialFileMaker>(job_, folder, PartialFileMaker::kAhead);
    }
    error = partials_->Create(partial, file);
    if (error != 0) StopIfStoreLost(error, true);
    return error;
  }
  // On a restore, beside the destination. A name taken is what an earlier
  // restore of this file left when it was cut short (or another job's copy
  // now): the next free name is taken, and once this copy is in place, the
  // destination is whole and the names skipped go.
  std::vector<std::u16string> skipped;
  for (int n = 0; n < 1000 && error == kErrorFileExists; ++n) {
    *partial = std::u16string(destination) + (n == 0 ? u"" : u"." + DigitsOf(n)) +
               std::u16string(kRestorePartialSuffix);
    error = job_.fs.Open(*partial, OpenMode::kWriteNew, file);
    if (error == kErrorFileExists) skipped.push_back(*partial);
  }
  if (error == 0 && !skipped.empty()) {
    std::lock_guard lock(leftoversMutex_);
    restoreLeftovers_[*partial] = std::move(skipped);
  }
  return error;
}

bool CopyPassState::StopIfStoreLost(uint32_t error, bool creating) {
  if (storeRoot_.empty()) return false;
  if (storeLost_) return true;
  FindEntry root;
  const bool gone = job_.fs.Find(storeRoot_, &root) != 0;
  if (!gone && !creating) return false;
  storeLost_ = true;
  if (gone) {
    job_.results.AddFailure(job_.settings.targetRoot, DisplayText(TextId::RemoveDisk));
  } else {
    job_.results.AddFailure(PartialFolderOf(storeRoot_), error);
  }
  job_.control.stop = 1;
  return true;
}

bool CopyPassState::Exists(std::u16string_view path) {
  return listing_.Exists(path);
}

bool CopyPassState::FirstVisitOfFolder(std::u16string_view folder) {
  return listing_.FirstVisit(folder);
}

void CopyPassState::Hold(std::unique_ptr<File> file, std::u16string partial, std::u16string destination,
                         std::vector<std::u16string> otherForms, uint64_t bytes,
                         std::optional<StoreIndexEntry> entry, std::u16string lacking,
                         std::vector<VersionMove> versions) {
  const std::optional<uint64_t> ticket = QueueFlush(file.get());
  held_.push_back({std::move(file), std::move(partial), std::move(destination), std::move(otherForms),
                   std::move(entry), ticket, std::move(lacking), std::move(versions)});
  heldBytes_ += bytes;
  if (held_.size() >= kBatchFiles || heldBytes_ >= kBatchBytes) StartCommit();
}

ReplacedCopy CopyPassState::LookUpReplaced(const std::u16string& destination,
                                           const std::optional<StoreIndexEntry>& made) {
  ReplacedCopy replaced;
  FindEntry listed;
  if (!Exists(destination) || job_.fs.Find(destination, &listed) != 0 || listed.IsFolder()) return replaced;
  replaced.present = true;
  replaced.form = FormOfStoredName(destination);
  if (index_ == nullptr) return replaced;
  std::lock_guard lock(indexMutex_);
  const StoreIndexEntry* old = nullptr;
  if (index_->StateOf(destination, listed, &old) != IndexState::kCurrent) return replaced;
  replaced.entry = *old;
  replaced.form = old->form;
  replaced.sameContent = made && old->form == made->form && old->sourceSize == made->sourceSize &&
                         index_->SameContent(*old, made->sha256);
  return replaced;
}

std::vector<VersionMove> CopyPassState::VersionsOf(const std::u16string& destination,
                                                   const ReplacedCopy& replaced,
                                                   const std::vector<std::u16string>& otherForms) {
  std::vector<VersionMove> moves;
  if (!versions_.On()) return moves;
  const auto keep = [&](const std::u16string& path, const ReplacedCopy& copy) {
    if (!copy.present || copy.sameContent) return;
    // A readable copy in a store being encrypted goes, as it always did:
    // kept as a version, it would tell whoever has the disk what it holds.
    if (job_.settings.encrypt != 0 && !EndsWithNoCase(path, kEncryptedSuffix)) return;
    VersionMove move{path, versions_.PathFor(path), copy.entry};
    if (move.to.empty()) return;
    if (move.entry) move.entry->stored = versions_.PathFor(move.entry->stored);
    moves.push_back(std::move(move));
  };
  keep(destination, replaced);
  for (const std::u16string& other : otherForms) keep(other, LookUpReplaced(other, std::nullopt));
  return moves;
}

bool CopyPassState::IndexHas(std::u16string_view storedPath) {
  if (index_ == nullptr) return false;
  std::lock_guard lock(indexMutex_);
  return index_->HasEntry(storedPath);
}

void CopyPassState::CommitUnlessIn(std::u16string_view destinationFolder) {
  if (!held_.empty() && Lowercase(ParentOf(held_.back().destination)) != Lowercase(destinationFolder))
    StartCommit();
}

void CopyPassState::Commit() {
  StartCommit();
  announcer_.Wait();
  committer_.Wait();
  if (index_ != nullptr) AppendIndex();
}

void CopyPassState::StartCommit() {
  if (held_.empty()) return;
  announcer_.HandOver(std::move(held_));
  held_.clear();
  heldBytes_ = 0;
}

void CopyPassState::AnnounceBatch(std::vector<Held> batch) {
  WaitForFlushes(batch);
  if (index_ != nullptr) AnnounceEntries(batch);
  committer_.HandOver(std::move(batch));
}

void CopyPassState::CommitBatch(std::vector<Held> batch) {
  std::vector<Held*> placed = PutBatchInPlace(batch);
  if (placed.empty() || !MakeRenamesDurable(placed)) return;
  if (storeRoot_.empty()) RemoveRestoreLeftovers(placed);
  CountAsStored(placed);
  // Confirmed a thousand at a time (and the rest when the pass ends), not
  // per batch: each piece costs two flushes, and every job reads every piece.
  if (index_ != nullptr && index_->PendingCount() >= StoreIndex::kEntriesPerFoldedPiece) AppendIndex();
}

void CopyPassState::FailHeld(Held& held, uint32_t error) {
  // A store that is gone has had its one line.
  if (!StoreLost()) job_.results.AddFailure(held.destination, error);
  held.file.reset();
  RemoveFileAnyway(job_.fs, held.partial);
}

void CopyPassState::WaitForFlushes(std::vector<Held>& batch) {
  for (Held& held : batch)
    if (const uint32_t error =
            held.flushTicket ? flusher_.WaitFlushed(*held.flushTicket) : held.file->Flush();
        error != 0)
      FailHeld(held, error);
}

void CopyPassState::AnnounceEntries(std::vector<Held>& batch) {
  std::vector<StoreIndexEntry> announced;
  for (Held& held : batch) {
    if (!held.file || !held.entry) continue;
    // What the volume will list of the stored file: the handle's own
    // where times are kept as set, the listing where the volume keeps
    // them coarser. A rename keeps both.
    FindEntry listed;
    const uint32_t error = job_.volumes.Of(held.destination).coarseTimes ? job_.fs.Find(held.partial, &listed)
                                                                         : held.file->GetInfo(&listed);
    if (error != 0) {
      FailHeld(held, error);
      continue;
    }
    held.entry->stored = held.destination;
    held.entry->storedSize = listed.size;
    held.entry->storedLastWrite = listed.times.lastWrite;
    announced.push_back(*held.entry);
    // Its old copies are described at their version paths before they move there.
    for (const VersionMove& version : held.versions)
      if (version.entry) announced.push_back(*version.entry);
  }
  std::unique_lock lock(indexMutex_);
  const uint32_t error = index_->Announce(job_.fs, announced);
  lock.unlock();
  if (error != 0)
    for (Held& held : batch)
      if (held.file && held.entry) FailHeld(held, error);
}

void CopyPassState::MoveReplacedToVersions(std::vector<Held>& batch) {
  // A move that is not durable is taken back where it can be, and its new
  // copy is a failure: it never takes a name whose old copy may be lost.
  const auto undo = [&](Held& held, uint32_t error) {
    for (VersionMove& version : held.versions)
      if (version.moved && job_.fs.Rename(version.to, version.from) == 0) version.moved = false;
    FailHeld(held, error);
    for (const VersionMove& version : held.versions)
      if (!version.moved) ForgetVersion(version);
  };
  Held* carrier = nullptr;
  for (Held& held : batch) {
    if (!held.file) continue;
    for (VersionMove& version : held.versions) {
      if (Lowercase(version.from) != Lowercase(held.destination)) continue;
      uint32_t error = versions_.Move(version.from, version.to);
      version.moved = error == 0;
      if (error == 0 && job_.volumes.Of(version.to).coarseTimes) error = FlushByName(job_.fs, version.to);
      if (error != 0) {
        undo(held, error);
        break;
      }
      carrier = &held;
    }
  }
  // On NTFS one flush carries every move made so far to the disk, so none
  // of the new copies can take a name whose old copy is not yet in the versions.
  if (carrier == nullptr || job_.volumes.Of(carrier->destination).coarseTimes) return;
  if (const uint32_t error = carrier->file->Flush(); error != 0)
    for (Held& held : batch)
      if (held.file && std::any_of(held.versions.begin(), held.versions.end(),
                                   [](const VersionMove& v) { return v.moved; }))
        undo(held, error);
}

void CopyPassState::ForgetVersion(const VersionMove& version) {
  if (index_ == nullptr || !version.entry) return;
  std::lock_guard lock(indexMutex_);
  index_->Forget(version.entry->stored);
}

std::vector<CopyPassState::Held*> CopyPassState::PutBatchInPlace(std::vector<Held>& batch) {
  std::vector<Held*> placed;
  if (!storeRoot_.empty()) MoveReplacedToVersions(batch);
  for (Held& held : batch) {
    if (!held.file) continue;
    // A PC file that differs from its restored copy is set aside first; one that cannot be stays.
    if (storeRoot_.empty() && !replaced_.SetAside(held.destination)) {
      held.file.reset();
      RemoveFileAnyway(job_.fs, held.partial);
      continue;
    }
    if (const uint32_t error = PutInPlace(job_.fs, *held.file, held.destination); error != 0) {
      FailHeld(held, error);
      // The old copy goes back to its name, if it can; else it stays a version.
      for (VersionMove& version : held.versions)
        if (version.moved && job_.fs.Rename(version.to, version.from) == 0) {
          version.moved = false;
          ForgetVersion(version);
        }
      continue;
    }
    listing_.Note(held.destination, true);
    placed.push_back(&held);
  }
  return placed;
}

bool CopyPassState::MakeRenamesDurable(std::vector<Held*>& placed) {
  // On NTFS the last file's flush carries them all; a FAT-family volume
  // keeps no journal, and each file's flush carries only its own rename.
  if (job_.volumes.Of(placed.back()->destination).coarseTimes) {
    std::erase_if(placed, [&](Held* held) {
      const uint32_t error = held->file->Flush();
      if (error != 0) job_.results.AddFailure(held->destination, error);
      return error != 0;
    });
    return true;
  }
  if (const uint32_t error = placed.back()->file->Flush(); error != 0) {
    if (!StoreLost())
      for (Held* held : placed) job_.results.AddFailure(held->destination, error);
    return false;
  }
  return true;
}

void CopyPassState::CountAsStored(std::vector<Held*>& placed) {
  std::lock_guard lock(indexMutex_);
  for (Held* held : placed) {
    ++job_.counters.finishedCount;
    if (!held->lacking.empty()) {
      job_.results.AddNote(held->destination, held->lacking);
      ++job_.counters.lackingCount;
    }
    if (index_ != nullptr && held->entry) index_->Record(std::move(*held->entry));
    held->file.reset();
    for (VersionMove& version : held->versions)
      if (version.moved && version.entry && index_ != nullptr) index_->Record(*version.entry);
    for (const std::u16string& other : held->otherForms) {
      // Another form the copy replaces is kept as a version, else removed;
      // a form that stays is still the store's, and still in the index.
      const auto kept = std::find_if(held->versions.begin(), held->versions.end(),
                                     [&](const VersionMove& v) { return v.from == other; });
      const bool asVersion = kept != held->versions.end();
      const uint32_t error = asVersion ? versions_.Move(other, kept->to) : RemoveFileAnyway(job_.fs, other);
      if (error != 0) {
        job_.results.AddFailure(other, error);
        if (asVersion && kept->entry && index_ != nullptr) index_->Forget(kept->entry->stored);
        continue;
      }
      listing_.Note(other, false);
      if (index_ != nullptr) index_->Forget(other);
      if (asVersion && kept->entry && index_ != nullptr) index_->Record(*kept->entry);
    }
  }
}

void CopyPassState::RemoveRestoreLeftovers(const std::vector<Held*>& placed) {
  std::vector<std::u16string> leftovers;
  {
    std::lock_guard lock(leftoversMutex_);
    for (const Held* held : placed) {
      const auto found = restoreLeftovers_.find(held->partial);
      if (found == restoreLeftovers_.end()) continue;
      leftovers.insert(leftovers.end(), found->second.begin(), found->second.end());
      restoreLeftovers_.erase(found);
    }
  }
  // Tidying only: the restored file is in place whatever becomes of them.
  for (const std::u16string& leftover : leftovers) job_.fs.RemoveFile(leftover);
}

void CopyPassState::AppendIndex() {
  // The copies keep their announced entries; the line tells that the index
  // could not be kept up, unless the store is gone and its one line said all.
  std::unique_lock lock(indexMutex_);
  const uint32_t error = index_->AppendPending(job_.fs);
  lock.unlock();
  if (error != 0 && !StoreLost()) job_.results.AddFailure(IndexFolderOf(storeRoot_), error);
}

std::optional<uint64_t> CopyPassState::QueueFlush(File* file) {
  // A restore's copies are flushed by the committer: flushed early, while
  // the pass writes the next file of the folder, the 10,000-file restore
  // measured 1-2 s slower under Wine.
  if (storeRoot_.empty()) return std::nullopt;
  return flusher_.Queue(file);
}

}  // namespace qtr
