// The album site over loopback HTTP: login, pages walked like the crawlers walk them, pictures, gzip,
// maintenance, request counts, determinism.
#include <gtest/gtest.h>
#include <httplib.h>

#include <thread>

#include "CrawlWalk.h"
#include "PictureDecode.h"
#include "MyCode/URLSource2.h"
#include "RawHttp.h"
#include "support/SiteFixture.h"

namespace albatrix::test {
namespace {

// A gzip body as the program's fetcher decodes it; a marker when it is not one whole stream.
std::string Inflate(const std::string& gzip) {
  Bytes out;
  return InflateBody(gzip.data(), gzip.size(), out) ? out : "inflate failed";
}

// Path and query of an absolute address on the site.
std::string PathOf(const AlbumSite& site, const Text& address) {
  std::string utf8 = TextToUtf8(address);
  return utf8.rfind(site.BaseUrl(), 0) == 0 ? utf8.substr(site.BaseUrl().size()) : utf8;
}

class AlbumSiteTest : public SiteFixture {
 protected:
  // A page as the program's crawlers fetch it: cookie, gzip accepted, GBK decoded.
  Text FetchPage(const std::string& path, bool loggedIn = true) {
    std::string headers = "Accept-Encoding: gzip, deflate\r\n";
    if (loggedIn) headers += "Cookie: " + site().SessionCookie() + "\r\n";
    RawReply reply = RawGet(site().Port(), path, headers);
    EXPECT_EQ(reply.status, 200) << path;
    EXPECT_EQ(reply.Header("Content-Type"), "text/html; charset=GBK") << path;
    std::string body = reply.Header("Content-Encoding") == "gzip" ? Inflate(reply.body) : reply.body;
    return PageText(body);
  }
};

TEST_F(AlbumSiteTest, AlbumListsNeedTheLoginCookie) {
  EXPECT_FALSE(WalkListPage(FetchPage("/demo/photo-1", false)).hasEntries);

  httplib::Client client("127.0.0.1", site().Port());
  auto form = client.Get("/login");
  ASSERT_TRUE(form);
  for (const char* field : {"name=\"user\"", "name=\"password\"", "name=\"remember\""})
    EXPECT_NE(form->body.find(field), std::string::npos) << field;
  EXPECT_NE(PageText(form->body).find(u"下次自动登录"), Text::npos);
  auto refused = client.Post("/login", "user=demo&password=wrong", "application/x-www-form-urlencoded");
  ASSERT_TRUE(refused);
  EXPECT_FALSE(refused->has_header("Set-Cookie"));

  std::string cookie = LoginCookie(site());
  EXPECT_EQ(cookie, site().SessionCookie());
  for (const std::string& sent : {std::string("albatrix_sid=forged"), "other=1; " + cookie + "; more=2"}) {
    RawReply reply = RawGet(site().Port(), "/demo/photo-1", "Cookie: " + sent + "\r\n");
    bool expectAlbums = sent != "albatrix_sid=forged";
    EXPECT_EQ(WalkListPage(PageText(reply.body)).hasEntries, expectAlbums) << sent;
  }
}

TEST_F(AlbumSiteTest, OnlyTheRememberBoxMakesTheLoginCookiePersistent) {
  httplib::Client client("127.0.0.1", site().Port());
  struct Case {
    const char* body;
    bool persistent;
  };
  for (const Case& c : {Case{"user=demo&password=demo", false}, Case{"user=demo&password=demo&remember=1", true}}) {
    auto reply = client.Post("/login", c.body, "application/x-www-form-urlencoded");
    ASSERT_TRUE(reply);
    std::string cookie = reply->get_header_value("Set-Cookie");
    EXPECT_EQ(cookie.rfind(site().SessionCookie() + ";", 0), 0u) << cookie;
    EXPECT_NE(cookie.find("HttpOnly"), std::string::npos) << cookie;
    EXPECT_EQ(cookie.find("Expires"), std::string::npos) << cookie;
    bool lasts = cookie.find("; Max-Age=" + std::to_string(AlbumSite::kRememberSeconds)) != std::string::npos;
    EXPECT_EQ(lasts, c.persistent) << cookie;
  }
}

TEST_F(AlbumSiteTest, DemoMemberCrawlsLikeTheProgramCrawlsIt) {
  const SiteMember demo = *site().Member(AlbumSite::kDemoMember);
  std::vector<WalkedAlbum> albums;
  int page = 0;
  for (bool more = true; more && page < 10;) {
    WalkedListPage walked = WalkListPage(FetchPage("/demo/photo-" + std::to_string(++page)));
    more = walked.more;
    albums.insert(albums.end(), walked.albums.begin(), walked.albums.end());
  }
  ASSERT_EQ(page, 3);
  ASSERT_EQ(albums.size(), demo.albums.size());
  // Entities come back decoded; a double quote ends the attribute as the program reads it.
  EXPECT_EQ(albums[0].title, u"春游 & 踏青");
  EXPECT_EQ(albums[0].pictureCount, 7u);
  EXPECT_EQ(albums[1].title, u"上海/北京\\天津:旅行*?<精选>|");
  EXPECT_EQ(albums[2].title, albums[3].title);
  EXPECT_EQ(albums[4].title, u"他说");
  EXPECT_EQ(albums[5].pictureCount, 0u);  // states no count
  EXPECT_EQ(albums[6].title, u"It's 夏天");

  for (std::size_t a = 0; a < albums.size(); ++a) {
    const SiteAlbum& album = demo.albums[a];
    SCOPED_TRACE(album.id);
    // The crawler puts the album key between the base and "-<n>.html".
    std::vector<WalkedPicture> pictures;
    int albumPage = 0;
    for (bool more = true; more && albumPage < 10;) {
      WalkedAlbumPage walked =
          WalkAlbumPage(FetchPage("/" + TextToUtf8(albums[a].albumPath) + "-" + std::to_string(++albumPage) + ".html"));
      EXPECT_TRUE(walked.hasEntries);
      more = walked.more;
      pictures.insert(pictures.end(), walked.pictures.begin(), walked.pictures.end());
    }
    ASSERT_EQ(pictures.size(), album.pictures.size());
    for (std::size_t p = 0; p < pictures.size(); ++p) {
      const Text& description = album.pictures[p].description;
      EXPECT_EQ(pictures[p].description, description.substr(0, description.find(u'"')));
      RawReply big = RawGet(site().Port(), PathOf(site(), pictures[p].url), "Accept-Encoding: gzip\r\n");
      EXPECT_EQ(big.status, 200);
      EXPECT_EQ(big.body, site().PictureBytes("demo", album.id, static_cast<int>(p) + 1, true));
      EXPECT_EQ(big.body.size(), album.pictures[p].bytes);
      DecodedPicture decoded = DecodePicture(big.body);
      EXPECT_TRUE(decoded.ok);
      EXPECT_EQ(decoded.kind, album.pictures[p].kind);
      Text small = pictures[p].url;
      ReplaceAll(small, u"big.", u"small.");
      DecodedPicture thumbnail = DecodePicture(RawGet(site().Port(), PathOf(site(), small)).body);
      EXPECT_TRUE(thumbnail.ok);
      EXPECT_EQ(thumbnail.width, 40);
    }
    DecodedPicture cover = DecodePicture(RawGet(site().Port(), PathOf(site(), albums[a].coverUrl)).body);
    EXPECT_TRUE(cover.ok);
    EXPECT_EQ(cover.width, 120);
  }
  // Every page was asked for exactly once, and nothing beyond the last.
  for (int p = 1; p <= 3; ++p) EXPECT_EQ(site().RequestCount("/demo/photo-" + std::to_string(p)), 1);
  EXPECT_EQ(site().RequestCount("/demo/photo-4"), 0);
  const SiteAlbum& first = demo.albums[0];
  EXPECT_EQ(site().RequestCount("/demo/photo/" + first.id + "-3.html"), 1);
  EXPECT_EQ(site().RequestCount("/demo/photo/" + first.id + "-4.html"), 0);
}

TEST_F(AlbumSiteTest, SingleAlbumAddressLeadsToItsPages) {
  const SiteAlbum album = site().Member("demo")->albums[1];
  std::string address = site().AlbumUrl("demo", album.id);
  std::string fragment = site().HostFragment();
  Text ending = Utf8ToText(fragment.substr(fragment.rfind('.')));
  WalkedAlbum walked = WalkSingleAlbum(FetchPage(PathOf(site(), Utf8ToText(address)), false), Utf8ToText(address), ending);
  EXPECT_EQ(walked.title, u"上海/北京\\天津:旅行*?<精选>|");
  EXPECT_EQ(walked.pictureCount, 4u);
  EXPECT_EQ(walked.albumPath, Utf8ToText("demo/photo/" + album.id));
  WalkedAlbumPage firstPage = WalkAlbumPage(FetchPage("/" + TextToUtf8(walked.albumPath) + "-1.html", false));
  EXPECT_TRUE(firstPage.more);
  EXPECT_EQ(firstPage.pictures.size(), 3u);
}

TEST_F(AlbumSiteTest, PagesTravelInGbkWithTheMarkers) {
  RawReply list = RawGet(site().Port(), "/demo/photo-1", "Cookie: " + site().SessionCookie() + "\r\n");
  EXPECT_EQ(list.Header("Content-Type"), "text/html; charset=GBK");
  EXPECT_FALSE(IsUtf8Text(list.body.data(), list.body.size()));
  for (const char16_t* marker : {u"class=\"album_list", u"id=\"j_next", u"(共7张)", u"春游 &amp; 踏青", u"</ul>"})
    EXPECT_NE(list.body.find(TextToGbk(marker)), std::string::npos) << TextToUtf8(marker);
  std::string albumId = site().Member("demo")->albums[0].id;
  RawReply album = RawGet(site().Port(), "/demo/photo/" + albumId + "-1.html");
  for (const char16_t* marker : {u"class=\"albumlist\"", u">共7张", u"class=\"albumlist_list", u"class=\"next", u"small."})
    EXPECT_NE(album.body.find(TextToGbk(marker)), std::string::npos) << TextToUtf8(marker);
}

TEST_F(AlbumSiteTest, GzipOnlyWhenAskedAndOnlyForPages) {
  RawReply plain = RawGet(site().Port(), "/login");
  RawReply zipped = RawGet(site().Port(), "/login", "Accept-Encoding: gzip, deflate\r\n");
  EXPECT_EQ(plain.Header("Content-Encoding"), "");
  EXPECT_EQ(zipped.Header("Content-Encoding"), "gzip");
  EXPECT_EQ(Inflate(zipped.body), plain.body);
  EXPECT_EQ(std::to_string(zipped.body.size()), zipped.Header("Content-Length"));

  const SiteAlbum album = site().Member("demo")->albums[0];
  RawReply picture = RawGet(site().Port(), AlbumSite::PicturePath("demo", album, 1, true), "Accept-Encoding: gzip\r\n");
  EXPECT_EQ(picture.Header("Content-Encoding"), "");
  EXPECT_EQ(picture.body, site().PictureBytes("demo", album.id, 1, true));

  SiteOptions noGzip;
  noGzip.gzip = false;
  auto other = StartSite(noGzip);
  ASSERT_TRUE(other);
  EXPECT_EQ(RawGet(other->Port(), "/login", "Accept-Encoding: gzip\r\n").Header("Content-Encoding"), "");
}

TEST_F(AlbumSiteTest, MaintenanceTurnsPagesIntoTheNoticeButNotPictures) {
  const SiteAlbum album = site().Member("demo")->albums[0];
  std::string albumPage = "/demo/photo/" + album.id + "-1.html";
  site().SetMaintenance(true);
  for (const std::string& path : {std::string("/demo/photo-1"), albumPage}) {
    RawReply reply = RawGet(site().Port(), path, "Cookie: " + site().SessionCookie() + "\r\n");
    EXPECT_NE(reply.body.find(TextToGbk(u"当前页面正在维护中")), std::string::npos) << path;
    EXPECT_TRUE(WalkListPage(PageText(reply.body)).maintenance);
    EXPECT_FALSE(WalkAlbumPage(PageText(reply.body)).hasEntries);
  }
  EXPECT_EQ(RawGet(site().Port(), AlbumSite::PicturePath("demo", album, 2, true)).status, 200);
  site().SetMaintenance(false);
  EXPECT_FALSE(WalkListPage(FetchPage("/demo/photo-1")).maintenance);
}

TEST_F(AlbumSiteTest, UnknownAddressesAnswer404WithAPageAndMembersRedirect) {
  const SiteAlbum album = site().Member("demo")->albums[0];
  std::string wrongExtension = AlbumSite::PicturePath("demo", album, 4, true);  // the PNG sits at ".jpg"
  wrongExtension.replace(wrongExtension.size() - 4, 4, ".png");
  for (const std::string& path : {std::string("/nobody/photo-1"), std::string("/demo/photo/a1-1.html"),
                                  AlbumSite::PicturePath("demo", album, 99, true), wrongExtension,
                                  std::string("/favicon.ico")}) {
    RawReply reply = RawGet(site().Port(), path);
    EXPECT_EQ(reply.status, 404) << path;
    EXPECT_NE(reply.body.find("404"), std::string::npos) << path;
  }
  RawReply member = RawGet(site().Port(), "/demo");
  EXPECT_EQ(member.status, 302);
  EXPECT_EQ(member.Header("Location"), site().MemberUrl("demo"));
  EXPECT_FALSE(WalkListPage(FetchPage("/empty/photo-1")).hasEntries);
  WalkedListPage beyond = WalkListPage(FetchPage("/demo/photo-4"));
  EXPECT_FALSE(beyond.hasEntries);
  EXPECT_FALSE(beyond.more);
}

TEST_F(AlbumSiteTest, CountsEveryRequestPerPathExactly) {
  RawGet(site().Port(), "/demo/photo-1?x=1");
  RawGet(site().Port(), "/nowhere");
  EXPECT_EQ(site().RequestCount("/demo/photo-1"), 1);
  EXPECT_EQ(site().RequestCount("/nowhere"), 1);
  EXPECT_EQ(site().TotalRequests(), 2);
  site().ResetCounts();
  EXPECT_EQ(site().TotalRequests(), 0);

  std::vector<std::thread> clients;
  for (int t = 0; t < 4; ++t)
    clients.emplace_back([this, t] {
      httplib::Client client("127.0.0.1", site().Port());
      for (int i = 0; i < 25; ++i) client.Get(t % 2 ? "/login" : "/demo/photo-2");
    });
  for (auto& client : clients) client.join();
  EXPECT_EQ(site().RequestCount("/login"), 50);
  EXPECT_EQ(site().RequestCount("/demo/photo-2"), 50);
  EXPECT_EQ(site().TotalRequests(), 100);
}

TEST(AlbumSiteSeed, OneSeedGivesTheSameSiteTwice) {
  SiteOptions options;
  options.seed = 5;
  auto first = StartSite(options);
  auto second = StartSite(options);
  ASSERT_TRUE(first && second);
  auto page = [](const AlbumSite& site, const std::string& path) {
    std::string body = RawGet(site.Port(), path, "Cookie: " + site.SessionCookie() + "\r\n").body;
    Bytes base = site.BaseUrl();
    for (auto at = body.find(base); at != std::string::npos; at = body.find(base)) body.replace(at, base.size(), "BASE");
    return body;
  };
  EXPECT_EQ(first->SessionCookie(), second->SessionCookie());
  std::string albumId = first->Member("demo")->albums[2].id;
  for (const std::string& path : {std::string("/demo/photo-1"), std::string("/demo/photo-2"),
                                  "/demo/photo/" + albumId + "-1.html", std::string("/bench/photo-1")})
    EXPECT_EQ(page(*first, path), page(*second, path)) << path;
  EXPECT_EQ(first->PictureBytes("demo", albumId, 1, true), second->PictureBytes("demo", albumId, 1, true));

  options.seed = 6;
  auto third = StartSite(options);
  ASSERT_TRUE(third);
  EXPECT_NE(third->Member("demo")->albums[2].id, albumId);
  EXPECT_NE(third->SessionCookie(), first->SessionCookie());
}

TEST(AlbumSiteShape, ShapedDemoMemberHasTheAskedSizes) {
  SiteOptions options;
  options.requireLogin = false;
  options.demoShape = MemberShape{250, 2, 30, 100, 1};
  auto site = StartSite(options);
  ASSERT_TRUE(site);
  WalkedListPage last = WalkListPage(PageText(RawGet(site->Port(), "/demo/photo-3").body));
  EXPECT_FALSE(last.more);
  EXPECT_EQ(last.albums.size(), 50u);
  const SiteAlbum album = site->Member("demo")->albums[249];
  RawReply picture = RawGet(site->Port(), AlbumSite::PicturePath("demo", album, 2, true));
  EXPECT_EQ(picture.body.size(), 30u * 1024);
  EXPECT_TRUE(DecodePicture(picture.body).ok);
}

}  // namespace
}  // namespace albatrix::test
