#include "MyCode/WaitClock.h"

#include <algorithm>
#include <thread>

namespace albatrix {
namespace {

// How often a wait looks at its flag: a cancel must end it at once, as far as a user can tell.
constexpr auto kPausePoll = std::chrono::milliseconds(10);

class SteadyWaitClock : public WaitClock {
 public:
  Clock::time_point Now() override { return Clock::now(); }
  bool PauseUnlessRaised(Clock::duration pause, const std::atomic<bool>* flag) override {
    const auto until = Clock::now() + pause;
    for (;;) {
      if (flag && flag->load()) return false;
      const auto now = Clock::now();
      if (now >= until) return true;
      std::this_thread::sleep_for(std::min<Clock::duration>(until - now, kPausePoll));
    }
  }
};

}  // namespace

WaitClock& SystemWaitClock() {
  static SteadyWaitClock clock;
  return clock;
}

}  // namespace albatrix
