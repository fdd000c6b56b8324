#include "engine/DestinationFolders.h"

#include <string>
#include <utility>
#include <vector>

#include "engine/JobText.h"
#include "engine/StoreLayout.h"
#include "platform/PathText.h"

namespace qtr {

void MakeStoreDirectories(BackupJob& job, CopyPassState& pass, std::u16string_view destination,
                          std::u16string_view) {
  const size_t colon = destination.find(u':');
  if (colon == std::u16string_view::npos) return;
  const std::u16string storeRoot = StoreRootOf(job.settings.targetRoot);
  for (size_t slash = destination.find(u'\\', colon + 2); slash != std::u16string_view::npos;
       slash = destination.find(u'\\', slash + 1)) {
    const std::u16string folder(destination.substr(0, slash));
    if (!pass.FirstVisitOfFolder(folder)) continue;
    if (job.fs.CreateFolder(folder) != 0)
      continue;  // there already, or cannot be made: the file's open tells
    std::u16string counterpart;
    if (job.settings.IsBackup()) {
      if (folder.size() >= 12) counterpart = MapToSource(folder);
    } else {
      counterpart = MapToStored(storeRoot, folder);
    }
    uint32_t attributes = 0;
    if (!counterpart.empty() && job.fs.GetAttributes(counterpart, &attributes) == 0)
      job.fs.SetAttributes(folder, attributes & kSettableAttributes);
  }
}

void ApplyFolderInfo(BackupJob& job, CopyPassState& pass, std::u16string_view storeRoot) {
  std::vector<std::pair<std::u16string, const FindEntry*>> folders;
  for (const auto& [path, entry] : job.walk.folderList) {
    const std::u16string counterpart(
        WithoutTrailingBackslashes(job.settings.IsBackup() ? MapToStored(storeRoot, path) : MapToSource(path)));
    // Drive folders and the store root keep their own.
    if (counterpart.size() <= 3 || (job.settings.IsBackup() && path.size() <= 3)) continue;
    if (!pass.StoreFolderIsPlain(counterpart)) continue;
    MakeStoreDirectories(job, pass, counterpart + u"\\", path);
    folders.emplace_back(std::move(counterpart), &entry);
  }
  // Made first, then given their times: making a folder moves its parent's.
  for (const auto& [folder, entry] : folders) {
    uint32_t error = job.fs.SetAttributes(folder, entry->attributes & kSettableAttributes);
    if (error == 0) error = job.fs.SetTimes(folder, entry->times);
    if (error != 0) job.results.AddNote(folder, job.settings.notes.timesNotSet + u" " + ErrorText(error));
  }
}

}  // namespace qtr
