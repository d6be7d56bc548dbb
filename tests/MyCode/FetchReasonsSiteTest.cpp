// Why a fetch failed, for every way it can, and what a picture reply must be to become a file: judged by
// its headers before any byte is kept, streamed to disk while it arrives, sized by what it decodes to.
#include "MyCode/URLSource2.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "support/FetchKit.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace albatrix {
namespace {

using test::HttpHead;
using test::PictureRequest;
using test::Reply;
using test::Respond;
using test::ScriptedServer;
using test::TempDir;

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

TEST(FetchReasons, EveryFailedPictureSaysWhyAndLeavesNoFile) {
  struct Case {
    const char* name;
    Reply reply;
    FetchFailure expected;
    long status = 200;
    int minSizeK = 0;
    int maxSizeK = 0;
    const char* file = "pic.jpg";
    bool abortWhileWaiting = false;
  };
  const Bytes body = test::Pattern(50000);
  const Bytes packed = test::Compress(Compressible(50000));
  const Case cases[] = {
      {"fine", Respond(200, body, {kJpeg}), FetchFailure::None},
      {"announced above the maximum", Respond(200, body, {kJpeg}), FetchFailure::SizeLimit, 200, 0, 10},
      {"announced below the minimum", Respond(200, body, {kJpeg}), FetchFailure::SizeLimit, 200, 100, 0},
      {"grows past the maximum", Reply().Send(HttpHead(200, {kJpeg}) + body), FetchFailure::SizeLimit, 200, 0, 10},
      {"ends below the minimum", Reply().Send(HttpHead(200, {kJpeg}) + body), FetchFailure::SizeLimit, 200, 100, 0},
      {"decodes past the maximum", Respond(200, packed, {kGzip}), FetchFailure::SizeLimit, 200, 0, 10},
      {"decodes below the minimum", Respond(200, packed, {kGzip}), FetchFailure::SizeLimit, 200, 100, 0},
      {"404", Respond(404, "<html>gone</html>", {"Content-Type: text/html"}), FetchFailure::HttpStatus, 404},
      {"500 without a body", Respond(500, ""), FetchFailure::HttpStatus, 500},
      {"closed before its length", Reply().Send(HttpHead(200, {"Content-Length: 100000"}) + body),
       FetchFailure::Network},
      {"two lengths that differ",
       Reply().Send(HttpHead(200, {kJpeg, "Content-Length: 3000", "Content-Length: 6000"}) + body.substr(0, 6000)),
       FetchFailure::Network},
      {"two lengths in one header", Reply().Send(HttpHead(200, {"Content-Length: 6000, 3000"}) + body.substr(0, 6000)),
       FetchFailure::Network},
      {"silence", Reply().Send(HttpHead(200, {"Content-Length: 1000"}) + "abc").Stall(), FetchFailure::Timeout},
      {"an HTML page saying the picture is gone",
       Respond(200, "<html>the picture was deleted</html>", {"Content-Type: text/html; charset=GBK"}),
       FetchFailure::NotPicture},
      {"empty", Respond(200, "", {kJpeg}), FetchFailure::NotPicture},
      {"compressed data that does not decode", Respond(200, "not gzip at all", {kGzip}), FetchFailure::NotPicture},
      {"no folder to write in", Respond(200, body, {kJpeg}), FetchFailure::CannotWrite, 200, 0, 0, "missing/pic.jpg"},
      {"cancelled while waiting", Reply().Send(HttpHead(200, {"Content-Length: 1000"})).Stall(),
       FetchFailure::Cancelled, 200, 0, 0, "pic.jpg", true},
  };
  for (const Case& c : cases) {
    ScriptedServer server;
    server.On("/pic.jpg", c.reply);
    TempDir dir;
    UrlRequest request = PictureRequest(server, "/pic.jpg", dir, c.file);
    request.minSizeK = c.minSizeK;
    request.maxSizeK = c.maxSizeK;
    request.readTimeoutMs = 500;
    std::atomic<bool> abort{false};
    request.abort = &abort;
    std::thread raiser;
    if (c.abortWhileWaiting) {
      raiser = std::thread([&] {
        test::WaitFor([&] { return server.RequestCount() > 0; });
        abort = true;
      });
    }
    UrlResponse response;
    bool ok = Fetch(request, response, FETCH_ALLOW_CACHE | FETCH_NO_RELOAD);
    if (raiser.joinable()) raiser.join();
    EXPECT_EQ(ok, c.expected == FetchFailure::None) << c.name;
    EXPECT_EQ(response.failure, c.expected) << c.name << ": " << Reason(response);
    if (c.expected != FetchFailure::Network && c.expected != FetchFailure::Timeout &&
        c.expected != FetchFailure::Cancelled) {
      EXPECT_EQ(response.httpStatus, c.status) << c.name;
    }
    EXPECT_TRUE(response.body.empty()) << c.name;
    if (ok) {
      EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"pic.jpg"}) << c.name;
    } else {
      EXPECT_TRUE(test::FolderEntries(dir.path()).empty()) << c.name;  // neither the picture nor its temporary
    }
  }

  UrlRequest nowhere(u"http://127.0.0.1:1/pic.jpg", u"/tmp/never.jpg", 20000);
  nowhere.retryDelaySec = 0;
  UrlResponse response;
  EXPECT_FALSE(Fetch(nowhere, response, 3));
  EXPECT_EQ(response.failure, FetchFailure::Network);
  EXPECT_EQ(response.httpStatus, 0);
}

