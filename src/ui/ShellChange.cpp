#include "ui/ShellChange.h"

#include <algorithm>

#include "platform/PathText.h"

namespace qtr {

void RouteShellChange(uint32_t event, const std::u16string& first, const std::u16string& second,
                      ShellChangeSink& sink) {
  if (first.empty()) return;
  switch (event) {
    case kShellCreate:
    case kShellMakeDirectory: sink.AddPath(first); break;
    case kShellDelete:
    case kShellRemoveDirectory: sink.RemovePath(first); break;
    case kShellRenameItem:
    case kShellRenameFolder:
      if (first == second) {
        sink.DriveArrived(first);  // a drive's label changed
      } else if (FolderPartOf(first) != FolderPartOf(second)) {
        sink.RemovePath(first);  // moved elsewhere
        sink.AddPath(second);
      } else {
        sink.RenameInPlace(first, second);
      }
      break;
    case kShellMediaInserted:
    case kShellDriveAdd: sink.DriveArrived(first); break;
    case kShellMediaRemoved:
    case kShellDriveRemoved: sink.DriveRemoved(first); break;
    case kShellNetShare: sink.UpdateShare(first); break;
    case kShellUpdateDirectory: sink.RefreshFolder(first); break;
    default: return;
  }
  sink.ChangeHandled();
}

void ShellChangeSinks::Add(ShellChangeSink* sink) {
  if (sink != nullptr && std::find(sinks_.begin(), sinks_.end(), sink) == sinks_.end()) sinks_.push_back(sink);
}

void ShellChangeSinks::Remove(ShellChangeSink* sink) { std::erase(sinks_, sink); }

void ShellChangeSinks::AddPath(const std::u16string& path) {
  for (ShellChangeSink* sink : sinks_) sink->AddPath(path);
}
void ShellChangeSinks::RemovePath(const std::u16string& path) {
  for (ShellChangeSink* sink : sinks_) sink->RemovePath(path);
}
void ShellChangeSinks::RenameInPlace(const std::u16string& oldPath, const std::u16string& newPath) {
  for (ShellChangeSink* sink : sinks_) sink->RenameInPlace(oldPath, newPath);
}
void ShellChangeSinks::DriveArrived(const std::u16string& path) {
  for (ShellChangeSink* sink : sinks_) sink->DriveArrived(path);
}
void ShellChangeSinks::DriveRemoved(const std::u16string& path) {
  for (ShellChangeSink* sink : sinks_) sink->DriveRemoved(path);
}
void ShellChangeSinks::UpdateShare(const std::u16string& path) {
  for (ShellChangeSink* sink : sinks_) sink->UpdateShare(path);
}
void ShellChangeSinks::RefreshFolder(const std::u16string& path) {
  for (ShellChangeSink* sink : sinks_) sink->RefreshFolder(path);
}
void ShellChangeSinks::ChangeHandled() {
  for (ShellChangeSink* sink : sinks_) sink->ChangeHandled();
}

}  // namespace qtr
