// The album site's pages read the way the program's crawlers read them.
#include <gtest/gtest.h>

#include "CrawlWalk.h"
#include "site/SiteData.h"
#include "site/SitePages.h"

namespace albatrix::test {
namespace {

const std::string kBase = "http://127.0.0.1:8123";

// The page as the program decodes it (UTF-8 here stands in for the GBK of the wire).
Text Decoded(const std::string& html) {
  Text text = Utf8ToText(html);
  DecodeEntities(text);
  return text;
}

TEST(SitePages, HtmlEscapeCoversEverythingThatWouldEndAnAttribute) {
  struct Case {
    const char16_t* text;
    const char* html;
  } cases[] = {{u"Tom & Jerry", "Tom &amp; Jerry"},
               {u"他说\"你好\"", "他说&quot;你好&quot;"},
               {u"It's", "It&#39;s"},
               {u"<li>", "&lt;li&gt;"},
               {u"&quot;", "&amp;quot;"},
               {u"", ""}};
  for (const auto& c : cases) EXPECT_EQ(HtmlEscape(c.text), c.html);
}

TEST(SitePages, PageCount) {
  struct Case {
    std::size_t items;
    int perPage, pages;
  } cases[] = {{0, 3, 1}, {1, 3, 1}, {3, 3, 1}, {4, 3, 2}, {7, 3, 3}, {2000, 20, 100}, {5, 0, 5}};
  for (const auto& c : cases) EXPECT_EQ(PageCount(c.items, c.perPage), c.pages) << c.items << "/" << c.perPage;
}

TEST(SitePages, DemoListPagesWalkToEveryAlbumWithNextMarkersUntilTheLast) {
  SiteMember demo = MakeDemoMember(1);
  std::vector<WalkedAlbum> albums;
  int page = 0;
  bool more = true;
  while (more) {
    ASSERT_LT(++page, 10);
    WalkedListPage walked = WalkListPage(Decoded(ListPageHtml(demo, page, true, kBase)));
    EXPECT_TRUE(walked.hasEntries);
    more = walked.more;
    albums.insert(albums.end(), walked.albums.begin(), walked.albums.end());
  }
  EXPECT_EQ(page, 3);
  ASSERT_EQ(albums.size(), demo.albums.size());
  for (std::size_t i = 0; i < albums.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(albums[i].albumPath, Utf8ToText("demo/photo/" + demo.albums[i].id));
    EXPECT_EQ(albums[i].coverUrl, Utf8ToText(kBase + "/cover/demo/" + demo.albums[i].id + ".jpg"));
  }
  // Entities come back decoded; a double quote ends the attribute as the program reads it.
  EXPECT_EQ(albums[0].title, u"春游 & 踏青");
  EXPECT_EQ(albums[0].pictureCount, 7u);
  EXPECT_EQ(albums[1].title, u"上海/北京\\天津:旅行*?<精选>|");
  EXPECT_EQ(albums[2].title, albums[3].title);
  EXPECT_EQ(albums[4].title, u"他说");
  EXPECT_EQ(albums[5].pictureCount, 0u);  // states no count
  EXPECT_EQ(albums[6].title, u"It's 夏天");
}

TEST(SitePages, ListPageWithoutLoginOrBeyondTheLastHasNoEntries) {
  SiteMember demo = MakeDemoMember(1);
  for (auto [page, show] : {std::pair{1, false}, std::pair{4, true}}) {
    WalkedListPage walked = WalkListPage(Decoded(ListPageHtml(demo, page, show, kBase)));
    EXPECT_FALSE(walked.hasEntries) << page;
    EXPECT_FALSE(walked.more) << page;
  }
}

TEST(SitePages, AlbumPagesWalkToEveryPictureAndTheBigAddresses) {
  SiteMember demo = MakeDemoMember(1);
  const SiteAlbum& album = demo.albums[0];
  std::vector<WalkedPicture> pictures;
  for (int page = 1; page <= 3; ++page) {
    WalkedAlbumPage walked = WalkAlbumPage(Decoded(AlbumPageHtml(demo, album, page, kBase)));
    EXPECT_EQ(walked.more, page < 3) << page;
    pictures.insert(pictures.end(), walked.pictures.begin(), walked.pictures.end());
  }
  ASSERT_EQ(pictures.size(), album.pictures.size());
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    EXPECT_EQ(pictures[i].url, Utf8ToText(kBase + AlbumSite::PicturePath("demo", album, static_cast<int>(i) + 1, true)));
    EXPECT_EQ(pictures[i].description, album.pictures[i].description);
  }
  EXPECT_EQ(pictures[3].url.substr(pictures[3].url.size() - 9), u"big.4.jpg");  // a PNG behind ".jpg"
  EXPECT_EQ(album.pictures[3].kind, PictureKind::Png);
}

TEST(SitePages, SingleAlbumPageGivesCoverTitleAndCount) {
  SiteMember demo = MakeDemoMember(1);
  for (std::size_t i : {std::size_t{0}, std::size_t{4}, std::size_t{5}}) {
    const SiteAlbum& album = demo.albums[i];
    Text address = Utf8ToText(kBase + "/demo/photo/" + album.id + ".html");
    WalkedAlbum walked = WalkSingleAlbum(Decoded(AlbumPageHtml(demo, album, 1, kBase)), address, u".1:8123/");
    SCOPED_TRACE(i);
    EXPECT_EQ(walked.albumPath, Utf8ToText("demo/photo/" + album.id));
    EXPECT_EQ(walked.coverUrl, Utf8ToText(kBase + "/cover/demo/" + album.id + ".jpg"));
    EXPECT_EQ(walked.pictureCount, album.statedCount == kCountNone ? 0u : album.pictures.size());
  }
  EXPECT_EQ(WalkSingleAlbum(Decoded(AlbumPageHtml(demo, demo.albums[4], 1, kBase)), u"", u"x").title, u"他说");
}

TEST(SitePages, ShapedMemberSpreadsOverPages) {
  SiteMember member = MakeShapedMember("bench", MemberShape{45, 3, 10, 20, 2}, 4);
  ASSERT_EQ(member.albums.size(), 45u);
  EXPECT_EQ(member.albums[44].title, u"相册 0045");
  WalkedListPage last = WalkListPage(Decoded(ListPageHtml(member, 3, true, kBase)));
  EXPECT_FALSE(last.more);
  EXPECT_EQ(last.albums.size(), 5u);
  EXPECT_TRUE(WalkListPage(Decoded(ListPageHtml(member, 2, true, kBase))).more);
  WalkedAlbumPage second = WalkAlbumPage(Decoded(AlbumPageHtml(member, member.albums[0], 2, kBase)));
  EXPECT_FALSE(second.more);
  EXPECT_EQ(second.pictures.size(), 1u);
  EXPECT_EQ(member.albums[0].pictures[0].bytes, 10u * 1024);
}

TEST(SitePages, MaintenancePageCarriesTheNoticeAfterItsFirstCharacter) {
  EXPECT_TRUE(WalkListPage(Decoded(MaintenancePageHtml())).maintenance);
}

TEST(SitePages, SeedsChangeAlbumIdsButNotTheDemoContent) {
  SiteMember one = MakeDemoMember(1), again = MakeDemoMember(1), other = MakeDemoMember(2);
  EXPECT_EQ(ListPageHtml(one, 1, true, kBase), ListPageHtml(again, 1, true, kBase));
  EXPECT_NE(one.albums[0].id, other.albums[0].id);
  EXPECT_EQ(one.albums[0].title, other.albums[0].title);
  for (const auto& album : one.albums) EXPECT_EQ(album.id.rfind("a", 0), 0u);
}

}  // namespace
}  // namespace albatrix::test
