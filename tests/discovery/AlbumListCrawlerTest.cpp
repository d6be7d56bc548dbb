// The album-list pipeline with its pages replayed as data: the exact requests it makes, the albums and
// pages it reports, and how it says it ended; and both crawlers against a site that repeats a page.
#include "discovery/AlbumListCrawler.h"
#include "discovery/AlbumPhotoCrawler.h"

#include <gtest/gtest.h>

#include <map>

namespace albatrix {
namespace {

struct Recorder : ListingEvents {
  std::vector<std::string> seen;  // "album <title> <path>" and "page <n> <albums>", in order
  std::function<void()> afterAlbum;
  void AlbumFound(const ST_PERLISTRECORD& album) override {
    seen.push_back("album " + TextToUtf8(album.title) + " " + TextToUtf8(album.albumPath));
    if (afterAlbum) afterAlbum();
  }
  void PageDone(int page, std::size_t albums) override {
    seen.push_back("page " + std::to_string(page) + " " + std::to_string(albums));
  }
};

// Serves `pages` (address -> body); any other address fails as no connection would.
struct Replay {
  std::map<std::string, std::string> pages;
  std::vector<std::string> asked;
  FetchFn Fetcher() {
    return [this](UrlRequest& request, UrlResponse& response, unsigned) {
      asked.push_back(TextToUtf8(request.url));
      auto it = pages.find(asked.back());
      response.body = it == pages.end() ? std::string() : it->second;
      response.failure = it == pages.end() ? FetchFailure::Network : FetchFailure::None;
      return it != pages.end();
    };
  }
};

std::string Entry(const std::string& id, const std::string& title) {
  return "<li><a href=\"kobe/photo/" + id + ".html\"><img src=\"c\" title=\"" + title + "\"></a></li>";
}

TEST(AlbumListCrawler, PagesInOrderUntilTheLastOneAndEveryWayToEnd) {
  const SiteProfile profile(u"http://h");
  Replay site;
  site.pages["http://h/kobe/photo-1"] =
      "<a id=\"j_next\"><ul class=\"album_list\">" + Entry("a1", "One") + Entry("a2", "Two") + "</ul>";
  site.pages["http://h/kobe/photo-2"] = "<ul class=\"album_list\">" + Entry("a3", "Three") + "</ul>";
  {
    Recorder events;
    ListingResult result = ListMemberAlbums(u"http://h/kobe", profile, events, nullptr, site.Fetcher());
    EXPECT_EQ(result.end, ListingEnd::LastPage);
    EXPECT_EQ(result.memberKey, u"kobe");
    EXPECT_EQ(site.asked, (std::vector<std::string>{"http://h/kobe/photo-1", "http://h/kobe/photo-2"}));
    EXPECT_EQ(events.seen, (std::vector<std::string>{"album One kobe/photo/a1", "album Two kobe/photo/a2", "page 1 2",
                                                     "album Three kobe/photo/a3", "page 2 1"}));
  }
  {  // the stop flag raised while the first album is reported: nothing more is read
    site.asked.clear();
    std::atomic<bool> stop{false};
    Recorder events;
    events.afterAlbum = [&] { stop = true; };
    ListingResult result = ListMemberAlbums(u"http://h/kobe", profile, events, &stop, site.Fetcher());
    EXPECT_EQ(result.end, ListingEnd::Stopped);
    EXPECT_EQ(site.asked.size(), 1u);
    EXPECT_EQ(events.seen, std::vector<std::string>{"album One kobe/photo/a1"});
  }
  {  // a page that cannot be read ends the listing with what came before
    site.asked.clear();
    site.pages.erase("http://h/kobe/photo-2");
    Recorder events;
    EXPECT_EQ(ListMemberAlbums(u"http://h/kobe", profile, events, nullptr, site.Fetcher()).end, ListingEnd::Unreadable);
    EXPECT_EQ(events.seen.size(), 3u);
  }
  {  // no web address: the site is not asked at all
    site.asked.clear();
    Recorder events;
    EXPECT_EQ(ListMemberAlbums(u"kobe24", profile, events, nullptr, site.Fetcher()).end, ListingEnd::NoAddress);
    EXPECT_TRUE(site.asked.empty());
  }
}

// Page numbers past the last give the last page again, "next" marker and all: both crawls end at the
// first repeat, with nothing reported twice.
TEST(AlbumListCrawler, ASiteThatRepeatsItsLastPageEndsBothCrawls) {
  const SiteProfile profile(u"http://h");
  Replay site;
  const std::string last = "<a id=\"j_next\"><ul class=\"album_list\">" + Entry("a2", "Two") + "</ul>";
  site.pages["http://h/kobe/photo-1"] = "<a id=\"j_next\"><ul class=\"album_list\">" + Entry("a1", "One") + "</ul>";
  site.pages["http://h/kobe/photo-2"] = last;
  site.pages["http://h/kobe/photo-3"] = last;
  Recorder events;
  EXPECT_EQ(ListMemberAlbums(u"http://h/kobe", profile, events, nullptr, site.Fetcher()).end, ListingEnd::LastPage);
  EXPECT_EQ(site.asked.size(), 3u);
  EXPECT_EQ(events.seen, (std::vector<std::string>{"album One kobe/photo/a1", "page 1 1", "album Two kobe/photo/a2",
                                                   "page 2 1"}));

  const std::string page = "<a class=\"next\"><ul class=\"albumlist_list\"><li><img src=\"http://p/small.1.jpg\"></li></ul>";
  site.pages["http://h/kobe/photo/a1-1.html"] = page;
  site.pages["http://h/kobe/photo/a1-2.html"] = page;
  site.asked.clear();
  std::vector<Text> found;
  const AlbumListing listing = ListAlbumPictures(
      profile, u"kobe/photo/a1", [&](const PictureEntry& picture) { found.push_back(picture.url); }, {}, nullptr,
      nullptr, site.Fetcher());
  EXPECT_EQ(listing.end, AlbumListingEnd::LastPage);
  EXPECT_EQ(site.asked.size(), 2u);
  EXPECT_EQ(found, std::vector<Text>{u"http://p/big.1.jpg"});
}

}  // namespace
}  // namespace albatrix
