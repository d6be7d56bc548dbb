// The few socket calls the raw-socket test server makes, over POSIX sockets or Winsock: a loopback
// listener, non-blocking connections, sends and receives that say when they would block, an abortive
// close, and a stop signal that every wait watches besides its socket.
#pragma once

#include <cstddef>
#include <cstdint>

namespace albatrix::test {

// A socket as the system hands it out: a descriptor on POSIX, a SOCKET on Windows. Both fit here, and
// both systems' "no socket" (-1, INVALID_SOCKET) is kNoSocket.
using Socket = std::intptr_t;
inline constexpr Socket kNoSocket = -1;

// What SendSome and ReceiveSome return besides a count of bytes: the call would block, or the connection
// failed (reset, aborted). ReceiveSome returns 0 when the peer has closed its sending side.
inline constexpr long kWouldBlock = -1;
inline constexpr long kSocketFailed = -2;

// A non-blocking socket listening on 127.0.0.1 on a port the system picks, stored in `port`. kNoSocket
// when the system refuses.
Socket ListenOnLoopback(int& port);

// The next waiting connection, non-blocking and with Nagle off so each write leaves as its own segment.
// kNoSocket when none is waiting.
Socket AcceptConnection(Socket listener);

// A non-blocking connection to 127.0.0.1:`port`, made before it returns; kNoSocket when refused.
Socket ConnectToLoopback(int port);

// Writes or reads what the socket takes or holds now, going on after interrupted calls. A send to a
// peer that has gone returns kSocketFailed, never a signal.
long SendSome(Socket s, const char* data, std::size_t size);
long ReceiveSome(Socket s, char* buffer, std::size_t size);

// Sends FIN after what was written, then closes.
void CloseGracefully(Socket s);
// Closes at once with a TCP reset, dropping whatever was not yet delivered.
void CloseWithReset(Socket s);
void CloseSocket(Socket s);

// True when the program runs under wine, whose sockets differ from Windows' in one way the tests see: a
// reset from the peer reaches recv as an orderly end (0), not as WSAECONNRESET, because the wine server
// reads the Unix socket's pending error when its poll reports it, which clears it. The reset itself goes
// out as on Windows.
bool RunningUnderWine();

enum class Readiness { Read, Write };

// Once raised, stays raised and cuts short every wait, those in progress included.
class StopSignal {
 public:
  StopSignal();  // throws std::runtime_error when the system gives no means of waking a wait
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  void Raise();
  bool Raised() const;
  // True when `s` is ready for `what` (an error or hang-up counts as ready: the next call says which);
  // false when the signal is raised, `timeoutMs` passes (-1: no limit), or the wait itself fails.
  bool WaitFor(Socket s, Readiness what, int timeoutMs = -1) const;
  // Waits `ms` unless the signal is raised before.
  void Sleep(int ms) const;

 private:
  // The end every wait watches, and the end Raise writes to: a pipe on POSIX, a connected loopback
  // socket pair on Windows (whose waits take sockets only).
  Socket watched_ = kNoSocket;
  Socket raiser_ = kNoSocket;

  enum Woken { kNothing = 0, kSocketReady = 1, kRaised = 2, kWaitFailed = 4 };
  // One wait on `s` (unless kNoSocket) and on the watched end; what woke it, as a sum of Woken.
  int Poll(Socket s, Readiness what, int timeoutMs) const;
};

}  // namespace albatrix::test
