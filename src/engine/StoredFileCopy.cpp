#include "engine/StoredFileCopy.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "engine/Container.h"
#include "engine/HashingFile.h"
#include "config/SettingsFile.h"
#include "config/XmlFileLoad.h"
#include "engine/StoreLayout.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

constexpr size_t kPiece = 65536;

// Lets the container coder pause, stop and count like the plain copy.
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

// Copies source to destination in 64 KiB pieces, pausing and checking the
// stop flag before each write.
ContainerStatus CopyPlain(BackupJob& job, File& source, File& destination) {
  std::vector<uint8_t> buffer(kPiece);
  for (;;) {
    size_t got = 0;
    if (const uint32_t error = source.Read(buffer.data(), buffer.size(), &got); error != 0)
      return {ContainerResult::kReadFailed, error};
    if (got == 0) return {};
    if (!job.WaitUnlessStopped()) return {ContainerResult::kStopped, 0};
    if (const uint32_t error = destination.Write(buffer.data(), got); error != 0)
      return {ContainerResult::kWriteFailed, error};
    job.currentDone += got;
    job.doneBytes += got;
  }
}

// The other form of a source's stored copy (the plain one when compressing,
// the compressed one when not) is also the stored name of one other source
// file of the same folder: "a.zip" is both "a" compressed and "a.zip"
// plain. True when that file exists, whose copy must stay.
bool OtherFormBelongsToAnotherSource(BackupJob& job, std::u16string_view source) {
  std::u16string other;
  if (job.compress != 0) {
    if (!EndsWithNoCase(source, kCompressedSuffix)) return false;
    other = std::u16string(source.substr(0, source.size() - kCompressedSuffix.size()));
  } else {
    other = std::u16string(source) + std::u16string(kCompressedSuffix);
  }
  FindEntry entry;
  return job.fs.Find(other, &entry) == 0 && !entry.IsFolder();
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
      std::fputs("Decompress error\n", stdout);
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

bool PrepareRestoreDestination(BackupJob& job, std::u16string* destination, std::u16string_view stored) {
  uint32_t attributes = 0;
  job.fs.GetAttributes(stored, &attributes);
  if (EndsWithNoCase(*destination, kCompressedSuffix)) {
    uint32_t error = 0;
    const bool compressed = IsStoredCompressed(job, stored, attributes, &error);
    if (error != 0) {
      job.AddFailure(stored, error);
      return false;
    }
    if (compressed) destination->resize(destination->size() - kCompressedSuffix.size());
  }
  return true;
}

bool PrepareRestoreDestination(BackupJob& job, std::u16string* destination, std::u16string_view stored,
                               const StoreIndexEntry* entry) {
  if (entry == nullptr) return PrepareRestoreDestination(job, destination, stored);
  if (entry->form == StoredForm::kCompressed && EndsWithNoCase(*destination, kCompressedSuffix))
    destination->resize(destination->size() - kCompressedSuffix.size());
  return true;
}

bool IsStoredCompressed(BackupJob& job, std::u16string_view stored, uint32_t attributes, uint32_t* error) {
  *error = 0;
  if (!EndsWithNoCase(stored, kCompressedSuffix)) return false;
  if ((attributes & kAttributeCompressed) == 0 && job.VolumeOf(stored).supportsFileCompression) return false;
  std::unique_ptr<File> file;
  if (const uint32_t e = job.fs.Open(stored, OpenMode::kReadExisting, &file); e != 0) {
    *error = e;
    return false;
  }
  uint8_t marker[4] = {};
  size_t got = 0, total = 0;
  while (total < 4) {
    if (const uint32_t e = file->Read(marker + total, 4 - total, &got); e != 0) {
      *error = e;
      return false;
    }
    if (got == 0) break;
    total += got;
  }
  return total == 4 && std::memcmp(marker, kContainerMarker, 4) == 0;
}

uint32_t ApplyStoredAttributes(BackupJob& job, const FindEntry& copiedFrom, File& written,
                               std::u16string_view writtenPath) {
  if (job.restore == 0 && job.VolumeOf(writtenPath).supportsFileCompression)
    written.SetCompression(job.compress != 0);  // best effort, as a volume may refuse
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
    MakeStoreDirectories(job, pass, counterpart + u"\\", path);
    folders.emplace_back(std::move(counterpart), &entry);
  }
  // Made first, then given their times: making a folder moves its parent's.
  for (const auto& [folder, entry] : folders) {
    uint32_t error = job.fs.SetAttributes(folder, entry->attributes & kSettableAttributes);
    if (error == 0) error = job.fs.SetTimes(folder, entry->times);
    if (error != 0) job.AddFailure(folder, error);
  }
}