TEST(FetchReasons, PagesSayWhyToo) {
  struct Case {
    const char* name;
    Reply reply;
    FetchFailure expected;
    long status;
    int maxSizeK = 0;
  };
  const Case cases[] = {
      {"an error page is still a page", Respond(404, "<html>gone</html>", {"Content-Type: text/html"}),
       FetchFailure::None, 404},
      {"announced above the maximum", Respond(200, test::Pattern(50000)), FetchFailure::SizeLimit, 200, 10},
      {"two lengths that differ",
       Reply().Send(HttpHead(200, {"Content-Length: 10", "Content-Length: 20"}) + Bytes(20, 'p')),
       FetchFailure::Network, 200},
      {"silence", Reply().Send(HttpHead(200, {"Content-Length: 1000"})).Stall(), FetchFailure::Timeout, 200},
  };
  for (const Case& c : cases) {
    ScriptedServer server;
    server.On("/page", c.reply);
    UrlRequest request = test::PageRequest(server, "/page");
    request.maxSizeK = c.maxSizeK;
    request.readTimeoutMs = 500;
    UrlResponse response;
    EXPECT_EQ(Fetch(request, response, 0), c.expected == FetchFailure::None) << c.name;
    EXPECT_EQ(response.failure, c.expected) << c.name << ": " << Reason(response);
    EXPECT_EQ(response.httpStatus, c.status) << c.name;
  }
}

