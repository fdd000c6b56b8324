// What one copy pass keeps from file to file: the destination folders it
// has made or listed (each listed once), the partial files it writes, and
// the copies waiting to be made durable together. A batch is made durable
// on a committer thread of the pass while the pass copies the next one, and
// each copy of a backup is flushed on a flusher thread as soon as it is
// complete: the flushes wait on the disk, and neither the copying nor the
// renames of the batch before need wait with them.
//
// A batch goes through two threads, each a BatchCommitter: the announcer
// waits for its flushes and announces its index entries, then hands it to
// the committer, which puts it in place while the announcer works on the
// next batch. Each batch keeps its own order (flushed, announced, renamed,
// durable); batches only overlap across those steps. Both are joined in the
// destructor before the flusher ends (the announcer waits on its tickets).
// While a batch commits, the pass and the two threads share the destination
// listing (its own lock), the restore leftovers (leftoversMutex_) and the
// index (indexMutex_).
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/BackupJob.h"
#include "engine/BackupGuard.h"
#include "engine/BatchCommitter.h"
#include "engine/CopyFlusher.h"
#include "engine/DestinationListing.h"
#include "engine/ReplacedFileKeeper.h"
#include "engine/StoreFolderCheck.h"
#include "engine/StoreIndex.h"
#include "engine/VersionKeeper.h"
#include "platform/SlimLock.h"

namespace qtr {

class PartialFileMaker;

// A stored copy a backup replaces, kept as a previous version: moved from
// its stored path to its version path, with the entry it had (none when no
// entry described it).
struct VersionMove {
  std::u16string from;
  std::u16string to;
  std::optional<StoreIndexEntry> entry;
  bool moved = false;
};

// The stored copy a copy replaces, as it is listed when the copy is complete.
struct ReplacedCopy {
  bool present = false;                  // a file (not a folder) is at the stored path
  StoredForm form = StoredForm::kPlain;  // its form: its entry's, else its name's
  std::optional<StoreIndexEntry> entry;  // the entry describing it as listed, if one does
  bool sameContent = false;              // that entry says it holds the very content of the copy
};

class CopyPassState {
 public:
  // A batch of copies is made durable once it holds this many files or
  // bytes, and whenever the pass moves on to another destination folder.
  static constexpr size_t kBatchFiles = 64;
  static constexpr uint64_t kBatchBytes = uint64_t{256} << 20;

  // storeRoot is the store a backup writes into; empty on a restore, whose
  // partial files lie beside their destinations.
  CopyPassState(BackupJob& job, std::u16string storeRoot);
  ~CopyPassState();
  CopyPassState(const CopyPassState&) = delete;
  CopyPassState& operator=(const CopyPassState&) = delete;

  // Removes what an earlier job left in the store's partial folder: only
  // the files named as this program names them, and nothing when the
  // folder is a link.
  void RemoveLeftovers();
  // On a backup, true when folder of the store and every store folder above
  // it is no link (see StoreFolderCheck); always true on a restore.
  bool StoreFolderIsPlain(std::u16string_view folder) { return storeFolders_.Plain(folder); }
  // Creates a fresh partial file for a copy to destination and opens it.
  // On a backup, a refusal stops the job (StopIfStoreLost).
  uint32_t CreatePartial(std::u16string_view destination, std::u16string* partial,
                         std::unique_ptr<File>* file);

  // Whether path exists, as the listing of its folder said when the pass
  // first came to it, and the pass's committed changes since.
  bool Exists(std::u16string_view path);
  // True the first time the pass meets folder (lowercased check).
  bool FirstVisitOfFolder(std::u16string_view folder);

  // A complete copy, not yet durable: it waits under its partial name, its
  // file open, until the batch is committed; a file it replaces stays whole
  // until then. otherForms (the same file's other stored forms, may be
  // empty) go once the copy is in place. For a copy into the store, entry is
  // its index entry (stored name and stored size aside): it is recorded once
  // the copy is in place, with what the stored file's listing then says.
  // lacking (when not empty) is the line saying what the copy lacks, given
  // only once the copy counts as stored.
  // versions (from VersionsOf) are the stored copies the copy replaces: the
  // one at destination is moved to its version path before the copy takes
  // its name, the other forms instead of being removed.
  void Hold(std::unique_ptr<File> file, std::u16string partial, std::u16string destination,
            std::vector<std::u16string> otherForms, uint64_t bytes,
            std::optional<StoreIndexEntry> entry = std::nullopt, std::u16string lacking = {},
            std::vector<VersionMove> versions = {});
  // The stored copy at destination that a copy (made: its new entry) replaces.
  ReplacedCopy LookUpReplaced(const std::u16string& destination, const std::optional<StoreIndexEntry>& made);
  // On a backup that keeps versions: the stored copies that a copy to
  // destination replaces, replaced (from LookUpReplaced, or none) and its
  // otherForms, each with its entry. A copy that holds the very content of
  // the new one is nothing to keep.
  std::vector<VersionMove> VersionsOf(const std::u16string& destination, const ReplacedCopy& replaced,
                                      const std::vector<std::u16string>& otherForms);
  BackupGuard& Guard() { return guard_; }
  // At the start of a backup: the version folders past their days go.
  void RemoveExpiredVersions() { versions_.RemoveExpired(index_, indexMutex_); }
  // Before a copy of bytes: the oldest versions go while the disk is short of room.
  void MakeRoomFor(uint64_t bytes) { versions_.MakeRoomFor(bytes, index_, indexMutex_); }
  // The store index the pass keeps up to date (a backup's), or nullptr.
  void SetIndex(StoreIndex* index) { index_ = index; }
  StoreIndex* Index() const { return index_; }
  // On a restore: what becomes of the files the restored copies replace.
  ReplacedFileKeeper& Replaced() { return replaced_; }
  // Whether the index has an entry for storedPath (false without an index); safe while a batch commits.
  bool IndexHas(std::u16string_view storedPath);
  // On a backup, after a write into the store failed with error: true when
  // the store is gone (the target was pulled) or, creating, its partial
  // folder refuses new files, so every file left would fail alike. The job
  // is then stopped with one line saying so, not one per remaining file.
  bool StopIfStoreLost(uint32_t error, bool creating);
  bool StoreLost() const { return storeLost_; }
  // Starts committing the batch when the next copy goes to another folder.
  void CommitUnlessIn(std::u16string_view destinationFolder);
  // Commits the held batch and waits until every batch is committed: each
  // held copy is flushed, its index entry announced, then it is renamed
  // into place, the renames are made durable, and only then are their other
  // forms removed and their entries confirmed: a power cut at any moment
  // leaves each destination with its old content or its new one, whole,
  // and described by an entry. Counts each copy made durable in place as
  // finished; any step that fails is a failure line of the copies it
  // concerns. Batches are committed one after another, in order. The
  // confirmations wait until a thousand of them make a piece, or this call.
  void Commit();

