#include "cli/Interrupt.h"

#include <csignal>

namespace albatrix {
namespace {

volatile std::sig_atomic_t interrupted = 0;
struct sigaction previous {};

extern "C" void OnInterrupt(int) { interrupted = 1; }

}  // namespace

InterruptCatcher::InterruptCatcher() {
  interrupted = 0;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous);
}

InterruptCatcher::~InterruptCatcher() { sigaction(SIGINT, &previous, nullptr); }

bool InterruptCatcher::Interrupted() { return interrupted != 0; }

}  // namespace albatrix
