// What the File Backup page asks of the page container that holds it: the
// page owns the trees, the target list and the disk notifications, the
// container owns the start sequences and the triggers.
#pragma once

namespace qtr {

class BackUpPageHost {
 public:
  // Every 200 ms: the enclosure-button consumer, then the schedule's due check.
  virtual void OnPageTick() = 0;
  // A USB disk went away: a pending confirmation prompt is closed.
  virtual void OnDiskRemoved() = 0;
  // The device list, target list or target tree changed: the launch,
  // Backup and Restore buttons follow the device-state rule.
  virtual void ApplyDeviceState() = 0;

 protected:
  ~BackUpPageHost() = default;
};

}  // namespace qtr
