#include "ui/DiskCopyChecks.h"

namespace qtr {

ModeDecision DecideStartMode(bool computerPartlyChecked, int sourceSelected, int targetSelected) {
  using namespace disk_copy_text;
  if (computerPartlyChecked) return {};
  if (sourceSelected == -1 && targetSelected == -1) return {};
  if (sourceSelected == -1) return {StartMode::Stop, kChoseSourceDisk};
  if (targetSelected == -1) return {StartMode::Stop, kChoseDestDisk};
  if (sourceSelected == targetSelected) return {StartMode::Stop, kSourcediskAndDestDiskIsSame};
  return {StartMode::DiskCopy, std::nullopt};
}

CopyStartCheck CheckDiskCopyStart(DeviceList& list, uint32_t sourceNumber, uint32_t targetNumber) {
  using namespace disk_copy_text;
  CopyStartCheck check;
  // The same disk on both sides would copy a disk onto itself.
  if (sourceNumber == targetNumber) {
    check.message = kSourcediskAndDestDiskIsSame;
    return check;
  }
  const int source = list.FindByDeviceNumber(sourceNumber);
  const int target = list.FindByDeviceNumber(targetNumber);
  if (source < 0 || target < 0) return check;
  const uint64_t sourceCapacity = list[source].GetCapacity();
  const uint64_t targetCapacity = list[target].GetCapacity();
  // A disk that does not tell its size cannot be shown to be large enough.
  if (targetCapacity < sourceCapacity || sourceCapacity == 0 || targetCapacity == 0) {
    check.message = kSourceDiskIsGreater;
    return check;
  }
  if (!list[target].GetPartitions().empty()) {
    check.message = kDeleteAllPartitions;
    return check;
  }
  check.start = true;
  check.sourceIndex = source;
  check.targetIndex = target;
  return check;
}

}  // namespace qtr
