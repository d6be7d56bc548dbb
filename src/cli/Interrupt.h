// Ctrl-C in albatrix-cli: while an InterruptCatcher lives, SIGINT only marks that it came, and the
// command turns the mark into the window's own stop (the second press of "获取相册" or "下载"), so the
// process always ends through its normal path with exit status kExitInterrupted.
#pragma once

namespace albatrix {

constexpr int kExitInterrupted = 130;

class InterruptCatcher {
 public:
  InterruptCatcher();   // clears the mark and catches SIGINT
  ~InterruptCatcher();  // SIGINT as it was before
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

  // True once Ctrl-C came while a catcher lived.
  static bool Interrupted();
};

}  // namespace albatrix
