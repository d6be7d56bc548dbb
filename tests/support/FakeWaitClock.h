// A clock for the program's waits that never sleeps: a wait moves the clock on at once and is recorded,
// so a test says exactly how long the program meant to wait without waiting itself.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

#include "MyCode/WaitClock.h"

namespace albatrix::test {

class FakeWaitClock : public WaitClock {
 public:
  Clock::time_point Now() override {
    std::lock_guard<std::mutex> hold(lock_);
    return now_;
  }
  bool PauseUnlessRaised(Clock::duration pause, const std::atomic<bool>* flag) override {
    if (flag && flag->load()) return false;
    std::lock_guard<std::mutex> hold(lock_);
    pauses_.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(pause));
    now_ += pause;
    return true;
  }
  // Every wait asked for, in order.
  std::vector<std::chrono::milliseconds> Pauses() {
    std::lock_guard<std::mutex> hold(lock_);
    return pauses_;
  }

 private:
  std::mutex lock_;
  Clock::time_point now_ = Clock::time_point{} + std::chrono::hours(1);
  std::vector<std::chrono::milliseconds> pauses_;
};

}  // namespace albatrix::test
