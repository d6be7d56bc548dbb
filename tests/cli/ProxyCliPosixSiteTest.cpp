// albatrix-cli behind the system's proxy, set as a desktop without proxy settings of its own sets it: in
// http_proxy and https_proxy, which libproxy reads. The stand-in site is called by a made-up name that
// only the test's proxy resolves, so a request reaches it through the proxy or not at all.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/CliRun.h"
#include "support/SiteFixture.h"
#include "support/TempDir.h"
#include "support/TestMembers.h"
#include "support/TestProxy.h"
#include "support/TestSocket.h"

namespace albatrix {
namespace {

constexpr const char* kMadeUpHost = "albums.proxy-test.invalid";

using test::CliRun;
using test::Said;

class ProxyCliSiteTest : public test::SiteFixture {
 protected:
  SiteOptions Options() const override {
    SiteOptions options = test::OpenSiteOptions();
    options.logRequests = true;
    options.hostName = kMadeUpHost;
    return options;
  }
  void SetUp() override {
    test::SiteFixture::SetUp();
    site().AddMember(test::MemberWith("kobe", {u"Trip", u"A & B"}, 1, 1, 1));
    proxy.Map(std::string(kMadeUpHost) + ":" + std::to_string(site().Port()), site().Port());
  }

  // albatrix-cli with `systemProxy` as the system's proxy for http and https.
  CliRun Cli(const std::string& systemProxy, const std::vector<std::string>& args) {
    return test::RunCli(dir, args, {{"http_proxy", systemProxy}, {"https_proxy", systemProxy}, {"no_proxy", ""}});
  }
  std::vector<std::string> Args(const std::string& command, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--site", site().BaseUrl(), command, site().MemberUrl("kobe")};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  // What the proxy forwarded and what the site received, "METHOD path" each, in one order.
  std::vector<std::string> Forwarded() {
    std::vector<std::string> requests;
    const std::string base = site().BaseUrl();
    for (std::string entry : proxy.Log()) {
      const std::size_t at = entry.find(base);
      if (at != std::string::npos) entry.erase(at, base.size());
      requests.push_back(entry);
    }
    std::sort(requests.begin(), requests.end());
    return requests;
  }
  std::vector<std::string> Received() {
    std::vector<std::string> requests;
    for (const SiteRequest& request : site().RequestLog()) requests.push_back(request.method + " " + request.target);
    std::sort(requests.begin(), requests.end());
    return requests;
  }

  test::TestProxy proxy;
  test::TempDir dir;
};

TEST_F(ProxyCliSiteTest, EveryRequestOfAListingAndADownloadGoesThroughTheSystemProxy) {
  CliRun list = Cli(proxy.Url(), Args("list"));
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(Forwarded(), (std::vector<std::string>{"GET /kobe/photo-1", "GET /kobe/photo-2"}));
  EXPECT_EQ(Received(), Forwarded());

  site().ResetCounts();
  proxy.ClearLog();
  CliRun download = Cli(proxy.Url(), Args("download", {"--save", "out"}));
  EXPECT_EQ(download.status, 0);
  ASSERT_FALSE(download.err.empty());
  EXPECT_EQ(download.err.back(), "2 albums, 2 pictures listed, 2 files saved, 0 left out by size limits, 0 failed");
  // Album pages and pictures too, request for request.
  EXPECT_EQ(Forwarded(), (std::vector<std::string>{"GET /kobe/photo-1", "GET /kobe/photo-2", "GET /kobe/photo/a1-1.html",
                                                   "GET /kobe/photo/a2-1.html", "GET /pic/kobe/a1/big.1.jpg",
                                                   "GET /pic/kobe/a2/big.1.jpg"}));
  EXPECT_EQ(Received(), Forwarded());
}

TEST_F(ProxyCliSiteTest, ProxyNoneConnectsDirectly) {
  CliRun run = Cli(proxy.Url(), Args("list", {"--proxy", "none"}));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(proxy.Log().empty());
  EXPECT_TRUE(Said(run, std::string("相册列表第1页读取失败: cannot find the host ") + kMadeUpHost));
}

TEST_F(ProxyCliSiteTest, AProxyThatCannotBeReachedIsNamedAndNothingGoesDirectly) {
  int closedPort = 0;
  test::CloseSocket(test::ListenOnLoopback(closedPort));
  const std::string unreachable = "http://127.0.0.1:" + std::to_string(closedPort);
  for (const std::string command : {"list", "download"}) {
    CliRun run = Cli(unreachable, command == "list" ? Args(command) : Args(command, {"--save", "out"}));
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_TRUE(Said(run, "相册列表第1页读取失败: cannot connect to the proxy " + unreachable)) << command;
  }
  // --proxy takes the system's place, to the same end.
  CliRun run = Cli("", {"--proxy", unreachable, "--site", site().BaseUrl(), "list", site().MemberUrl("kobe")});
  EXPECT_TRUE(Said(run, "相册列表第1页读取失败: cannot connect to the proxy " + unreachable));
  EXPECT_EQ(site().TotalRequests(), 0);
}

}  // namespace
}  // namespace albatrix
