// Scripted faults of the album site, on the wire, where the fetcher's tests (MyCode/FetchReasonsSiteTest),
// which meet every fault through the client, cannot look: a lying length, a stall held until released or
// stopped, faults that wear off, faults on pages.
#include <gtest/gtest.h>

#include <chrono>

#include "RawHttp.h"
#include "support/FetchKit.h"
#include "support/SiteFixture.h"

namespace albatrix::test {
namespace {

using Clock = std::chrono::steady_clock;

class FaultsTest : public SiteFixture {
 protected:
  SiteOptions Options() const override {
    SiteOptions options;
    options.stallLimitMs = 20000;
    return options;
  }
  void SetUp() override {
    SiteFixture::SetUp();
    album_ = site().Member("demo")->albums[0];
    path_ = AlbumSite::PicturePath("demo", album_, 1, true);
    bytes_ = site().PictureBytes("demo", album_.id, 1, true);
    ASSERT_EQ(bytes_.size(), 12u * 1024);
  }
  SiteFault Fault(SiteFaultKind kind) {
    SiteFault fault;
    fault.kind = kind;
    return fault;
  }
  SiteAlbum album_;
  std::string path_;
  std::string bytes_;
};

TEST_F(FaultsTest, WrongLengthAnnouncesItsNumberAndSendsTheRealBody) {
  for (std::size_t announced : {std::size_t{1} << 20, std::size_t{100}}) {
    SiteFault wrong = Fault(SiteFaultKind::WrongLength);
    wrong.bytes = announced;
    site().SetFault(path_, wrong);
    RawReply reply = RawGet(site().Port(), path_);
    EXPECT_EQ(reply.Header("Content-Length"), std::to_string(announced));
    EXPECT_EQ(reply.body, bytes_);
    EXPECT_TRUE(reply.closed);
  }
}

TEST_F(FaultsTest, StallHoldsTheRestUntilReleased) {
  SiteFault stall = Fault(SiteFaultKind::Stall);
  stall.bytes = 100;
  site().SetFault(path_, stall);
  RawConnection connection(site().Port());
  ASSERT_TRUE(connection.Send("GET", path_));
  connection.ReadUntil([](const RawReply& r) { return r.body.size() >= 100; }, 5000);
  ASSERT_EQ(connection.reply().body.size(), 100u);
  connection.ReadUntil([](const RawReply&) { return false; }, 300);
  EXPECT_TRUE(connection.reply().timedOut);
  EXPECT_EQ(connection.reply().Header("Content-Length"), std::to_string(bytes_.size()));

  auto start = Clock::now();
  site().ReleaseStalls();
  RawConnection again(site().Port());  // the fault still stands for later requests
  connection.ReadToEnd(5000);
  EXPECT_TRUE(connection.reply().closed);
  EXPECT_LT(SecondsSince(start), 2.0);
  EXPECT_EQ(connection.reply().body.size(), 100u);
  ASSERT_TRUE(again.Send("GET", path_));
  again.ReadUntil([](const RawReply&) { return false; }, 300);
  EXPECT_TRUE(again.reply().timedOut);
  EXPECT_FALSE(again.reply().closed);
}

TEST_F(FaultsTest, StopEndsStalledAndEndlessRepliesPromptly) {
  SiteFault stall = Fault(SiteFaultKind::Stall);
  site().SetFault(path_, stall);
  std::string endlessPath = AlbumSite::PicturePath("demo", album_, 2, true);
  site().SetFault(endlessPath, Fault(SiteFaultKind::EndlessBody));
  RawConnection stalled(site().Port()), endless(site().Port());
  ASSERT_TRUE(stalled.Send("GET", path_));
  ASSERT_TRUE(endless.Send("GET", endlessPath));
  stalled.ReadUntil([](const RawReply& r) { return !r.head.empty(); }, 5000);
  endless.ReadUntil([](const RawReply& r) { return r.body.size() > 100000; }, 5000);
  ASSERT_FALSE(stalled.reply().head.empty());
  auto start = Clock::now();
  site().Stop();
  EXPECT_LT(SecondsSince(start), 3.5);
  EXPECT_FALSE(site().Running());
}

TEST_F(FaultsTest, FaultsWithTimesWearOffAndAreCounted) {
  SiteFault flaky = Fault(SiteFaultKind::Status);
  flaky.status = 500;
  flaky.times = 2;
  site().SetFault(path_, flaky);
  EXPECT_EQ(RawGet(site().Port(), path_).status, 500);
  EXPECT_EQ(RawGet(site().Port(), path_).status, 500);
  RawReply third = RawGet(site().Port(), path_);
  EXPECT_EQ(third.status, 200);
  EXPECT_EQ(third.body, bytes_);
  EXPECT_EQ(site().RequestCount(path_), 3);
}

TEST_F(FaultsTest, FaultsApplyToPagesToo) {
  SiteFault truncate = Fault(SiteFaultKind::Truncate);
  truncate.bytes = 50;
  site().SetFault("/demo/photo-2", truncate);
  RawReply reply = RawGet(site().Port(), "/demo/photo-2", "Cookie: " + site().SessionCookie() + "\r\n");
  EXPECT_EQ(reply.body.size(), 50u);
  EXPECT_GT(std::stoul(reply.Header("Content-Length")), 50u);
  EXPECT_EQ(RawGet(site().Port(), "/demo/photo-1").status, 200);
}

}  // namespace
}  // namespace albatrix::test
