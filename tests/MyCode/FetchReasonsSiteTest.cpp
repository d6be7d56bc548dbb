// Why a fetch failed, for every way it can, and what a picture reply must be to become a file: judged by
// its headers and its first bytes, streamed to disk while it arrives, sized by what it decodes to.
// The faults the stand-in site scripts come from the site itself, so that what the run's and the
// window's tests provoke with them is the failure named here; what only broken bytes on the wire can
// show comes from the scripted server.
#include "MyCode/URLSource2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <random>
#include <thread>

#include "site/SiteGzip.h"
#include "support/DiskFull.h"
#include "support/FetchKit.h"
#include "support/ScriptedServer.h"
#include "support/SiteFixture.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace albatrix {
namespace {

using test::FolderEntries;
using test::HttpHead;
using test::PictureRequest;
using test::Reply;
using test::Respond;
using test::ScriptedServer;
using test::SecondsSince;
using test::TempDir;
using Clock = std::chrono::steady_clock;
using Files = std::vector<std::string>;

const std::string kJpeg = "Content-Type: image/jpeg";
const std::string kGzip = "Content-Encoding: gzip";

// Bytes that compress well but are not all alike, so a decoded file shows any loss.
Bytes Compressible(std::size_t size) {
  Bytes bytes(size, 'x');
  for (std::size_t i = 0; i < size; i += 997) bytes[i] = static_cast<char>('a' + i % 26);
  return bytes;
}

std::string Reason(const UrlResponse& response) {
  return TextToUtf8(DescribeFetchFailure(response.failure, response.httpStatus));
}

SiteFault Fault(SiteFaultKind kind, std::size_t bytes = 0) {
  SiteFault fault;
  fault.kind = kind;
  fault.bytes = bytes;
  return fault;
}

// A member with one album of two pictures of 50000 bytes.
class SiteFaultReasons : public test::SiteFixture {
 protected:
  void SetUp() override {
    test::SiteFixture::SetUp();
    SiteMember member;
    member.key = "m";
    member.albums.push_back({"a1", u"A", kCountActual, {{}, {}}});
    for (SitePicture& picture : member.albums[0].pictures) picture.bytes = 50000;
    site().AddMember(member);
    album_ = member.albums[0];
  }
  std::string Path(int index) const { return AlbumSite::PicturePath("m", album_, index, true); }
  std::string Url(int index) { return site().PictureUrl("m", album_, index, true); }
  std::string Bytes(int index) { return site().PictureBytes("m", "a1", index, true); }

