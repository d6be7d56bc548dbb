// The fetcher against a real loopback server that replays canned replies, well-formed and broken.
#include "MyCode/URLSource2.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "support/FetchKit.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace albatrix {
namespace {

using test::HttpHead;
using test::PageRequest;
using test::Pattern;
using test::Reply;
using test::Respond;
using test::RespondOpen;
using test::ScriptedServer;
using test::TempDir;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point began) {
  return std::chrono::duration<double>(Clock::now() - began).count();
}

TEST(FetchSite, PageCarriesBrowserHeadersAndKeepsTheFinalHeaderBlock) {
  ScriptedServer server;
  server.On("/page?x=1", Respond(200, "hello page", {"Content-Type: text/html", "X-Mark: 7"}));
  UrlRequest request = PageRequest(server, "/page?x=1");
  request.extraHeaders += u"\r\nReferer: http://127.0.0.1/\r\n";
  UrlResponse response;
  ASSERT_TRUE(Fetch(request, response, 0));
  EXPECT_EQ(response.body, "hello page");
  EXPECT_EQ(response.rawHeaders.rfind(u"HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_NE(response.rawHeaders.find(u"\r\nX-Mark: 7\r\n"), Text::npos);
  EXPECT_EQ(response.rawHeaders.substr(response.rawHeaders.size() - 4), u"\r\n\r\n");
  EXPECT_FALSE(response.gzip);

  ASSERT_EQ(server.RequestCount(), 1u);
  test::RecordedRequest seen = server.Requests()[0];
  EXPECT_EQ(seen.requestLine, "GET /page?x=1 HTTP/1.1");
  EXPECT_EQ(seen.Header("User-Agent"), kBrowserUserAgent);
  EXPECT_EQ(seen.Header("Accept-Encoding"), "gzip, deflate");
  EXPECT_EQ(seen.Header("Referer"), "http://127.0.0.1/");
  EXPECT_FALSE(seen.HasHeader("Expect"));
}

TEST(FetchSite, MarkersSplitAcrossNetworkWrites) {
  struct Case {
    const char* name;
    std::vector<std::string> writes;
    Bytes start;
    Bytes end;
    Bytes expected;
  };
  const Case cases[] = {
      {"start marker split", {"junk<div cl", "ass=\"a\">wanted", " text"}, "<div class=\"a\">", "", "wanted text"},
      {"end marker split", {"wanted</u", "l>the rest"}, "", "</ul>", "wanted"},
      {"both split, start twice", {"a<S", ">b<S>", "c<", "E>d"}, "<S>", "<E>", "c"},
      {"start never seen", {"all ", "of ", "it"}, "<S>", "", "all of it"},
  };
  for (const Case& c : cases) {
    ScriptedServer server;
    Reply reply;
    reply.Send(HttpHead(200));
    for (const std::string& piece : c.writes) reply.Pause(40).Send(piece);
    // Once the end marker is in, the client must not wait for more.
    if (!c.end.empty()) reply.Stall();
    server.On("/list", reply);
    UrlRequest request = PageRequest(server, "/list");
    request.startMarker = c.start;
    request.endMarker = c.end;
    request.readTimeoutMs = 10000;
    UrlResponse response;
    auto began = Clock::now();
    EXPECT_TRUE(Fetch(request, response, 0)) << c.name;
    EXPECT_LT(SecondsSince(began), 3.0) << c.name;
    EXPECT_EQ(response.body, c.expected) << c.name;
    EXPECT_EQ(response.startMarker, c.start);
    EXPECT_EQ(response.endMarker, c.end);
  }
}

TEST(FetchSite, EndMarkerInTheMiddleOfALargeReadStopsTheTransfer) {
  ScriptedServer server;
  Bytes before = Pattern(300000);
  for (char& ch : before) ch = static_cast<char>('a' + static_cast<unsigned char>(ch) % 26);
  server.On("/big", Reply()
                        .Send(HttpHead(200, {"Content-Length: 50000000"}) + before + "<END>" + Bytes(200000, 'z'))
                        .Stall());
  UrlRequest request = PageRequest(server, "/big");
  request.endMarker = "<END>";
  request.readTimeoutMs = 10000;
  UrlResponse response;
  auto began = Clock::now();
  EXPECT_TRUE(Fetch(request, response, 0));
  EXPECT_LT(SecondsSince(began), 3.0);
  EXPECT_EQ(response.body, before);
  // The server sees the client leave long before its 50 MB were sent.
  EXPECT_TRUE(test::WaitFor([&] { return server.AllDone(); }));
  EXPECT_TRUE(server.Requests()[0].clientLeft);
}

TEST(FetchSite, AnnouncedLengthOutsideTheLimitsKeepsNoBody) {
  struct Case {
    const char* name;
    bool announce;
    std::size_t size;
    int minSizeK;
    int maxSizeK;
    bool ok;
    std::size_t bodyAfter;
  };
  const Case cases[] = {
      {"announced below the minimum", true, 5000, 10, 0, false, 0},
      {"announced above the maximum", true, 50000, 0, 10, false, 0},
      {"announced within", true, 50000, 10, 100, true, 50000},
      {"unannounced, short at the end: the page keeps it", false, 5000, 10, 0, false, 5000},
      {"unannounced, grows too large", false, 50000, 0, 10, false, SIZE_MAX},
  };
  for (const Case& c : cases) {
    ScriptedServer server;
    std::vector<std::string> headers;
    if (c.announce) headers.push_back("Content-Length: " + std::to_string(c.size));
    server.On("/p", Reply().Send(HttpHead(200, headers) + Pattern(c.size)));
    UrlRequest request = PageRequest(server, "/p");
    request.minSizeK = c.minSizeK;
    request.maxSizeK = c.maxSizeK;
    UrlResponse response;
    EXPECT_EQ(Fetch(request, response, 0), c.ok) << c.name;
    if (c.bodyAfter == SIZE_MAX)
      EXPECT_LE(response.body.size(), 10u * 1024) << c.name;
    else
      EXPECT_EQ(response.body.size(), c.bodyAfter) << c.name;
  }
}

TEST(FetchSite, GzipReplyIsKeptAsSentAndFilteredByGetText) {
  ScriptedServer server;
  Bytes page = "<html>head<S>old<S>wanted &amp; text<E>tail</html>";
  Bytes packed = test::Compress(page);
  server.On("/z", Respond(200, packed, {"Content-Encoding: gzip", "Content-Type: text/html"}));
  UrlRequest request = PageRequest(server, "/z");
  request.startMarker = "<S>";
  request.endMarker = "<E>";
  UrlResponse response;
  ASSERT_TRUE(Fetch(request, response, 0));
  EXPECT_TRUE(response.gzip);
  EXPECT_EQ(response.body, packed);  // unfiltered, not decompressed
  EXPECT_EQ(GetText(response, TEXT_GUNZIP), u"wanted & text");
}

TEST(FetchSite, CharsetGbkInTheHeadersForcesAnsi) {
  ScriptedServer server;
  const Bytes gbk = "\xCF\xE0\xB2\xE1&amp;";          // "相册&amp;" in GBK
  const Bytes utf8 = "\xE7\x9B\xB8\xE5\x86\x8C&amp;";  // the same in UTF-8
  server.On("/gbk", Respond(200, gbk, {"Content-Type: text/html; charset=GBK"}));
  server.On("/utf8", Respond(200, utf8, {"Content-Type: text/html; charset=utf-8"}));
  UrlResponse response;
  UrlRequest gbkRequest = PageRequest(server, "/gbk");
  ASSERT_TRUE(Fetch(gbkRequest, response, 0));
  EXPECT_EQ(GetText(response, TEXT_UTF8), u"相册&");
  UrlRequest utf8Request = PageRequest(server, "/utf8");
  ASSERT_TRUE(Fetch(utf8Request, response, 0));
  EXPECT_EQ(GetText(response, TEXT_UTF8), u"相册&");
}

TEST(FetchSite, ErrorPageIsAPageButNeverAPicture) {
  for (int status : {404, 500}) {
    ScriptedServer server;
    server.On("/missing.jpg", Respond(status, Bytes(2048, 'x'), {"Content-Type: text/html"}));

    UrlRequest page = PageRequest(server, "/missing.jpg");
    UrlResponse response;
    EXPECT_TRUE(Fetch(page, response, 0)) << status;
    EXPECT_EQ(response.body.size(), 2048u);
    EXPECT_NE(response.rawHeaders.find(Utf8ToText(std::to_string(status))), Text::npos);

    TempDir dir;
    UrlRequest picture = PageRequest(server, "/missing.jpg");
    picture.targetFile = Utf8ToText(dir.file("a.jpg"));
    EXPECT_FALSE(Fetch(picture, response, 3)) << status;
    EXPECT_TRUE(response.body.empty());
    EXPECT_TRUE(test::FolderEntries(dir.path()).empty());
  }
}

TEST(FetchSite, PictureIsWrittenWholeWithNoTemporaryLeft) {
  ScriptedServer server;
  Bytes picture = Pattern(700000);
  server.On("/pic.jpg", Respond(200, picture, {"Content-Type: image/jpeg"}));
  TempDir dir;
  test::WriteWholeFile(dir.file("pic.jpg"), "an older, shorter file");
  UrlRequest request = PageRequest(server, "/pic.jpg");
  request.targetFile = Utf8ToText(dir.file("pic.jpg"));
  request.minSizeK = 1;
  request.maxSizeK = 1000;
  UrlResponse response;
  ASSERT_TRUE(Fetch(request, response, 3));
  EXPECT_TRUE(response.body.empty());  // the picture went to its file, not into memory
  EXPECT_EQ(test::ReadWholeFile(dir.file("pic.jpg")), picture);
  EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"pic.jpg"});

  // A folder that does not exist: the attempt fails and says so by an empty body.
  UrlRequest nowhere = PageRequest(server, "/pic.jpg");
  nowhere.targetFile = Utf8ToText(dir.file("no-such-folder/pic.jpg"));
  EXPECT_FALSE(Fetch(nowhere, response, 3));
  EXPECT_TRUE(response.body.empty());
}