bool OpenSource(BackupJob& job, std::u16string_view path, std::unique_ptr<File>* file, FindEntry* info) {
  uint32_t error = job.fs.Open(path, OpenMode::kReadExisting, file);
  if (error == 0) error = (*file)->GetInfo(info);
  if (error != 0) {
    file->reset();
    job.AddFailure(path, error);
    return false;
  }
  job.currentSize = info->size;
  return true;
}

namespace {

// After the copy into the partial file: a failure or a stop removes it;
// otherwise it takes everything of the source (attributes, times) and waits
// in the pass's batch, which flushes it before it replaces the destination
// (the rename keeps it all). True when the copy is complete.
bool FinishPartialCopy(BackupJob& job, CopyPassState& pass, const ContainerStatus& status, const FindEntry& info,
                       std::unique_ptr<File> out, std::u16string_view source, const std::u16string& destination,
                       const std::u16string& partial, const std::u16string& otherForm,
                       std::optional<StoreIndexEntry> entry = std::nullopt) {
  if (status.result != ContainerResult::kOk && status.result != ContainerResult::kStopped) {
    out.reset();
    FailCopy(job, status, source, destination, partial);
    return false;
  }
  if (job.stop != 0 || status.result == ContainerResult::kStopped) {
    ++job.finishedCount;
    out.reset();
    RemoveFileAnyway(job.fs, partial);
    return false;
  }
  // Times or attributes refused: the copy is good, the line says what it lacks.
  if (const uint32_t error = ApplyStoredAttributes(job, info, *out, partial); error != 0)
    job.AddFailure(destination, error);
  if (entry) {
    pass.Hold(std::move(out), partial, destination, otherForm, info.size, std::move(*entry));
  } else {
    pass.Hold(std::move(out), partial, destination, otherForm, info.size);
  }
  return true;
}

}  // namespace

int BackupOneFile(BackupJob& job, CopyPassState& pass, std::u16string_view source, std::u16string_view destination,
                  std::unique_ptr<File> in, const FindEntry& info) {
  job.SetCurrentFile(std::u16string(source));
  job.currentDone = 0;
  const bool compress = job.compress != 0;
  const std::u16string target = std::u16string(destination) + (compress ? std::u16string(kCompressedSuffix) : u"");
  const std::u16string other =
      compress ? std::u16string(destination) : std::u16string(destination) + std::u16string(kCompressedSuffix);

  if (!compress && info.size > job.VolumeOf(target).maxFileSize) {
    job.AddFailure(target, kErrorFileTooLarge);
    return 0;
  }
  std::unique_ptr<File> out;
  std::u16string partial;
  if (const uint32_t error = pass.CreatePartial(target, &partial, &out); error != 0) {
    job.AddFailure(target, error);
    return 0;
  }
  // The source is hashed as it is read, for the store index.
  std::unique_ptr<HashingFile> hashed;
  if (pass.Index() != nullptr) {
    hashed = std::make_unique<HashingFile>(std::move(in), HashingFile::Side::kRead);
  }
  File& reader = hashed ? *hashed : *in;
  ContainerStatus status;
  if (compress) {
    JobContainerControl control(job);
    status = WriteContainer(reader, info.size, *out, &control);
  } else {
    status = CopyPlain(job, reader, *out);
  }
  std::optional<StoreIndexEntry> entry;
  if (hashed) {
    StoreIndexEntry made;
    made.form = compress ? StoredForm::kCompressed : StoredForm::kPlain;
    made.sourceSize = hashed->Bytes();
    made.sourceLastWrite = info.times.lastWrite;
    // A hash the library could not make is no entry: the stored copy then reads as unknown.
    if (hashed->Finish(&made.sha256)) entry = std::move(made);
  }
  hashed.reset();
  in.reset();
  // The file switched between plain and compressed storage: its other form goes once the new one is in place.
  const bool dropOther = pass.Exists(other) && !OtherFormBelongsToAnotherSource(job, source);
  return FinishPartialCopy(job, pass, status, info, std::move(out), source, target, partial,
                           dropOther ? other : std::u16string(), std::move(entry))
             ? 1
             : 0;
}

