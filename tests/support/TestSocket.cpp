#include "support/TestSocket.h"

namespace albatrix::test {

bool StopSignal::Raised() const { return (Poll(kNoSocket, Readiness::Read, 0) & kRaised) != 0; }

bool StopSignal::WaitFor(Socket s, Readiness what, int timeoutMs) const {
  return Poll(s, what, timeoutMs) == kSocketReady;
}

void StopSignal::Sleep(int ms) const { Poll(kNoSocket, Readiness::Read, ms); }

}  // namespace albatrix::test