TEST(FetchSite, PictureCompressedUnaskedIsSavedDecoded) {
  ScriptedServer server;
  Bytes picture = Pattern(50000);
  server.On("/gz.jpg", Respond(200, test::Compress(picture), {"Content-Encoding: gzip"}));
  server.On("/zlib.jpg", Respond(200, test::Compress(picture, false), {"Content-Encoding: deflate"}));
  server.On("/broken.jpg", Respond(200, test::Compress(picture).substr(0, 1000), {"Content-Encoding: gzip"}));
  server.On("/bomb.jpg", Respond(200, test::Compress(Bytes(3 << 20, 'x')), {"Content-Encoding: gzip"}));
  TempDir dir;
  UrlResponse response;
  for (const char* name : {"gz.jpg", "zlib.jpg"}) {
    UrlRequest request = PageRequest(server, std::string("/") + name);
    request.extraHeaders.clear();  // the workers never ask for compression
    request.targetFile = Utf8ToText(dir.file(name));
    ASSERT_TRUE(Fetch(request, response, 3)) << name;
    EXPECT_EQ(test::ReadWholeFile(dir.file(name)), picture) << name;
  }
  // A stream that does not decode, or decodes past the size limit, is no picture.
  for (const char* name : {"broken.jpg", "bomb.jpg"}) {
    UrlRequest request = PageRequest(server, std::string("/") + name);
    request.targetFile = Utf8ToText(dir.file(name));
    request.maxSizeK = 1024;
    EXPECT_FALSE(Fetch(request, response, 3)) << name;
    EXPECT_FALSE(test::PathExists(dir.file(name))) << name;
  }
  EXPECT_EQ(test::FolderEntries(dir.path()).size(), 2u);
}

