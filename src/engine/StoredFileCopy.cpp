#include "engine/StoredFileCopy.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "crypto/EncryptedFile.h"
#include "engine/Container.h"
#include "engine/HashingFile.h"
#include "engine/JobText.h"
#include "engine/StoredForms.h"
#include "engine/StoreLayout.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

// Lets the container coder and the plain copy pause, stop and count in the job.
class JobContainerControl : public ContainerControl {
 public:
  explicit JobContainerControl(BackupJob& job) : job_(job) {}
  bool WaitUnlessStopped() override { return job_.WaitUnlessStopped(); }
  void AddProgress(uint64_t bytes) override {
    job_.currentDone += bytes;
    job_.doneBytes += bytes;
  }

 private:
  BackupJob& job_;
};

// A stored name of source in another form is also the stored name, in some
// form, of one other source file of the same folder: "a.zip" is both "a"
// compressed and "a.zip" plain, "a.zip.qtrx" both "a" compressed and
// encrypted and "a.zip" encrypted. True when such a file exists: that copy
// is its own and must stay.
bool OtherFormBelongsToAnotherSource(BackupJob& job, std::u16string_view source, StoredForm otherForm) {
  const std::u16string name = std::u16string(source) + SuffixOf(otherForm);
  const std::u16string self = Lowercase(source);
  for (const StoredForm form : kAllStoredForms) {
    const std::u16string suffix = SuffixOf(form);
    if (!EndsWithNoCase(name, suffix)) continue;
    const std::u16string other = name.substr(0, name.size() - suffix.size());
    if (Lowercase(other) == self) continue;
    FindEntry entry;
    if (job.fs.Find(other, &entry) == 0 && !entry.IsFolder()) return true;
  }
  return false;
}

bool SameLastWrite(BackupJob& job, const FindEntry& a, std::u16string_view pathA, const FindEntry& b,
                   std::u16string_view pathB) {
  const uint64_t x = a.times.lastWrite, y = b.times.lastWrite;
  const uint64_t difference = x > y ? x - y : y - x;
  const bool coarse = job.VolumeOf(pathA).coarseTimes || job.VolumeOf(pathB).coarseTimes;
  return coarse ? difference <= 20'000'000 : difference == 0;
}

// The size a stored file restores to; UINT64_MAX when a container cannot be read.
uint64_t StoredRawSize(BackupJob& job, std::u16string_view path, const FindEntry& entry, bool compressed) {
  if (!compressed) return entry.size;
  std::unique_ptr<File> file;
  uint64_t raw = 0;
  if (job.fs.Open(path, OpenMode::kReadExisting, &file) != 0 || !ContainerRawSize(*file, entry.size, &raw))
    return UINT64_MAX;
  return raw;
}

// What a stored file with no current index entry is, from its name, its
// first bytes and, for the encrypted form, its authenticated header (which
// says whether a container is inside). The file is left at its start.
uint32_t DetectStoredForm(BackupJob& job, std::u16string_view stored, File& in, uint32_t attributes,
                          StoredForm* form) {
  *form = StoredForm::kPlain;
  uint8_t marker[4] = {};
  size_t total = 0;
  while (total < sizeof marker) {
    size_t got = 0;
    if (const uint32_t error = in.Read(marker + total, sizeof marker - total, &got); error != 0) return error;
    if (got == 0) break;
    total += got;
  }
  if (const uint32_t error = in.Seek(0); error != 0) return error;
  if (total == 4 && EndsWithNoCase(stored, kEncryptedSuffix) && std::memcmp(marker, "QTRX", 4) == 0) {
    if (!job.storeKey) return kErrorNoStoreKey;
    EncryptedFileInfo header;
    const uint32_t error = ReadEncryptedInfo(in, job.storeKey->bytes, &header);
    if (const uint32_t seek = in.Seek(0); error == 0 && seek != 0) return seek;
    if (error != 0) return error;
    *form = header.containerInside ? StoredForm::kCompressedEncrypted : StoredForm::kEncrypted;
    return 0;
  }
  if (total == 4 && EndsWithNoCase(stored, kCompressedSuffix) &&
      ((attributes & kAttributeCompressed) != 0 || !job.VolumeOf(stored).supportsFileCompression) &&
      std::memcmp(marker, kContainerMarker, 4) == 0)
    *form = StoredForm::kCompressed;
  return 0;
}