 private:
  struct Held {
    std::unique_ptr<File> file;
    std::u16string partial;
    std::u16string destination;
    std::vector<std::u16string> otherForms;
    std::optional<StoreIndexEntry> entry;
    std::optional<uint64_t> flushTicket;  // its place in the flusher's queue, if it has one
    std::u16string lacking;               // what the copy lacks, said once it is stored
    std::vector<VersionMove> versions;    // the stored copies it replaces
  };
  // Moves the old copies the batch replaces at their own names into the
  // version folder, and makes the moves durable before any copy takes a name.
  void MoveReplacedToVersions(std::vector<Held>& batch);
  // Settles the announced entry of a version that was not made.
  void ForgetVersion(const VersionMove& version);
  // Hands the held batch to the announcer, once it has handed the one before on.
  void StartCommit();
  // On the announcer thread: each copy flushed, then the index entries
  // announced; the batch then goes to the committer.
  void AnnounceBatch(std::vector<Held> batch);
  // On the committer thread, in this order: the copies renamed into place, the renames made
  // durable (a copy whose rename is not does not count as stored: it is a
  // failure, its other forms stay and its entry stays announced), and only
  // then the copies counted, recorded, and their other forms removed.
  void CommitBatch(std::vector<Held> batch);
  // A copy of the batch that failed: its line, and its partial file goes.
  void FailHeld(Held& held, uint32_t error);
  void WaitForFlushes(std::vector<Held>& batch);
  // The entries of the new copies are on the disk before any of them is in
  // place: whichever of the old copy and the new one a power cut leaves, an
  // entry describes it.
  void AnnounceEntries(std::vector<Held>& batch);
  std::vector<Held*> PutBatchInPlace(std::vector<Held>& batch);
  // One more flush carries the renames to the disk; false when it failed for the whole batch.
  bool MakeRenamesDurable(std::vector<Held*>& placed);
  void CountAsStored(std::vector<Held*>& placed);
  // On a restore: removes the partial files earlier restores of the placed
  // copies' destinations left (the names CreatePartial skipped).
  void RemoveRestoreLeftovers(const std::vector<Held*>& placed);
  // Writes the confirmed entries; a failure is a line of the job.
  void AppendIndex();
  // Queues a held copy's flush on a backup; its ticket.
  std::optional<uint64_t> QueueFlush(File* file);

  BackupJob& job_;
  const std::u16string storeRoot_;
  StoreFolderCheck storeFolders_;
  std::unique_ptr<PartialFileMaker> partials_;  // a backup's, from its first copy on
  std::atomic<bool> storeLost_{false};          // set by the pass, read by the committer
  DestinationListing listing_;
  SlimMutex leftoversMutex_;  // restoreLeftovers_ is also changed by the committer
  // A restore's partial file -> the leftover partial names it skipped.
  std::map<std::u16string, std::vector<std::u16string>> restoreLeftovers_;
  std::vector<Held> held_;
  uint64_t heldBytes_ = 0;
  StoreIndex* index_ = nullptr;  // written only by the committer while the pass runs
  SlimMutex indexMutex_;         // held by the committer while it changes the index
  ReplacedFileKeeper replaced_;  // a restore's
  VersionKeeper versions_;       // a backup's
  BackupGuard guard_{job_};      // a backup's, used by the pass's thread

  CopyFlusher flusher_;  // a backup's; ended once the committer has been joined

  // Last: their threads start once the rest is made.
  BatchCommitter<std::vector<Held>> committer_{
      [this](std::vector<Held> batch) { CommitBatch(std::move(batch)); }};
  BatchCommitter<std::vector<Held>> announcer_{
      [this](std::vector<Held> batch) { AnnounceBatch(std::move(batch)); }};
};

}  // namespace qtr
