// The pauses a site asks for: how a Retry-After value reads, how long a refusal holds its host, and that a
// cancel ends the wait at once.
#include "MyCode/RequestPacer.h"

#include <gtest/gtest.h>

#include <thread>

#include "MyCode/ReplyHead.h"
#include "support/FakeWaitClock.h"

namespace albatrix {
namespace {

using std::chrono::seconds;

TEST(RequestPacer, RetryAfterValues) {
  // 2015-10-21 07:28:00 UTC, and the same moment as the site would write it.
  const auto now = std::chrono::system_clock::time_point(seconds(1445412480));
  struct Case {
    const char* value;
    long long pause;  // -1: not readable
  } const cases[] = {
      {"2", 2},   {" 120 ", 120},   {"0", 0},  {"301", 300}, {"99999999999999999999", 300},
      {"Wed, 21 Oct 2015 07:28:30 GMT", 30}, {"Wed, 21 Oct 2015 07:20:00 GMT", 0},
      {"Thu, 22 Oct 2015 07:28:00 GMT", 300}, {"-5", -1}, {"soon", -1}, {"", -1},
      {"Wed, 21 Oct 2015 07:28:30 CET", -1}, {"1.5", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    auto pause = RetryAfterPause(c.value, now);
    EXPECT_EQ(pause ? pause->count() : -1, c.pause);
  }
  EXPECT_EQ(HeaderValue("HTTP/1.1 429 Too Many\r\nretry-after:  7\r\n\r\n", "retry-after:"), "7");
  EXPECT_EQ(HeaderValue("HTTP/1.1 429 Too Many\r\nX-Retry-After-Not: 7\r\n\r\n", "retry-after:"), "");
  EXPECT_EQ(HostOf("http://User@Pics.Example.com:8080/a?b"), "pics.example.com:8080");
}

TEST(RequestPacer, RefusalsInARowDoubleTheirHoldAndAnyOtherReplyEndsTheRow) {
  RequestPacer pacer;
  std::vector<long long> holds;
  pacer.onHold = [&](long long s) { holds.push_back(s); };
  for (int i = 0; i < 7; ++i) pacer.Replied("h", i % 2 ? 503 : 429, "HTTP/1.1 429 X\r\n\r\n");
  EXPECT_EQ(holds, (std::vector<long long>{2, 4, 8, 16, 32, 60, 60}));
  pacer.Replied("h", 0, "");    // no reply at all: the row goes on
  pacer.Replied("h", 429, "");
  pacer.Replied("h", 200, "");  // a success ends it
  pacer.Replied("h", 429, "");
  EXPECT_EQ(holds, (std::vector<long long>{2, 4, 8, 16, 32, 60, 60, 60, 2}));
  EXPECT_EQ(pacer.Replied("h", 404, ""), std::nullopt);
}

TEST(RequestPacer, AHoldKeepsItsHostWaitingAndACancelEndsTheWait) {
  test::FakeWaitClock clock;
  RequestPacer paced(clock);
  paced.Replied("held", 429, "HTTP/1.1 429 X\r\nRetry-After: 7\r\n\r\n");
  EXPECT_TRUE(paced.WaitTurn("other", nullptr));  // another host goes out at once
  EXPECT_TRUE(clock.Pauses().empty());
  EXPECT_TRUE(paced.WaitTurn("held", nullptr));
  EXPECT_EQ(clock.Pauses(), std::vector<std::chrono::milliseconds>{std::chrono::seconds(7)});
  EXPECT_TRUE(paced.WaitTurn("held", nullptr)) << "the hold is over";
  EXPECT_EQ(clock.Pauses().size(), 1u);

  // The system's clock: a cancel ends a long hold at once.
  RequestPacer pacer;
  pacer.Replied("held", 503, "HTTP/1.1 503 X\r\nRetry-After: 60\r\n\r\n");
  std::atomic<bool> abort{false};
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    abort = true;
  });
  const auto began = std::chrono::steady_clock::now();
  EXPECT_FALSE(pacer.WaitTurn("held", &abort));
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(2));
  canceller.join();
}

}  // namespace
}  // namespace albatrix
