#include "app/ActivityStates.h"

namespace albatrix {

bool ActivityStates::Begin(Activity activity) {
  int idle = kIdle;
  return At(activity).compare_exchange_strong(idle, kRunning);
}

bool ActivityStates::AskStop(Activity activity) {
  // The activity may end at this very moment, so the mark is only written over a running state.
  std::atomic<int>& phase = At(activity);
  int state = phase.load();
  while (state != kIdle) {
    if (state == kStopAsked || phase.compare_exchange_weak(state, kStopAsked)) return true;
  }
  return false;
}

void ActivityStates::End(Activity activity) { At(activity) = kIdle; }

bool ActivityStates::Active(Activity activity) const { return At(activity).load() != kIdle; }

bool ActivityStates::StopAsked(Activity activity) const { return At(activity).load() == kStopAsked; }

}  // namespace albatrix
