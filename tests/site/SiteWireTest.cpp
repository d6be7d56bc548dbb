// The control interface's text format: everything a test hands a site in another process comes back
// exactly, and what is not a record of the kind asked for is refused.
#include <gtest/gtest.h>

#include <algorithm>

#include "site/SiteWire.h"

namespace albatrix {
namespace {

// Titles and descriptions as hostile as the site's own and more: separators of the format itself,
// escapes, entities, Chinese, a lone surrogate, an empty text.
SiteMember HostileMember() {
  SiteMember member;
  member.key = "k%e\ty";
  member.listPageSize = 7;
  member.albumPageSize = 1;
  SiteAlbum first;
  first.id = "a12";
  first.title = u"上海/北京\\天津:旅行*?<精选>|\t\n%u0041 &amp; \"q\"";
  first.statedCount = kCountNone;
  first.pictures = {SitePicture{PictureKind::Png, ".jpg", 8193, u"湖边 & 柳树"},
                    SitePicture{PictureKind::Gif, "", 0, u""},
                    SitePicture{PictureKind::Jpeg, ".JPEG", 1u << 31, Text(1, char16_t(0xD800)) + u"x\r"}};
  SiteAlbum second;
  second.id = "a3";
  second.title = u"";
  second.statedCount = 42;
  SiteAlbum third;
  third.id = "a4";
  third.title = u"   ";
  member.albums = {first, second, third};
  return member;
}

void ExpectSameMember(const SiteMember& a, const SiteMember& b) {
  EXPECT_EQ(a.key, b.key);
  EXPECT_EQ(a.listPageSize, b.listPageSize);
  EXPECT_EQ(a.albumPageSize, b.albumPageSize);
  ASSERT_EQ(a.albums.size(), b.albums.size());
  for (std::size_t i = 0; i < a.albums.size(); ++i) {
    const SiteAlbum& x = a.albums[i];
    const SiteAlbum& y = b.albums[i];
    EXPECT_EQ(x.id, y.id);
    EXPECT_EQ(x.title, y.title);
    EXPECT_EQ(x.statedCount, y.statedCount);
    ASSERT_EQ(x.pictures.size(), y.pictures.size());
    for (std::size_t p = 0; p < x.pictures.size(); ++p) {
      EXPECT_EQ(x.pictures[p].kind, y.pictures[p].kind);
      EXPECT_EQ(x.pictures[p].extension, y.pictures[p].extension);
      EXPECT_EQ(x.pictures[p].bytes, y.pictures[p].bytes);
      EXPECT_EQ(x.pictures[p].description, y.pictures[p].description);
    }
  }
}

TEST(SiteWireTest, MembersComeBackExactly) {
  SiteMember hostile = HostileMember();
  std::string wire = WriteMember(hostile);
  // One record a line: the tabs and line breaks of the texts never show up raw.
  EXPECT_EQ(std::count(wire.begin(), wire.end(), '\n'), 1 + 3 + 3);
  auto back = ReadMember(wire);
  ASSERT_TRUE(back);
  ExpectSameMember(hostile, *back);

  SiteMember generated = AlbumSite::GenerateMember("bench", MemberShape{3, 4, 2, 2, 2}, 9);
  auto again = ReadMember(WriteMember(generated));
  ASSERT_TRUE(again);
  ExpectSameMember(generated, *again);

  SiteMember empty;
  empty.key = "empty";
  auto none = ReadMember(WriteMember(empty));
  ASSERT_TRUE(none);
  ExpectSameMember(empty, *none);
}

TEST(SiteWireTest, EveryFaultComesBackExactly) {
  const SiteFaultKind kinds[] = {SiteFaultKind::Slow,     SiteFaultKind::Stall,       SiteFaultKind::Truncate,
                                 SiteFaultKind::WrongLength, SiteFaultKind::Status,   SiteFaultKind::Redirect,
                                 SiteFaultKind::EndlessBody, SiteFaultKind::GzipBomb};
  int n = 0;
  for (SiteFaultKind kind : kinds) {
    ++n;
    SiteFault fault;
    fault.kind = kind;
    fault.delayMs = 10 * n;
    fault.chunkBytes = 100u + n;
    fault.bytes = (std::size_t{1} << 33) + n;
    fault.status = 300 + n;
    static const char kBody[] = "<p>\0\xff\t\n%</p>";
    fault.body = n % 2 ? std::string(kBody, sizeof kBody - 1) : std::string();
    fault.location = n % 2 ? "" : "/x y?a=1&b=%";
    fault.times = n - 2;
    auto back = ReadFault(WriteFault(fault));
    ASSERT_TRUE(back) << n;
    EXPECT_EQ(back->kind, fault.kind) << n;
    EXPECT_EQ(back->delayMs, fault.delayMs);
    EXPECT_EQ(back->chunkBytes, fault.chunkBytes);
    EXPECT_EQ(back->bytes, fault.bytes);
    EXPECT_EQ(back->status, fault.status);
    EXPECT_EQ(back->body, fault.body);
    EXPECT_EQ(back->location, fault.location);
    EXPECT_EQ(back->times, fault.times);
  }
}

TEST(SiteWireTest, OptionsComeBackWithAndWithoutAShape) {
  SiteOptions plain;
  plain.seed = 0xFFFFFFFFFFFFFFFFull;
  plain.requireLogin = false;
  plain.gzip = true;
  plain.stallLimitMs = 1500;
  SiteOptions shaped;
  shaped.gzip = false;
  shaped.demoShape = MemberShape{1, 2, 3, 4, 5};
  shaped.picturesPerSecond = 7;
  for (const SiteOptions& options : {plain, shaped, SiteOptions{}}) {
    auto back = ReadOptions(WriteOptions(options));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->seed, options.seed);
    EXPECT_EQ(back->requireLogin, options.requireLogin);
    EXPECT_EQ(back->gzip, options.gzip);
    EXPECT_EQ(back->stallLimitMs, options.stallLimitMs);
    EXPECT_EQ(back->picturesPerSecond, options.picturesPerSecond);
    ASSERT_EQ(back->demoShape.has_value(), options.demoShape.has_value());
    if (options.demoShape) {
      EXPECT_EQ(back->demoShape->albums, 1);
      EXPECT_EQ(back->demoShape->pictures, 2);
      EXPECT_EQ(back->demoShape->pictureKb, 3);
      EXPECT_EQ(back->demoShape->listPageSize, 4);
      EXPECT_EQ(back->demoShape->albumPageSize, 5);
    }
  }
}

TEST(SiteWireTest, CountsAndListsComeBack) {
  std::map<std::string, int> counts = {{"/", 1}, {"/pic/m/a1/big.1.jpg", 12}, {"/x y\t%", 0}};
  EXPECT_EQ(ReadCounts(WriteCounts(counts)), counts);
  EXPECT_EQ(ReadCounts(""), (std::map<std::string, int>{}));
  std::vector<std::string> keys = {"demo", "", "a b", "%41"};
  EXPECT_EQ(ReadList(WriteList(keys)), keys);
  EXPECT_EQ(ReadList(""), std::vector<std::string>{});
}

TEST(SiteWireTest, MalformedRecordsAreRefused) {
  std::string member = WriteMember(HostileMember());
  std::string fault = WriteFault(SiteFault{});
  std::string options = WriteOptions(SiteOptions{});
  struct Case {
    const char* what;
    bool read;
  };
  const Case cases[] = {
      {"empty member", ReadMember("").has_value()},
      {"member read as fault", ReadFault(member).has_value()},
      {"fault read as member", ReadMember(fault).has_value()},
      {"options read as fault", ReadFault(options).has_value()},
      {"picture before any album", ReadMember("member\tm\t3\t3\npicture\tjpeg\t.jpg\t1\tx\n").has_value()},
      {"unknown picture kind", ReadMember("member\tm\t3\t3\nalbum\ta1\t-1\tt\npicture\tbmp\t.jpg\t1\tx\n").has_value()},
      {"page size not a number", ReadMember("member\tm\tthree\t3\n").has_value()},
      {"missing field", ReadMember("member\tm\t3\n").has_value()},
      {"cut escape", ReadMember("member\tm%4\t3\t3\n").has_value()},
      {"bad text escape", ReadMember("member\tm\t3\t3\nalbum\ta1\t-1\t%u00G1\n").has_value()},
      {"raw space in a field", ReadMember("member\tm n\t3\t3\n").has_value()},
      {"unknown fault kind", ReadFault("fault\tboom\t0\t1\t0\t404\t-1\t\t\n").has_value()},
      {"negative size", ReadFault("fault\tslow\t0\t-1\t0\t404\t-1\t\t\n").has_value()},
      {"two faults", ReadFault(fault + fault).has_value()},
      {"flag not 0 or 1", ReadOptions("options\t1\t2\t1\t100\n").has_value()},
      {"shape short", ReadOptions("options\t1\t1\t1\t100\nshape\t1\t2\n").has_value()},
      {"count not a number", ReadCounts("/a\tmany\n").has_value()},
  };
  for (const Case& c : cases) EXPECT_FALSE(c.read) << c.what;
}

}  // namespace
}  // namespace albatrix
