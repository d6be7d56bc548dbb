#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "support/TestSocket.h"

namespace albatrix::test {

namespace {

int Fd(Socket s) { return static_cast<int>(s); }

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

sockaddr_in Loopback(int port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<in_port_t>(port));
  return addr;
}

// Runs a send or recv, again when interrupted.
template <typename Call>
long Transfer(Call call) {
  for (;;) {
    ssize_t n = call();
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    return (errno == EAGAIN || errno == EWOULDBLOCK) ? kWouldBlock : kSocketFailed;
  }
}

}  // namespace

Socket ListenOnLoopback(int& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kNoSocket;
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr = Loopback(0);
  socklen_t len = sizeof addr;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 128) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::close(fd);
    return kNoSocket;
  }
  port = ntohs(addr.sin_port);
  SetNonBlocking(fd);
  return fd;
}

Socket AcceptConnection(Socket listener) {
  int fd = ::accept4(Fd(listener), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return kNoSocket;
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

Socket ConnectToLoopback(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kNoSocket;
  sockaddr_in addr = Loopback(port);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return kNoSocket;
  }
  SetNonBlocking(fd);
  return fd;
}

long SendSome(Socket s, const char* data, std::size_t size) {
  return Transfer([&] { return ::send(Fd(s), data, size, MSG_NOSIGNAL); });
}

long ReceiveSome(Socket s, char* buffer, std::size_t size) {
  return Transfer([&] { return ::recv(Fd(s), buffer, size, 0); });
}

void CloseGracefully(Socket s) {
  ::shutdown(Fd(s), SHUT_WR);
  ::close(Fd(s));
}

void CloseWithReset(Socket s) {
  linger hard{1, 0};
  ::setsockopt(Fd(s), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  ::close(Fd(s));
}

void CloseSocket(Socket s) { ::close(Fd(s)); }

bool RunningUnderWine() { return false; }

StopSignal::StopSignal() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe2 failed");
  watched_ = ends[0];
  raiser_ = ends[1];
}

StopSignal::~StopSignal() {
  ::close(Fd(watched_));
  ::close(Fd(raiser_));
}

void StopSignal::Raise() {
  // The pipe is never read, so it stays readable and wakes every wait at once.
  char byte = 1;
  (void)!::write(Fd(raiser_), &byte, 1);
}

int StopSignal::Poll(Socket s, Readiness what, int timeoutMs) const {
  // poll passes over an entry whose descriptor is negative.
  pollfd p[2] = {{Fd(s), static_cast<short>(what == Readiness::Read ? POLLIN : POLLOUT), 0},
                 {Fd(watched_), POLLIN, 0}};
  for (;;) {
    int n = ::poll(p, 2, timeoutMs);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return kWaitFailed;
    return (p[0].revents ? kSocketReady : kNothing) | (p[1].revents ? kRaised : kNothing);
  }
}

}  // namespace albatrix::test