TEST(FetchSite, PictureRepliesThatAreNoPictureLeaveNoFile) {
  ScriptedServer server;
  server.On("/empty.jpg", Respond(200, ""));
  server.On("/busy.jpg", Respond(200, "<html>busy</html>"));
  TempDir dir;
  UrlResponse response;

  UrlRequest empty = PageRequest(server, "/empty.jpg");
  EXPECT_TRUE(Fetch(empty, response, 0));  // an empty page is still a page
  empty.targetFile = Utf8ToText(dir.file("empty.jpg"));
  EXPECT_FALSE(Fetch(empty, response, 3));

  UrlRequest busy = PageRequest(server, "/busy.jpg");
  busy.targetFile = Utf8ToText(dir.file("busy.jpg"));
  busy.retryMarker = "busy";
  busy.attempts = 2;
  EXPECT_FALSE(Fetch(busy, response, 3));
  EXPECT_EQ(server.RequestCount("/busy.jpg"), 2u);
  EXPECT_TRUE(response.body.empty());
  EXPECT_TRUE(test::FolderEntries(dir.path()).empty());
}

TEST(FetchSite, RetryMarkerGivesThreeRequestsAndThreePauses) {
  ScriptedServer server;
  server.On("/busy", Respond(200, "<p>server busy, try later</p>"));
  UrlRequest request = PageRequest(server, "/busy");
  request.retryMarker = "busy";
  request.attempts = 3;
  request.retryDelaySec = 1;
  UrlResponse response;
  auto began = Clock::now();
  EXPECT_FALSE(Fetch(request, response, 0));
  double took = SecondsSince(began);
  EXPECT_EQ(server.RequestCount("/busy"), 3u);
  EXPECT_GE(took, 2.95);
  EXPECT_LT(took, 5.0);
  EXPECT_EQ(response.body, "<p>server busy, try later</p>");  // what the last attempt left
}

