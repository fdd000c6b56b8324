#include "engine/VerifyStore.h"

#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "crypto/EncryptedFile.h"
#include "crypto/Sha256.h"
#include "engine/Container.h"
#include "engine/StoreIndex.h"
#include "engine/StoreKey.h"
#include "engine/StoreLayout.h"
#include "engine/StoreVersions.h"
#include "engine/StoredForms.h"
#include "platform/NumberText.h"
#include "platform/PathText.h"

namespace qtr {
namespace {

// The write side of a decode that keeps nothing: it hashes and counts.
class HashSink : public File {
 public:
  uint32_t Read(void*, size_t, size_t* got) override {
    *got = 0;
    return 1;  // ERROR_INVALID_FUNCTION: a sink is never read
  }
  uint32_t Write(const void* buffer, size_t size) override {
    hash_.Update(buffer, size);
    bytes_ += size;
    return 0;
  }
  uint32_t Seek(uint64_t) override { return 1; }
  uint32_t Size(uint64_t* size) override {
    *size = bytes_;
    return 0;
  }
  uint32_t GetInfo(FindEntry*) override { return 1; }
  uint32_t SetTimesAndAttributes(const FileTimes&, uint32_t) override { return 1; }
  uint32_t SetCompression(bool) override { return 1; }
  uint32_t Flush() override { return 0; }
  uint32_t RenameTo(std::u16string_view) override { return 1; }

  uint64_t Bytes() const { return bytes_; }
  bool Finish(Sha256Digest* digest) {
    *digest = hash_.Finish();
    return hash_.Ok();
  }

 private:
  Sha256 hash_;
  uint64_t bytes_ = 0;
};

class ControlBridge : public ContainerControl {
 public:
  ControlBridge(VerifyControl* control, VerifyReport* report) : control_(control), report_(report) {}
  bool WaitUnlessStopped() override { return control_ == nullptr || control_->WaitUnlessStopped(); }
  void AddProgress(uint64_t bytes) override {
    report_->bytesRead += bytes;
    if (control_ != nullptr) control_->AddProgress(bytes);
  }

 private:
  VerifyControl* control_;
  VerifyReport* report_;
};

// What a link leads to is no part of the store, and may lead back into it.
std::u16string LinkLine(std::u16string_view path) {
  return std::u16string(path) + u";a link (junction or symbolic link), not followed";
}

std::u16string ErrorText(uint32_t error) {
  return u"read failed (error " + DigitsOf(error) + u")";
}

class Pass {
 public:
  Pass(FileSystem& fs, const StoreIndex& index, VerifyControl* control, VerifyReport* report,
       const StoreKey* key)
      : fs_(fs), index_(index), control_(control), report_(report), bridge_(control, report), key_(key) {}

  // False when the pass was stopped.
  bool Walk(std::u16string_view folder) {
    std::unique_ptr<FolderListing> listing;
    if (fs_.List(folder, &listing) != 0) {
      report_->damaged.push_back(std::u16string(folder) + u";folder cannot be listed");
      return true;
    }
    FindEntry entry;
    std::vector<FindEntry> entries;
    while (listing->Next(&entry)) {
      if (entry.name == u"." || entry.name == u"..") continue;
      entries.push_back(entry);
    }
    listing.reset();
    for (const FindEntry& found : entries) {
      if (!bridge_.WaitUnlessStopped()) return false;
      const std::u16string path = PathInFolder(folder, found.name);
      if (found.IsFolder() && found.IsLink()) {
        report_->damaged.push_back(LinkLine(path));
      } else if (found.IsFolder()) {
        if (!Walk(path)) return false;
      } else if (!Check(path, found)) {
        return false;
      }
    }
    return true;
  }

  std::set<std::u16string>& Seen() { return seen_; }
  // Files whose entry describes them and whose bytes do not match it.
  const std::vector<std::u16string>& FoundDamaged() const { return found_; }
  bool SawEncrypted() const { return sawEncrypted_; }

