// The cookie store: the login browser's file reaching the site, cookies the site sets kept for the next
// request, the saved file, and the store used from fifteen threads at once. (Where the file lives and its
// mode are POSIX matters, in CookieFolderPosixTest.)
#include "MyCode/CookieJar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "MyCode/URLSource2.h"
#include "support/ScriptedServer.h"
#include "support/SiteFixture.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

using test::Respond;
using test::ScriptedServer;
using test::TempDir;

// Points the store at a file of the test's own and empties it; never the user's real file.
class CookieJarSiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    jar().SetFile(Utf8ToText(dir_.file("cookies.txt")));
    jar().Clear();
  }
  void TearDown() override { jar().Clear(); }

  static CookieJar& jar() { return CookieJar::Instance(); }
  std::string cookieFile() const { return dir_.file("cookies.txt"); }

  // One page fetch; returns the Cookie header the server saw.
  static std::string CookieSent(ScriptedServer& server, const std::string& target) {
    std::size_t before = server.RequestCount();
    UrlRequest request(Utf8ToText(server.Url(target)), u"", 20000);
    UrlResponse response;
    EXPECT_TRUE(Fetch(request, response, 0)) << target;
    auto requests = server.Requests();
    EXPECT_EQ(requests.size(), before + 1);
    return requests.empty() ? std::string() : requests.back().Header("Cookie");
  }

  TempDir dir_;
};

TEST(NetscapeCookieLine, KeepsSevenFieldsAndDropsTheRest) {
  struct Case {
    const char* line;
    const char* expected;
  };
  const Case cases[] = {
      {"example.com\tTRUE\t/\tFALSE\t0\tsid\tabc", "example.com\tTRUE\t/\tFALSE\t0\tsid\tabc"},
      {"example.com\tTRUE\t/\tFALSE\t0\tsid\tabc\tLax\r\n", "example.com\tTRUE\t/\tFALSE\t0\tsid\tabc"},
      {"#HttpOnly_.example.com\tTRUE\t/\tTRUE\t1999999999\tsid\tabc\tNone",
       "#HttpOnly_.example.com\tTRUE\t/\tTRUE\t1999999999\tsid\tabc"},
      {"example.com\tFALSE\t/\tFALSE\t0\tempty", "example.com\tFALSE\t/\tFALSE\t0\tempty\t"},
      {"# Netscape HTTP Cookie File", ""},
      {"", ""},
      {"\r", ""},
      {"example.com\tTRUE\t/\tFALSE", ""},                        // too few fields
      {"example.com\tmaybe\t/\tFALSE\t0\tsid\tabc", ""},          // not a flag
      {"example.com\tTRUE\t/\tFALSE\tsoon\tsid\tabc", ""},        // expiry not a number
      {"\tTRUE\t/\tFALSE\t0\tsid\tabc", ""},                      // no domain
  };
  for (const Case& c : cases) EXPECT_EQ(NetscapeCookieLine(c.line), c.expected) << c.line;
}

TEST_F(CookieJarSiteTest, CookiesFromTheBrowserFileReachTheServer) {
  ScriptedServer server;
  server.On("/albums", Respond(200, "list"));
  test::WriteWholeFile(cookieFile(),
                       "# Netscape HTTP Cookie File\n"
                       "# written by the login browser\n"
                       "127.0.0.1\tFALSE\t/\tFALSE\t0\tsession\tS123\tLax\n"
                       "#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t4102444800\tuser\tU9\tNone\n"
                       "127.0.0.1\tFALSE\t/other\tFALSE\t0\telsewhere\tno\tLax\n"
                       "other.example\tTRUE\t/\tFALSE\t0\tforeign\tno\n"
                       "127.0.0.1\tFALSE\t/\tFALSE\t1000\texpired\tno\n"
                       "garbage line\n");
  ASSERT_TRUE(jar().Load());
  std::string cookie = CookieSent(server, "/albums");
  for (const char* sent : {"session=S123", "user=U9"}) EXPECT_NE(cookie.find(sent), std::string::npos) << cookie;
  for (const char* other : {"elsewhere", "foreign", "expired"}) EXPECT_EQ(cookie.find(other), Bytes::npos) << cookie;

  // Loading again after the browser changed the file replaces the changed cookie.
  test::WriteWholeFile(cookieFile(), "127.0.0.1\tFALSE\t/\tFALSE\t0\tsession\tS456\tLax\n");
  ASSERT_TRUE(jar().Load());
  cookie = CookieSent(server, "/albums");
  EXPECT_NE(cookie.find("session=S456"), std::string::npos) << cookie;
  EXPECT_EQ(cookie.find("S123"), std::string::npos) << cookie;

  jar().Clear();
  EXPECT_EQ(CookieSent(server, "/albums"), "");

  jar().SetFile(Utf8ToText(dir_.file("missing.txt")));
  EXPECT_FALSE(jar().Load());
}