TEST(FetchSite, AcceptanceCheckRetriesUntilTheReplyIsGood) {
  ScriptedServer server;
  server.On("/flaky", std::vector<Reply>{Respond(200, "busy"), Respond(200, "x"), Respond(200, "the page")});
  UrlRequest request = PageRequest(server, "/flaky");
  request.retryMarker = "busy";
  request.minBodyLength = 1;  // "x" is not longer than 1 byte
  request.attempts = 5;
  UrlResponse response;
  EXPECT_TRUE(Fetch(request, response, 0));
  EXPECT_EQ(response.body, "the page");
  EXPECT_EQ(server.RequestCount("/flaky"), 3u);
}

TEST(FetchSite, AcceptanceCheckLooksIntoGzipOnlyWithAllowCache) {
  ScriptedServer server;
  server.On("/z", Respond(200, test::Compress("maintenance: busy"), {"Content-Encoding: gzip"}));
  UrlRequest request = PageRequest(server, "/z");
  request.retryMarker = "busy";
  UrlResponse response;
  EXPECT_TRUE(Fetch(request, response, 0));  // the compressed bytes do not show the marker
  EXPECT_FALSE(Fetch(request, response, FETCH_ALLOW_CACHE));
}

TEST(FetchSite, RequestBodyArrivesWholeWithItsLength) {
  for (std::size_t size : {2500u, 2048u}) {
    ScriptedServer server;
    server.On("/form", Respond(200, "thanks"));
    UrlRequest request = PageRequest(server, "/form");
    request.verb = u"POST";
    request.body = Pattern(size);
    UrlResponse response;
    ASSERT_TRUE(Fetch(request, response, 0)) << size;
    EXPECT_EQ(response.body, "thanks");
    test::RecordedRequest seen = server.Requests().at(0);
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.Header("Content-Length"), std::to_string(size));
    EXPECT_FALSE(seen.chunked);
    EXPECT_FALSE(seen.HasHeader("Expect"));
    EXPECT_FALSE(seen.HasHeader("Content-Type"));  // only what the caller gives
    EXPECT_EQ(seen.body, request.body);
  }
}

TEST(FetchSite, BrokenTransfersFailAndWriteNothing) {
  struct Case {
    const char* name;
    Reply reply;
  };
  const std::string chunked = HttpHead(200, {"Transfer-Encoding: chunked"});
  const Case cases[] = {
      {"closed before Content-Length", Reply().Send(HttpHead(200, {"Content-Length: 1000"}) + Bytes(500, 'p'))},
      {"reset mid-body",
       Reply().Send(HttpHead(200, {"Content-Length: 100000"}) + Bytes(1000, 'p')).Pause(50).Reset()},
      {"bad chunk size", Reply().Send(chunked + "zz\r\nabc\r\n0\r\n\r\n")},
      {"chunked body cut short", Reply().Send(chunked + "400\r\n" + Bytes(100, 'p'))},
      {"no reply at all", Reply().Send("")},
      {"not HTTP", Reply().Send("hello there\r\n\r\nsome bytes")},
  };
  for (const Case& c : cases) {
    ScriptedServer server;
    server.On("/pic.jpg", c.reply);
    TempDir dir;
    UrlRequest picture = PageRequest(server, "/pic.jpg");
    picture.targetFile = Utf8ToText(dir.file("pic.jpg"));
    UrlResponse response;
    EXPECT_FALSE(Fetch(picture, response, 3)) << c.name;
    EXPECT_TRUE(response.body.empty()) << c.name;
    EXPECT_TRUE(test::FolderEntries(dir.path()).empty()) << c.name;

    UrlRequest page = PageRequest(server, "/pic.jpg");
    EXPECT_FALSE(Fetch(page, response, 0)) << c.name;
  }
}