 private:
  // False when the pass was stopped.
  bool Check(const std::u16string& path, const FindEntry& listed) {
    seen_.insert(Lowercase(path));
    ++report_->filesMet;
    if (control_ != nullptr) control_->OnFile(path);
    const StoreIndexEntry* entry = nullptr;
    const IndexState state = index_.StateOf(path, listed, &entry);
    if (state == IndexState::kNone) {
      report_->unknown.push_back(path);
      return true;
    }
    // The program put an entry's file in place with that entry on the disk:
    // a file no entry describes was changed after it was written.
    if (state == IndexState::kStale) {
      report_->damaged.push_back(path + u";changed since it was backed up");
      return true;
    }
    if (IsEncryptedForm(entry->form)) sawEncrypted_ = true;
    if (IsEncryptedForm(entry->form) && key_ == nullptr) {
      report_->skipped.push_back(path);
      return true;
    }
    std::unique_ptr<File> file;
    uint32_t error = fs_.Open(path, OpenMode::kReadExisting, &file);
    if (error != 0) {
      report_->damaged.push_back(path + u";" + ErrorText(error));
      return true;
    }
    if (entry->form == StoredForm::kCompressed) {
      uint8_t marker[4];
      size_t got = 0;
      error = ReadAll(*file, marker, sizeof marker, &got);
      if (error == 0) error = file->Seek(0);
      if (error != 0) {
        report_->damaged.push_back(path + u";" + ErrorText(error));
        return true;
      }
      if (got != sizeof marker || std::memcmp(marker, kContainerMarker, sizeof marker) != 0) {
        report_->damaged.push_back(path + u";not a compressed container");
        return true;
      }
    }
    HashSink sink;
    const ContainerStatus status = DecodeStored(*file, listed.size, entry->form, key_, sink, &bridge_);
    if (status.result == ContainerResult::kStopped) return false;
    if (status.result == ContainerResult::kDamaged && status.error == 0) {
      Damaged(path, u"container does not decode");
      return true;
    }
    // Altered, cut, or under another key: the encrypted form cannot tell which.
    if (status.result == ContainerResult::kDamaged ||
        (status.result == ContainerResult::kReadFailed && status.error == kErrorNotAuthentic)) {
      Damaged(path, u"does not authenticate under the store key");
      return true;
    }
    if (!status.Ok()) {
      report_->damaged.push_back(path + u";" + ErrorText(status.error));
      return true;
    }
    Sha256Digest digest{};
    if (!sink.Finish(&digest)) {
      report_->damaged.push_back(path + u";hash could not be computed");
      return true;
    }
    if (sink.Bytes() != entry->sourceSize) {
      Damaged(path, u"size differs");
    } else if (!index_.SameContent(*entry, digest) && !AnotherEntryHolds(path, listed, *entry, digest)) {
      Damaged(path, u"content differs");
    } else {
      ++report_->filesChecked;
    }
    return true;
  }

  // A source changed without a new time or size leaves two entries that
  // describe its copy: the bytes may be the other's.
  bool AnotherEntryHolds(const std::u16string& path, const FindEntry& listed, const StoreIndexEntry& entry,
                         const Sha256Digest& digest) const {
    for (const StoreIndexEntry* other : index_.DescribingEntries(path, listed))
      if (other != &entry && other->form == entry.form && index_.SameContent(*other, digest)) return true;
    return false;
  }

  // Damage behind an entry that still describes the file: only reading
  // tells it, so it is also remembered for the next backup.
  void Damaged(const std::u16string& path, std::u16string_view reason) {
    report_->damaged.push_back(path + u";" + std::u16string(reason));
    found_.push_back(path);
  }

  static uint32_t ReadAll(File& file, uint8_t* buffer, size_t size, size_t* got) {
    *got = 0;
    while (*got < size) {
      size_t part = 0;
      const uint32_t error = file.Read(buffer + *got, size - *got, &part);
      if (error != 0) return error;
      if (part == 0) break;
      *got += part;
    }
    return 0;
  }