// Reports a failed copy and removes its partial file.
void FailCopy(BackupJob& job, const ContainerStatus& status, std::u16string_view readPath,
              std::u16string_view writePath, std::u16string_view partial) {
  switch (status.result) {
    case ContainerResult::kReadFailed:
      job.AddFailure(readPath, status.error);
      break;
    case ContainerResult::kWriteFailed:
      job.AddFailure(writePath, status.error);
      break;
    case ContainerResult::kDamaged:
      // Only a container that does not decode says so on standard output; a
      // failed authentication or a size or hash mismatch is no such error.
      if (status.error == 0) std::fputs("Decompress error\n", stdout);
      job.AddFailure(readPath, kErrorInvalidData);
      break;
    default:
      break;
  }
  RemoveFileAnyway(job.fs, partial);
}

}  // namespace

void MakeStoreDirectories(BackupJob& job, CopyPassState& pass, std::u16string_view destination,
                          std::u16string_view) {
  const size_t colon = destination.find(u':');
  if (colon == std::u16string_view::npos) return;
  const std::u16string storeRoot = StoreRootOf(job.targetRoot);
  for (size_t slash = destination.find(u'\\', colon + 2); slash != std::u16string_view::npos;
       slash = destination.find(u'\\', slash + 1)) {
    const std::u16string folder(destination.substr(0, slash));
    if (!pass.FirstVisitOfFolder(folder)) continue;
    if (job.fs.CreateFolder(folder) != 0) continue;  // there already, or cannot be made: the file's open tells
    std::u16string counterpart;
    if (job.restore == 0) {
      if (folder.size() >= 12) counterpart = MapToSource(folder);
    } else {
      counterpart = MapToStored(storeRoot, folder);
    }
    uint32_t attributes = 0;
    if (!counterpart.empty() && job.fs.GetAttributes(counterpart, &attributes) == 0)
      job.fs.SetAttributes(folder, attributes & kSettableAttributes);
  }
}

bool ResolveRestoreForm(BackupJob& job, std::u16string_view stored, File& in, const FindEntry& info,
                        const StoreIndexEntry* entry, StoredForm* form) {
  if (entry != nullptr) {
    *form = entry->form;
    return true;
  }
  if (const uint32_t error = DetectStoredForm(job, stored, in, info.attributes, form); error != 0) {
    job.AddFailure(stored, error);
    return false;
  }
  return true;
}

uint32_t ApplyStoredAttributes(BackupJob& job, const FindEntry& copiedFrom, File& written,
                               std::u16string_view writtenPath) {
  // Encrypted bytes do not compress: the encrypted forms stay uncompressed.
  if (job.restore == 0 && job.VolumeOf(writtenPath).supportsFileCompression)
    written.SetCompression(job.compress != 0 && job.encrypt == 0);  // best effort, as a volume may refuse
  return CopyFileTimes(copiedFrom, written);
}

uint32_t CopyFileTimes(const FindEntry& copiedFrom, File& written) {
  return written.SetTimesAndAttributes(copiedFrom.times, copiedFrom.attributes & kSettableAttributes);
}

void ApplyFolderInfo(BackupJob& job, CopyPassState& pass, std::u16string_view storeRoot) {
  std::vector<std::pair<std::u16string, const FindEntry*>> folders;
  for (const auto& [path, entry] : job.folderList) {
    std::u16string counterpart = job.restore == 0 ? MapToStored(storeRoot, path) : MapToSource(path);
    while (counterpart.size() > 3 && counterpart.back() == u'\\') counterpart.pop_back();
    // Drive folders and the store root keep their own.
    if (counterpart.size() <= 3 || (job.restore == 0 && path.size() <= 3)) continue;
    if (!pass.StoreFolderIsPlain(counterpart)) continue;
    MakeStoreDirectories(job, pass, counterpart + u"\\", path);
    folders.emplace_back(std::move(counterpart), &entry);
  }
  // Made first, then given their times: making a folder moves its parent's.
  for (const auto& [folder, entry] : folders) {
    uint32_t error = job.fs.SetAttributes(folder, entry->attributes & kSettableAttributes);
    if (error == 0) error = job.fs.SetTimes(folder, entry->times);
    if (error != 0) job.AddNote(folder, job.notes.timesNotSet + u" " + ErrorText(error));
  }
}

