#include "engine/StoredFileCopy.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "crypto/EncryptedFile.h"
#include "engine/BackupGuard.h"
#include "engine/Container.h"
#include "engine/HashingFile.h"
#include "engine/JobText.h"
#include "engine/StoreFileOperations.h"
#include "engine/StoreLayout.h"
#include "engine/StoredFormDetection.h"
#include "engine/StoredForms.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

// Lets the container coder and the plain copy pause, stop and count in the job.
class JobContainerControl : public ContainerControl {
 public:
  explicit JobContainerControl(BackupJob& job) : job_(job) {}
  bool WaitUnlessStopped() override { return job_.control.WaitUnlessStopped(); }
  void AddProgress(uint64_t bytes) override {
    job_.counters.currentDone += bytes;
    job_.counters.doneBytes += bytes;
  }

 private:
  BackupJob& job_;
};

// Reports a failed copy and removes its partial file.
void FailCopy(BackupJob& job, const ContainerStatus& status, std::u16string_view readPath,
              std::u16string_view writePath, std::u16string_view partial) {
  switch (status.result) {
    case ContainerResult::kReadFailed:
      job.results.AddFailure(readPath, status.error);
      break;
    case ContainerResult::kWriteFailed:
      job.results.AddFailure(writePath, status.error);
      break;
    case ContainerResult::kDamaged:
      // Only a container that does not decode says so on standard output; a
      // failed authentication or a size or hash mismatch is no such error.
      if (status.error == 0) std::fputs("Decompress error\n", stdout);
      job.results.AddFailure(readPath, kErrorInvalidData);
      break;
    default:
      break;
  }
  RemoveFileAnyway(job.fs, partial);
}

}  // namespace

uint32_t ApplyStoredAttributes(BackupJob& job, const FindEntry& copiedFrom, File& written,
                               std::u16string_view writtenPath) {
  // Encrypted bytes do not compress: the encrypted forms stay uncompressed. Best
  // effort, as a volume may refuse.
  if (job.settings.IsBackup() && job.volumes.Of(writtenPath).supportsFileCompression)
    written.SetCompression(job.settings.compress != 0 && job.settings.encrypt == 0);
  return CopyFileTimes(copiedFrom, written);
}

uint32_t CopyFileTimes(const FindEntry& copiedFrom, File& written) {
  return written.SetTimesAndAttributes(copiedFrom.times, copiedFrom.attributes & kSettableAttributes);
}

namespace {

// After the copy into the partial file: a failure or a stop removes it;
// otherwise it takes everything of the source (attributes, times) and waits
// in the pass's batch, which flushes it before it replaces the destination
// (the rename keeps it all). True when the copy is complete.
bool FinishPartialCopy(BackupJob& job, CopyPassState& pass, const ContainerStatus& status, const FindEntry& info,
                       std::unique_ptr<File> out, std::u16string_view source, const std::u16string& destination,
                       const std::u16string& partial, std::vector<std::u16string> otherForms,
                       std::optional<StoreIndexEntry> entry = std::nullopt,
                       std::vector<VersionMove> versions = {}) {
  if (status.result != ContainerResult::kOk && status.result != ContainerResult::kStopped) {
    out.reset();
    if (status.result == ContainerResult::kWriteFailed && pass.StopIfStoreLost(status.error, false)) {
      RemoveFileAnyway(job.fs, partial);
      return false;
    }
    FailCopy(job, status, source, destination, partial);
    return false;
  }
  if (job.control.stop != 0 || status.result == ContainerResult::kStopped) {
    ++job.counters.finishedCount;
    out.reset();
    RemoveFileAnyway(job.fs, partial);
    return false;
  }
  // Times or attributes refused: the copy is good, and once it is stored a
  // line says what it lacks (a copy that then fails gets its failure line only).
  std::u16string lacking;
  if (const uint32_t error = ApplyStoredAttributes(job, info, *out, partial); error != 0)
    lacking = job.settings.notes.timesNotSet + u" " + ErrorText(error);
  pass.Hold(std::move(out), partial, destination, std::move(otherForms), info.size, std::move(entry),
            std::move(lacking), std::move(versions));
  return true;
}

}  // namespace

