#include "download/AlbumFiles.h"

#include <gtest/gtest.h>

#include "download/RunFakes.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

using test::TempDir;

TEST(AlbumFiles, ListFileIsGbkWithCrLfAndNoMark) {
  TempDir dir;
  const Text path = dir.folder() + u"相册.lst";
  test::WriteWholeFile(dir.file("相册.lst"), "an older, longer list that must go entirely\r\n");
  ASSERT_TRUE(WriteListFile(path, {u"http://h/a.jpg", u"http://h/图.jpg", u"http://h/\u00E9"}));
  // 图 is CD BC in GBK; é has a GBK form too (A8 A6).
  EXPECT_EQ(test::ReadWholeFile(dir.file("相册.lst")),
            "http://h/a.jpg\r\nhttp://h/\xCD\xBC.jpg\r\nhttp://h/\xA8\xA6\r\n");
  EXPECT_EQ(ListFileBytes({u"x\u0E01"}), "x?\r\n");  // a character GBK has no form for
  EXPECT_EQ(ListFileBytes({}), "");
  EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"相册.lst"});
}

TEST(AlbumFiles, SkipMarkerIsUtf16WithoutMarkOrLineEnd) {
  TempDir dir;
  ASSERT_TRUE(WriteSkipMarker(u"http://h/图", dir.folder()));
  const std::string expected("h\0t\0t\0p\0:\0/\0/\0h\0/\0\xFE\x56", 20);
  EXPECT_EQ(test::ReadWholeFile(dir.file("pic.zvk")), expected);
  EXPECT_EQ(ReadSkipMarker(dir.folder()), u"http://h/图");
  ASSERT_TRUE(WriteSkipMarker(u"b", dir.folder()));
  EXPECT_EQ(ReadSkipMarker(dir.folder()), u"b");
  EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"pic.zvk"});
}

TEST(AlbumFiles, SkipMarkerReadStopsAtALineFeed) {
  TempDir dir;
  test::WriteWholeFile(dir.file("pic.zvk"), std::string("a\0\r\0\n\0b\0", 8));
  EXPECT_EQ(ReadSkipMarker(dir.folder()), u"a\r");
  test::WriteWholeFile(dir.file("pic.zvk"), std::string("ab\0", 3));  // an odd last byte is no unit
  EXPECT_EQ(ReadSkipMarker(dir.folder()), Text(u"\u6261"));
  TempDir empty;
  EXPECT_EQ(ReadSkipMarker(empty.folder()), u"");
  EXPECT_FALSE(WriteSkipMarker(u"x", empty.folder() + u"missing/"));
}

}  // namespace
}  // namespace albatrix