TEST_F(CookieJarSiteTest, MergedBrowserLoginOpensTheAlbumSitesLists) {
  std::unique_ptr<AlbumSite> site = test::StartSite();
  ASSERT_TRUE(site);
  UrlRequest list(Utf8ToText(site->ListPageUrl(AlbumSite::kDemoMember, 1)), u"", 20000);
  auto showsAlbums = [&] {
    UrlResponse response;
    EXPECT_TRUE(Fetch(list, response, 0));
    return GetText(response, TEXT_GUNZIP).find(u"class=\"name\"") != Text::npos;
  };
  EXPECT_FALSE(showsAlbums());

  // What the login browser holds after the form: a session cookie, HttpOnly, for the site's host only.
  std::string pair = site->SessionCookie();
  BrowserCookie cookie;
  cookie.domain = "127.0.0.1";
  cookie.name = AlbumSite::kCookieName;
  cookie.value = pair.substr(pair.find('=') + 1);
  cookie.httpOnly = true;
  ASSERT_EQ(jar().Merge({CookieLine(cookie)}), 1u);
  EXPECT_TRUE(showsAlbums());

  // A stale login merged over it is what the site sees next: one cookie of that name, replaced.
  cookie.value = "stale";
  jar().Merge({CookieLine(cookie)});
  EXPECT_FALSE(showsAlbums());
  EXPECT_EQ(jar().Cookies().size(), 1u);
}

// Cookies a reply sets go with the next request, into the saved file, and back from it.
TEST_F(CookieJarSiteTest, SetCookieRepliesAreKeptSavedAndLoadedBack) {
  ScriptedServer server;
  server.On("/login", Respond(200, "welcome", {"Set-Cookie: token=T42; Path=/", "Set-Cookie: lang=zh; Path=/"}));
  server.On("/albums", Respond(200, "list"));
  EXPECT_EQ(CookieSent(server, "/login"), "");
  std::string cookie = CookieSent(server, "/albums");
  EXPECT_NE(cookie.find("token=T42"), std::string::npos) << cookie;
  EXPECT_NE(cookie.find("lang=zh"), std::string::npos) << cookie;
  EXPECT_EQ(jar().Cookies().size(), 2u);

  jar().SetFile(Utf8ToText(dir_.file(test::PlatformPath("deeper/albatrix/cookies.txt"))));
  ASSERT_TRUE(jar().Save());
  std::string path = dir_.file(test::PlatformPath("deeper/albatrix/cookies.txt"));
  std::string content = test::ReadWholeFile(path);
  EXPECT_EQ(content.rfind("# Netscape HTTP Cookie File\n", 0), 0u);
  EXPECT_NE(content.find("\ttoken\tT42"), std::string::npos) << content;

  jar().Clear();
  EXPECT_TRUE(jar().Cookies().empty());
  ASSERT_TRUE(jar().Load());
  EXPECT_NE(CookieSent(server, "/login").find("token=T42"), std::string::npos);

  // Saving where no folder can be made fails and says so.
  test::WriteWholeFile(dir_.file("plainfile"), "x");
  jar().SetFile(Utf8ToText(dir_.file(test::PlatformPath("plainfile/cookies.txt"))));
  EXPECT_FALSE(jar().Save());
}

TEST_F(CookieJarSiteTest, FifteenThreadsShareTheStore) {
  ScriptedServer server;
  const int kThreads = 15;
  for (int i = 0; i < kThreads; ++i) {
    std::string n = std::to_string(i);
    server.On("/set" + n, Respond(200, "ok", {"Set-Cookie: c" + n + "=v" + n + "; Path=/"}));
    server.On("/check" + n, Respond(200, "ok"));
  }
  std::atomic<bool> stop{false};
  // Meanwhile the user interface lists, saves and reloads the store.
  std::thread keeper([&] {
    while (!stop) {
      jar().Cookies();
      jar().Save();
      jar().Load();
    }
  });
  std::vector<std::thread> threads;
  std::atomic<int> sawOwn{0};
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      std::string n = std::to_string(i);
      UrlResponse response;
      UrlRequest set(Utf8ToText(server.Url("/set" + n)), u"", 20000);
      UrlRequest check(Utf8ToText(server.Url("/check" + n)), u"", 20000);
      for (int round = 0; round < 4; ++round) {
        if (!Fetch(set, response, 0) || !Fetch(check, response, 0)) return;
      }
      for (const auto& r : server.Requests())
        if (r.target == "/check" + n && r.Header("Cookie").find("c" + n + "=v" + n) != std::string::npos) {
          ++sawOwn;
          break;
        }
    });
  }
  for (std::thread& t : threads) t.join();
  stop = true;
  keeper.join();
  EXPECT_EQ(sawOwn.load(), kThreads);
  std::vector<std::string> held = jar().Cookies();
  for (int i = 0; i < kThreads; ++i) {
    std::string field = "\tc" + std::to_string(i) + "\tv" + std::to_string(i);
    EXPECT_TRUE(std::any_of(held.begin(), held.end(), [&](const std::string& line) {
      return line.find(field) != std::string::npos;
    })) << field;
  }
}

}  // namespace
}  // namespace albatrix