namespace {

// Why source cannot be stored at target at all, 0 when it can: an encrypted
// backup without its key (never a plain copy in its place; the job refuses
// to start so), or an uncompressed copy larger than the volume takes.
uint32_t RefusalBeforeCopy(BackupJob& job, const FindEntry& info, std::u16string_view target, bool compress,
                           bool encrypt) {
  if (encrypt && !job.settings.storeKey) return kErrorNoStoreKey;
  if (!compress) {
    // The encrypted form adds its header and a tag per chunk.
    const uint64_t overhead =
        encrypt ? kEncryptedHeaderSize + kGcmTagSize * (info.size / kEncryptedChunkSize + 1) : 0;
    if (info.size + overhead > job.volumes.Of(target).maxFileSize) return kErrorFileTooLarge;
  }
  return 0;
}

// The encrypting writer over out for target: bound to the path it is stored
// at, and carrying what turns the password into the store key. Null, with
// the write failure in status, when it cannot be made.
std::unique_ptr<EncryptingFile> SealedWriter(BackupJob& job, CopyPassState& pass, File& out,
                                             std::u16string_view target, const FindEntry& info, bool compress,
                                             ContainerStatus* status) {
  uint32_t error = 0;
  EncryptedFileOrigin origin;
  origin.parameters = job.settings.storeKey->parameters;
  const StoreIndexKey* indexKey = pass.Index() != nullptr ? pass.Index()->Key() : nullptr;
  if (indexKey != nullptr) {
    indexKey->Place(target, origin.place);
  } else {
    StoreIndexKey(*job.settings.storeKey).Place(target, origin.place);
  }
  auto sealed =
      EncryptingFile::Create(out, job.settings.storeKey->bytes, {info.size, info.times.lastWrite, compress},
                             &error, kEncryptedChunkSize, origin);
  if (!sealed) *status = {ContainerResult::kWriteFailed, error};
  return sealed;
}

// Ends the encrypted form after a good copy. The header recorded the size
// listed before the copy: a file that grew or shrank while it was read
// would not restore to it.
void FinishSealed(EncryptingFile& sealed, const FindEntry& info, bool compress, ContainerStatus* status) {
  uint64_t copied = 0;
  sealed.Size(&copied);
  if (!compress && copied != info.size) *status = {ContainerResult::kReadFailed, kErrorHandleEof};
  if (status->Ok()) {
    if (const uint32_t error = sealed.Finish(); error != 0) *status = {ContainerResult::kWriteFailed, error};
  }
}

// The index entry of a copy from the source's hash as it was read; none
// when the library could not make the hash (the stored copy then reads as
// unknown).
std::optional<StoreIndexEntry> IndexEntryOf(HashingFile& hashed, StoredForm form,
                                            const std::array<uint8_t, 16>& fileId, const FindEntry& info) {
  StoreIndexEntry made;
  made.form = form;
  made.fileId = fileId;
  made.sourceSize = hashed.Bytes();
  made.sourceLastWrite = info.times.lastWrite;
  if (!hashed.Finish(&made.sha256)) return std::nullopt;
  return made;
}

// The file switched forms (compression or encryption on or off): its other
// forms in the store, to go once the new one is in place. One gone already
// but still in the index is recorded as gone with the others.
std::vector<std::u16string> OtherFormsToRemove(BackupJob& job, CopyPassState& pass,
                                               std::u16string_view source, std::u16string_view destination,
                                               StoredForm form) {
  std::vector<std::u16string> others;
  for (const StoredForm other : kAllStoredForms) {
    if (other == form) continue;
    const std::u16string path = std::u16string(destination) + SuffixOf(other);
    if ((pass.Exists(path) || pass.IndexHas(path)) && !OtherFormBelongsToAnotherSource(job, source, other))
      others.push_back(path);
  }
  return others;
}

// The guard's view of a complete copy: a replacement of other content is
// judged against the stored copy, a new file counted (and whether it looks
// renamed from a stored file whose source is gone). It may stop the job.
void GuardCopy(BackupJob& job, CopyPassState& pass, std::u16string_view source, std::u16string_view destination,
               const std::u16string& target, bool replacing, const ReplacedCopy& replaced,
               const std::vector<uint8_t>& newHead) {
  BackupGuard& guard = pass.Guard();
  if (!guard.Active()) return;
  if (replacing) {
    if (!replaced.present || replaced.sameContent) return;
    guard.JudgeReplacement(NameOf(destination), guard.StoredHeadOf(target, replaced.form), newHead);
    return;
  }
  bool renamed = false;
  for (const std::u16string& old : NamesRenamedFrom(NameOf(source))) {
    const std::u16string stored = JoinPath(ParentOf(destination), old);
    bool inStore = false;
    for (const StoredForm form : kAllStoredForms) inStore = inStore || pass.Exists(stored + SuffixOf(form));
    FindEntry there;
    if (inStore && job.fs.Find(JoinPath(ParentOf(source), old), &there) != 0) renamed = true;
  }
  guard.CountNewFile(NameOf(source), renamed);
}

}  // namespace

