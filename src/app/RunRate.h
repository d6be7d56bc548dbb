// The pace of a download run as the label beside the progress bar tells it: pictures a second over the
// last few seconds, and how long the pictures still to come take at that pace ("12 张/秒，剩余约 4 分钟").
// Nothing here reads a clock: the caller says when each count was reached, so tests give made-up times.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// "12 张/秒，剩余约 4 分钟": `perSecond` pictures a second (above 0), and the time `left` pictures take at
// that pace; just the pace when none is left. The pace: whole pictures from 10 a second up, one decimal
// below ("2.5", "0.5"; "3" rather than "3.0"), "不到 0.1" under 0.05. The time, rounded to the nearest
// unit shown: seconds under a minute ("剩余约 30 秒", at least 1), whole minutes under an hour
// ("剩余约 4 分钟"), hours and minutes above ("剩余约 1 小时 20 分钟", "剩余约 2 小时").
Text RateText(double perSecond, std::size_t left);

// Pictures ended a second, over a moving window of the latest ends.
class PictureRate {
 public:
  using Clock = std::chrono::steady_clock;

  // The estimate rests on the ends of the last `window`; it exists once those span at least `shortest`,
  // so two pictures ending together at the start give no wild figure.
  explicit PictureRate(Clock::duration window = std::chrono::seconds(10),
                       Clock::duration shortest = std::chrono::seconds(1));

  // `ended` pictures had ended by `at`. Counts that do not grow are ignored; times never go back.
  void Ended(std::size_t ended, Clock::time_point at);
  // Pictures a second from the oldest end the window keeps to the newest: the ends inside the window,
  // and the last one before it, so a long stall lowers the pace instead of leaving no estimate. None
  // until the ends span `shortest`.
  std::optional<double> PerSecond() const;
  // Forgets every end: the pace before a pause (a retry pass's wait) says nothing of the pace after it.
  void Clear();

 private:
  struct End {
    std::size_t ended;
    Clock::time_point at;
  };
  std::deque<End> ends_;
  Clock::duration window_;
  Clock::duration shortest_;
};

// The label's text over a run: the pace of PictureRate and the time left for the pictures not yet
// ended, given out at most once every `interval`.
class RateLabel {
 public:
  using Clock = PictureRate::Clock;

  explicit RateLabel(Clock::duration interval = std::chrono::milliseconds(500)) : interval_(interval) {}

  // `ended` of `total` pictures have ended by `now`: the label's new text when one is due (the run has a
  // pace, `interval` has passed since the last text given out, and the text differs from it), else none.
  std::optional<Text> PicturesEnded(std::size_t ended, std::size_t total, Clock::time_point now);
  // A new count from 0 (a new run, or a retry pass after its wait): the pace starts afresh and nothing
  // has been given out yet.
  void Reset();

 private:
  PictureRate rate_;
  Clock::duration interval_;
  std::optional<Clock::time_point> lastShown_;
  Text shown_;
};

}  // namespace albatrix