  SiteAlbum album_;
};

// Each fault the site scripts, met by a picture request as a download worker makes it.
TEST_F(SiteFaultReasons, EveryFaultOfTheSiteFailsItsWayAndLeavesNoFile) {
  SiteFault page = Fault(SiteFaultKind::Status);
  page.status = 200;
  page.body = "<html>the picture was deleted</html>";
  SiteFault error = Fault(SiteFaultKind::Status);
  error.status = 500;
  error.body = "<html>boom</html>";
  SiteFault slow = Fault(SiteFaultKind::Slow);  // 10 pieces 100 ms apart: longer than the time-out
  slow.chunkBytes = 5000;
  slow.delayMs = 100;
  SiteFault trickle = Fault(SiteFaultKind::Slow);  // never silent, but far too slow
  trickle.chunkBytes = 20;
  trickle.delayMs = 100;
  SiteFault moved = Fault(SiteFaultKind::Redirect);
  moved.location = Path(2);
  SiteFault elsewhere = Fault(SiteFaultKind::Redirect);
  elsewhere.location = "ftp://127.0.0.1/x.jpg";
  struct Case {
    const char* name;
    std::optional<SiteFault> fault;
    FetchFailure expected;
    long status = 200;
    int minSizeK = 0;
    int maxSizeK = 0;
    const char* file = "pic.jpg";
    bool abortWhileWaiting = false;
  };
  const Case cases[] = {
      {"whole", std::nullopt, FetchFailure::None},
      {"slow but never silent for the time-out", slow, FetchFailure::None},
      {"moved to another picture", moved, FetchFailure::None},
      {"announced above the maximum", std::nullopt, FetchFailure::SizeLimit, 200, 0, 10},
      {"announced below the minimum", std::nullopt, FetchFailure::SizeLimit, 200, 100, 0},
      {"endless, past the maximum", Fault(SiteFaultKind::EndlessBody), FetchFailure::SizeLimit, 200, 0, 100},
      {"gzip bomb, decodes past the maximum", Fault(SiteFaultKind::GzipBomb, 3u << 20), FetchFailure::SizeLimit,
       200, 0, 1024},
      {"404", Fault(SiteFaultKind::Status), FetchFailure::HttpStatus, 404},
      {"500 with a page", error, FetchFailure::HttpStatus, 500},
      {"an HTML page saying the picture is gone", page, FetchFailure::NotPicture},
      {"cut short of its length", Fault(SiteFaultKind::Truncate, 1000), FetchFailure::Network},
      {"moved off the web", elsewhere, FetchFailure::Network, 302},
      {"silence after the first bytes", Fault(SiteFaultKind::Stall, 100), FetchFailure::Timeout},
      {"a trickle", trickle, FetchFailure::Timeout},
      {"no folder to write in", std::nullopt, FetchFailure::CannotWrite, 200, 0, 0, "missing/pic.jpg"},
      {"cancelled while waiting", Fault(SiteFaultKind::Stall), FetchFailure::Cancelled, 200, 0, 0, "pic.jpg", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    site().ClearFaults();
    if (c.fault) site().SetFault(Path(1), *c.fault);
    site().ResetCounts();
    TempDir dir;
    UrlRequest request = PictureRequest(Url(1), dir, c.file);
    request.minSizeK = c.minSizeK;
    request.maxSizeK = c.maxSizeK;
    request.readTimeoutMs = 600;
    std::atomic<bool> abort{false};
    request.abort = &abort;
    std::thread raiser;
    if (c.abortWhileWaiting) {
      raiser = std::thread([&] {
        test::WaitFor([&] { return site().TotalRequests() > 0; });
        abort = true;
      });
    }
    UrlResponse response;
    const auto began = Clock::now();
    const bool ok = Fetch(request, response, FETCH_ALLOW_CACHE | FETCH_NO_RELOAD);
    if (raiser.joinable()) raiser.join();
    EXPECT_LT(SecondsSince(began), 2 * request.readTimeoutMs / 1000.0 + 0.5);
    EXPECT_EQ(ok, c.expected == FetchFailure::None);
    EXPECT_EQ(response.failure, c.expected) << Reason(response);
    if (c.expected != FetchFailure::Timeout && c.expected != FetchFailure::Cancelled) {
      EXPECT_EQ(response.httpStatus, c.status);
    }
    EXPECT_TRUE(response.body.empty());  // a picture goes to its file, never into memory
    if (ok) {
      EXPECT_EQ(FolderEntries(dir.path()), Files{"pic.jpg"});
      EXPECT_TRUE(test::ReadWholeFile(dir.file("pic.jpg")) == Bytes(c.fault && c.fault->kind == SiteFaultKind::Redirect ? 2 : 1));
    } else {
      EXPECT_EQ(FolderEntries(dir.path()), Files{});  // neither the picture nor its temporary
    }
  }
}

TEST_F(SiteFaultReasons, PagesSayWhyToo) {
  SiteFault gone = Fault(SiteFaultKind::Status);
  gone.body = "<html>gone</html>";
  struct Case {
    const char* name;
    std::optional<SiteFault> fault;
    FetchFailure expected;
    long status = 200;
    int maxSizeK = 0;
  };
  const Case cases[] = {
      {"an error page is still a page", gone, FetchFailure::None, 404},
      {"announced above the maximum", std::nullopt, FetchFailure::SizeLimit, 200, 10},
      {"endless: stops at the memory cap", Fault(SiteFaultKind::EndlessBody), FetchFailure::Network},
      {"silence", Fault(SiteFaultKind::Stall), FetchFailure::Timeout},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    site().ClearFaults();
    if (c.fault) site().SetFault(Path(1), *c.fault);
    UrlRequest request = test::PageRequest(Url(1));
    request.maxSizeK = c.maxSizeK;
    request.readTimeoutMs = 600;
    UrlResponse response;
    EXPECT_EQ(Fetch(request, response, 0), c.expected == FetchFailure::None);
    EXPECT_EQ(response.failure, c.expected) << Reason(response);
    EXPECT_EQ(response.httpStatus, c.status);
    if (c.fault && c.fault->kind == SiteFaultKind::Status) {
      EXPECT_EQ(response.body, gone.body);
    }
    if (c.fault && c.fault->kind == SiteFaultKind::EndlessBody) {
      EXPECT_LE(response.body.size(), kPageCapBytes);
      EXPECT_GT(response.body.size(), kPageCapBytes - (1u << 20));
    }
  }
}

// A page that moved is fetched from where it went, and only that reply's headers are kept; a chain that
// never ends, or leads off the web, is followed no further than the limit.
TEST_F(SiteFaultReasons, RedirectsAreFollowedWithinLimits) {
  SiteFault moved = Fault(SiteFaultKind::Redirect);
  moved.location = Path(2);
  site().SetFault(Path(1), moved);
  UrlResponse response;
  UrlRequest request = test::PageRequest(Url(1));
  ASSERT_TRUE(Fetch(request, response, 0));
  EXPECT_EQ(response.body, Bytes(2));
  EXPECT_EQ(response.rawHeaders.find(u"302"), Text::npos);  // only the final reply's block

  SiteFault loop = moved;
  loop.location = Path(1);
  site().SetFault(Path(1), loop);
  site().ResetCounts();
  EXPECT_FALSE(Fetch(request, response, 0));
  EXPECT_EQ(site().RequestCount(Path(1)), kMaxRedirects + 1);

  for (const char* elsewhere : {"ftp://127.0.0.1/x", "file:///etc/passwd"}) {
    loop.location = elsewhere;
    site().SetFault(Path(1), loop);
    site().ResetCounts();
    EXPECT_FALSE(Fetch(request, response, 0)) << elsewhere;
    EXPECT_EQ(site().TotalRequests(), 1) << elsewhere;
  }
}

// What only bytes on the wire can say: lengths that lie to each other, framing that breaks, replies that
// are no HTTP, bodies that are no picture. A broken transfer fails a page as well as a picture.
TEST(FetchReasons, BrokenRepliesFailAndLeaveNoFile) {
  struct Case {
    const char* name;
    Reply reply;
    FetchFailure expected;
    long status = 200;
    int minSizeK = 0;
    bool aPageKeepsIt = false;  // a page is kept compressed as it came
  };
  const Bytes body = test::Pattern(50000);
  const Bytes packed = test::Compress(Compressible(50000));
  const std::string chunked = HttpHead(200, {"Transfer-Encoding: chunked"});
  const Case cases[] = {
      {"ends below the minimum, unannounced", Reply().Send(HttpHead(200, {kJpeg}) + body), FetchFailure::SizeLimit,
       200, 100},
      {"decodes below the minimum", Respond(200, packed, {kGzip}), FetchFailure::SizeLimit, 200, 100},
      {"500 without a body", Respond(500, ""), FetchFailure::HttpStatus, 500},
      {"empty", Respond(200, "", {kJpeg}), FetchFailure::NotPicture},
      {"compressed data that does not decode", Respond(200, "not gzip at all", {kGzip}), FetchFailure::NotPicture},
      {"300 KB inflating to 300 MB of zeros", Respond(200, GzipBomb(300u << 20), {kJpeg, kGzip}),
       FetchFailure::NotPicture},
      {"compressed data cut short", Respond(200, packed.substr(0, packed.size() / 2), {kGzip}),
       FetchFailure::Network, 200, 0, true},
      {"two lengths that differ",
       Reply().Send(HttpHead(200, {kJpeg, "Content-Length: 3000", "Content-Length: 6000"}) + body.substr(0, 6000)),
       FetchFailure::Network},
      {"two lengths in one header", Reply().Send(HttpHead(200, {"Content-Length: 6000, 3000"}) + body.substr(0, 6000)),
       FetchFailure::Network},
      {"reset mid-body", Reply().Send(HttpHead(200, {"Content-Length: 100000"}) + Bytes(1000, 'p')).Pause(50).Reset(),
       FetchFailure::Network},
      {"bad chunk size", Reply().Send(chunked + "zz\r\nabc\r\n0\r\n\r\n"), FetchFailure::Network},
      {"chunked body cut short", Reply().Send(chunked + "400\r\n" + Bytes(100, 'p')), FetchFailure::Network},
      {"no reply at all", Reply().Send(""), FetchFailure::Network, 0},
      {"not HTTP", Reply().Send("hello there\r\n\r\nsome bytes"), FetchFailure::Network, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server;
    server.On("/pic.jpg", c.reply);
    TempDir dir;
    UrlRequest request = PictureRequest(server, "/pic.jpg", dir, "pic.jpg");
    request.minSizeK = c.minSizeK;
    UrlResponse response;
    EXPECT_FALSE(Fetch(request, response, 3));
    EXPECT_EQ(response.failure, c.expected) << Reason(response);
    if (c.expected != FetchFailure::Network || c.status == 0) {
      EXPECT_EQ(response.httpStatus, c.status);
    }
    EXPECT_TRUE(response.body.empty());
    EXPECT_EQ(FolderEntries(dir.path()), Files{});
    if (c.expected == FetchFailure::Network && !c.aPageKeepsIt) {
      UrlRequest page = test::PageRequest(server, "/pic.jpg");
      EXPECT_FALSE(Fetch(page, response, 0));
    }
  }

  UrlRequest nowhere(u"http://127.0.0.1:1/pic.jpg", u"/tmp/never.jpg", 20000);
  nowhere.retryDelaySec = 0;
  UrlResponse response;
  EXPECT_FALSE(Fetch(nowhere, response, 3));
  EXPECT_EQ(response.failure, FetchFailure::Network);
  EXPECT_EQ(response.httpStatus, 0);
}

// A picture reply is judged by its first (decoded) bytes before its Content-Type: a picture the server
// calls a page is saved, a page it calls a picture is refused, and a refused reply leaves the older file.
TEST(FetchReasons, APictureIsJudgedByItsFirstBytes) {
  const std::string html = "Content-Type: text/html";
  const Bytes jpeg = "\xFF\xD8\xFF\xE0" + test::Pattern(5000);
  const Bytes page = "\r\n<!DOCTYPE html><html><body>the picture is gone</body></html>";
  struct Case {
    const char* name;
    Bytes body;
    std::vector<std::string> head;
    FetchFailure expected;
    int minSizeK = 0;
  };
  const Case cases[] = {
      {"a JPEG called a page", jpeg, {html}, FetchFailure::None},
      {"a compressed JPEG called a page", test::Compress(jpeg), {html, kGzip}, FetchFailure::None},
      {"a GIF shorter than what is looked at, called a page", "GIF89a\x01\x01", {html}, FetchFailure::None},
      {"a page called a JPEG", page, {kJpeg}, FetchFailure::NotPicture},
      {"a page without a Content-Type", "\xEF\xBB\xBF<html>", {}, FetchFailure::NotPicture},
      {"a compressed page called a JPEG", test::Compress(page), {kJpeg, kGzip}, FetchFailure::NotPicture},
      {"no known format, called a page", test::Pattern(3000), {html}, FetchFailure::NotPicture},
      {"a JPEG called a page, announced below the minimum", jpeg, {html}, FetchFailure::SizeLimit, 100},
      {"a page announced below the minimum", page, {html}, FetchFailure::NotPicture, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server;
    server.On("/pic.jpg", Respond(200, c.body, c.head));
    TempDir dir;
    test::WriteWholeFile(dir.file("pic.jpg"), "the older picture");
    UrlRequest request = PictureRequest(server, "/pic.jpg", dir, "pic.jpg");
    request.minSizeK = c.minSizeK;
    UrlResponse response;
    EXPECT_EQ(Fetch(request, response, 3), c.expected == FetchFailure::None);
    EXPECT_EQ(response.failure, c.expected) << Reason(response);
    const bool packed = std::find(c.head.begin(), c.head.end(), kGzip) != c.head.end();
    EXPECT_EQ(test::ReadWholeFile(dir.file("pic.jpg")),
              c.expected != FetchFailure::None ? "the older picture" : packed ? jpeg : c.body);
    EXPECT_EQ(FolderEntries(dir.path()), Files{"pic.jpg"});
  }
}

// A picture the disk has no room for says so where the reason is shown, and leaves the older file whole;
// any other write failure keeps the short reason.
TEST(FetchReasons, AFullDiskIsNamed) {
  ScriptedServer server;
  server.On("/pic.jpg", Respond(200, test::Pattern(50000), {kJpeg}));
  TempDir dir;
  test::WriteWholeFile(dir.file("pic.jpg"), "the older picture");
  UrlRequest request = PictureRequest(server, "/pic.jpg", dir, "pic.jpg");
  UrlResponse response;
  EXPECT_FALSE(test::WithFileSizeLimit(4096, [&] { return Fetch(request, response, 3); }));
  EXPECT_EQ(response.failure, FetchFailure::CannotWrite);
  EXPECT_EQ(TextToUtf8(DescribeFetchFailure(response)), "cannot write the file: the disk is full");
  EXPECT_EQ(test::ReadWholeFile(dir.file("pic.jpg")), "the older picture");
  EXPECT_EQ(FolderEntries(dir.path()), Files{"pic.jpg"});

  UrlRequest nowhere = PictureRequest(server, "/pic.jpg", dir, "missing/pic.jpg");
  EXPECT_FALSE(Fetch(nowhere, response, 3));
  EXPECT_EQ(TextToUtf8(DescribeFetchFailure(response)), "cannot write the file");
}

// A compressed picture's limits apply to the picture, not to the compressed bytes, and with no upper limit
// of the caller's a picture may be far larger than any page.
TEST(FetchReasons, CompressedPictureIsJudgedByWhatItDecodesTo) {
  struct Case {
    const char* name;
    std::size_t size;
    bool announced;
    int minSizeK;
    int maxSizeK;
    bool zlib = false;
  };
  const Case cases[] = {
      {"small when compressed, above the minimum decoded", 30 * 1024, true, 20, 0},
      {"the same without a length", 30 * 1024, false, 20, 0},
      {"exactly at the maximum", 40 * 1024, true, 0, 40},
      {"deflate, as zlib", 30 * 1024, true, 20, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes plain = Compressible(c.size);
    const Bytes packed = test::Compress(plain, !c.zlib);
    ASSERT_LT(packed.size(), plain.size() / 10);
    const std::string encoding = c.zlib ? "Content-Encoding: deflate" : kGzip;
    ScriptedServer server;
    if (c.announced)
      server.On("/pic.jpg", Respond(200, packed, {kJpeg, encoding}));
    else
      server.On("/pic.jpg", Reply().Send(HttpHead(200, {kJpeg, encoding}) + packed));
    TempDir dir;
    UrlRequest request = PictureRequest(server, "/pic.jpg", dir, "pic.jpg");
    request.minSizeK = c.minSizeK;
    request.maxSizeK = c.maxSizeK;
    UrlResponse response;
    ASSERT_TRUE(Fetch(request, response, 3)) << Reason(response);
    EXPECT_TRUE(test::ReadWholeFile(dir.file("pic.jpg")) == plain);
  }

  // Larger than any page may be, and than the bound pictures once had (64 MiB): with no upper limit of
  // the caller's, only the picture limit applies to bytes that shrink no more than a flat bitmap's do
  // (runs of 64 like bytes: some twenty times).
  std::mt19937 noise(7);
  Bytes large(70u << 20, '\0');
  for (std::size_t i = 0; i < large.size(); i += 64) std::fill_n(&large[i], 64, static_cast<char>(noise()));
  ScriptedServer server;
  server.On("/big.jpg", Respond(200, test::Compress(large), {kJpeg, kGzip}));
  TempDir dir;
  UrlRequest request = PictureRequest(server, "/big.jpg", dir, "big.jpg");
  UrlResponse response;
  ASSERT_TRUE(Fetch(request, response, 3)) << Reason(response);
  EXPECT_TRUE(test::ReadWholeFile(dir.file("big.jpg")) == large);
}

// The picture is on disk, under its temporary name, while the rest is still on the way; only the whole of
// it takes the final name. For a compressed reply, what is on disk is already decoded.
TEST(FetchReasons, PictureStreamsToDiskAsItArrives) {
  const Bytes plain = test::Pattern(6u << 20);
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed ? "compressed" : "plain");
    const Bytes sent = compressed ? test::Compress(plain) : plain;
    std::vector<std::string> head = {kJpeg, "Content-Length: " + std::to_string(sent.size())};
    if (compressed) head.push_back(kGzip);
    const std::size_t firstPart = sent.size() / 2;
    ScriptedServer server;
    server.On("/pic.jpg",
              Reply().Send(HttpHead(200, head) + sent.substr(0, firstPart)).Pause(1500).Send(sent.substr(firstPart)));
    TempDir dir;
    UrlRequest request = PictureRequest(server, "/pic.jpg", dir, "pic.jpg");
    UrlResponse response;
    std::atomic<bool> done{false};
    std::thread fetcher([&] {
      EXPECT_TRUE(Fetch(request, response, 3));
      done = true;
    });
    // About half of the picture, give or take what the socket buffers still hold.
    std::uintmax_t partSize = 0;
    EXPECT_TRUE(test::WaitFor(
        [&] {
          for (const std::string& name : FolderEntries(dir.path())) {
            std::error_code ec;
            if (name.ends_with(".part")) partSize = std::filesystem::file_size(dir.file(name), ec);
            if (!ec && partSize >= plain.size() / 3) return true;
          }
          return false;
        },
        std::chrono::milliseconds(1400)))
        << "no growing temporary file; largest seen " << partSize;
    EXPECT_FALSE(done.load());
    EXPECT_FALSE(test::PathExists(dir.file("pic.jpg")));
    fetcher.join();
    EXPECT_EQ(FolderEntries(dir.path()), Files{"pic.jpg"});
    EXPECT_TRUE(test::ReadWholeFile(dir.file("pic.jpg")) == plain);
  }
}

// A whole picture replaces the older file of its name; a refused one (by Fetch's acceptance check, which
// happens before the file is put in place) never does.
TEST(FetchReasons, OnlyAWholePictureReplacesTheOlderFile) {
  ScriptedServer server;
  const Bytes picture = test::Pattern(700000);
  server.On("/pic.jpg", Respond(200, picture, {kJpeg}));
  server.On("/busy.jpg", Respond(200, "server busy, try again", {kJpeg}));
  TempDir dir;
  for (const char* name : {"pic.jpg", "busy.jpg"}) test::WriteWholeFile(dir.file(name), "the older picture");
  UrlResponse response;
  UrlRequest whole = PictureRequest(server, "/pic.jpg", dir, "pic.jpg");
  ASSERT_TRUE(Fetch(whole, response, 3));
  EXPECT_TRUE(test::ReadWholeFile(dir.file("pic.jpg")) == picture);

  UrlRequest refused = PictureRequest(server, "/busy.jpg", dir, "busy.jpg");
  refused.retryMarker = "busy";
  refused.attempts = 2;
  EXPECT_FALSE(Fetch(refused, response, 3));
  EXPECT_EQ(response.failure, FetchFailure::NotPicture);
  EXPECT_EQ(server.RequestCount("/busy.jpg"), 2u);
  EXPECT_EQ(test::ReadWholeFile(dir.file("busy.jpg")), "the older picture");
  EXPECT_EQ(FolderEntries(dir.path()), (Files{"busy.jpg", "pic.jpg"}));
}

}  // namespace
}  // namespace albatrix