int BackupOneFile(BackupJob& job, CopyPassState& pass, std::u16string_view source, std::u16string_view destination,
                  std::unique_ptr<File> in, const FindEntry& info) {
  job.counters.SetCurrentFile(std::u16string(source));
  job.counters.currentDone = 0;
  const bool compress = job.settings.compress != 0;
  const bool encrypt = job.settings.encrypt != 0;
  const StoredForm form = FormFor(compress, encrypt);
  const std::u16string target = std::u16string(destination) + SuffixOf(form);
  if (const uint32_t refusal = RefusalBeforeCopy(job, info, target, compress, encrypt); refusal != 0) {
    job.results.AddFailure(target, refusal);
    return 0;
  }
  std::unique_ptr<File> out;
  std::u16string partial;
  if (const uint32_t error = pass.CreatePartial(target, &partial, &out); error != 0) {
    if (!pass.StoreLost()) job.results.AddFailure(target, error);
    return 0;
  }
  // The guard holds the head of a copy that replaces a stored one against the stored copy's.
  const bool replacing = pass.Exists(target);
  std::vector<uint8_t> newHead;
  if (pass.Guard().Active() && replacing) newHead = BackupGuard::HeadOf(*in);
  // The source is hashed as it is read, for the store index.
  std::unique_ptr<HashingFile> hashed;
  if (pass.Index() != nullptr)
    hashed = std::make_unique<HashingFile>(std::move(in), HashingFile::Side::kRead);
  File& reader = hashed ? *hashed : *in;
  ContainerStatus status;
  std::unique_ptr<EncryptingFile> sealed;
  if (encrypt) sealed = SealedWriter(job, pass, *out, target, info, compress, &status);
  File& writer = sealed ? static_cast<File&>(*sealed) : *out;
  if (status.Ok()) {
    JobContainerControl control(job);
    status = compress ? WriteContainer(reader, info.size, writer, &control, job.settings.coderThreads)
                      : CopyStream(reader, writer, &control);
  }
  if (sealed && status.Ok()) FinishSealed(*sealed, info, compress, &status);
  std::array<uint8_t, 16> fileId{};
  if (sealed)
    std::copy(std::begin(sealed->Origin().fileId), std::end(sealed->Origin().fileId), fileId.begin());
  sealed.reset();
  std::optional<StoreIndexEntry> entry;
  if (hashed) entry = IndexEntryOf(*hashed, form, fileId, info);
  hashed.reset();
  in.reset();
  std::vector<std::u16string> others = OtherFormsToRemove(job, pass, source, destination, form);
  std::vector<VersionMove> versions;
  if (status.Ok() && job.control.stop == 0) {
    // Looked up once, for the versions and the guard.
    const ReplacedCopy replaced = replacing ? pass.LookUpReplaced(target, entry) : ReplacedCopy{};
    versions = pass.VersionsOf(target, replaced, others);
    GuardCopy(job, pass, source, destination, target, replacing, replaced, newHead);
  }
  return FinishPartialCopy(job, pass, status, info, std::move(out), source, target, partial, std::move(others),
                           std::move(entry), std::move(versions))
             ? 1
             : 0;
}