TEST(FetchSite, SilenceFailsAfterItsTimeOutButSlowSteadyDataDoesNot) {
  {  // headers and part of the body, then nothing
    ScriptedServer server;
    server.On("/s", Reply().Send(HttpHead(200, {"Content-Length: 1000"}) + Bytes(100, 's')).Stall());
    TempDir dir;
    UrlRequest request = PageRequest(server, "/s");
    request.targetFile = Utf8ToText(dir.file("s.jpg"));
    request.readTimeoutMs = 600;
    UrlResponse response;
    auto began = Clock::now();
    EXPECT_FALSE(Fetch(request, response, 3));
    double took = SecondsSince(began);
    EXPECT_GE(took, 0.55);
    EXPECT_LT(took, 2.0);
    EXPECT_TRUE(test::FolderEntries(dir.path()).empty());
  }
  {  // no reply at all: the connect time-out bounds the wait for headers
    ScriptedServer server;
    server.On("/s", Reply().Stall());
    UrlRequest request = PageRequest(server, "/s");
    request.connectTimeoutMs = 600;
    request.readTimeoutMs = 60000;
    UrlResponse response;
    auto began = Clock::now();
    EXPECT_FALSE(Fetch(request, response, 0));
    double took = SecondsSince(began);
    EXPECT_GE(took, 0.55);
    EXPECT_LT(took, 2.0);
  }
  {  // a piece every 200 ms: slower overall than the time-out, but never silent that long
    ScriptedServer server;
    Reply reply;
    // Well above 1 KiB in every span of the time-out, however the pieces fall into the spans.
    reply.Send(HttpHead(200, {"Content-Length: 6000"}));
    for (int i = 0; i < 6; ++i) reply.Pause(200).Send(Bytes(1000, static_cast<char>('a' + i)));
    server.On("/slow", reply);
    UrlRequest request = PageRequest(server, "/slow");
    request.readTimeoutMs = 600;
    UrlResponse response;
    auto began = Clock::now();
    EXPECT_TRUE(Fetch(request, response, 0));
    EXPECT_GE(SecondsSince(began), 1.1);
    EXPECT_EQ(response.body.size(), 6000u);
  }
  for (const char* target : {"", "t.jpg"}) {  // a trickle, never silent: a page, then a picture
    SCOPED_TRACE(*target ? "picture" : "page");
    ScriptedServer server;
    Reply reply;
    reply.Send(HttpHead(200, {"Content-Length: 100000"}));
    for (int i = 0; i < 60; ++i) reply.Pause(100).Send(Bytes(20, 't'));
    server.On("/trickle", reply);
    TempDir dir;
    UrlRequest request = PageRequest(server, "/trickle");
    if (*target) request.targetFile = Utf8ToText(dir.file(target));
    request.readTimeoutMs = 600;
    UrlResponse response;
    auto began = Clock::now();
    EXPECT_FALSE(Fetch(request, response, 0));
    EXPECT_EQ(response.failure, FetchFailure::Timeout);
    EXPECT_LT(SecondsSince(began), 1.3);  // at most twice the time-out
    EXPECT_TRUE(test::FolderEntries(dir.path()).empty());
  }
}

TEST(FetchSite, EndlessBodyIsCutAtTheCallersLimit) {
  ScriptedServer server;
  server.On("/endless", Reply().Send(HttpHead(200)).Endless(Bytes(16384, 'e')));
  TempDir dir;
  UrlRequest request = PageRequest(server, "/endless");
  request.targetFile = Utf8ToText(dir.file("e.jpg"));
  request.maxSizeK = 100;
  UrlResponse response;
  EXPECT_FALSE(Fetch(request, response, 3));
  EXPECT_TRUE(response.body.empty());
  EXPECT_TRUE(test::FolderEntries(dir.path()).empty());
  EXPECT_TRUE(test::WaitFor([&] { return server.AllDone(); }));
  EXPECT_TRUE(server.Requests()[0].clientLeft);
}

