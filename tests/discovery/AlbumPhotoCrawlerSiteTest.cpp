// The album photo crawler against the stand-in site: pages in order, one request each, every picture
// handed to the naming step with its large address, and the run's stop honoured after a picture.
#include <gtest/gtest.h>

#include "discovery/AlbumPhotoCrawler.h"
#include "support/SiteFixture.h"
#include "support/TestMembers.h"

namespace albatrix {
namespace {

using Named = PictureEntry;

class AlbumPhotoCrawlerSiteTest : public test::SiteFixture {
 protected:
  // Crawls `albumPath`, collecting what the naming step gets; `stopAfter` > 0 ends the crawl after that
  // many pictures.
  std::vector<Named> Crawl(const Text& albumPath, std::size_t stopAfter = 0) {
    std::vector<Named> named;
    ListAlbumPictures(
        SiteProfile(Utf8ToText(site().BaseUrl())), albumPath, [&](const PictureEntry& picture) { named.push_back(picture); },
        [&] { return stopAfter > 0 && named.size() >= stopAfter; });
    return named;
  }

  Text BigUrl(const SiteMember& member, int albumIndex, int picture) {
    return Utf8ToText(site().PictureUrl(member.key, member.albums[albumIndex], picture, true));
  }
};

// One page or three, each asked for once, each picture with its large address and description; the run's
// stop after the fourth picture, or a page that cannot be read, ends the crawl with the pages before it.
TEST_F(AlbumPhotoCrawlerSiteTest, PagesAreReadInOrderUntilTheLastOrTheEnd) {
  struct Case {
    const char* name;
    int pictures, stopAfter, brokenPage, named, pagesAsked;  // brokenPage 0: none
  } const cases[] = {
      {"one page", 2, 0, 0, 2, 1},
      {"three pages", 7, 0, 0, 7, 3},
      {"stopped after the fourth picture", 9, 4, 0, 4, 2},
      {"the second page cut short", 7, 0, 2, 3, 2},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SiteMember member = test::MemberWith("m" + std::to_string(++n), {u"Album"}, 3, c.pictures, 3);
    site().AddMember(member);
    const std::string album = "/" + member.key + "/photo/a1";
    if (c.brokenPage > 0) {
      SiteFault truncated;
      truncated.kind = SiteFaultKind::Truncate;
      truncated.bytes = 10;
      site().SetFault(album + "-" + std::to_string(c.brokenPage) + ".html", truncated);
    }
    site().ResetCounts();
    std::vector<Named> named = Crawl(Utf8ToText(album.substr(1)), static_cast<std::size_t>(c.stopAfter));
    ASSERT_EQ(named.size(), static_cast<std::size_t>(c.named));
    for (int i = 0; i < c.named; ++i) {
      EXPECT_EQ(named[i].url, BigUrl(member, 0, i + 1)) << i;
      EXPECT_EQ(named[i].description, Utf8ToText("p" + std::to_string(i + 1))) << i;
    }
    for (int page = 1; page <= c.pagesAsked + 1; ++page)
      EXPECT_EQ(site().RequestCount(album + "-" + std::to_string(page) + ".html"), page <= c.pagesAsked ? 1 : 0)
          << page;
    EXPECT_EQ(site().TotalRequests(), c.pagesAsked);
  }
  EXPECT_TRUE(Crawl(u"m1/photo/a404").empty());  // the site's error page holds no picture list
}

TEST_F(AlbumPhotoCrawlerSiteTest, HandWrittenPagesFollowTheMarkerRules) {
  auto serve = [&](const std::string& path, const std::string& html) {
    SiteFault page;
    page.kind = SiteFaultKind::Status;
    page.status = 200;
    page.body = TextToGbk(Utf8ToText(html));
    site().SetFault(path, page);
  };
  serve("/h/photo/a9-1.html",
        "<div class=\"albumlist\"><img src=\"cover.jpg\" alt=\"H\"></div><a class=\"next\">下一页</a>"
        "<ul class=\"albumlist_list\">"
        "<li><img src=\"http://p/small.x/small.1.jpg\" title=\"海 &amp; 山\"></li>"
        "<li><span title=\"Early\"></span><img src=\"http://p/2.jpg\"></li>"
        "<li><span>no picture here</span></li>"
        "</ul><li><img src=\"http://p/outside.jpg\">");
  serve("/h/photo/a9-2.html", "<ul class=\"albumlist_list\"><li><img src=\"http://p/3.jpg\" title=\"三\"></li></ul>");
  std::vector<Named> named = Crawl(u"h/photo/a9");
  ASSERT_EQ(named.size(), 4u);
  EXPECT_EQ(named[0].url, u"http://p/big.x/big.1.jpg");
  EXPECT_EQ(named[0].description, u"海 & 山");
  EXPECT_EQ(named[1].url, u"http://p/2.jpg");
  EXPECT_EQ(named[1].description, u"");  // its title stood before the address
  EXPECT_EQ(named[2].url, u"");          // an entry without an address still reaches the naming step
  EXPECT_EQ(named[3].url, u"http://p/3.jpg");
  EXPECT_EQ(named[3].description, u"三");
}

}  // namespace
}  // namespace albatrix
