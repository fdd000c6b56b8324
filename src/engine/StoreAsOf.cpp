#include "engine/StoreAsOf.h"

#include <algorithm>
#include <map>
#include <memory>

#include "engine/ChangedOnly.h"
#include "engine/SourceWalk.h"
#include "engine/StoreFolderCheck.h"
#include "engine/StoreLayout.h"
#include "engine/StoreVersions.h"
#include "engine/StoredForms.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

// The path without the suffixes of the stored forms: "a.txt.zip.qtrx" -> "a.txt".
std::u16string_view Formless(std::u16string_view stored) {
  if (EndsWithNoCase(stored, kEncryptedSuffix)) stored.remove_suffix(kEncryptedSuffix.size());
  if (EndsWithNoCase(stored, kCompressedSuffix)) stored.remove_suffix(kCompressedSuffix.size());
  return stored;
}

bool RestoresIntoStore(BackupJob& job, std::u16string_view stored, const std::u16string& storeRoot) {
  const std::u16string destination = MapToSource(stored);
  return !destination.empty() && IsInsideStore(job.fs, destination, storeRoot);
}

struct Version {
  std::u16string path;
  FindEntry listed;
  bool met = false;  // a copy of its file was on the walk's list
};

class AsOfPass {
 public:
  AsOfPass(BackupJob& job, const std::u16string& storeRoot, const StoreIndex& index)
      : job_(job), root_(storeRoot), index_(index), links_(job, storeRoot) {}

  // The versions in the folder of stamp that the selected stored path covers.
  void Collect(const std::u16string& stamp, std::u16string_view selected);
  // The walk's list with each file's chosen version in place of its current copy.
  void Apply();

 private:
  void Walk(const std::u16string& folder);
  // A file met in an earlier folder keeps the version found there.
  void Take(std::u16string path, const FindEntry& listed);
  // One key for every stored form of a file, case-folded: the current stored
  // path its copy at stored (as listed) restores from, without its form's
  // suffix. The index tells the form ("a.zip" may be a plain file of that
  // name); without an entry the name does.
  std::u16string KeyOf(std::u16string_view stored, const FindEntry& listed) const;
  bool UpToDate(const Version& version);
  bool CurrentCopyUpToDate(const Version& version);

  BackupJob& job_;
  const std::u16string& root_;
  const StoreIndex& index_;
  StoreFolderCheck links_;
  std::map<std::u16string, Version> chosen_;  // by KeyOf
};

void AsOfPass::Collect(const std::u16string& stamp, std::u16string_view selected) {
  const std::u16string stampFolder = JoinPath(VersionsFolderOf(root_), stamp);
  if (!links_.Plain(stampFolder)) return;
  std::unique_ptr<FolderListing> listing;
  FindEntry entry;
  if (Lowercase(selected) == Lowercase(root_)) {
    if (job_.fs.List(stampFolder, &listing) != 0) return;
    while (listing->Next(&entry))
      if (entry.IsFolder() && !entry.IsLink() && entry.name.size() == 1) Walk(JoinPath(stampFolder, entry.name));
    return;
  }
  const std::u16string version = VersionPathOf(selected, stamp);
  if (version.empty() || RestoresIntoStore(job_, version, root_)) return;
  const std::u16string parent = ParentOf(version);
  if (!links_.Plain(parent) || job_.fs.List(parent, &listing) != 0) return;
  // What the selection is now tells a folder from a file; one gone from the store may have been either.
  FindEntry self;
  const bool known = job_.fs.Find(selected, &self) == 0;
  const std::u16string name = Lowercase(NameOf(version));
  const std::u16string key = known ? KeyOf(selected, self) : Lowercase(Formless(selected));
  while (listing->Next(&entry)) {
    std::u16string child = JoinPath(parent, entry.name);
    if (entry.IsFolder()) {
      if ((known && !self.IsFolder()) || Lowercase(entry.name) != name) continue;
      if (entry.IsLink()) {
        job_.results.AddFailure(child, kErrorLinkNotFollowed);
        continue;
      }
      Walk(child);
    } else if ((!known || !self.IsFolder()) && KeyOf(child, entry) == key) {
      Take(std::move(child), entry);
    }
  }
}

void AsOfPass::Walk(const std::u16string& folder) {
  std::unique_ptr<FolderListing> listing;
  if (job_.fs.List(folder, &listing) != 0) return;
  FindEntry entry;
  while (listing->Next(&entry)) {
    if (job_.control.stop != 0) return;
    std::u16string child = JoinPath(folder, entry.name);
    if (!entry.IsFolder()) {
      Take(std::move(child), entry);
      continue;
    }
    if (entry.IsLink()) {
      job_.results.AddFailure(child, kErrorLinkNotFollowed);
      continue;
    }
    // A store that a backed-up folder held stays out, as it does on the walk of the current copies.
    if (Lowercase(entry.name) == Lowercase(kStoreFolder) && RestoresIntoStore(job_, child, root_)) continue;
    Walk(child);
  }
}

