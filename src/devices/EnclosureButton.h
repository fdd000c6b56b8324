// Polling of the enclosures' push buttons: a scan thread finds the ports and
// starts one polling thread per port, which raises the button-pressed flag
// when the button goes down. The window thread consumes the flag.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "devices/EnclosureLibrary.h"

namespace qtr {

class EnclosureButton {
 public:
  static constexpr std::chrono::milliseconds kPollPeriod{300};

  EnclosureButton() = default;
  ~EnclosureButton() { Stop(); }
  EnclosureButton(const EnclosureButton&) = delete;
  EnclosureButton& operator=(const EnclosureButton&) = delete;

  // Clears the stop flag and starts the port scan; a running poll is
  // stopped first, so a restart sees the new set of ports.
  void Start();
  // Ends every thread and unloads the library. The threads are asked to end
  // and joined, never killed: a killed thread could leave a lock held.
  void Stop();

  // Taking the flag clears it: true once per press.
  bool ConsumePressed() { return pressed_.exchange(0) != 0; }
  bool Pressed() const { return pressed_.load() != 0; }
  // Number of ports being polled (threads that have not ended on their own).
  int ActivePorts() const { return activePorts_.load(); }
  // True once the scan thread has done its work.
  bool ScanDone() const { return scanDone_.load() != 0; }

  // The USBHotKey setting read or applied: on starts polling when there is
  // a disk to poll, off stops it.
  void Apply(bool enabled, bool haveDisks);
  // After a disk came or went: while enabled, a fresh scan of the ports
  // when disks remain, none otherwise.
  void Restart(bool haveDisks);
  bool Enabled() const { return enabled_.load() != 0; }
  // Between Start() and Stop().
  bool Running() const { return stop_.load() == 0; }

  // The component of the running program.
  static EnclosureButton& Process();

 private:
  void Scan();
  void Poll(ButtonPortRecord port);
  // Waits one period; false when stopping.
  bool SleepPeriod();

  CZelkUSBLib library_;
  std::atomic<int32_t> enabled_{0};
  std::atomic<int32_t> pressed_{0};
  std::atomic<int32_t> stop_{1};
  std::atomic<int32_t> scanDone_{0};
  std::atomic<int> activePorts_{0};

  std::mutex threadsMutex_;  // guards the thread slots
  std::thread scanThread_;
  std::vector<std::thread> pollThreads_;

  std::mutex wakeMutex_;  // lets Stop() cut a polling thread's sleep short
  std::condition_variable wake_;
};

}  // namespace qtr
