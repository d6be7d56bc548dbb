// Connections kept alive between the fetcher and the stand-in site, and the site's emulated network.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <tuple>

#include "MyCode/URLSource2.h"
#include "download/DownProc.h"
#include "download/SiteRun.h"
#include "support/SiteFixture.h"

namespace albatrix::test {
namespace {

using Clock = std::chrono::steady_clock;

std::size_t Connections(const std::vector<SiteRequest>& log) {
  std::set<std::uint64_t> seen;
  for (const SiteRequest& request : log) seen.insert(request.connection);
  return seen.size();
}

// The requests of a log as a sorted list: method, target and headers other than Connection.
auto Requests(const std::vector<SiteRequest>& log) {
  std::vector<std::tuple<std::string, std::string, std::vector<std::pair<std::string, std::string>>>> out;
  for (const SiteRequest& request : log) {
    auto headers = request.headers;
    std::erase_if(headers, [](const auto& header) { return header.first == "Connection"; });
    out.emplace_back(request.method, request.target, headers);
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST(KeepAliveSite, DownloadSendsTheSameRequestsOverFewerConnections) {
  SiteOptions options = OpenSiteOptions();
  options.logRequests = true;
  options.keepAlive = false;  // every reply closes its connection, as when no connection was kept
  options.demoShape = MemberShape{2, 30, 3, 20, 10};
  auto site = StartSite(options);
  ASSERT_NE(site, nullptr);
  auto download = [&] {
    SiteRun run(*site, AlbumSite::kDemoMember);
    run.rig.Run();
    EXPECT_EQ(FolderEntries(run.Album(TextToUtf8(site->Member("demo")->albums[0].title))).size(), 31u);
    return site->RequestLog();
  };
  const auto closing = download();
  options.keepAlive = true;
  site->Reset(options);
  const auto kept = download();

  ASSERT_GE(closing.size(), 66u);  // 2 albums of 3 pages and 30 pictures each
  EXPECT_EQ(Connections(closing), closing.size());
  EXPECT_LT(Connections(kept), kept.size() / 4);
  EXPECT_EQ(Requests(kept), Requests(closing));
}

// A new connection waits the latency twice before its first reply (handshake and round trip), a kept one
// once; a body arrives no faster than the rate.
TEST(KeepAliveSite, EmulatedLatencyAndRate) {
  SiteOptions options = OpenSiteOptions();
  options.latencyMs = 60;
  options.rateKbps = 256;
  options.logRequests = true;
  options.demoShape = MemberShape{1, 2, 64, 20, 20};
  auto site = StartSite(options);
  ASSERT_NE(site, nullptr);
  const SiteAlbum album = site->Member("demo")->albums[0];
  auto millisecondsFor = [&](int index) -> long long {
    UrlRequest request(Utf8ToText(site->PictureUrl("demo", album, index, true)), u"", 20000);
    UrlResponse response;
    auto start = Clock::now();
    if (!Fetch(request, response, 0) || response.body.size() != 64u * 1024) return -1;
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  };
  EXPECT_GE(millisecondsFor(1), 2 * 60 + 250);
  EXPECT_GE(millisecondsFor(2), 60 + 250);
  const auto log = site->RequestLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].connection, log[1].connection);
}

}  // namespace
}  // namespace albatrix::test
