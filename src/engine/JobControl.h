// What the window (or qtrpack) and the worker share to steer a running job:
// the stop flag and the pause gate. The front end writes, the worker reads
// at its waits; the worker also sets stop as its own last step.
#pragma once
#include <atomic>

#include "engine/PauseGate.h"

namespace qtr {

struct JobControl {
  // Waits at the pause gate; false when the job must stop.
  bool WaitUnlessStopped() {
    pause.Wait();
    return stop == 0;
  }

  std::atomic<int> stop{0};
  PauseGate pause;
};

}  // namespace qtr
