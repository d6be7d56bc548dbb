// The pace beside the progress bar: its wording, its moving window and how often it changes, on made-up
// times.
#include "app/RunRate.h"

#include <gtest/gtest.h>

namespace albatrix {
namespace {

using namespace std::chrono_literals;
const PictureRate::Clock::time_point t0{};

TEST(RunRate, TheLabelSaysThePaceAndTheTimeLeftInTheUnitsThatFit) {
  struct Case {
    double perSecond;
    std::size_t left;
    const char16_t* text;
  } const cases[] = {
      {12, 2880, u"12 张/秒，剩余约 4 分钟"},
      {12.4, 3, u"12 张/秒，剩余约 1 秒"},         // under a second still says a second
      {2, 60, u"2 张/秒，剩余约 30 秒"},
      {2.5, 5, u"2.5 张/秒，剩余约 2 秒"},
      {9.96, 0, u"10 张/秒"},                      // nothing left: the pace alone
      {0.5, 2400, u"0.5 张/秒，剩余约 1 小时 20 分钟"},
      {1, 7200, u"1 张/秒，剩余约 2 小时"},
      {1, 3580, u"1 张/秒，剩余约 1 小时"},      // 59.7 minutes round to the hour
      {1, 59, u"1 张/秒，剩余约 59 秒"},
      {1, 90, u"1 张/秒，剩余约 2 分钟"},        // 1.5 minutes round up
      {0.01, 10, u"不到 0.1 张/秒，剩余约 17 分钟"},
  };
  for (const Case& c : cases) EXPECT_EQ(RateText(c.perSecond, c.left), c.text) << c.perSecond << " " << c.left;
}

TEST(RunRate, ThePaceFollowsTheLastTenSecondsOfEnds) {
  PictureRate rate;
  rate.Ended(1, t0);
  rate.Ended(5, t0 + 500ms);
  EXPECT_FALSE(rate.PerSecond()) << "half a second of ends is no pace yet";
  // 10 a second until 20 s, then 2 a second: 10 s later only the slower pace counts.
  for (std::size_t s = 1; s <= 20; ++s) rate.Ended(1 + 10 * s, t0 + std::chrono::seconds(s));
  EXPECT_DOUBLE_EQ(rate.PerSecond().value_or(0), 10.0);
  for (std::size_t s = 1; s <= 10; ++s) rate.Ended(201 + 2 * s, t0 + std::chrono::seconds(20 + s));
  EXPECT_DOUBLE_EQ(rate.PerSecond().value_or(0), 2.0);
  rate.Ended(222, t0 + 90s);  // after a minute's stall: measured from the last end before it
  EXPECT_DOUBLE_EQ(rate.PerSecond().value_or(0), 1.0 / 60);
}

TEST(RunRate, TheLabelChangesAtMostTwiceASecond) {
  RateLabel label;
  std::vector<std::pair<int, Text>> shown;  // milliseconds, text: 20 pictures a second of 100
  for (std::size_t ended = 1; ended <= 100; ++ended) {
    const int ms = 50 * static_cast<int>(ended - 1);
    if (auto text = label.PicturesEnded(ended, 100, t0 + std::chrono::milliseconds(ms))) shown.emplace_back(ms, *text);
  }
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown.front(), (std::pair<int, Text>{1000, u"20 张/秒，剩余约 4 秒"}));
  for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_GE(shown[i].first - shown[i - 1].first, 500);
  EXPECT_EQ(shown.back(), (std::pair<int, Text>{4950, u"20 张/秒"}));  // nothing left
  label.Reset();  // a retry pass starts with no pace
  EXPECT_FALSE(label.PicturesEnded(1, 10, t0 + 10s));
}

}  // namespace
}  // namespace albatrix
