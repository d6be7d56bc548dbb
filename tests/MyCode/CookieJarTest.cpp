// The login browser's cookies as lines of the store, and their merge into it: session and persistent,
// HttpOnly, host-only against domain cookies, a cookie replacing the one of the same name, and values that
// would break the line format.
#include <gtest/gtest.h>

#include <algorithm>

#include "MyCode/CookieJar.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

BrowserCookie Cookie(std::string domain, std::string name, std::string value) {
  BrowserCookie cookie;
  cookie.domain = std::move(domain);
  cookie.name = std::move(name);
  cookie.value = std::move(value);
  return cookie;
}

TEST(CookieLine, WritesEachKindOfCookieAsTheStoreReadsIt) {
  struct Case {
    const char* what;
    BrowserCookie cookie;
    const char* expected;
  };
  BrowserCookie session = Cookie("127.0.0.1", "sid", "S1");
  BrowserCookie persistent = session;
  persistent.expires = 1999999999;
  BrowserCookie httpOnly = session;
  httpOnly.httpOnly = true;
  BrowserCookie flagged = Cookie("hupu.com", "u", "1");
  flagged.domainCookie = true;
  flagged.secure = true;
  flagged.path = "/photo";
  BrowserCookie dotted = Cookie(".hupu.com", "u", "1");
  dotted.httpOnly = true;
  dotted.expires = 1999999999;
  BrowserCookie emptyValue = Cookie("my.hupu.com", "flag", "");
  emptyValue.path = "";
  BrowserCookie past = session;
  past.expires = -5;

  const Case cases[] = {
      {"session", session, "127.0.0.1\tFALSE\t/\tFALSE\t0\tsid\tS1"},
      {"persistent", persistent, "127.0.0.1\tFALSE\t/\tFALSE\t1999999999\tsid\tS1"},
      {"HttpOnly", httpOnly, "#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t0\tsid\tS1"},
      {"domain by flag", flagged, ".hupu.com\tTRUE\t/photo\tTRUE\t0\tu\t1"},
      {"domain by dot", dotted, "#HttpOnly_.hupu.com\tTRUE\t/\tFALSE\t1999999999\tu\t1"},
      {"empty value, no path", emptyValue, "my.hupu.com\tFALSE\t/\tFALSE\t0\tflag\t"},
      {"negative expiry", past, "127.0.0.1\tFALSE\t/\tFALSE\t0\tsid\tS1"},
      {"no domain", Cookie("", "sid", "S1"), ""},
      {"only dots", Cookie("..", "sid", "S1"), ""},
      {"no name", Cookie("127.0.0.1", "", "S1"), ""},
      {"tab in value", Cookie("127.0.0.1", "sid", "S1\tTRUE"), ""},
      {"line break in value", Cookie("127.0.0.1", "sid", "S1\nevil.com\tTRUE\t/\tFALSE\t0\tx\ty"), ""},
      {"carriage return in name", Cookie("127.0.0.1", "s\rid", "S1"), ""},
      {"tab in domain", Cookie("a\tb", "sid", "S1"), ""},
  };
  for (const Case& c : cases) {
    std::string line = CookieLine(c.cookie);
    EXPECT_EQ(line, c.expected) << c.what;
    // Every line written is one the store's own reader takes unchanged.
    if (!line.empty()) {
      EXPECT_EQ(NetscapeCookieLine(line), line) << c.what;
    }
  }
}

class CookieMergeTest : public ::testing::Test {
 protected:
  void SetUp() override { jar().Clear(); }
  void TearDown() override { jar().Clear(); }
  static CookieJar& jar() { return CookieJar::Instance(); }
  // The lines held whose name field is `name`, sorted.
  static std::vector<std::string> Named(const std::string& name) {
    std::vector<std::string> out;
    for (const std::string& line : jar().Cookies())
      if (line.find("\t" + name + "\t") != std::string::npos) out.push_back(line);
    std::sort(out.begin(), out.end());
    return out;
  }
};

TEST_F(CookieMergeTest, ReplacesTheCookieOfTheSameNameAndKeepsTheOthers) {
  BrowserCookie sid = Cookie("127.0.0.1", "sid", "old");
  sid.httpOnly = true;
  BrowserCookie lang = Cookie("127.0.0.1", "lang", "zh");
  EXPECT_EQ(jar().Merge({CookieLine(sid), CookieLine(lang)}), 2u);
  ASSERT_EQ(Named("sid").size(), 1u);

  sid.value = "new";
  sid.expires = 1999999999;  // logged in again with "下次自动登录"
  EXPECT_EQ(jar().Merge({CookieLine(sid)}), 1u);
  EXPECT_EQ(Named("sid"), std::vector<std::string>{"#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t1999999999\tsid\tnew"});
  EXPECT_EQ(Named("lang").size(), 1u);
  EXPECT_EQ(jar().Cookies().size(), 2u);
}

TEST_F(CookieMergeTest, HostOnlyAndDomainCookiesOfOneNameAreTwoCookies) {
  BrowserCookie host = Cookie("my.hupu.com", "u", "host");
  BrowserCookie domain = Cookie(".hupu.com", "u", "domain");
  EXPECT_EQ(jar().Merge({CookieLine(host), CookieLine(domain)}), 2u);
  EXPECT_EQ(Named("u"), (std::vector<std::string>{".hupu.com\tTRUE\t/\tFALSE\t0\tu\tdomain",
                                                  "my.hupu.com\tFALSE\t/\tFALSE\t0\tu\thost"}));

  // The same domain cookie again replaces only its own kind.
  domain.value = "domain2";
  jar().Merge({CookieLine(domain)});
  EXPECT_EQ(Named("u"), (std::vector<std::string>{".hupu.com\tTRUE\t/\tFALSE\t0\tu\tdomain2",
                                                  "my.hupu.com\tFALSE\t/\tFALSE\t0\tu\thost"}));
}

TEST_F(CookieMergeTest, SkipsWhatIsNoCookieLine) {
  EXPECT_EQ(jar().Merge({"", "# comment", "garbage", CookieLine(Cookie("127.0.0.1", "a\tb", "x")),
                         CookieLine(Cookie("127.0.0.1", "ok", "1"))}),
            1u);
  EXPECT_EQ(jar().Cookies(), std::vector<std::string>{"127.0.0.1\tFALSE\t/\tFALSE\t0\tok\t1"});
  EXPECT_EQ(jar().Merge({}), 0u);
}

}  // namespace
}  // namespace albatrix
