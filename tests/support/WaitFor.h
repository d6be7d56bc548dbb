// Waits for a condition with a time-out instead of sleeping a fixed time.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace albatrix::test {

// Polls `condition` every few milliseconds; true as soon as it holds, false after `timeout`.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace albatrix::test
