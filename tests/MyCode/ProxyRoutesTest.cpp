// How the way out is chosen from what the user and the system said: --proxy's value, which hosts never
// go through a proxy, and the system's answers as libproxy and WinHTTP give them.
#include "MyCode/ProxyRoutes.h"

#include <gtest/gtest.h>

namespace albatrix {
namespace {

TEST(ProxyRoutes, TheProxyOption) {
  using Kind = ProxyChoice::Kind;
  struct Case {
    const char* value;
    Kind kind;
    const char* proxy;
  } cases[] = {
      {"none", Kind::None, ""},
      {"NONE", Kind::None, ""},
      {"http://proxy.lan:3128", Kind::Fixed, "http://proxy.lan:3128"},
      {"HTTP://proxy.lan:3128/", Kind::Fixed, "http://proxy.lan:3128"},
      {"proxy.lan:8080", Kind::Fixed, "http://proxy.lan:8080"},  // as the system's settings write it
      {"socks5h://10.1.1.1:1080", Kind::Fixed, "socks5h://10.1.1.1:1080"},
      {"socks://10.1.1.1:1080", Kind::Fixed, "socks5://10.1.1.1:1080"},
      {"https://user:pw@proxy.lan:443", Kind::Fixed, "https://user:pw@proxy.lan:443"},
  };
  for (const Case& c : cases) {
    const ProxyOption option = ParseProxyOption(c.value);
    EXPECT_EQ(option.error, "") << c.value;
    EXPECT_EQ(option.choice.kind, c.kind) << c.value;
    EXPECT_EQ(option.choice.proxy, c.proxy) << c.value;
  }
  for (const char* bad : {"", "ftp://proxy.lan:21", "http://", "http://:8080", "http://proxy.lan/path"})
    EXPECT_EQ(ParseProxyOption(bad).error,
              std::string("--proxy needs none or a proxy address such as http://host:port, not '") + bad + "'");
}

TEST(ProxyRoutes, RoutesAreKeptBySchemeAndHostAndLoopbackNeverGoesOut) {
  struct Case {
    const char* url;
    const char* key;
    bool loopback;
  } cases[] = {
      {"http://My.Hupu.com/kobe/photo-1", "http://my.hupu.com", false},
      {"https://my.hupu.com:8443/x?y", "https://my.hupu.com", false},
      {"http://user:pw@pics.example/a.jpg", "http://pics.example", false},
      {"http://127.0.0.1:8123/demo", "http://127.0.0.1", true},
      {"http://127.254.3.9/", "http://127.254.3.9", true},
      {"http://localhost:80/", "http://localhost", true},
      {"http://albums.localhost/", "http://albums.localhost", true},
      {"http://[::1]:8080/", "http://[::1]", true},
      {"http://128.0.0.1/", "http://128.0.0.1", false},
      {"http://127.0.0.1.example/", "http://127.0.0.1.example", false},
      {"http://127.0.0.256/", "http://127.0.0.256", false},
      {"http://localhost.example/", "http://localhost.example", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RouteKey(c.url), c.key) << c.url;
    EXPECT_EQ(IsLoopbackHost(RouteHost(RouteKey(c.url))), c.loopback) << c.url;
  }
  EXPECT_EQ(RouteKey("no address"), "");

  // A fixed proxy serves everything but loopback; none serves nothing.
  ProxyRoutes routes;
  routes.Choose({ProxyChoice::Kind::Fixed, "http://proxy.lan:3128"});
  EXPECT_EQ(routes.ProxyFor("http://my.hupu.com/kobe"), "http://proxy.lan:3128");
  EXPECT_EQ(routes.ProxyFor("http://127.0.0.1:8123/kobe"), "");
  EXPECT_FALSE(routes.FollowsSystem());
  routes.Choose({ProxyChoice::Kind::None, ""});
  EXPECT_EQ(routes.ProxyFor("http://my.hupu.com/kobe"), "");
}

TEST(ProxyRoutes, LibproxyAnswers) {
  using List = std::vector<std::string>;
  EXPECT_EQ(FirstUsableProxy({"direct://"}).proxy, "");
  EXPECT_EQ(FirstUsableProxy({"direct://"}).trouble, "");
  EXPECT_EQ(FirstUsableProxy({"http://proxy.lan:3128", "direct://"}).proxy, "http://proxy.lan:3128");
  EXPECT_EQ(FirstUsableProxy({"socks://proxy.lan:1080"}).proxy, "socks5://proxy.lan:1080");
  // A kind libcurl lacks gives way to the next answer, and to direct only with the reason said.
  EXPECT_EQ(FirstUsableProxy({"ftp://proxy.lan:21", "http://b.lan:80"}).proxy, "http://b.lan:80");
  const ProxyLookup unusable = FirstUsableProxy(List{"wpad://"});
  EXPECT_EQ(unusable.proxy, "");
  EXPECT_EQ(unusable.trouble, "cannot use the proxy 'wpad://'");
  EXPECT_EQ(FirstUsableProxy({}).trouble, "no answer");
}

TEST(ProxyRoutes, WinHttpProxyLists) {
  struct Case {
    const char* list;
    const char* scheme;
    const char* proxy;
  } cases[] = {
      {"proxy.lan:3128", "http", "http://proxy.lan:3128"},
      {"proxy.lan:3128", "https", "http://proxy.lan:3128"},
      {"http=a.lan:80;https=b.lan:443", "http", "http://a.lan:80"},
      {"http=a.lan:80;https=b.lan:443", "https", "http://b.lan:443"},
      {"http=a.lan:80; socks=s.lan:1080", "https", "socks4://s.lan:1080"},
      {"HTTPS=b.lan:443", "http", ""},
      {"a.lan:1 b.lan:2", "http", "http://a.lan:1"},  // a configuration script's answer: the first stands
      {"http://a.lan:80", "http", "http://a.lan:80"},
      {"", "http", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ProxyFromWinHttpList(c.list, c.scheme), c.proxy) << c.list << " " << c.scheme;
}

TEST(ProxyRoutes, WinHttpBypassLists) {
  struct Case {
    const char* bypass;
    const char* host;
    bool bypassed;
  } cases[] = {
      {"<local>", "intranet", true},
      {"<local>", "my.hupu.com", false},
      {"*.hupu.com;<local>", "my.hupu.com", true},
      {"*.hupu.com", "hupu.com", false},
      {"10.*, 192.168.*", "10.1.2.3", true},
      {"MY.HUPU.COM", "my.hupu.com", true},
      {"http://pics.example", "pics.example", true},
      {"", "my.hupu.com", false},
  };
  for (const Case& c : cases) EXPECT_EQ(BypassedByList(c.bypass, c.host), c.bypassed) << c.bypass << " " << c.host;
}

}  // namespace
}  // namespace albatrix
