#include "tools/VersionsCommand.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/StoreIndex.h"
#include "engine/StoreLayout.h"
#include "engine/StoreVersions.h"
#include "engine/StoredForms.h"
#include "platform/Utf8.h"

namespace qtr {
namespace {

struct ListedVersion {
  std::u16string source;  // "C:\Users\ann\a.txt"
  uint64_t size = 0;
};

// "C:\Users\ann" -> "C\Users\ann"; empty for anything that is no path on a drive.
std::u16string BelowRootOfSource(std::u16string_view source) {
  if (source.size() < 2 || source[1] != u':' || (source.size() > 2 && source[2] != u'\\')) return {};
  const char16_t drive = static_cast<char16_t>(source[0] | 0x20);
  if (drive < u'a' || drive > u'z') return {};
  return std::u16string(1, source[0]) + std::u16string(source.substr(2));
}

// The filter as the path below the store root the current copies have:
// "C\Users\ann" for "C:\Users\ann", "F:\QTRPMB\C\Users\ann" or a version of it.
std::u16string FilterOf(std::u16string_view below) {
  below = WithoutTrailingBackslashes(below);
  std::u16string stored(below);
  if (LiesInVersionFolder(stored)) stored = CurrentPathOfVersion(stored);
  const std::u16string source = MapToSource(stored);
  if (!source.empty()) return Lowercase(BelowRootOfSource(source));
  // The store's own folders (a stamp folder, "~index") are no path a file was backed up from.
  const size_t rootSize = 3 + kStoreFolder.size();
  if (below.size() >= rootSize && IsStoreRoot(below.substr(0, rootSize))) return {};
  return Lowercase(BelowRootOfSource(below));
}

// The path without the suffixes of the stored forms: "a.txt.zip.qtrx" -> "a.txt".
std::u16string_view Formless(std::u16string_view stored) {
  if (EndsWithNoCase(stored, kEncryptedSuffix)) stored.remove_suffix(kEncryptedSuffix.size());
  if (EndsWithNoCase(stored, kCompressedSuffix)) stored.remove_suffix(kCompressedSuffix.size());
  return stored;
}

bool Covers(std::u16string_view filter, std::u16string_view belowRoot) {
  return filter.empty() || belowRoot == filter ||
         (belowRoot.size() > filter.size() && belowRoot.starts_with(filter) && belowRoot[filter.size()] == u'\\');
}

// The form a version's name or the index gives, for the name it was backed up under.
StoredForm FormOf(const StoreIndex& index, std::u16string_view path, const FindEntry& listed) {
  const StoreIndexEntry* entry = nullptr;
  if (index.StateOf(path, listed, &entry) == IndexState::kCurrent) return entry->form;
  const bool encrypted = EndsWithNoCase(path, kEncryptedSuffix);
  const std::u16string_view inner = path.substr(0, path.size() - (encrypted ? kEncryptedSuffix.size() : 0));
  return FormFor(EndsWithNoCase(inner, kCompressedSuffix), encrypted);
}

class VersionLister {
 public:
  // filter: what FilterOf gives; a stored file's name also names the file in its other forms.
  VersionLister(FileSystem& fs, const StoreIndex& index, std::u16string filter)
      : fs_(fs), index_(index), filter_(std::move(filter)), formless_(Formless(filter_)) {}

  std::vector<ListedVersion> List(const std::u16string& stampFolder) {
    found_.clear();
    std::unique_ptr<FolderListing> listing;
    if (fs_.List(stampFolder, &listing) != 0) return {};
    FindEntry entry;
    while (listing->Next(&entry))
      if (entry.IsFolder() && !entry.IsLink() && entry.name.size() == 1) Walk(JoinPath(stampFolder, entry.name));
    std::sort(found_.begin(), found_.end(), [](const ListedVersion& a, const ListedVersion& b) {
      return Lowercase(a.source) < Lowercase(b.source);
    });
    return std::move(found_);
  }

 private:
  void Walk(const std::u16string& folder) {
    std::unique_ptr<FolderListing> listing;
    if (fs_.List(folder, &listing) != 0) return;
    FindEntry entry;
    while (listing->Next(&entry)) {
      const std::u16string child = JoinPath(folder, entry.name);
      if (entry.IsFolder()) {
        if (!entry.IsLink()) Walk(child);
        continue;
      }
      const std::u16string source = RestoredNameOf(MapToSource(child), FormOf(index_, child, entry));
      if (source.empty()) continue;
      const std::u16string belowRoot = Lowercase(BelowRootOfSource(source));
      const std::u16string stored = Lowercase(BelowRootOfSource(MapToSource(child)));
      if (Covers(filter_, belowRoot) || Covers(filter_, stored) || belowRoot == formless_)
        found_.push_back({source, entry.size});
    }
  }

  FileSystem& fs_;
  const StoreIndex& index_;
  const std::u16string filter_;
  const std::u16string formless_;
  std::vector<ListedVersion> found_;
};

std::string SizeColumn(uint64_t size) {
  std::string text = std::to_string(size);
  return std::string(text.size() < 12 ? 12 - text.size() : 0, ' ') + text;
}

// "1 backup", "3 backups".
std::string Counted(size_t count, const std::string& what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

int VersionsCommand(FileSystem& fs, const std::u16string& target, const std::u16string& below, std::string* out) {
  out->clear();
  const std::u16string root = StoreRootOf(target);
  FindEntry store;
  if (fs.Find(root, &store) != 0 || !store.IsFolder()) {
    *out = "no store on " + Utf16ToUtf8(target) + " (" + Utf16ToUtf8(root) + " is not a folder)\n";
    return 2;
  }
  std::u16string filter;
  if (!below.empty() && (filter = FilterOf(below)).empty()) {
    *out = Utf16ToUtf8(below) + " is neither a source path such as C:\\Users\\ann nor a stored path such as " +
           Utf16ToUtf8(root) + "\\C\\Users\\ann\n";
    return 2;
  }
  // Read without the key: the forms and sizes are readable in an encrypted store too.
  const StoreIndex index = StoreIndex::Load(fs, root);
  VersionLister lister(fs, index, filter);
  size_t folders = 0, files = 0;
  for (const std::u16string& stamp : ListVersionStamps(fs, root)) {
    const std::vector<ListedVersion> versions = lister.List(JoinPath(VersionsFolderOf(root), stamp));
    if (versions.empty() && !filter.empty()) continue;
    ++folders;
    files += versions.size();
    *out += Utf16ToUtf8(stamp) + "\n";
    for (const ListedVersion& version : versions)
      *out += SizeColumn(version.size) + "  " + Utf16ToUtf8(version.source) + "\n";
  }
  const std::string of = below.empty() ? "" : " of " + Utf16ToUtf8(below);
  if (folders == 0) {
    *out += "no previous versions" + of + " in " + Utf16ToUtf8(VersionsFolderOf(root)) + "\n";
  } else {
    *out += Counted(files, "previous version") + of + " from " + Counted(folders, "backup") +
            "; restore --as-of STAMP restores the store as it stood when that backup started\n";
  }
  return 0;
}

}  // namespace qtr
