// The fetcher's way out through a proxy: requests for other hosts go through the proxy chosen, loopback
// never does, and a proxy that cannot be reached or refuses fails the request with a reason naming it,
// never sending it directly instead.
#include "MyCode/URLSource2.h"

#include <gtest/gtest.h>

#include "support/FetchKit.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"
#include "support/TestProxy.h"

namespace albatrix {
namespace {

using test::Respond;
using test::ScriptedServer;
using test::TempDir;
using test::TestProxy;

constexpr const char* kMadeUpHost = "pics.proxy-test.invalid";

class ProxyFetchSiteTest : public ::testing::Test {
 protected:
  void TearDown() override { ChooseProxy({}); }  // the process's other tests follow the system again

  // The site's address under the made-up name that only the test's proxy knows.
  std::string MadeUpUrl(const std::string& target) const {
    return std::string("http://") + kMadeUpHost + ":" + std::to_string(site.Port()) + target;
  }
  UrlRequest PictureTo(const std::string& url, const std::string& name) {
    UrlRequest request(Utf8ToText(url), Utf8ToText(dir.file(name)), 5000);
    request.retryDelaySec = 0;
    return request;
  }

  ScriptedServer site;
  TempDir dir;
};

TEST_F(ProxyFetchSiteTest, OtherHostsGoThroughTheProxyAndLoopbackDirectly) {
  const Bytes picture = test::Pattern(30000);
  site.On("/pic.jpg", Respond(200, picture, {"Content-Type: image/jpeg"}));
  site.On("/page", Respond(200, "<html>page</html>"));
  TestProxy proxy;
  proxy.Map(std::string(kMadeUpHost) + ":" + std::to_string(site.Port()), site.Port());
  ChooseProxy({ProxyChoice::Kind::Fixed, proxy.Url()});

  UrlRequest request = PictureTo(MadeUpUrl("/pic.jpg"), "pic.jpg");
  UrlResponse response;
  ASSERT_TRUE(Fetch(request, response, 0)) << TextToUtf8(DescribeFetchFailure(response));
  EXPECT_EQ(test::ReadWholeFile(dir.file("pic.jpg")), picture);

  UrlRequest page(Utf8ToText(site.Url("/page")), u"", 5000);
  ASSERT_TRUE(Fetch(page, response, 0));
  EXPECT_EQ(proxy.Log(), std::vector<std::string>{"GET " + MadeUpUrl("/pic.jpg")});
  ASSERT_EQ(site.RequestCount(), 2u);
  EXPECT_EQ(site.Requests()[0].target, "/pic.jpg");  // forwarded by the proxy
  EXPECT_EQ(site.Requests()[1].target, "/page");     // straight from the fetcher
}

TEST_F(ProxyFetchSiteTest, AProxyThatFailsIsNamedAndNothingGoesDirectly) {
  site.On("/pic.jpg", Respond(200, test::Pattern(3000), {"Content-Type: image/jpeg"}));
  // A loopback port with no one listening.
  int closedPort = 0;
  test::CloseSocket(test::ListenOnLoopback(closedPort));
  // A proxy that wants a password.
  ScriptedServer guarded;
  guarded.On(MadeUpUrl("/pic.jpg"), Respond(407, "", {"Proxy-Authenticate: Basic realm=\"lan\""}));
  const std::string closed = "http://127.0.0.1:" + std::to_string(closedPort);
  const std::string asking = "http://127.0.0.1:" + std::to_string(guarded.Port());
  struct Case {
    std::string proxy;
    std::string reason;
  } cases[] = {
      {closed, "cannot connect to the proxy " + closed},
      {asking, "the proxy " + asking + " asks for a password (HTTP 407)"},
  };
  for (const Case& c : cases) {
    ChooseProxy({ProxyChoice::Kind::Fixed, c.proxy});
    UrlRequest request = PictureTo(MadeUpUrl("/pic.jpg"), "pic.jpg");
    UrlResponse response;
    EXPECT_FALSE(Fetch(request, response, 0)) << c.proxy;
    EXPECT_EQ(response.failure, FetchFailure::Proxy) << c.proxy;
    EXPECT_EQ(TextToUtf8(DescribeFetchFailure(response)), c.reason);
    EXPECT_TRUE(test::FolderEntries(TextToUtf8(dir.folder())).empty()) << c.proxy;
  }
  EXPECT_EQ(site.RequestCount(), 0u);
}

}  // namespace
}  // namespace albatrix