std::u16string AsOfPass::KeyOf(std::u16string_view stored, const FindEntry& listed) const {
  const StoreIndexEntry* entry = nullptr;
  StoredForm form = StoredForm::kPlain;
  if (index_.StateOf(stored, listed, &entry) == IndexState::kCurrent) {
    form = entry->form;
  } else {
    const bool encrypted = EndsWithNoCase(stored, kEncryptedSuffix);
    const std::u16string_view inner = stored.substr(0, stored.size() - (encrypted ? kEncryptedSuffix.size() : 0));
    form = FormFor(EndsWithNoCase(inner, kCompressedSuffix), encrypted);
  }
  const std::u16string current = LiesInVersionFolder(stored) ? CurrentPathOfVersion(stored) : std::u16string(stored);
  return Lowercase(RestoredNameOf(current, form));
}

void AsOfPass::Take(std::u16string path, const FindEntry& listed) {
  if (CurrentPathOfVersion(path).empty()) return;
  std::u16string key = KeyOf(path, listed);
  chosen_.try_emplace(std::move(key), Version{std::move(path), listed});
}

bool AsOfPass::UpToDate(const Version& version) {
  if (job_.settings.changedOnly == 0 || !IsUnchangedOnRestore(job_, version.listed, version.path, &index_))
    return false;
  ++job_.counters.upToDateCount;
  return true;
}

// Whether the walk left the file's current copy out as up to date (and counted it so).
bool AsOfPass::CurrentCopyUpToDate(const Version& version) {
  if (job_.settings.changedOnly == 0) return false;
  const std::u16string current = CurrentPathOfVersion(version.path);
  const std::u16string key = KeyOf(version.path, version.listed);
  // The base the key was made from, as the volume spells it, with each form's suffix.
  const std::u16string base = current.substr(0, key.size());
  for (const StoredForm form : kAllStoredForms) {
    const std::u16string path = base + SuffixOf(form);
    FindEntry listed;
    if (job_.fs.Find(path, &listed) == 0 && !listed.IsFolder() && KeyOf(path, listed) == key)
      return IsUnchangedOnRestore(job_, listed, path, &index_);
  }
  return false;
}

void AsOfPass::Apply() {
  std::vector<std::u16string>& list = job_.walk.fileList;
  auto& counters = job_.counters;
  const auto less = [&counters](uint64_t bytes) { counters.totalBytes -= std::min(bytes, counters.totalBytes.load()); };
  std::vector<std::u16string> kept;
  kept.reserve(list.size());
  for (std::u16string& stored : list) {
    FindEntry current;
    const bool listed = !LiesInVersionFolder(stored) && job_.fs.Find(stored, &current) == 0;
    const auto found = listed ? chosen_.find(KeyOf(stored, current)) : chosen_.end();
    if (found == chosen_.end()) {
      kept.push_back(std::move(stored));
      continue;
    }
    less(current.size);
    Version& version = found->second;
    // A second current form of the same file goes too, with the line the
    // copy pass gives such a pair: the version stands for both.
    const bool second = version.met;
    version.met = true;
    if (second) job_.results.AddFailure(stored, job_.settings.notes.secondForm + u" " + version.path);
    if (second || UpToDate(version)) {
      if (counters.scannedCount != 0) --counters.scannedCount;
      continue;
    }
    counters.totalBytes += version.listed.size;
    kept.push_back(version.path);
  }
  for (const auto& [key, version] : chosen_) {
    if (version.met || job_.control.stop != 0) continue;
    if (CurrentCopyUpToDate(version) && counters.upToDateCount != 0) --counters.upToDateCount;
    if (UpToDate(version)) continue;
    counters.totalBytes += version.listed.size;
    ++counters.scannedCount;
    kept.push_back(version.path);
  }
  list = std::move(kept);
}

}  // namespace

bool TakeStoreAsOf(BackupJob& job, const std::u16string& storeRoot, const std::vector<std::u16string>& selected,
                   const StoreIndex& index) {
  if (job.settings.asOfStamp.empty()) return true;
  const auto asOf = ParseVersionStamp(job.settings.asOfStamp);
  if (!asOf) {
    job.results.AddFailure(JoinPath(VersionsFolderOf(storeRoot), job.settings.asOfStamp), kErrorInvalidParameter);
    job.walk.fileList.clear();
    job.counters.totalBytes = 0;
    job.counters.scannedCount = 0;
    return false;
  }
  std::vector<std::u16string> stamps = ListVersionStamps(job.fs, storeRoot);
  std::erase_if(stamps, [&](const std::u16string& stamp) { return *ParseVersionStamp(stamp) < *asOf; });
  std::reverse(stamps.begin(), stamps.end());  // oldest first: the earliest folder's version wins
  AsOfPass pass(job, storeRoot, index);
  for (const std::u16string& stamp : stamps) {
    for (const std::u16string& path : selected) {
      const std::u16string_view stored = WithoutTrailingBackslashes(path);
      if (!LiesInVersionFolder(stored)) pass.Collect(stamp, stored);
      if (job.control.stop != 0) return true;
    }
  }
  pass.Apply();
  return true;
}

}  // namespace qtr
