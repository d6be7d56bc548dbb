// What the window is busy with: a listing, a grid fill, a download run. Each is idle, running, or running
// with a stop asked; every change of state goes through the transitions below, so the rule "a stop mark
// never outlives its activity" holds in one place. Which activities may overlap is the commands' rule:
// a listing excludes the other two, a fill and a run may go on together.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace albatrix {

enum class Activity : std::size_t { Listing, Filling, Running };

class ActivityStates {
 public:
  // idle -> running. False when the activity was not idle (nothing changes then).
  bool Begin(Activity activity);
  // running -> stop asked. True when the activity is under way (a stop asked before stays asked); false
  // when it is idle, which stays idle, so a late stop can never mark the next one.
  bool AskStop(Activity activity);
  // -> idle, from whatever state.
  void End(Activity activity);

  // Under way (running or stopping). Any thread may ask; the answer may change the moment after.
  bool Active(Activity activity) const;
  bool StopAsked(Activity activity) const;

 private:
  enum Phase : int { kIdle, kRunning, kStopAsked };
  std::atomic<int>& At(Activity activity) { return phases_[static_cast<std::size_t>(activity)]; }
  const std::atomic<int>& At(Activity activity) const { return phases_[static_cast<std::size_t>(activity)]; }

  std::array<std::atomic<int>, 3> phases_{};
};

}  // namespace albatrix
