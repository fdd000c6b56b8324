#include "engine/StoredFileCopy.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/Container.h"
#include "config/SettingsFile.h"
#include "config/XmlFileLoad.h"
#include "engine/StoreLayout.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

constexpr uint32_t kErrorInvalidData = 13;
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

// Takes away whatever attributes stand in the way of replacing or deleting
// path; returns those it had (kInvalidAttributes when it does not exist).
uint32_t ClearAttributes(FileSystem& fs, std::u16string_view path) {
  uint32_t attributes = kInvalidAttributes;
  if (fs.GetAttributes(path, &attributes) != 0) return kInvalidAttributes;
  fs.SetAttributes(path, kAttributeNormal);
  return attributes;
}

void RemoveFileAnyway(FileSystem& fs, std::u16string_view path) {
  const uint32_t attributes = ClearAttributes(fs, path);
  if (attributes == kInvalidAttributes) return;
  if (fs.RemoveFile(path) != 0) fs.SetAttributes(path, attributes & ~kAttributeDirectory);
}

// Reads the destination folder once when the copy pass moves into it:
// partial copies left by a crash are removed, and the names found there
// tell later which files need deleting without asking the volume again.
void LearnDestinationFolder(BackupJob& job, std::u16string_view destination) {
  const std::u16string folder = Lowercase(ParentOf(destination));
  if (folder == job.currentFolder) return;
  job.currentFolder = folder;
  job.currentFolderNames.clear();
  std::unique_ptr<FolderListing> listing;
  if (job.fs.List(ParentOf(destination), &listing) != 0) return;
  std::vector<std::u16string> partials;
  FindEntry entry;
  while (listing->Next(&entry)) {
    if (!entry.IsFolder() && IsPartialName(entry.name)) {
      partials.push_back(JoinPath(ParentOf(destination), entry.name));
    } else {
      job.currentFolderNames.insert(Lowercase(entry.name));
    }
  }
  listing.reset();
  for (const auto& path : partials) RemoveFileAnyway(job.fs, path);
}

bool FolderHad(const BackupJob& job, std::u16string_view path) {
  return Lowercase(ParentOf(path)) != job.currentFolder || job.currentFolderNames.count(Lowercase(NameOf(path))) != 0;
}

