#include "devices/EnclosureButton.h"

namespace qtr {

EnclosureButton& EnclosureButton::Process() {
  static EnclosureButton button;
  return button;
}

void EnclosureButton::Apply(bool enabled, bool haveDisks) {
  enabled_.store(enabled ? 1 : 0);
  if (enabled && haveDisks)
    Start();
  else if (!enabled)
    Stop();
}

void EnclosureButton::Restart(bool haveDisks) {
  if (!Enabled()) return;
  Stop();
  if (haveDisks) Start();
}

void EnclosureButton::Start() {
  Stop();
  stop_.store(0);
  scanDone_.store(0);
  const std::lock_guard lock(threadsMutex_);
  scanThread_ = std::thread([this] { Scan(); });
}

void EnclosureButton::Stop() {
  {
    const std::lock_guard lock(wakeMutex_);
    stop_.store(1);
  }
  wake_.notify_all();
  std::thread scan;
  {
    const std::lock_guard lock(threadsMutex_);
    scan = std::move(scanThread_);
  }
  // The scan thread adds polling threads, so it is joined before they are.
  if (scan.joinable()) scan.join();
  std::vector<std::thread> polls;
  {
    const std::lock_guard lock(threadsMutex_);
    polls.swap(pollThreads_);
  }
  for (std::thread& t : polls)
    if (t.joinable()) t.join();
  library_.ZelkUtilityLibUnload();
}

void EnclosureButton::Scan() {
  library_.ZelkUtilityLibLoad();
  ButtonPortTable table;
  if (library_.ZelkUSBLib_vScanUSBPort(table) != 0 || table.count < 1) {
    library_.ZelkUtilityLibUnload();
    scanDone_.store(1);
    return;
  }
  {
    const std::lock_guard lock(threadsMutex_);
    for (uint32_t i = 0; i < table.count && i < kMaxButtonPorts && stop_.load() == 0; ++i) {
      activePorts_.fetch_add(1);
      pollThreads_.emplace_back([this, port = table.ports[i]] { Poll(port); });
    }
  }
  scanDone_.store(1);
}

void EnclosureButton::Poll(ButtonPortRecord port) {
  // Keeps a held button from raising the flag again before it is released.
  bool latched = false;
  do {
    const int status = library_.ZelkUSBLib_bGetXVQStatus(port);
    if (status == kPortGone) break;
    if (status == kButtonDown && !latched) {
      pressed_.store(1);
      latched = true;
    } else if (status == kButtonUp) {
      pressed_.store(0);
      latched = false;
    }
  } while (SleepPeriod());
  activePorts_.fetch_sub(1);
}

bool EnclosureButton::SleepPeriod() {
  std::unique_lock lock(wakeMutex_);
  return !wake_.wait_for(lock, kPollPeriod, [this] { return stop_.load() != 0; });
}

}  // namespace qtr
