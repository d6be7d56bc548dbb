// Scripted faults of the album site: each behaves as named, on the wire.
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <future>

#include "RawHttp.h"
#include "support/SiteFixture.h"
#include "support/WaitFor.h"

namespace albatrix::test {
namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

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

TEST_F(FaultsTest, StatusRepliesCarryABody) {
  SiteFault missing = Fault(SiteFaultKind::Status);
  SiteFault broken = Fault(SiteFaultKind::Status);
  broken.status = 500;
  broken.body = "<html>boom</html>";
  site().SetFault(path_, missing);
  RawReply notFound = RawGet(site().Port(), path_);
  EXPECT_EQ(notFound.status, 404);
  EXPECT_NE(notFound.body.find("404"), std::string::npos);
  site().SetFault(path_, broken);
  RawReply serverError = RawGet(site().Port(), path_);
  EXPECT_EQ(serverError.status, 500);
  EXPECT_EQ(serverError.body, broken.body);
  site().ClearFaults();
  EXPECT_EQ(RawGet(site().Port(), path_).body, bytes_);
}

TEST_F(FaultsTest, RedirectPointsAtTheTargetOnThisSite) {
  SiteFault redirect = Fault(SiteFaultKind::Redirect);
  redirect.location = AlbumSite::PicturePath("demo", album_, 2, true);
  site().SetFault(path_, redirect);
  RawReply reply = RawGet(site().Port(), path_);
  EXPECT_EQ(reply.status, 302);
  EXPECT_EQ(reply.Header("Location"), site().BaseUrl() + redirect.location);
  redirect.status = 301;
  redirect.location = "http://elsewhere.invalid/x.jpg";
  site().SetFault(path_, redirect);
  reply = RawGet(site().Port(), path_);
  EXPECT_EQ(reply.status, 301);
  EXPECT_EQ(reply.Header("Location"), redirect.location);
}

TEST_F(FaultsTest, TruncateAnnouncesEverythingAndSendsPart) {
  SiteFault truncate = Fault(SiteFaultKind::Truncate);
  truncate.bytes = 5000;
  site().SetFault(path_, truncate);
  RawReply reply = RawGet(site().Port(), path_);
  EXPECT_EQ(reply.Header("Content-Length"), std::to_string(bytes_.size()));
  EXPECT_TRUE(reply.closed);
  EXPECT_EQ(reply.body, bytes_.substr(0, 5000));
  truncate.bytes = bytes_.size() * 2;  // never the whole: one byte short at least
  site().SetFault(path_, truncate);
  EXPECT_EQ(RawGet(site().Port(), path_).body.size(), bytes_.size() - 1);
}

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

TEST_F(FaultsTest, SlowSendsTheWholeBodyInPausedChunks) {
  SiteFault slow = Fault(SiteFaultKind::Slow);
  slow.chunkBytes = 3 * 1024;
  slow.delayMs = 60;
  site().SetFault(path_, slow);
  auto start = Clock::now();
  RawReply reply = RawGet(site().Port(), path_);
  EXPECT_GE(MillisecondsSince(start), 3 * 60);  // four chunks, three pauses
  EXPECT_EQ(reply.body, bytes_);
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
  EXPECT_LT(MillisecondsSince(start), 2000);
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
  EXPECT_LT(MillisecondsSince(start), 3500);
  EXPECT_FALSE(site().Running());
}

TEST_F(FaultsTest, EndlessBodyKeepsComing) {
  site().SetFault(path_, Fault(SiteFaultKind::EndlessBody));
  RawConnection connection(site().Port());
  ASSERT_TRUE(connection.Send("GET", path_));
  connection.ReadUntil([](const RawReply& r) { return r.body.size() > (4u << 20); }, 5000);
  EXPECT_GT(connection.reply().body.size(), 4u << 20);
  EXPECT_FALSE(connection.reply().closed);
  EXPECT_EQ(connection.reply().Header("Content-Length"), "");
  EXPECT_EQ(connection.reply().Header("Transfer-Encoding"), "chunked");
}

TEST_F(FaultsTest, GzipBombIsSmallOnTheWireAndHugeInflated) {
  SiteFault bomb = Fault(SiteFaultKind::GzipBomb);
  bomb.bytes = 32u << 20;
  site().SetFault(path_, bomb);
  RawReply reply = RawGet(site().Port(), path_);  // no Accept-Encoding: it comes anyway
  EXPECT_EQ(reply.Header("Content-Encoding"), "gzip");
  EXPECT_EQ(reply.Header("Content-Type"), "image/jpeg");
  EXPECT_LT(reply.body.size(), 100000u);
  z_stream stream{};
  inflateInit2(&stream, 47);
  stream.next_in = reinterpret_cast<Bytef*>(reply.body.data());
  stream.avail_in = static_cast<uInt>(reply.body.size());
  std::vector<char> buffer(1 << 20);
  int code;
  do {
    stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
    stream.avail_out = static_cast<uInt>(buffer.size());
    code = inflate(&stream, Z_NO_FLUSH);
  } while (code == Z_OK);
  EXPECT_EQ(code, Z_STREAM_END);
  EXPECT_EQ(stream.total_out, 32u << 20);
  inflateEnd(&stream);
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