// Puts a complete partial copy, still open, in place of destination; the
// old file is replaced in one step, so one of the two is whole at any moment.
uint32_t PutInPlace(FileSystem& fs, File& partial, std::u16string_view destination) {
  if (partial.RenameTo(destination) == 0) return 0;
  // A read-only (or otherwise protected) destination refuses to be replaced until its attributes are cleared.
  const uint32_t old = ClearAttributes(fs, destination);
  const uint32_t error = partial.RenameTo(destination);
  if (error != 0 && old != kInvalidAttributes) fs.SetAttributes(destination, old & ~kAttributeDirectory);
  return error;
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

void MakeStoreDirectories(BackupJob& job, std::u16string_view destination, std::u16string_view) {
  const size_t colon = destination.find(u':');
  if (colon == std::u16string_view::npos) return;
  const std::u16string storeRoot = StoreRootOf(job.targetRoot);
  for (size_t slash = destination.find(u'\\', colon + 2); slash != std::u16string_view::npos;
       slash = destination.find(u'\\', slash + 1)) {
    const std::u16string folder(destination.substr(0, slash));
    if (!job.knownFolders.insert(Lowercase(folder)).second) continue;
    if (job.fs.CreateFolder(folder) != 0) continue;  // there already, or cannot be made: the file's open tells
    std::u16string counterpart;
    if (job.restore == 0) {
      if (folder.size() >= 12) counterpart = MapToSource(folder);
    } else {
      counterpart = MapToStored(storeRoot, folder);
    }
    uint32_t attributes = 0;
    if (!counterpart.empty() && job.fs.GetAttributes(counterpart, &attributes) == 0)
      job.fs.SetAttributes(folder, attributes & ~(kAttributeDirectory | kAttributeCompressed));
  }
}

void PrepareDestination(BackupJob& job, std::u16string_view destination, std::u16string_view) {
  LearnDestinationFolder(job, destination);
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
  LearnDestinationFolder(job, *destination);
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

void ApplyStoredAttributes(BackupJob& job, const FindEntry& copiedFrom, File& written, std::u16string_view writtenPath) {
  if (job.restore == 0 && job.VolumeOf(writtenPath).supportsFileCompression)
    written.SetCompression(job.compress != 0);  // best effort, as a volume may refuse
  CopyFileTimes(copiedFrom, written);
}

void CopyFileTimes(const FindEntry& copiedFrom, File& written) {
  written.SetTimesAndAttributes(copiedFrom.times, copiedFrom.attributes & ~(kAttributeDirectory | kAttributeCompressed));
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
// otherwise it takes everything of the source (attributes, times) and then
// replaces the destination, so the rename keeps it all. True when the
// destination now holds the new copy.
bool FinishPartialCopy(BackupJob& job, const ContainerStatus& status, const FindEntry& info,
                       std::unique_ptr<File>& out, std::u16string_view source, std::u16string_view destination,
                       const std::u16string& partial) {
  if (status.result != ContainerResult::kOk && status.result != ContainerResult::kStopped) {
    out.reset();
    FailCopy(job, status, source, destination, partial);
    return false;
  }
  ++job.finishedCount;
  if (job.stop != 0 || status.result == ContainerResult::kStopped) {
    out.reset();
    RemoveFileAnyway(job.fs, partial);
    return false;
  }
  ApplyStoredAttributes(job, info, *out, partial);
  const uint32_t error = PutInPlace(job.fs, *out, destination);
  out.reset();
  if (error != 0) {
    job.AddFailure(destination, error);
    RemoveFileAnyway(job.fs, partial);
    return false;
  }
  return true;
}

}  // namespace

int BackupOneFile(BackupJob& job, std::u16string_view source, std::u16string_view destination,
                  std::unique_ptr<File>* opened, const FindEntry* openedInfo) {
  job.SetCurrentFile(std::u16string(source));
  job.currentDone = 0;
  const bool compress = job.compress != 0;
  const std::u16string target = std::u16string(destination) + (compress ? std::u16string(kCompressedSuffix) : u"");
  const std::u16string otherForm =
      compress ? std::u16string(destination) : std::u16string(destination) + std::u16string(kCompressedSuffix);
  const std::u16string partial = target + std::u16string(kPartialSuffix);

  std::unique_ptr<File> in, out;
  FindEntry info;
  if (opened != nullptr) {
    in = std::move(*opened);
    info = *openedInfo;
  } else if (!OpenSource(job, source, &in, &info)) {
    return 0;
  }
  if (!compress && info.size > job.VolumeOf(target).maxFileSize) {
    job.AddFailure(target, kErrorFileTooLarge);
    return 0;
  }
  if (const uint32_t error = job.fs.Open(partial, OpenMode::kWriteTruncate, &out); error != 0) {
    job.AddFailure(target, error);
    return 0;
  }
  ContainerStatus status;
  if (compress) {
    JobContainerControl control(job);
    status = WriteContainer(*in, info.size, *out, &control);
  } else {
    status = CopyPlain(job, *in, *out);
  }
  in.reset();
  if (!FinishPartialCopy(job, status, info, out, source, target, partial)) return 0;
  // The file switched between plain and compressed storage: its other form goes now.
  if (FolderHad(job, otherForm)) RemoveFileAnyway(job.fs, otherForm);
  return 1;
}

int RestoreOneFile(BackupJob& job, std::u16string_view stored, std::u16string_view destination,
                   std::unique_ptr<File>* opened, const FindEntry* openedInfo) {
  job.SetCurrentFile(std::u16string(stored));
  job.currentDone = 0;
  const std::u16string partial = std::u16string(destination) + std::u16string(kPartialSuffix);

  std::unique_ptr<File> in, out;
  FindEntry info;
  if (opened != nullptr) {
    in = std::move(*opened);
    info = *openedInfo;
  } else if (!OpenSource(job, stored, &in, &info)) {
    return 0;
  }
  // The marker is read through the open file, then reading starts over.
  uint32_t error = 0;
  bool compressed = false;
  if (EndsWithNoCase(stored, kCompressedSuffix) &&
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
  if (error = job.fs.Open(partial, OpenMode::kWriteTruncate, &out); error != 0) {
    job.AddFailure(destination, error);
    return 0;
  }
  ContainerStatus status;
  if (compressed) {
    job.doneBytes += 4;
    job.currentDone = 4;
    in->Seek(4);
    JobContainerControl control(job);
    status = ReadContainer(*in, info.size, *out, &control);
  } else {
    status = CopyPlain(job, *in, *out);
  }
  in.reset();
  if (!FinishPartialCopy(job, status, info, out, stored, destination, partial)) return 0;
  return 1;
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
