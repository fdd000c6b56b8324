#include "engine/VersionPutBack.h"

#include <algorithm>
#include <memory>

#include "engine/JobText.h"
#include "engine/StoreFileOperations.h"
#include "engine/StoreIndex.h"
#include "engine/StoreLayout.h"
#include "engine/StoreVersions.h"

namespace qtr {
namespace {

// "F:\QTRPMB\x" -> "x".
std::u16string BelowRoot(std::u16string_view storeRoot, std::u16string_view path) {
  return std::u16string(path.substr(storeRoot.size() + 1));
}

}  // namespace

size_t PutBackVersions(FileSystem& fs, std::u16string_view storeRoot, std::u16string_view stamp,
                       const StoreKey* key, std::vector<std::u16string>* failed) {
  const std::u16string folder = JoinPath(VersionsFolderOf(storeRoot), stamp);
  // Only a version folder of the store itself, never one through a link.
  const std::vector<std::u16string> stamps = ListVersionStamps(fs, storeRoot);
  if (std::find(stamps.begin(), stamps.end(), stamp) == stamps.end()) return 0;
  std::vector<std::u16string> files, folders;
  ListTree(fs, folder, &files, &folders);
  StoreIndex index = StoreIndex::Load(fs, storeRoot, key);
  struct Back {
    std::u16string version, current;
    std::optional<StoreIndexEntry> entry;  // at its current path
    std::optional<StoreIndexEntry> kept;   // at its version path
  };
  std::vector<Back> backs;
  std::vector<StoreIndexEntry> announced;
  for (const std::u16string& version : files) {
    Back back{version, CurrentPathOfVersion(version), std::nullopt, std::nullopt};
    if (back.current.empty()) continue;
    if (const StoreIndexEntry* kept = nullptr; index.Lookup(fs, version, &kept) == IndexState::kCurrent) {
      back.kept = *kept;
      back.kept->stored = BelowRoot(storeRoot, version);
      back.entry = *kept;
      back.entry->stored = BelowRoot(storeRoot, back.current);
      announced.push_back(*back.entry);
    }
    backs.push_back(std::move(back));
  }
  const auto fail = [&](const std::u16string& path, uint32_t error) {
    if (failed != nullptr) failed->push_back(path + u";" + ErrorText(error));
  };
  if (const uint32_t error = index.Announce(fs, announced); error != 0) {
    fail(IndexFolderOf(storeRoot), error);
    return 0;
  }
  // The versions' entries go before their files move: a power cut between
  // leaves a version no entry names, which verify calls unknown, never an
  // entry whose file is gone, which it would call missing.
  for (const Back& back : backs) index.Forget(BelowRoot(storeRoot, back.version));
  if (index.HasPending()) {
    if (const uint32_t error = index.AppendPending(fs); error != 0) {
      fail(IndexFolderOf(storeRoot), error);
      return 0;
    }
  }
  size_t putBack = 0;
  for (const Back& back : backs) {
    // The job's copy may be read-only, as its source was.
    uint32_t error = fs.Rename(back.version, back.current);
    if (error != 0 && RemoveFileAnyway(fs, back.current) == 0) error = fs.Rename(back.version, back.current);
    if (error != 0) {
      fail(back.version, error);
      // It stays a version, described again.
      if (back.kept) index.Record(*back.kept);
      continue;
    }
    ++putBack;
    // Each file's own flush: on a FAT-family volume only that carries its
    // rename, and its entry is recorded as put back only after it.
    // Unflushed, it is left to the announced entry, which describes either state.
    if (const uint32_t flushed = FlushByName(fs, back.current); flushed != 0) {
      fail(back.current, flushed);
      continue;
    }
    if (back.entry) index.Record(*back.entry);
  }
  if (index.HasPending()) {
    if (const uint32_t error = index.AppendPending(fs); error != 0) fail(IndexFolderOf(storeRoot), error);
  }
  for (const std::u16string& empty : folders) fs.RemoveFolder(empty);
  return putBack;
}

}  // namespace qtr