int RestoreOneFile(BackupJob& job, CopyPassState& pass, std::u16string_view stored,
                   std::u16string_view destination, std::unique_ptr<File> in, const FindEntry& info,
                   StoredForm form, const StoreIndexEntry* entry, bool changedOutside,
                   const StoreIndexEntry* alternative, const StoreIndex* index) {
  job.counters.SetCurrentFile(std::u16string(stored));
  job.counters.currentDone = 0;
  std::unique_ptr<File> out;
  std::u16string partial;
  if (const uint32_t error = pass.CreatePartial(destination, &partial, &out); error != 0) {
    job.results.AddFailure(destination, error);
    return 0;
  }
  // A file there now is replaced only once it is set aside, unless it holds the very bytes restored.
  FindEntry existing;
  const bool replaces =
      pass.Exists(destination) && job.fs.Find(destination, &existing) == 0 && !existing.IsFolder();
  // What is written is hashed, to hold it against the index entry and the file it replaces.
  const bool checked = entry != nullptr && index != nullptr;
  std::unique_ptr<HashingFile> hashed;
  if (checked || replaces) hashed = std::make_unique<HashingFile>(std::move(out), HashingFile::Side::kWrite);
  File& writer = hashed ? *hashed : *out;
  JobContainerControl control(job);
  const StoreKey* key = job.settings.storeKey ? &*job.settings.storeKey : nullptr;
  ContainerStatus status = DecodeStored(*in, info.size, form, key, writer, &control);
  in.reset();
  if (hashed) {
    Sha256Digest digest{};
    const bool hashOk = hashed->Finish(&digest);
    // A file changed since it was backed up has other bytes: a container
    // must still give the size backed up (a cut one decodes short), a plain
    // file is the person's own edit.
    const auto same = [&](const StoreIndexEntry* e) {
      return e != nullptr && hashOk && hashed->Bytes() == e->sourceSize && index->SameContent(*e, digest);
    };
    const bool matches =
        !checked || (changedOutside ? !HasContainer(form) || hashed->Bytes() == entry->sourceSize
                                    : same(entry) || same(alternative));
    const uint64_t written = hashed->Bytes();
    out = hashed->Release();
    hashed.reset();
    // A complete copy that is not what was stored: the destination keeps what it had.
    if (status.result == ContainerResult::kOk && job.control.stop == 0 && !matches)
      status = {ContainerResult::kDamaged, kErrorInvalidData};
    if (status.result == ContainerResult::kOk && job.control.stop == 0 && replaces && hashOk)
      pass.Replaced().NoteRestored(destination, written, digest);
  }
  if (changedOutside && status.result == ContainerResult::kDamaged) {
    out.reset();
    RemoveFileAnyway(job.fs, partial);
    job.results.AddFailure(stored, job.settings.notes.changedRefused);
    return 0;
  }
  const std::u16string target(destination);
  if (!FinishPartialCopy(job, pass, status, info, std::move(out), stored, target, partial, {})) return 0;
  if (changedOutside) {
    job.results.AddNote(stored, job.settings.notes.changedRestored);
    ++job.counters.changedCount;
  }
  return 1;
}

}  // namespace qtr
