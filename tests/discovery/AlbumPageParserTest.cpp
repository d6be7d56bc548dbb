#include <gtest/gtest.h>

#include "discovery/AlbumPageParser.h"

namespace albatrix {
namespace {

TEST(AlbumPageParser, ScansAlbumPages) {
  struct Case {
    const char* what;
    const char16_t* page;
    bool more;
    std::size_t entries;
  };
  const Case cases[] = {
      {"two pictures and a next link",
       u"<a class=\"next\">下一页</a><ul class=\"albumlist_list\"><li><img src=\"a\"></li><li></li></ul>", true, 2},
      {"last page", u"<ul class=\"albumlist_list\"><li>x</li></ul><li>not a picture", false, 1},
      {"no list marker: the whole page", u"<li>a<li>b<li>c", false, 3},
      {"no <li>", u"<ul class=\"albumlist_list\"></ul>", false, 0},
      {"a next link in another class name still counts", u"<b class=\"nextpage\"><li>x", true, 1},
      {"the list page marker is not the album page marker", u"<ul class=\"album_list\"><li>x</ul><li>y", false, 1},
  };
  for (const Case& c : cases) {
    AlbumPageScan scan = ScanAlbumPage(c.page);
    EXPECT_EQ(scan.morePages, c.more) << c.what;
    EXPECT_EQ(scan.entries.size(), c.entries) << c.what;
  }
}

TEST(AlbumPageParser, PictureEntries) {
  struct Case {
    const char* what;
    const char16_t* entry;
    const char16_t* url;
    const char16_t* description;
  };
  const Case cases[] = {
      {"address and description", u"><img src=\"http://p/x/small.1.jpg\" title=\"Sea\"></li>",
       u"http://p/x/big.1.jpg", u"Sea"},
      {"every small. replaced", u"><img src=\"http://small.p/small.2.png\" title=\"\">", u"http://big.p/big.2.png", u""},
      {"title before the address is not seen", u" title=\"Early\"><img src=\"http://p/3.gif\">", u"http://p/3.gif",
       u""},
      {"no address: the description is still found", u"><span title=\"Only\">", u"", u"Only"},
      {"no address and no title", u"><span>", u"", u""},
      {"an address without its closing quote", u"><img src=\"http://p/small.x", u"", u""},
  };
  for (const Case& c : cases) {
    PictureEntry picture = ParsePictureEntry(c.entry);
    EXPECT_EQ(picture.url, c.url) << c.what;
    EXPECT_EQ(picture.description, c.description) << c.what;
  }
}

}  // namespace
}  // namespace albatrix
