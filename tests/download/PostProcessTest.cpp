#include "download/PostProcess.h"

#include <gtest/gtest.h>

#include "MyCode/FileSystem.h"
#include "MyCode/FileTimes.h"
#include "download/RunFakes.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

using test::T;
using test::TempDir;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

TEST(PostProcess, ExtensionForContent) {
  struct Row {
    std::string head;
    std::string extension;
  };
  const std::vector<Row> rows = {
      {Bytes({0xFF, 0xD8, 0xFF, 0xE0}), ".jpg"},
      {Bytes({0x89, 0x50, 0x4E, 0x47}), ".png"},
      {"GIF89a", ".gif"},
      {"GIX", ""},
      {"BM\x10", ".bmp"},
      {Bytes({0, 0, 2, 0, 0}), ".tga"},
      {Bytes({0, 0, 0x10, 0, 0}), ".tga"},
      {Bytes({0, 0, 2, 0, 1}), ".cur"},
      {Bytes({0, 0, 1, 0, 1}), ".ico"},
      {Bytes({0, 0, 1, 0, 2}), ""},
      {Bytes({0, 0, 2}), ".tga"},  // missing bytes count as 0
      {"II*\0", ".tiff"},
      {"MM\0*", ".tiff"},
      {"", ""},
      {"<html>", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(TextToUtf8(ExtensionForContent(row.head)), row.extension) << row.extension;
  }
}

struct Album {
  TempDir dir;
  PictureList pictures;
  Album() { pictures.SetFolder(dir.folder()); }
  void Add(const std::string& name, const std::string* bytes) {
    pictures.Append(T("http://h/" + name), T(name), Text());
    if (bytes) test::WriteWholeFile(dir.file(name), *bytes);
  }
};

TEST(PostProcess, FormatFixRenamesByContent) {
  const std::string png = Bytes({0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A});
  const std::string jpeg = Bytes({0xFF, 0xD8, 0xFF});
  Album album;
  album.Add("a.jpg", &png);     // a PNG saved as .jpg
  album.Add("b.jpg", &jpeg);    // right already
  album.Add("c.jpg", nullptr);  // its download failed
  album.Add("d.JPG", &jpeg);    // the case of the extension follows the table too
  album.Add("e.png", &jpeg);    // e.jpg exists already: the rename must not replace it
  album.Add("e.jpg", &png);     // and this one wants to become e.png, which exists
  album.Add("f.txt", &png);
  FixAlbumFormats(album.pictures);
  EXPECT_EQ(album.pictures.fileNames(), (TextArray{u"a.png", u"b.jpg", u"c.jpg", u"d.jpg", u"e.png", u"e.jpg", u"f.png"}));
  EXPECT_EQ(test::FolderEntries(album.dir.path()),
            (std::vector<std::string>{"a.png", "b.jpg", "d.jpg", "e.jpg", "e.png", "f.png"}));
  EXPECT_EQ(test::ReadWholeFile(album.dir.file("e.jpg")), png);
  EXPECT_EQ(test::ReadWholeFile(album.dir.file("e.png")), jpeg);
}

TEST(PostProcess, FormatFixNeverTakesADotInAFolderForTheExtension) {
  TempDir dir;
  ASSERT_TRUE(CreateFolders(dir.folder() + u"x.y"));
  test::WriteWholeFile(dir.file(test::PlatformPath("x.y/noext")), Bytes({0xFF, 0xD8}));
  Text path = dir.folder() + test::PlatformPath(u"x.y/noext");
  EXPECT_TRUE(FixPictureFormat(path));
  EXPECT_EQ(TextToUtf8(path), dir.file(test::PlatformPath("x.y/noext.jpg")));
  EXPECT_EQ(test::FolderEntries(dir.file("x.y")), std::vector<std::string>{"noext.jpg"});
  Text missing = dir.folder() + u"none.jpg";
  EXPECT_FALSE(FixPictureFormat(missing));
}

TEST(PostProcess, OrderFixStepsBackAMinuteByListPosition) {
  const std::string jpeg = Bytes({0xFF, 0xD8});
  Album album;
  album.Add("1.jpg", &jpeg);
  album.Add("2.jpg", nullptr);  // missing: still takes its step
  album.Add("3.jpg", &jpeg);
  album.Add("4.jpg", &jpeg);
  const std::int64_t now = 1700000000;
  FixAlbumOrder(album.pictures, now);
  std::int64_t t = 0;
  ASSERT_TRUE(GetFileWriteTime(album.dir.folder() + u"1.jpg", t));
  EXPECT_EQ(t, now);
  ASSERT_TRUE(GetFileWriteTime(album.dir.folder() + u"3.jpg", t));
  EXPECT_EQ(t, now - 120);
  ASSERT_TRUE(GetFileWriteTime(album.dir.folder() + u"4.jpg", t));
  EXPECT_EQ(t, now - 180);
  EXPECT_FALSE(test::PathExists(album.dir.file("2.jpg")));
}

TEST(PostProcess, FormatFixThenOrderFixStampsTheRenamedFile) {
  Album album;
  const std::string png = Bytes({0x89, 0x50});
  album.Add("a.jpg", &png);
  FixAlbumFormats(album.pictures);
  FixAlbumOrder(album.pictures, 1600000000);
  std::int64_t t = 0;
  ASSERT_TRUE(GetFileWriteTime(album.dir.folder() + u"a.png", t));
  EXPECT_EQ(t, 1600000000);
}

TEST(PostProcess, TimeZeroOrBelowChangesNothing) {
  TempDir dir;
  test::WriteWholeFile(dir.file("a.jpg"), "x");
  ASSERT_TRUE(SetFileTimes(dir.folder() + u"a.jpg", 1500000000));
  SetPictureTime(dir.folder() + u"a.jpg", 0);
  SetPictureTime(dir.folder() + u"a.jpg", -5);
  std::int64_t t = 0;
  ASSERT_TRUE(GetFileWriteTime(dir.folder() + u"a.jpg", t));
  EXPECT_EQ(t, 1500000000);
  EXPECT_FALSE(SetFileTimes(dir.folder() + u"missing.jpg", 1500000000));
  EXPECT_EQ(WindowsFileTime(0), 116444736000000000ULL);
}

TEST(PostProcess, DescriptionFileNeedsItsFirstLine) {
  TempDir dir;
  // Not the album's first picture and no file yet: nothing is created.
  EXPECT_FALSE(AppendDescription(dir.folder(), u"T", 2, u"x"));
  EXPECT_FALSE(test::PathExists(dir.file("T.txt")));
  EXPECT_TRUE(AppendDescription(dir.folder(), u"T", 1, u""));
  EXPECT_TRUE(AppendDescription(dir.folder(), u"T", 2, u"图"));
  EXPECT_EQ(test::ReadWholeFile(dir.file("T.txt")), std::string("\xFF\xFE\r\0\n\0\xFE\x56\r\0\n\0", 12));
}

}  // namespace
}  // namespace albatrix
