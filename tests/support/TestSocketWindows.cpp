#include "MyCode/Win32.h"  // lean <windows.h>, so <winsock2.h> may follow it

#include <winsock2.h>

#include <stdexcept>

#include "support/TestSocket.h"

namespace albatrix::test {

namespace {

SOCKET Sock(Socket s) { return static_cast<SOCKET>(s); }
Socket Handle(SOCKET s) { return s == INVALID_SOCKET ? kNoSocket : static_cast<Socket>(s); }

// Winsock wants WSAStartup before its first call; once per process is enough (the calls count up).
void StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) throw std::runtime_error("WSAStartup failed");
}

// A TCP socket that a child process (the fetch probe) does not inherit, so it cannot keep a connection
// open past the test's close.
SOCKET NewTcpSocket() {
  StartWinsock();
  return ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
}

void SetNonBlocking(SOCKET s) {
  u_long on = 1;
  ::ioctlsocket(s, FIONBIO, &on);
}

sockaddr_in Loopback(int port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<u_short>(port));
  return addr;
}

// A blocking listener on 127.0.0.1 on a port the system picks; INVALID_SOCKET when refused.
SOCKET Listen(int backlog, int& port) {
  SOCKET s = NewTcpSocket();
  if (s == INVALID_SOCKET) return s;
  // Windows lets another socket take over a port bound without this; SO_REUSEADDR would invite it.
  BOOL one = TRUE;
  ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one), sizeof one);
  sockaddr_in addr = Loopback(0);
  int len = sizeof addr;
  if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s, backlog) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::closesocket(s);
    return INVALID_SOCKET;
  }
  port = ntohs(addr.sin_port);
  return s;
}

// Runs a send or recv of at most `size` bytes (an int's worth), again when interrupted.
template <typename Call>
long Transfer(std::size_t size, Call call) {
  const int most = size > 0x10000000 ? 0x10000000 : static_cast<int>(size);
  for (;;) {
    int n = call(most);
    if (n != SOCKET_ERROR) return n;
    int error = ::WSAGetLastError();
    if (error == WSAEINTR) continue;
    return (error == WSAEWOULDBLOCK || error == WSAEINPROGRESS) ? kWouldBlock : kSocketFailed;
  }
}

}  // namespace

Socket ListenOnLoopback(int& port) {
  SOCKET s = Listen(128, port);
  if (s != INVALID_SOCKET) SetNonBlocking(s);
  return Handle(s);
}

Socket AcceptConnection(Socket listener) {
  SOCKET s = ::accept(Sock(listener), nullptr, nullptr);
  if (s == INVALID_SOCKET) return kNoSocket;
  // accept's socket copies the listener's flags, but not necessarily the no-inherit one.
  ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  SetNonBlocking(s);
  BOOL one = TRUE;
  ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  return Handle(s);
}

Socket ConnectToLoopback(int port) {
  SOCKET s = NewTcpSocket();
  if (s == INVALID_SOCKET) return kNoSocket;
  sockaddr_in addr = Loopback(port);
  if (::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::closesocket(s);
    return kNoSocket;
  }
  SetNonBlocking(s);
  return Handle(s);
}

long SendSome(Socket s, const char* data, std::size_t size) {
  return Transfer(size, [&](int most) { return ::send(Sock(s), data, most, 0); });
}

long ReceiveSome(Socket s, char* buffer, std::size_t size) {
  return Transfer(size, [&](int most) { return ::recv(Sock(s), buffer, most, 0); });
}

void CloseGracefully(Socket s) {
  ::shutdown(Sock(s), SD_SEND);
  ::closesocket(Sock(s));
}

void CloseWithReset(Socket s) {
  linger hard{1, 0};
  ::setsockopt(Sock(s), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
  ::closesocket(Sock(s));
}

void CloseSocket(Socket s) { ::closesocket(Sock(s)); }

bool RunningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

// Windows waits take sockets only, so the stop signal is a connected loopback pair: one byte written to
// one end leaves the other readable for good.
StopSignal::StopSignal() {
  int port = 0;
  SOCKET listener = Listen(1, port);
  if (listener == INVALID_SOCKET) throw std::runtime_error("cannot listen on loopback for the stop signal");
  Socket raiser = ConnectToLoopback(port);
  SOCKET watched = raiser == kNoSocket ? INVALID_SOCKET : ::accept(listener, nullptr, nullptr);
  ::closesocket(listener);
  if (watched == INVALID_SOCKET) {
    if (raiser != kNoSocket) CloseSocket(raiser);
    throw std::runtime_error("cannot connect the stop signal's socket pair");
  }
  ::SetHandleInformation(reinterpret_cast<HANDLE>(watched), HANDLE_FLAG_INHERIT, 0);
  watched_ = Handle(watched);
  raiser_ = raiser;
}

StopSignal::~StopSignal() {
  ::closesocket(Sock(watched_));
  ::closesocket(Sock(raiser_));
}

void StopSignal::Raise() {
  // The watched end is never read, so it stays readable and wakes every wait at once.
  char byte = 1;
  ::send(Sock(raiser_), &byte, 1, 0);
}

int StopSignal::Poll(Socket s, Readiness what, int timeoutMs) const {
  // WSAPoll refuses an entry that is no socket: the stop end goes first and the other only when given.
  WSAPOLLFD p[2] = {{Sock(watched_), POLLRDNORM, 0},
                    {Sock(s), static_cast<SHORT>(what == Readiness::Read ? POLLRDNORM : POLLWRNORM), 0}};
  int n = ::WSAPoll(p, s == kNoSocket ? 1 : 2, timeoutMs);
  if (n == SOCKET_ERROR) return kWaitFailed;
  return (p[0].revents ? kRaised : kNothing) | (s != kNoSocket && p[1].revents ? kSocketReady : kNothing);
}

}  // namespace albatrix::test
