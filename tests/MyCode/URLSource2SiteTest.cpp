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
using test::SecondsSince;
using test::TempDir;
using Clock = std::chrono::steady_clock;

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

// Markers split across network writes, or an end marker in the middle of one large read: once the end
// marker is in, the client stops the transfer and leaves, however much more the server had to send.
TEST(FetchSite, MarkersSplitAcrossNetworkWrites) {
  Bytes before = Pattern(300000);
  for (char& ch : before) ch = static_cast<char>('a' + static_cast<unsigned char>(ch) % 26);
  struct Case {
    const char* name;
    std::vector<std::string> head;
    std::vector<std::string> writes;
    Bytes start;
    Bytes end;
    Bytes expected;
  };
  const Case cases[] = {
      {"start marker split", {}, {"junk<div cl", "ass=\"a\">wanted", " text"}, "<div class=\"a\">", "", "wanted text"},
      {"end marker split", {}, {"wanted</u", "l>the rest"}, "", "</ul>", "wanted"},
      {"both split, start twice", {}, {"a<S", ">b<S>", "c<", "E>d"}, "<S>", "<E>", "c"},
      {"start never seen", {}, {"all ", "of ", "it"}, "<S>", "", "all of it"},
      {"end in the middle of a large read, of 50 MB announced", {"Content-Length: 50000000"},
       {before + "<END>" + Bytes(200000, 'z')}, "", "<END>", before},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server;
    Reply reply;
    reply.Send(HttpHead(200, c.head));
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
    EXPECT_TRUE(Fetch(request, response, 0));
    EXPECT_LT(SecondsSince(began), 3.0);
    EXPECT_TRUE(response.body == c.expected) << response.body.substr(0, 100);
    EXPECT_EQ(response.startMarker, c.start);
    EXPECT_EQ(response.endMarker, c.end);
    if (!c.end.empty()) {
      EXPECT_TRUE(test::WaitFor([&] { return server.AllDone(); }));
      EXPECT_TRUE(server.Requests()[0].clientLeft);
    }
  }
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
      {"empty is still a page", true, 0, 0, 0, true, 0},
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

// A compressed page is kept as it came, for GetText to decode and filter.
TEST(FetchSite, GzipReplyIsKeptAsSent) {
  ScriptedServer server;
  const Bytes packed = test::Compress("<html>head<S>wanted &amp; text<E>tail</html>");
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

// Fetch's acceptance check: a reply with the retry marker, or no longer than the minimum length, is asked
// for again after the pause, up to the attempts; a compressed one is looked into only when the caller
// decodes it (FETCH_ALLOW_CACHE).
TEST(FetchSite, AcceptanceCheckRetriesAfterItsPause) {
  ScriptedServer server;
  server.On("/busy", Respond(200, "<p>server busy, try later</p>"));
  server.On("/flaky", std::vector<Reply>{Respond(200, "busy"), Respond(200, "x"), Respond(200, "the page")});
  server.On("/z", Respond(200, test::Compress("maintenance: busy"), {"Content-Encoding: gzip"}));
  UrlResponse response;

  UrlRequest busy = PageRequest(server, "/busy");
  busy.retryMarker = "busy";
  busy.attempts = 3;
  busy.retryDelaySec = 1;
  auto began = Clock::now();
  EXPECT_FALSE(Fetch(busy, response, 0));
  EXPECT_EQ(server.RequestCount("/busy"), 3u);
  EXPECT_GE(SecondsSince(began), 2.95);  // each attempt followed by its pause
  EXPECT_LT(SecondsSince(began), 5.0);
  EXPECT_EQ(response.body, "<p>server busy, try later</p>");  // what the last attempt left

  UrlRequest flaky = PageRequest(server, "/flaky");
  flaky.retryMarker = "busy";
  flaky.minBodyLength = 1;  // "x" is not longer than 1 byte
  flaky.attempts = 5;
  EXPECT_TRUE(Fetch(flaky, response, 0));
  EXPECT_EQ(response.body, "the page");
  EXPECT_EQ(server.RequestCount("/flaky"), 3u);

  UrlRequest packed = PageRequest(server, "/z");
  packed.retryMarker = "busy";
  EXPECT_TRUE(Fetch(packed, response, 0));  // the compressed bytes do not show the marker
  EXPECT_FALSE(Fetch(packed, response, FETCH_ALLOW_CACHE));
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

// A server that takes the connection and never answers: the connect time-out bounds the wait for the
// headers, whatever the read time-out.
TEST(FetchSite, NoReplyFailsAfterTheConnectTimeOut) {
  ScriptedServer server;
  server.On("/s", Reply().Stall());
  UrlRequest request = PageRequest(server, "/s");
  request.connectTimeoutMs = 600;
  request.readTimeoutMs = 60000;
  UrlResponse response;
  auto began = Clock::now();
  EXPECT_FALSE(Fetch(request, response, 0));
  EXPECT_EQ(response.failure, FetchFailure::Timeout);
  EXPECT_GE(SecondsSince(began), 0.55);
  EXPECT_LT(SecondsSince(began), 2.0);
}

// The abort flag ends a stalled transfer and the pause between attempts; raised before, it sends nothing.
TEST(FetchSite, AbortFlagEndsAStalledFetchAndThePauseBetweenAttempts) {
  struct Case {
    const char* name;
    const char* target;
    int abortAfterMs;  // -1: raised before the fetch
    double within;
    std::size_t requests;
  } const cases[] = {
      {"a stalled transfer", "/stall", 200, 1.0, 1},
      {"the pause after a busy reply", "/busy", 300, 1.5, 1},
      {"raised before", "/busy", -1, 1.0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server;
    server.On("/stall", Reply().Send(HttpHead(200, {"Content-Length: 1000"})).Stall());
    server.On("/busy", Respond(200, "busy"));
    std::atomic<bool> abort{c.abortAfterMs < 0};
    UrlRequest request = PageRequest(server, c.target);
    request.readTimeoutMs = 30000;
    request.retryMarker = "busy";
    request.attempts = 3;
    request.retryDelaySec = 10;
    request.abort = &abort;
    UrlResponse response;
    auto began = Clock::now();
    std::thread setter([&] {
      if (c.abortAfterMs < 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(c.abortAfterMs));  // the fetch is blocked by then
      abort = true;
    });
    EXPECT_FALSE(Fetch(request, response, 0));
    setter.join();
    EXPECT_LT(SecondsSince(began), c.within);
    EXPECT_EQ(server.RequestCount(), c.requests);
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