namespace {

// After the copy into the partial file: a failure or a stop removes it;
// otherwise it takes everything of the source (attributes, times) and waits
// in the pass's batch, which flushes it before it replaces the destination
// (the rename keeps it all). True when the copy is complete.
bool FinishPartialCopy(BackupJob& job, CopyPassState& pass, const ContainerStatus& status, const FindEntry& info,
                       std::unique_ptr<File> out, std::u16string_view source, const std::u16string& destination,
                       const std::u16string& partial, std::vector<std::u16string> otherForms,
                       std::optional<StoreIndexEntry> entry = std::nullopt) {
  if (status.result != ContainerResult::kOk && status.result != ContainerResult::kStopped) {
    out.reset();
    if (status.result == ContainerResult::kWriteFailed && pass.StopIfStoreLost(status.error, false)) {
      RemoveFileAnyway(job.fs, partial);
      return false;
    }
    FailCopy(job, status, source, destination, partial);
    return false;
  }
  if (job.stop != 0 || status.result == ContainerResult::kStopped) {
    ++job.finishedCount;
    out.reset();
    RemoveFileAnyway(job.fs, partial);
    return false;
  }
  // Times or attributes refused: the copy is good, and once it is stored a
  // line says what it lacks (a copy that then fails gets its failure line only).
  std::u16string lacking;
  if (const uint32_t error = ApplyStoredAttributes(job, info, *out, partial); error != 0)
    lacking = job.notes.timesNotSet + u" " + ErrorText(error);
  pass.Hold(std::move(out), partial, destination, std::move(otherForms), info.size, std::move(entry),
            std::move(lacking));
  return true;
}

}  // namespace