int RestoreOneFile(BackupJob& job, CopyPassState& pass, std::u16string_view stored, std::u16string_view destination,
                   std::unique_ptr<File> in, const FindEntry& info, const StoreIndexEntry* entry) {
  job.SetCurrentFile(std::u16string(stored));
  job.currentDone = 0;
  // The marker is read through the open file, then reading starts over.
  uint32_t error = 0;
  bool compressed = false;
  if (entry != nullptr) {
    compressed = entry->form == StoredForm::kCompressed;
  } else if (EndsWithNoCase(stored, kCompressedSuffix) &&
      ((info.attributes & kAttributeCompressed) != 0 || !job.VolumeOf(stored).supportsFileCompression)) {
    uint8_t marker[4] = {};
    size_t got = 0;
    error = in->Read(marker, 4, &got);
    compressed = error == 0 && got == 4 && std::memcmp(marker, kContainerMarker, 4) == 0;
    if (error == 0) error = in->Seek(0);
    if (error != 0) {
      job.AddFailure(stored, error);
      return 0;
    }
  }
  std::unique_ptr<File> out;
  std::u16string partial;
  if (error = pass.CreatePartial(destination, &partial, &out); error != 0) {
    job.AddFailure(destination, error);
    return 0;
  }
  // What is written is hashed, to hold it against the index entry.
  std::unique_ptr<HashingFile> hashed;
  if (entry != nullptr) hashed = std::make_unique<HashingFile>(std::move(out), HashingFile::Side::kWrite);
  File& writer = hashed ? *hashed : *out;
  ContainerStatus status;
  if (compressed) {
    job.doneBytes += 4;
    job.currentDone = 4;
    if (error = in->Seek(4); error != 0) status = {ContainerResult::kReadFailed, error};
    JobContainerControl control(job);
    if (error == 0) status = ReadContainer(*in, info.size, writer, &control);
  } else {
    status = CopyPlain(job, *in, writer);
  }
  in.reset();
  if (hashed) {
    Sha256Digest digest{};
    const bool hashOk = hashed->Finish(&digest);
    const bool matches = hashOk && hashed->Bytes() == entry->sourceSize && digest == entry->sha256;
    out = hashed->Release();
    hashed.reset();
    // A complete copy that is not what was stored: the destination keeps what it had.
    if (status.result == ContainerResult::kOk && job.stop == 0 && !matches)
      status = {ContainerResult::kDamaged, kErrorInvalidData};
  }
  const std::u16string target(destination);
  return FinishPartialCopy(job, pass, status, info, std::move(out), stored, target, partial, {}) ? 1 : 0;
}

bool IsUnchanged(BackupJob& job, const FindEntry& source, std::u16string_view sourcePath,
                 std::u16string_view storedPlain) {
  const bool compress = job.compress != 0;
  const std::u16string stored =
      compress ? std::u16string(storedPlain) + std::u16string(kCompressedSuffix) : std::u16string(storedPlain);
  FindEntry copy;
  if (job.fs.Find(stored, &copy) != 0 || copy.IsFolder()) return false;
  if (!SameLastWrite(job, source, sourcePath, copy, stored)) return false;
  if (source.attributes != (copy.attributes & ~kAttributeCompressed)) return false;
  if (StoredRawSize(job, stored, copy, compress) != source.size) return false;
  if (job.VolumeOf(stored).supportsFileCompression && ((copy.attributes & kAttributeCompressed) != 0) != compress)
    return false;
  return true;
}

bool IsUnchangedOnRestore(BackupJob& job, const FindEntry& stored, std::u16string_view storedPath) {
  std::u16string destination = MapToSource(storedPath);
  if (destination.empty()) return false;
  uint32_t error = 0;
  const bool compressed = IsStoredCompressed(job, storedPath, stored.attributes, &error);
  if (error != 0) return false;
  if (compressed) destination.resize(destination.size() - kCompressedSuffix.size());
  FindEntry pc;
  if (job.fs.Find(destination, &pc) != 0 || pc.IsFolder()) return false;
  if (!SameLastWrite(job, pc, destination, stored, storedPath)) return false;
  if (pc.attributes != (stored.attributes & ~kAttributeCompressed)) return false;
  if (StoredRawSize(job, storedPath, stored, compressed) != pc.size) return false;
  return true;
}

void ApplyStoreRootHiding(FileSystem& fs, std::u16string_view programFolder, std::u16string_view targetDrive) {
  XmlDocument init;
  if (!LoadXmlFile(fs, std::u16string(programFolder) + u"init.xml", &init)) return;
  const auto setting = ReadSetting(init, u"HideBackupFiles");
  if (!setting) return;
  const bool hide = *setting == u"1";
  const std::u16string root = StoreRootOf(targetDrive);
  uint32_t attributes = 0;
  if (fs.GetAttributes(root, &attributes) != 0) return;
  attributes &= ~(kAttributeDirectory | kAttributeCompressed);
  fs.SetAttributes(root, hide ? (attributes | kAttributeHidden) : (attributes & ~kAttributeHidden));
}

}  // namespace qtr