TEST(FetchSite, EndlessBodyWithoutALimitStopsAtTheMemoryCap) {
  ScriptedServer server;
  server.On("/endless", Reply().Send(HttpHead(200)).Endless(Bytes(65536, 'e')));
  UrlRequest request = PageRequest(server, "/endless");
  UrlResponse response;
  EXPECT_FALSE(Fetch(request, response, 0));
  EXPECT_LE(response.body.size(), kPageCapBytes);
  EXPECT_GT(response.body.size(), kPageCapBytes - (1u << 20));
  EXPECT_TRUE(test::WaitFor([&] { return server.AllDone(); }));
  EXPECT_TRUE(server.Requests()[0].clientLeft);
}

TEST(FetchSite, RedirectsAreFollowedWithinLimits) {
  ScriptedServer server;
  server.On("/old", Reply().Send(HttpHead(302, {"Location: /new", "Content-Length: 0"})));
  server.On("/new", Respond(200, "moved here", {"X-Final: yes"}));
  server.On("/loop", Reply().Send(HttpHead(302, {"Location: /loop", "Content-Length: 0"})));
  server.On("/ftp", Reply().Send(HttpHead(302, {"Location: ftp://127.0.0.1/x", "Content-Length: 0"})));
  server.On("/file", Reply().Send(HttpHead(302, {"Location: file:///etc/passwd", "Content-Length: 0"})));

  UrlResponse response;
  UrlRequest moved = PageRequest(server, "/old");
  ASSERT_TRUE(Fetch(moved, response, 0));
  EXPECT_EQ(response.body, "moved here");
  EXPECT_NE(response.rawHeaders.find(u"X-Final: yes"), Text::npos);
  EXPECT_EQ(response.rawHeaders.find(u"302"), Text::npos);  // only the final reply's block

  TempDir dir;
  UrlRequest picture = PageRequest(server, "/old");
  picture.targetFile = Utf8ToText(dir.file("moved.jpg"));
  ASSERT_TRUE(Fetch(picture, response, 3));
  EXPECT_EQ(test::ReadWholeFile(dir.file("moved.jpg")), "moved here");

  UrlRequest loop = PageRequest(server, "/loop");
  EXPECT_FALSE(Fetch(loop, response, 0));
  EXPECT_EQ(server.RequestCount("/loop"), static_cast<std::size_t>(kMaxRedirects + 1));

  for (const char* target : {"/ftp", "/file"}) {
    UrlRequest elsewhere = PageRequest(server, target);
    EXPECT_FALSE(Fetch(elsewhere, response, 0)) << target;
    EXPECT_EQ(server.RequestCount(target), 1u);
  }
}

TEST(FetchSite, AbortFlagEndsAStalledFetchAndThePauseBetweenAttempts) {
  ScriptedServer server;
  server.On("/stall", Reply().Send(HttpHead(200, {"Content-Length: 1000"})).Stall());
  server.On("/busy", Respond(200, "busy"));

  auto abortAfter = [](std::atomic<bool>& flag, int ms) {
    return std::thread([&flag, ms] {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      flag = true;
    });
  };
  {
    std::atomic<bool> abort{false};
    UrlRequest request = PageRequest(server, "/stall");
    request.readTimeoutMs = 30000;
    request.abort = &abort;
    UrlResponse response;
    auto began = Clock::now();
    std::thread setter = abortAfter(abort, 200);
    EXPECT_FALSE(Fetch(request, response, 0));
    setter.join();
    EXPECT_LT(SecondsSince(began), 1.0);
  }
  {
    std::atomic<bool> abort{false};
    UrlRequest request = PageRequest(server, "/busy");
    request.retryMarker = "busy";
    request.attempts = 3;
    request.retryDelaySec = 10;
    request.abort = &abort;
    UrlResponse response;
    auto began = Clock::now();
    std::thread setter = abortAfter(abort, 300);
    EXPECT_FALSE(Fetch(request, response, 0));
    setter.join();
    EXPECT_LT(SecondsSince(began), 1.5);
    EXPECT_EQ(server.RequestCount("/busy"), 1u);
  }
  {
    std::atomic<bool> abort{true};
    UrlRequest request = PageRequest(server, "/busy");
    request.abort = &abort;
    UrlResponse response;
    EXPECT_FALSE(Fetch(request, response, 0));
    EXPECT_EQ(server.RequestCount("/busy"), 1u);  // no new request
  }
}

