// The socket layer under the raw-socket server, which the fetcher tests lean on: a reset must read as a
// failure and a close as an end, waits must end when stopped, and no call may block. The same checks
// run over POSIX sockets and over Winsock (under wine in the Windows stage).
#include "support/TestSocket.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "support/WaitFor.h"

namespace albatrix::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr long kTimedOut = -100;

// Reads `s` until the peer ends the connection; `how` is what ended the reading: 0 for a close,
// kSocketFailed for a reset, kTimedOut when nothing came for five seconds.
std::string ReadToEnd(Socket s, const StopSignal& stop, long& how) {
  std::string data;
  char buffer[4096];
  for (;;) {
    long n = ReceiveSome(s, buffer, sizeof buffer);
    if (n > 0) {
      data.append(buffer, static_cast<std::size_t>(n));
    } else if (n != kWouldBlock) {
      how = n;
      return data;
    } else if (!stop.WaitFor(s, Readiness::Read, 5000)) {
      how = kTimedOut;
      return data;
    }
  }
}

// A listener on loopback and one connection to it, both ends open.
class TestSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    listener_ = ListenOnLoopback(port_);
    ASSERT_NE(listener_, kNoSocket);
    ASSERT_GT(port_, 0);
    client_ = ConnectToLoopback(port_);
    ASSERT_NE(client_, kNoSocket);
    ASSERT_TRUE(stop_.WaitFor(listener_, Readiness::Read, 5000));
    server_ = AcceptConnection(listener_);
    ASSERT_NE(server_, kNoSocket);
  }
  void TearDown() override {
    for (Socket s : {client_, server_, listener_})
      if (s != kNoSocket) CloseSocket(s);
  }

  StopSignal stop_;
  int port_ = 0;
  Socket listener_ = kNoSocket;
  Socket client_ = kNoSocket;
  Socket server_ = kNoSocket;
};

TEST_F(TestSocketTest, NothingWaitingNeverBlocks) {
  EXPECT_EQ(AcceptConnection(listener_), kNoSocket);
  char byte;
  EXPECT_EQ(ReceiveSome(client_, &byte, 1), kWouldBlock);
  EXPECT_EQ(ReceiveSome(server_, &byte, 1), kWouldBlock);
  EXPECT_TRUE(stop_.WaitFor(client_, Readiness::Write, 5000));
}

TEST_F(TestSocketTest, GracefulCloseDeliversEverythingThenReadsAsTheEnd) {
  const std::string sent(200000, 'g');
  std::size_t done = 0;
  std::thread writer([&] {
    while (done < sent.size()) {
      long n = SendSome(server_, sent.data() + done, sent.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n != kWouldBlock || !stop_.WaitFor(server_, Readiness::Write, 5000)) {
        break;
      }
    }
    CloseGracefully(server_);
  });
  long how = 1;
  std::string got = ReadToEnd(client_, stop_, how);
  writer.join();
  server_ = kNoSocket;
  EXPECT_EQ(how, 0);
  EXPECT_EQ(got.size(), sent.size());
  EXPECT_EQ(got, sent);
}

TEST_F(TestSocketTest, ResetReadsAsAFailureNotAsAnEnd) {
  if (RunningUnderWine()) GTEST_SKIP() << "wine hands a reset to recv as an orderly end (see RunningUnderWine)";
  CloseWithReset(server_);
  server_ = kNoSocket;
  long how = 1;
  EXPECT_EQ(ReadToEnd(client_, stop_, how), "");
  EXPECT_EQ(how, kSocketFailed);
}

TEST_F(TestSocketTest, SendingToAPeerThatResetFailsQuietly) {
  // A failure, not a signal that ends the test program.
  CloseWithReset(client_);
  client_ = kNoSocket;
  const std::string piece(16384, 's');
  long n = 0;
  for (int i = 0; i < 1000 && n != kSocketFailed; ++i) {
    n = SendSome(server_, piece.data(), piece.size());
    if (n == kWouldBlock) stop_.WaitFor(server_, Readiness::Write, 100);
  }
  EXPECT_EQ(n, kSocketFailed);
}

TEST_F(TestSocketTest, RaisingTheSignalEndsEveryWaitAndKeepsThemShort) {
  EXPECT_FALSE(stop_.Raised());
  // Nothing arrives, so only the timeout ends this wait.
  auto began = Clock::now();
  EXPECT_FALSE(stop_.WaitFor(client_, Readiness::Read, 100));
  EXPECT_GE(Clock::now() - began, std::chrono::milliseconds(50));

  std::atomic<int> waited{0};  // 1: the socket was ready, 2: the wait was cut short
  std::atomic<bool> slept{false};
  std::thread reader([&] { waited = stop_.WaitFor(client_, Readiness::Read) ? 1 : 2; });
  std::thread sleeper([&] {
    stop_.Sleep(600000);
    slept = true;
  });
  EXPECT_FALSE(WaitFor([&] { return waited != 0 || slept; }, std::chrono::milliseconds(100)));
  stop_.Raise();
  EXPECT_TRUE(WaitFor([&] { return waited != 0 && slept; }));
  EXPECT_EQ(waited, 2);
  reader.join();
  sleeper.join();

  // Raised for good: even a socket that is ready no longer counts, and a new sleep returns at once.
  EXPECT_TRUE(stop_.Raised());
  EXPECT_FALSE(stop_.WaitFor(client_, Readiness::Write));
  began = Clock::now();
  stop_.Sleep(600000);
  EXPECT_LT(Clock::now() - began, std::chrono::seconds(5));
}

}  // namespace
}  // namespace albatrix::test