int BackupOneFile(BackupJob& job, CopyPassState& pass, std::u16string_view source, std::u16string_view destination,
                  std::unique_ptr<File> in, const FindEntry& info) {
  job.SetCurrentFile(std::u16string(source));
  job.currentDone = 0;
  const bool compress = job.compress != 0;
  const bool encrypt = job.encrypt != 0;
  const StoredForm form = FormFor(compress, encrypt);
  const std::u16string target = std::u16string(destination) + SuffixOf(form);
  // The job refuses to start without the key; never a plain copy in its place.
  if (encrypt && !job.storeKey) {
    job.AddFailure(target, kErrorNoStoreKey);
    return 0;
  }
  if (!compress) {
    // The encrypted form adds its header and a tag per chunk.
    const uint64_t overhead =
        encrypt ? kEncryptedHeaderSize + kGcmTagSize * (info.size / kEncryptedChunkSize + 1) : 0;
    if (info.size + overhead > job.VolumeOf(target).maxFileSize) {
      job.AddFailure(target, kErrorFileTooLarge);
      return 0;
    }
  }
  std::unique_ptr<File> out;
  std::u16string partial;
  if (const uint32_t error = pass.CreatePartial(target, &partial, &out); error != 0) {
    if (!pass.StoreLost()) job.AddFailure(target, error);
    return 0;
  }
  // The source is hashed as it is read, for the store index.
  std::unique_ptr<HashingFile> hashed;
  if (pass.Index() != nullptr) {
    hashed = std::make_unique<HashingFile>(std::move(in), HashingFile::Side::kRead);
  }
  File& reader = hashed ? *hashed : *in;
  ContainerStatus status;
  std::unique_ptr<EncryptingFile> sealed;
  if (encrypt) {
    uint32_t error = 0;
    // Bound to the path it is stored at, and carrying what turns the
    // password into the store key.
    EncryptedFileOrigin origin;
    origin.parameters = job.storeKey->parameters;
    const StoreIndexKey* indexKey = pass.Index() != nullptr ? pass.Index()->Key() : nullptr;
    if (indexKey != nullptr) {
      indexKey->Place(target, origin.place);
    } else {
      StoreIndexKey(*job.storeKey).Place(target, origin.place);
    }
    sealed = EncryptingFile::Create(*out, job.storeKey->bytes, {info.size, info.times.lastWrite, compress},
                                    &error, kEncryptedChunkSize, origin);
    if (!sealed) status = {ContainerResult::kWriteFailed, error};
  }
  File& writer = sealed ? static_cast<File&>(*sealed) : *out;
  if (status.Ok()) {
    JobContainerControl control(job);
    status = compress ? WriteContainer(reader, info.size, writer, &control, job.coderThreads)
                      : CopyStream(reader, writer, &control);
  }
  if (sealed && status.Ok()) {
    // The header recorded the size listed before the copy: a file that grew
    // or shrank while it was read would not restore to it.
    uint64_t copied = 0;
    sealed->Size(&copied);
    if (!compress && copied != info.size) status = {ContainerResult::kReadFailed, kErrorHandleEof};
    if (status.Ok()) {
      if (const uint32_t error = sealed->Finish(); error != 0) status = {ContainerResult::kWriteFailed, error};
    }
  }
  std::array<uint8_t, 16> fileId{};
  if (sealed)
    std::copy(std::begin(sealed->Origin().fileId), std::end(sealed->Origin().fileId), fileId.begin());
  sealed.reset();
  std::optional<StoreIndexEntry> entry;
  if (hashed) {
    StoreIndexEntry made;
    made.form = form;
    made.fileId = fileId;
    made.sourceSize = hashed->Bytes();
    made.sourceLastWrite = info.times.lastWrite;
    // A hash the library could not make is no entry: the stored copy then reads as unknown.
    if (hashed->Finish(&made.sha256)) entry = std::move(made);
  }
  hashed.reset();
  in.reset();
  // The file switched forms (compression or encryption on or off): its
  // other forms go once the new one is in place.
  std::vector<std::u16string> others;
  for (const StoredForm other : kAllStoredForms) {
    if (other == form) continue;
    const std::u16string path = std::u16string(destination) + SuffixOf(other);
    // One gone already but still in the index is recorded as gone with the others.
    if ((pass.Exists(path) || pass.IndexHas(path)) && !OtherFormBelongsToAnotherSource(job, source, other))
      others.push_back(path);
  }
  return FinishPartialCopy(job, pass, status, info, std::move(out), source, target, partial, std::move(others),
                           std::move(entry))
             ? 1
             : 0;
}

int RestoreOneFile(BackupJob& job, CopyPassState& pass, std::u16string_view stored,
                   std::u16string_view destination, std::unique_ptr<File> in, const FindEntry& info,
                   StoredForm form, const StoreIndexEntry* entry, bool changedOutside,
                   const StoreIndexEntry* alternative, const StoreIndex* index) {
  job.SetCurrentFile(std::u16string(stored));
  job.currentDone = 0;
  std::unique_ptr<File> out;
  std::u16string partial;
  if (const uint32_t error = pass.CreatePartial(destination, &partial, &out); error != 0) {
    job.AddFailure(destination, error);
    return 0;
  }
  // What is written is hashed, to hold it against the index entry.
  std::unique_ptr<HashingFile> hashed;
  if (entry != nullptr && index != nullptr)
    hashed = std::make_unique<HashingFile>(std::move(out), HashingFile::Side::kWrite);
  File& writer = hashed ? *hashed : *out;
  JobContainerControl control(job);
  const StoreKey* key = job.storeKey ? &*job.storeKey : nullptr;
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
    const bool matches = changedOutside ? !HasContainer(form) || hashed->Bytes() == entry->sourceSize
                                        : same(entry) || same(alternative);
    out = hashed->Release();
    hashed.reset();
    // A complete copy that is not what was stored: the destination keeps what it had.
    if (status.result == ContainerResult::kOk && job.stop == 0 && !matches)
      status = {ContainerResult::kDamaged, kErrorInvalidData};
  }
  if (changedOutside && status.result == ContainerResult::kDamaged) {
    out.reset();
    RemoveFileAnyway(job.fs, partial);
    job.AddFailure(stored, job.notes.changedRefused);
    return 0;
  }
  const std::u16string target(destination);
  if (!FinishPartialCopy(job, pass, status, info, std::move(out), stored, target, partial, {})) return 0;
  if (changedOutside) {
    job.AddNote(stored, job.notes.changedRestored);
    ++job.changedCount;
  }
  return 1;
}