// Attempts one after another share a connection; one the server closed while it was idle, or closed as
// the next request went out on it, gives way to a new one without failing the attempt.
TEST(FetchSite, KeptConnectionIsReusedAndReplacedWhenTheServerClosedIt) {
  ScriptedServer server;
  server.On("/one", RespondOpen(200, "one").KeepOpen());
  server.On("/two", RespondOpen(200, "two").Pause(20));  // then closed while the client holds it
  server.On("/three", RespondOpen(200, "three").KeepOpen());
  server.On("/four", {Reply(), RespondOpen(200, "four").KeepOpen()});  // closed as the request came
  auto fetch = [&](const std::string& name) {
    UrlRequest request = PageRequest(server, "/" + name);
    request.retryDelaySec = 0;
    UrlResponse response;
    return Fetch(request, response, 0) && response.body == name;
  };
  EXPECT_TRUE(fetch("one"));
  EXPECT_TRUE(fetch("two"));
  ASSERT_TRUE(test::WaitFor([&] { return server.Requests()[1].done; }));
  EXPECT_TRUE(fetch("three"));
  EXPECT_TRUE(fetch("four"));
  std::vector<std::pair<std::string, std::size_t>> seen;
  for (const test::RecordedRequest& r : server.Requests()) seen.emplace_back(r.target, r.connection);
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::size_t>>{
                      {"/one", 1}, {"/two", 1}, {"/three", 2}, {"/four", 2}, {"/four", 3}}));
}

// Fifteen workers over kept connections: each reply leaves its connection open for whichever worker
// asks next.
TEST(FetchSite, FifteenWorkersAtOnce) {
  ScriptedServer server;
  const int kWorkers = 15;
  std::vector<Bytes> pictures;
  for (int i = 0; i < kWorkers; ++i) {
    pictures.push_back(Pattern(150000 + static_cast<std::size_t>(i) * 1000));
    server.On("/p" + std::to_string(i) + ".jpg", RespondOpen(200, pictures.back()).KeepOpen());
  }
  server.On("/page", RespondOpen(200, test::Compress("<b>list</b>"), {"Content-Encoding: gzip"}).KeepOpen());
  TempDir dir;
  std::atomic<int> good{0};
  std::vector<std::thread> workers;
  for (int i = 0; i < kWorkers; ++i) {
    workers.emplace_back([&, i] {
      for (int round = 0; round < 3; ++round) {
        std::string name = "p" + std::to_string(i) + ".jpg";
        UrlRequest picture = PageRequest(server, "/" + name);
        picture.targetFile = Utf8ToText(dir.file(name));
        UrlResponse response;
        bool ok = Fetch(picture, response, 3) &&
                  test::ReadWholeFile(dir.file(name)) == pictures[static_cast<std::size_t>(i)];
        UrlRequest page = PageRequest(server, "/page");
        ok = ok && Fetch(page, response, 0) && GetText(response, TEXT_GUNZIP) == u"<b>list</b>";
        good += ok;
      }
    });
  }
  for (std::thread& t : workers) t.join();
  EXPECT_EQ(good.load(), kWorkers * 3);
  for (int i = 0; i < kWorkers; ++i)
    EXPECT_EQ(test::ReadWholeFile(dir.file("p" + std::to_string(i) + ".jpg")), pictures[i]);
  EXPECT_EQ(test::FolderEntries(dir.path()).size(), static_cast<std::size_t>(kWorkers));
  std::set<std::size_t> connections;
  for (const test::RecordedRequest& r : server.Requests()) connections.insert(r.connection);
  EXPECT_EQ(server.RequestCount(), static_cast<std::size_t>(kWorkers * 6));
  EXPECT_LE(connections.size(), static_cast<std::size_t>(kWorkers));
}

}  // namespace
}  // namespace albatrix
