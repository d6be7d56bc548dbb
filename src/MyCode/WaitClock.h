// The time the program's own waits follow (a pause the site asked for, the wait before a retry pass).
// The system's waits on the steady clock; a test gives its own, which moves on at once when asked to
// wait, so no test sleeps for real seconds and each can say exactly how long the program meant to wait.
#pragma once

#include <atomic>
#include <chrono>

namespace albatrix {

class WaitClock {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~WaitClock() = default;

  virtual Clock::time_point Now() = 0;
  // Waits `pause`, or less when `flag` (may be null) is raised meanwhile. False when the flag was raised.
  virtual bool PauseUnlessRaised(Clock::duration pause, const std::atomic<bool>* flag) = 0;
};

// The steady clock; a raised flag is seen within a few milliseconds. Shared by everyone: it keeps no
// state.
WaitClock& SystemWaitClock();

}  // namespace albatrix
