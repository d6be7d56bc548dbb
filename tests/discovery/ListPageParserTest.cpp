#include <gtest/gtest.h>

#include "discovery/ListPageParser.h"

namespace albatrix {
namespace {

TEST(ListPageParser, MemberKeyAndSingleAlbumAddresses) {
  const SiteProfile hupu;
  const SiteProfile standIn(u"http://127.0.0.1:8123");
  struct Case {
    const SiteProfile* profile;
    const char16_t* text;
    const char16_t* memberKey;
    bool oneAlbum;
    const char16_t* albumPath;
  };
  const Case cases[] = {
      {&hupu, u"http://my.hupu.com/kobe", u"kobe", false, u"kobe"},
      {&hupu, u"http://my.hupu.com/kobe/photo", u"kobe", false, u"kobe/photo"},
      {&hupu, u"http://my.hupu.com/kobe?x=1#top", u"kobe", false, u"kobe?x=1#top"},
      {&hupu, u"http://my.hupu.com/ko&be*x", u"ko", false, u"ko&be*x"},
      {&hupu, u"http://my.hupu.com/ko*be#x", u"ko", false, u"ko*be#x"},
      {&hupu, u"http://my.hupu.com/kobe/photo/a12.html", u"kobe", true, u"kobe/photo/a12"},
      {&hupu, u"http://my.hupu.com/kobe/photo/a12-3.html", u"kobe", true, u"kobe/photo/a12"},
      // Without the fragment the whole text is the key, cut at its first "/" (the "http:" of it).
      {&hupu, u"http://example.org/kobe", u"http:", false, u"http://example.org/kobe"},
      // Without the ending the address stays whole apart from the cuts at "-" and ".htm".
      {&hupu, u"http://localhost/photo/a5.html", u"http:", true, u"http://localhost/photo/a5"},
      {&standIn, u"http://127.0.0.1:8123/demo/photo/a7.html", u"demo", true, u"demo/photo/a7"},
      {&standIn, u"http://127.0.0.1:8123/demo", u"demo", false, u"demo"},
      // The scheme is no part of the rules: an https address gives the same keys.
      {&hupu, u"https://my.hupu.com/kobe?x=1", u"kobe", false, u"kobe?x=1"},
      {&standIn, u"https://127.0.0.1:8123/demo/photo/a7-2.html", u"demo", true, u"demo/photo/a7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TextToUtf8(c.text));
    EXPECT_EQ(MemberKeyOf(c.text, *c.profile), c.memberKey);
    EXPECT_EQ(NamesOneAlbum(c.text), c.oneAlbum);
    EXPECT_EQ(SingleAlbumPathOf(c.text, *c.profile), c.albumPath);
  }
  EXPECT_FALSE(NamesOneAlbum(u"/photo/a1"));  // only after the first character
  EXPECT_TRUE(NamesOneAlbum(u"x/photo/a1"));
}

TEST(ListPageParser, ReadsPictureCounts) {
  struct Case {
    const char16_t* text;
    std::int32_t value;
  };
  const Case cases[] = {
      {u"12", 12}, {u"  7", 7}, {u"\t\n 30张", 30}, {u"", 0},     {u"abc", 0},
      {u"5x3", 5}, {u"-4", 0},  {u"007", 7},        {u"99999999999", 2147483647},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadPictureCount(c.text), c.value) << TextToUtf8(c.text);
}

TEST(ListPageParser, ScansListPages) {
  struct Case {
    const char* what;
    const char16_t* page;
    bool maintenance;
    bool more;
    std::size_t entries;
  };
  const Case cases[] = {
      {"two albums, a next link", u"<a id=\"j_next\"><ul class=\"album_list\"><li>1</li><li>2</li></ul>", false, true, 2},
      {"last page", u"<ul class=\"album_list\"><li>1</li></ul><li>footer</li>", false, false, 1},
      {"no list marker: the whole page counts", u"<li>a<li>b", false, false, 2},
      {"nothing after the marker", u"<ul class=\"album_list\"></ul><li>x", false, false, 0},
      {"no <li> anywhere", u"<p>empty</p>", false, false, 0},
      {"maintenance", u"<p>当前页面正在维护中</p><ul class=\"album_list\"><li>1", true, false, 0},
      {"maintenance text at index 0 is not maintenance", u"当前页面正在维护中<li>1", false, false, 1},
      {"j_next inside the list still counts", u"<ul class=\"album_list\"><li id=\"j_next\">1</ul>", false, true, 1},
  };
  for (const Case& c : cases) {
    ListPageScan scan = ScanListPage(c.page);
    EXPECT_EQ(scan.maintenance, c.maintenance) << c.what;
    EXPECT_EQ(scan.morePages, c.more) << c.what;
    EXPECT_EQ(scan.entries.size(), c.entries) << c.what;
  }
}

TEST(ListPageParser, EntriesFollowTheMarkersInOrder) {
  struct Case {
    const char* what;
    const char16_t* entry;
    const char16_t* path;
    const char16_t* cover;
    const char16_t* title;
    std::int32_t count;
  };
  const Case cases[] = {
      {"all fields", u" class=\"a\"><a href=\"kobe/photo/a1.html\"><img src=\"http://c/1.jpg\" title=\"Trip\"></a>(共12张)",
       u"kobe/photo/a1", u"http://c/1.jpg", u"Trip", 12},
      {"album page with a number", u"><a href=\"kobe/photo/a2-1.html\"><img src=\"c.jpg\"></a><b title=\"Two\">(共 3 张)",
       u"kobe/photo/a2", u"c.jpg", u"Two", 3},
      {"no count", u"><a href=\"k/photo/a3.html\"><img src=\"c\" title=\"T\">", u"k/photo/a3", u"c", u"T", 0},
      {"title before the cover is not seen", u"><a href=\"p.html\" title=\"Early\"><img src=\"c\">(共4张)", u"p",
       u"c", u"", 4},
      {"no href: every later search starts at the entry's start",
       u"><img src=\"c\" title=\"T\">(共2张)", u"", u"c", u"T", 2},
      {"start marker without an end marker", u"><a href=\"never-closed", u"", u"", u"", 0},
      {"empty entry", u"", u"", u"", u"", 0},
      {"count after the title only", u"(共9张)<a href=\"p.htm\"><img src=\"c\" title=\"T\">", u"p", u"c", u"T", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ST_PERLISTRECORD working;
    working.accessFlags = 4;  // left over from an earlier album: reset for each entry
    working.number1 = 7;      // never written by the list crawler
    ParseListEntry(c.entry, working);
    EXPECT_EQ(working.albumPath, c.path);
    EXPECT_EQ(working.coverUrl, c.cover);
    EXPECT_EQ(working.title, c.title);
    EXPECT_EQ(working.pictureCount, c.count);
    EXPECT_EQ(working.accessFlags, 0);
    EXPECT_EQ(working.number1, 7);
  }
}

TEST(ListPageParser, SingleAlbumPage) {
  struct Case {
    const char* what;
    const char16_t* page;
    const char16_t* cover;
    const char16_t* title;
    std::int32_t count;
  };
  const Case cases[] = {
      {"header after the marker", u"<img src=\"logo.png\"><div class=\"albumlist\"><img src=\"c.jpg\" alt=\"Trip\"><span>共8张",
       u"c.jpg", u"Trip", 8},
      {"no header marker: from the start", u"<img src=\"logo.png\" alt=\"Logo\">共 5张", u"logo.png", u"Logo", 5},
      {"alt before src is not seen", u"class=\"albumlist\"><img alt=\"A\" src=\"c\">共2张", u"c", u"", 2},
      {"no count", u"class=\"albumlist\"><img src=\"c\" alt=\"A\">", u"c", u"A", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ST_PERLISTRECORD working;
    working.albumPath = u"kept";
    ParseSingleAlbumPage(c.page, working);
    EXPECT_EQ(working.coverUrl, c.cover);
    EXPECT_EQ(working.title, c.title);
    EXPECT_EQ(working.pictureCount, c.count);
    EXPECT_EQ(working.albumPath, u"kept");
  }
}

}  // namespace
}  // namespace albatrix
