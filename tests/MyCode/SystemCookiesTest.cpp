// The system store's answer (a Cookie header) as cookies of the site's host: what the login browser's
// logins become on Windows. Only the reading of the store itself is Windows's own.
#include "MyCode/SystemCookies.h"

#include <gtest/gtest.h>

namespace albatrix {
namespace {

TEST(AddressHost, TakesTheHostWithoutSchemePortUserOrPath) {
  const std::pair<const char*, const char*> cases[] = {
      {"http://my.hupu.com/", "my.hupu.com"},
      {"https://My.HUPU.com:8443/u/photo?x=1", "my.hupu.com"},
      {"http://127.0.0.1:40123", "127.0.0.1"},
      {"http://user:pw@example.org/a", "example.org"},
      {"http://[::1]:8080/", "[::1]"},
      {"my.hupu.com/u", ""},
      {"", ""},
  };
  for (const auto& [address, host] : cases) EXPECT_EQ(AddressHost(address), host) << address;
}

TEST(CookiesFromHeader, EveryPairBecomesASessionCookieOfTheHost) {
  std::vector<BrowserCookie> cookies =
      CookiesFromHeader("my.hupu.com", "sid=S1; u=a=b ;  empty=; novalue; =orphan;last=x;");
  ASSERT_EQ(cookies.size(), 4u);
  EXPECT_EQ(cookies[0].name, "sid");
  EXPECT_EQ(cookies[0].value, "S1");
  EXPECT_EQ(cookies[1].name, "u");
  EXPECT_EQ(cookies[1].value, "a=b");  // only the first "=" separates
  EXPECT_EQ(cookies[2].name, "empty");
  EXPECT_EQ(cookies[2].value, "");
  EXPECT_EQ(cookies[3].name, "last");
  for (const BrowserCookie& cookie : cookies) {
    EXPECT_EQ(cookie.domain, "my.hupu.com");
    EXPECT_FALSE(cookie.domainCookie);
    EXPECT_EQ(cookie.path, "/");
    EXPECT_EQ(cookie.expires, 0);
  }
  EXPECT_TRUE(CookiesFromHeader("h", "").empty());
}

}  // namespace
}  // namespace albatrix