bool IsUnchanged(BackupJob& job, const FindEntry& source, std::u16string_view sourcePath,
                 std::u16string_view storedPlain, const StoreIndex* index) {
  const bool compress = job.compress != 0;
  const bool encrypt = job.encrypt != 0;
  const StoredForm form = FormFor(compress, encrypt);
  const std::u16string stored = std::u16string(storedPlain) + SuffixOf(form);
  FindEntry copy;
  if (job.fs.Find(stored, &copy) != 0 || copy.IsFolder()) return false;
  if (index != nullptr) {
    // A copy the index does not describe (never recorded, changed outside,
    // found damaged by a verify) is stored anew, and so is a file whose
    // other form is still in the store: its copy goes with the new one.
    if (index->StateOf(stored, copy) != IndexState::kCurrent || index->MarkedDamaged(stored)) return false;
    for (const StoredForm other : kAllStoredForms)
      if (other != form && index->HasEntry(std::u16string(storedPlain) + SuffixOf(other)) &&
          !OtherFormBelongsToAnotherSource(job, sourcePath, other))
        return false;
  }
  if (!SameLastWrite(job, source, sourcePath, copy, stored)) return false;
  if (source.attributes != (copy.attributes & ~kAttributeCompressed)) return false;
  if (encrypt) {
    // The header says what it was made from, without a byte of the body
    // decrypted; one that does not authenticate (damaged, another key) is a
    // copy to make again.
    if (!job.storeKey) return false;
    std::unique_ptr<File> file;
    EncryptedFileInfo header;
    if (job.fs.Open(stored, OpenMode::kReadExisting, &file) != 0 ||
        ReadEncryptedInfo(*file, job.storeKey->bytes, &header) != 0)
      return false;
    return header == EncryptedFileInfo{source.size, source.times.lastWrite, compress};
  }
  if (StoredRawSize(job, stored, copy, compress) != source.size) return false;
  if (job.VolumeOf(stored).supportsFileCompression && ((copy.attributes & kAttributeCompressed) != 0) != compress)
    return false;
  return true;
}

bool IsUnchangedOnRestore(BackupJob& job, const FindEntry& stored, std::u16string_view storedPath,
                          const StoreIndex* index) {
  std::u16string destination = MapToSource(storedPath);
  if (destination.empty()) return false;
  StoredForm form = StoredForm::kPlain;
  uint64_t sourceSize = 0;
  const StoreIndexEntry* entry = nullptr;
  if (index != nullptr && index->StateOf(storedPath, stored, &entry) == IndexState::kCurrent) {
    // The entry knows the form and the size, whatever the first bytes look like.
    form = entry->form;
    sourceSize = entry->sourceSize;
  } else {
    std::unique_ptr<File> file;
    if (job.fs.Open(storedPath, OpenMode::kReadExisting, &file) != 0 ||
        DetectStoredForm(job, storedPath, *file, stored.attributes, &form) != 0)
      return false;
    if (IsEncryptedForm(form)) {
      EncryptedFileInfo header;
      if (ReadEncryptedInfo(*file, job.storeKey->bytes, &header) != 0) return false;
      sourceSize = header.sourceSize;
    } else {
      file.reset();
      sourceSize = StoredRawSize(job, storedPath, stored, form == StoredForm::kCompressed);
    }
  }
  destination = RestoredNameOf(destination, form);
  FindEntry pc;
  if (job.fs.Find(destination, &pc) != 0 || pc.IsFolder()) return false;
  if (!SameLastWrite(job, pc, destination, stored, storedPath)) return false;
  if (pc.attributes != (stored.attributes & ~kAttributeCompressed)) return false;
  return pc.size == sourceSize;
}

}  // namespace qtr