  FileSystem& fs_;
  const StoreIndex& index_;
  VerifyControl* control_;
  VerifyReport* report_;
  ControlBridge bridge_;
  const StoreKey* key_;
  std::set<std::u16string> seen_;
  std::vector<std::u16string> found_;
  bool sawEncrypted_ = false;
};

bool IsDriveFolder(const FindEntry& entry) {
  if (!entry.IsFolder() || entry.name.size() != 1) return false;
  const char16_t c = entry.name[0];
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

}  // namespace

VerifyReport VerifyStore(FileSystem& fs, std::u16string_view storeRoot, VerifyControl* control,
                         const StoreKey* key) {
  VerifyReport report;
  StoreIndex index = StoreIndex::Load(fs, storeRoot, key);
  if (index.Damaged()) report.indexDamage = index.Damage();
  Pass pass(fs, index, control, &report, key);

  std::unique_ptr<FolderListing> listing;
  std::vector<FindEntry> drives;
  if (fs.List(storeRoot, &listing) == 0) {
    FindEntry entry;
    while (listing->Next(&entry)) {
      if (IsDriveFolder(entry)) drives.push_back(entry);
    }
  }
  listing.reset();
  for (const FindEntry& drive : drives) {
    if (drive.IsLink()) {
      report.damaged.push_back(LinkLine(PathInFolder(storeRoot, drive.name)));
      continue;
    }
    if (!pass.Walk(PathInFolder(storeRoot, drive.name))) {
      report.stopped = true;
      return report;
    }
  }
  // The previous versions are stored files too, each with its entry.
  for (const std::u16string& folder : VersionDriveFolders(fs, storeRoot)) {
    if (!pass.Walk(folder)) {
      report.stopped = true;
      return report;
    }
  }
  // Current entries whose stored file the walk never met. A stale entry
  // whose file is gone is missing too: the index says the file was stored.
  index.ForEach([&](const StoreIndexEntry& entry) {
    const std::u16string path = PathInFolder(storeRoot, entry.stored);
    if (pass.Seen().count(Lowercase(path)) == 0) report.missing.push_back(path);
    if (IsEncryptedForm(entry.form)) report.keyCheckMissing = true;
  });
  // Encrypted copies with no key check beside them: the password that made them cannot be checked.
  report.keyCheckMissing = (report.keyCheckMissing || pass.SawEncrypted() || !report.skipped.empty()) &&
                           !StoreHasKeyCheck(fs, storeRoot);
  if (!pass.FoundDamaged().empty()) {
    for (const std::u16string& path : pass.FoundDamaged()) index.MarkDamaged(path);
    // A store that cannot be written keeps its damage unmarked: the report says it all the same.
    index.AppendPending(fs);
  }
  return report;
}

int VerifyExitCode(const VerifyReport& report) {
  if (report.Damaged()) return 1;
  return report.Unverifiable() ? 3 : 0;
}

std::u16string VerifySummary(const VerifyReport& report) {
  std::u16string text = report.stopped ? u"Verify stopped after " : u"Verified ";
  text += DigitsOf(report.filesMet) + u" files: ";
  text += DigitsOf(report.filesChecked) + u" sound, ";
  text += DigitsOf(report.damaged.size()) + u" damaged, ";
  text += DigitsOf(report.unknown.size()) + u" unknown";
  if (!report.skipped.empty()) text += u", " + DigitsOf(report.skipped.size()) + u" encrypted not checked";
  text += u"; " + DigitsOf(report.missing.size()) + u" missing.";
  if (report.keyCheckMissing) text += u" The key check file is missing.";
  text += report.Sound()      ? u" No damage found."
          : report.Damaged()  ? u" The store is damaged."
                              : u" The store could not be fully verified.";
  return text;
}

}  // namespace qtr
