#include "model/AlbumRecords.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/Environment.h"

namespace albatrix {
namespace {

ST_PERLISTRECORD Album(Text title) {
  ST_PERLISTRECORD album;
  album.title = std::move(title);
  return album;
}

std::vector<Text> Titles(const AlbumList& list) {
  std::vector<Text> titles;
  for (std::size_t i = 0; i < list.size(); ++i) titles.push_back(list[i].title);
  return titles;
}

TEST(AlbumListTest, AppendCopiesFieldsAndNumbersByOrder) {
  AlbumList list;
  ST_PERLISTRECORD album;
  album.title = u" Trip  to  the\tsea ";
  album.albumPath = u"/member/album-1";
  album.coverUrl = u"http://img/cover.jpg";
  album.extraText1 = u"x1";
  album.extraText2 = u"x2";
  album.pictureCount = 12;
  album.accessFlags = ACCESS_PRIVATE;
  album.number1 = 4;
  album.number2 = 5;
  album.ordinal = 99;     // ignored: the list numbers its albums
  album.thumbIndex = 3;   // ignored: a new album has no thumbnail
  const ST_PERLISTRECORD original = album;

  EXPECT_EQ(list.AppendAlbum(album), 1);
  album.title = u"Second";
  EXPECT_EQ(list.AppendAlbum(album), 2);

  const ST_PERLISTRECORD& first = list[0];
  EXPECT_EQ(first.title, u"Trip to the_sea");
  EXPECT_EQ(first.albumPath, original.albumPath);
  EXPECT_EQ(first.coverUrl, original.coverUrl);
  EXPECT_EQ(first.extraText1, u"x1");
  EXPECT_EQ(first.extraText2, u"x2");
  EXPECT_EQ(first.pictureCount, 12);
  EXPECT_EQ(first.accessFlags, ACCESS_PRIVATE);
  EXPECT_EQ(first.number1, 4);
  EXPECT_EQ(first.number2, 5);
  EXPECT_EQ(first.ordinal, 0);
  EXPECT_EQ(first.thumbIndex, -1);
  EXPECT_EQ(list[1].ordinal, 1);
  // The caller's record is left as it was handed in.
  EXPECT_EQ(album.ordinal, 99);
  EXPECT_EQ(album.thumbIndex, 3);
}

TEST(AlbumListTest, MakesTitlesUnique) {
  struct Case {
    std::vector<Text> in;
    std::vector<Text> out;
  };
  const Case cases[] = {
      {{u"A", u"A", u"A (1)"}, {u"A", u"A (1)", u"A (1) (1)"}},
      {{u"Trip", u"Trip", u"Trip"}, {u"Trip", u"Trip (1)", u"Trip (2)"}},
      {{u"Trip", u"trip"}, {u"Trip", u"trip"}},  // case-sensitive
      {{u"A (1)", u"A", u"A", u"A"}, {u"A (1)", u"A", u"A (2)", u"A (3)"}},
      {{u"A", u"A", u"A (2)", u"A", u"A"}, {u"A", u"A (1)", u"A (2)", u"A (3)", u"A (4)"}},
      {{u"A:", u"A?", u"A"}, {u"A", u"A (1)", u"A (2)"}},  // the comparison is of cleaned titles
  };
  for (const Case& c : cases) {
    AlbumList list;
    for (const Text& t : c.in) list.AppendAlbum(Album(t));
    EXPECT_EQ(Titles(list), c.out);
  }
}

TEST(AlbumListTest, EmptyTitleBecomesTimeStampMadeUnique) {
  test::SetEnvironment("TZ", "UTC");
  AlbumList list([] { return std::chrono::system_clock::from_time_t(1700000000); });
  list.AppendAlbum(Album(u"***"));
  list.AppendAlbum(Album(u"   "));  // the same second: the same stamp, numbered
  list.AppendAlbum(Album(Text(1000, u'x')));
  EXPECT_EQ(Titles(list), (std::vector<Text>{u"20231114221320", u"20231114221320 (1)", u"20231114221320 (2)"}));
}

TEST(AlbumListTest, SortKeepsOrdinalsAndUniqueness) {
  AlbumList list;
  for (const char16_t* t : {u"b", u"c", u"a", u"b"}) list.AppendAlbum(Album(t));
  list.Sort([](const ST_PERLISTRECORD& x, const ST_PERLISTRECORD& y) { return x.title > y.title; });
  EXPECT_EQ(Titles(list), (std::vector<Text>{u"c", u"b (1)", u"b", u"a"}));
  EXPECT_EQ(list[0].ordinal, 1);
  EXPECT_EQ(list[1].ordinal, 3);
  EXPECT_EQ(list[3].ordinal, 2);
  // Stable: equal keys keep their order.
  list.Sort([](const ST_PERLISTRECORD&, const ST_PERLISTRECORD&) { return false; });
  EXPECT_EQ(list[0].title, u"c");
  // Appending after a sort still sees every title and numbers the album by the list's size.
  EXPECT_EQ(list.AppendAlbum(Album(u"b")), 5);
  EXPECT_EQ(list[4].title, u"b (2)");
  EXPECT_EQ(list[4].ordinal, 4);
}

TEST(AlbumListTest, SetTitleKeepsUniquenessExact) {
  AlbumList list;
  for (const char16_t* t : {u"A", u"A", u"A"}) list.AppendAlbum(Album(t));  // A, A (1), A (2)
  list.SetTitle(1, u"Renamed");
  EXPECT_FALSE(list.HasTitle(u"A (1)"));
  EXPECT_TRUE(list.HasTitle(u"Renamed"));
  // "A (1)" is free again, and the next duplicate takes it.
  list.AppendAlbum(Album(u"A"));
  EXPECT_EQ(list[3].title, u"A (1)");
  // Two albums may share a title after a cut; removing one still leaves the other counted.
  list.SetTitle(2, u"A");
  list.SetTitle(2, u"Other");
  EXPECT_TRUE(list.HasTitle(u"A"));
  list.SetTitle(99, u"ignored");
  EXPECT_EQ(list.size(), 4u);
}

// Long titles are cut in the record (as the grid shows them); albums that the cut makes equal stay apart,
// within the length and without half characters, so they never download into one folder. The cut may
// come after all albums were appended or after each one.
TEST(AlbumListTest, CutTitlesStayUnique) {
  const Text t90(90, u'T');
  const Text t76(76, u'T');
  const Text emojiAtTheEnd = Text(75, u'a') + u"\U0001F600xyz";  // 80 units; the emoji at 75-76
  struct Case {
    const char* what;
    std::vector<Text> titles;
    bool cutAfterEach;
    std::vector<Text> expected;
  } const cases[] = {
      {"one album is only cut", {t90}, false, {Text(80, u'T')}},
      {"two albums", {t90, t90}, false, {Text(80, u'T'), t76 + u" (1)"}},
      {"three albums", {t90, t90, t90}, false, {Text(80, u'T'), t76 + u" (1)", t76 + u" (2)"}},
      {"three albums, each cut as it comes", {t90, t90, t90}, true, {Text(80, u'T'), t76 + u" (1)", t76 + u" (2)"}},
      {"a pair at the numbered cut is dropped whole",
       {emojiAtTheEnd + u"more", emojiAtTheEnd + u"more"},
       false,
       {emojiAtTheEnd, Text(75, u'a') + u" (1)"}},
      {"short titles are left alone", {u"Trip", u"Trip"}, false, {u"Trip", u"Trip (1)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AlbumList list;
    for (const Text& title : c.titles) {
      list.AppendAlbum(Album(title));
      if (c.cutAfterEach) list.CutTitle(list.size() - 1, 80);
    }
    if (!c.cutAfterEach) {
      for (std::size_t i = 0; i < list.size(); ++i) list.CutTitle(i, 80);
    }
    EXPECT_EQ(Titles(list), c.expected);
    for (const Text& title : c.expected) EXPECT_TRUE(list.HasTitle(title));
  }
  AlbumList list;
  list.CutTitle(0, 80);  // out of range: nothing
  EXPECT_TRUE(list.empty());
}

TEST(AlbumListTest, ClearAlbumsEmptiesAndForgetsTitles) {
  AlbumList list;
  list.ClearAlbums();  // nothing to do on an empty list
  EXPECT_TRUE(list.empty());
  list.AppendAlbum(Album(u"A"));
  list.AppendAlbum(Album(u"A"));
  list.SetThumbIndex(0, 7);
  EXPECT_EQ(list[0].thumbIndex, 7);
  list.selectedCount = 2;
  list.ClearAlbums();
  EXPECT_EQ(list.size(), 0u);
  EXPECT_FALSE(list.HasTitle(u"A"));
  EXPECT_EQ(list.AppendAlbum(Album(u"A")), 1);
  EXPECT_EQ(list[0].title, u"A");
  EXPECT_EQ(list[0].ordinal, 0);
  EXPECT_EQ(list.selectedCount.load(), 2);
}

TEST(AlbumListTest, TenThousandAlbumsAppendQuickly) {
  // A member with many albums, half of them sharing one title: both must stay far from quadratic.
  AlbumList list;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 10000; ++i) {
    std::string title = (i % 2 == 0) ? "Same" : "Album " + std::to_string(i);
    list.AppendAlbum(Album(Text(title.begin(), title.end())));
  }
  auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(list.size(), 10000u);
  EXPECT_EQ(list[0].title, u"Same");
  EXPECT_EQ(list[2].title, u"Same (1)");
  EXPECT_EQ(list[9998].title, u"Same (4999)");
  EXPECT_EQ(list[9999].title, u"Album 9999");
  EXPECT_LT(elapsed, std::chrono::seconds(1));
}

}  // namespace
}  // namespace albatrix