TEST(FetchReasons, DescriptionsNameTheReason) {
  EXPECT_EQ(DescribeFetchFailure(FetchFailure::HttpStatus, 404), u"HTTP 404");
  EXPECT_EQ(DescribeFetchFailure(FetchFailure::SizeLimit, 0), u"left out by size limits");
  EXPECT_EQ(DescribeFetchFailure(FetchFailure::Timeout, 0), u"time-out");
  EXPECT_EQ(DescribeFetchFailure(FetchFailure::NotPicture, 200), u"not a picture");
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
  };
  const Case cases[] = {
      {"small when compressed, above the minimum decoded", 30 * 1024, true, 20, 0},
      {"the same without a length", 30 * 1024, false, 20, 0},
      {"exactly at the maximum", 40 * 1024, true, 0, 40},
  };
  for (const Case& c : cases) {
    const Bytes plain = Compressible(c.size);
    const Bytes packed = test::Compress(plain);
    ASSERT_LT(packed.size(), plain.size() / 10) << c.name;
    ScriptedServer server;
    if (c.announced)
      server.On("/pic.jpg", Respond(200, packed, {kJpeg, kGzip}));
    else
      server.On("/pic.jpg", Reply().Send(HttpHead(200, {kJpeg, kGzip}) + packed));
    TempDir dir;
    UrlRequest request = PictureRequest(server, "/pic.jpg", dir, "pic.jpg");
    request.minSizeK = c.minSizeK;
    request.maxSizeK = c.maxSizeK;
    UrlResponse response;
    ASSERT_TRUE(Fetch(request, response, 3)) << c.name << ": " << Reason(response);
    EXPECT_EQ(std::filesystem::file_size(dir.file("pic.jpg")), plain.size()) << c.name;
    EXPECT_TRUE(test::ReadWholeFile(dir.file("pic.jpg")) == plain) << c.name;
  }

  // Larger than any page may be, and than the bound pictures once had (64 MiB): with no upper limit of
  // the caller's, only the picture limit applies.
  ScriptedServer server;
  server.On("/big.jpg", Respond(200, test::GzipBomb(70), {kJpeg, kGzip}));
  TempDir dir;
  UrlRequest request = PictureRequest(server, "/big.jpg", dir, "big.jpg");
  UrlResponse response;
  ASSERT_TRUE(Fetch(request, response, 3)) << Reason(response);
  EXPECT_EQ(std::filesystem::file_size(dir.file("big.jpg")), 70u << 20);
}

// The picture is on disk, under its temporary name, while the rest is still on the way; only the whole of
// it takes the final name. For a compressed reply, what is on disk is already decoded.
TEST(FetchReasons, PictureStreamsToDiskAsItArrives) {
  const Bytes plain = test::Pattern(6u << 20);
  for (bool compressed : {false, true}) {
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
      EXPECT_TRUE(Fetch(request, response, 3)) << compressed;
      done = true;
    });
    // About half of the picture, give or take what the socket buffers still hold.
    std::uintmax_t partSize = 0;
    EXPECT_TRUE(test::WaitFor(
        [&] {
          for (const std::string& name : test::FolderEntries(dir.path())) {
            if (name.size() > 5 && name.substr(name.size() - 5) == ".part") {
              std::error_code ec;
              partSize = std::filesystem::file_size(dir.file(name), ec);
              if (!ec && partSize >= plain.size() / 3) return true;
            }
          }
          return false;
        },
        std::chrono::milliseconds(1400)))
        << compressed << ": no growing temporary file; largest seen " << partSize;
    EXPECT_FALSE(done.load()) << compressed;
    EXPECT_FALSE(test::PathExists(dir.file("pic.jpg"))) << compressed;
    fetcher.join();
    EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"pic.jpg"}) << compressed;
    EXPECT_TRUE(test::ReadWholeFile(dir.file("pic.jpg")) == plain) << compressed;
  }
}

// Fetch's acceptance check on a picture happens before the file is put in place: a refused reply never
// replaces the picture that was there.
TEST(FetchReasons, RefusedPictureKeepsTheOlderFile) {
  ScriptedServer server;
  server.On("/pic.jpg", Respond(200, "server busy, try again", {kJpeg}));
  TempDir dir;
  test::WriteWholeFile(dir.file("pic.jpg"), "the older picture");
  UrlRequest request = PictureRequest(server, "/pic.jpg", dir, "pic.jpg");
  request.retryMarker = "busy";
  UrlResponse response;
  EXPECT_FALSE(Fetch(request, response, 3));
  EXPECT_EQ(response.failure, FetchFailure::NotPicture);
  EXPECT_EQ(test::ReadWholeFile(dir.file("pic.jpg")), "the older picture");
  EXPECT_EQ(test::FolderEntries(dir.path()).size(), 1u);
}

}  // namespace
}  // namespace albatrix
