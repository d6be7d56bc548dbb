// Pauses a site asked for. A reply "429 Too Many Requests" or "503 Service Unavailable" makes every
// request to that host wait until the moment the site named (Retry-After), or, without one, 2^k seconds
// for the k-th such reply in a row; any other reply ends the row. One pacer serves every thread that
// talks to the site on behalf of one piece of work (a download run), so no worker asks again early.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "MyCode/WaitClock.h"

namespace albatrix {

// The longest pause a site can ask for, and the longest the program picks itself when none was named.
inline constexpr std::chrono::seconds kLongestAskedPause{300};
inline constexpr std::chrono::seconds kLongestOwnPause{60};

// The pause a Retry-After header value asks for: whole seconds, or an HTTP date (IMF-fixdate, "Sun, 06
// Nov 1994 08:49:37 GMT") counted from `now`; a date already past asks for 0. Nothing when the value is
// neither. Capped at kLongestAskedPause.
std::optional<std::chrono::seconds> RetryAfterPause(std::string_view value, std::chrono::system_clock::time_point now);

// The host part of an http or https address, lower-cased ("" when there is none).
std::string HostOf(std::string_view address);

// SystemWaitClock's wait: `pause`, or less when `flag` (may be null) is raised meanwhile, which it looks
// at every few milliseconds. False when the flag was raised.
bool PauseUnlessRaised(std::chrono::steady_clock::duration pause, const std::atomic<bool>* flag);

class RequestPacer {
 public:
  using Clock = std::chrono::steady_clock;

  // The clock holds are measured and waited on (must outlive the pacer).
  explicit RequestPacer(WaitClock& clock = SystemWaitClock()) : clock_(&clock) {}
  // Another clock for the pacer's holds; before the pacer is shared.
  void SetClock(WaitClock& clock) { clock_ = &clock; }

  // Called when a hold begins, with its length in whole seconds, on the thread whose reply began it.
  // Set before the pacer is shared.
  std::function<void(long long seconds)> onHold;

  // Waits until a request to `host` may go out. False, at once, when `abort` (may be null) is raised.
  bool WaitTurn(const std::string& host, const std::atomic<bool>* abort);

  // The reply a request to `host` got (status 0: none came, which changes nothing). 429 and 503 begin a
  // hold (or lengthen the one under way) and give its length; any other reply ends the row of refusals.
  std::optional<std::chrono::seconds> Replied(const std::string& host, long status, std::string_view headerBlock);

 private:
  struct HostState {
    Clock::time_point heldUntil{};
    int refusalsInRow = 0;
  };
  WaitClock* clock_;
  std::mutex lock_;
  std::map<std::string, HostState> hosts_;
};

}  // namespace albatrix
