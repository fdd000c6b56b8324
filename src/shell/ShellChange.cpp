#include "shell/ShellChange.h"

namespace qtr {
namespace {

// The text up to and including the last backslash.
std::u16string ParentFolder(const std::u16string& path) {
  const size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

}  // namespace

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
      } else if (ParentFolder(first) != ParentFolder(second)) {
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

}  // namespace qtr
