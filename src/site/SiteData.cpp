#include "site/SiteData.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace albatrix {

std::uint64_t SeededNumbers::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

namespace {

// Album ids: "a" and six digits, all different within a member.
std::vector<std::string> AlbumIds(std::size_t count, std::uint64_t seed) {
  SeededNumbers numbers(seed);
  std::set<std::uint64_t> used;
  std::vector<std::string> ids;
  while (ids.size() < count) {
    std::uint64_t n = 100000 + numbers.Next() % 900000;
    if (!used.insert(n).second) continue;
    ids.push_back("a" + std::to_string(n));
  }
  return ids;
}

SitePicture Picture(PictureKind kind, const char* extension, std::size_t kb, const char* description) {
  return SitePicture{kind, extension, kb * 1024, Utf8ToText(description)};
}

SiteAlbum Album(const char* title, std::vector<SitePicture> pictures, int statedCount = kCountActual) {
  return SiteAlbum{{}, Utf8ToText(title), statedCount, std::move(pictures)};
}

}  // namespace

SiteMember MakeDemoMember(std::uint64_t seed) {
  using K = PictureKind;
  SiteMember member;
  member.key = AlbumSite::kDemoMember;
  member.listPageSize = 3;
  member.albumPageSize = 3;
  member.albums = {
      Album("春游 & 踏青", {Picture(K::Jpeg, ".jpg", 12, "樱花"), Picture(K::Png, ".png", 9, "湖边 & 柳树"),
                            Picture(K::Gif, ".gif", 5, "动图"), Picture(K::Png, ".jpg", 8, "其实是PNG"),
                            Picture(K::Jpeg, ".jpeg", 20, "Sunset"), Picture(K::Jpeg, ".jpg", 7, "Sunset"),
                            Picture(K::Jpeg, ".jpg", 6, "")}),
      Album("上海/北京\\天津:旅行*?<精选>|",
            {Picture(K::Jpeg, ".jpg", 10, "外滩/夜景"), Picture(K::Jpeg, ".jpg", 10, "长城:八达岭*"),
             Picture(K::Png, ".png", 6, "地图<1>"), Picture(K::Jpeg, ".jpg", 10, "a|b?c")}),
      Album("重复的相册", {Picture(K::Jpeg, ".jpg", 8, "第一张"), Picture(K::Jpeg, ".jpg", 8, "第二张")}),
      Album("重复的相册", {Picture(K::Jpeg, ".jpg", 8, "甲"), Picture(K::Gif, ".gif", 4, "乙"),
                           Picture(K::Jpeg, ".jpg", 8, "丙")}),
      Album("他说\"你好\"再见", {Picture(K::Jpeg, ".jpg", 8, "引号\"里\""), Picture(K::Jpeg, ".jpg", 8, "It's")}),
      Album("没有张数", {Picture(K::Jpeg, ".jpg", 8, "一"), Picture(K::Jpeg, ".jpg", 8, "二")}, kCountNone),
      Album("It's 夏天", {Picture(K::Jpeg, ".jpg", 9, "海"), Picture(K::Png, ".png", 7, "沙滩"),
                          Picture(K::Jpeg, ".jpg", 9, "日落")}),
  };
  auto ids = AlbumIds(member.albums.size(), seed);
  for (std::size_t i = 0; i < ids.size(); ++i) member.albums[i].id = ids[i];
  return member;
}

SiteMember MakeHostileMember(std::uint64_t seed) {
  using K = PictureKind;
  // A title is cut to its first 80 characters, here just after ". "; a picture name to 255 bytes of
  // UTF-8, here with the description's ". " just inside the cut.
  std::string longTitle;
  for (int i = 0; i < 78; ++i) longTitle += "长";
  longTitle += ". 尾";
  std::string longDescription;
  for (int i = 0; i < 83; ++i) longDescription += "图";
  longDescription += ". 尾";
  SiteMember member;
  member.key = AlbumSite::kHostileMember;
  member.listPageSize = 4;
  member.albumPageSize = 3;
  member.albums = {
      Album("CON", {Picture(K::Jpeg, ".jpg", 5, "NUL"), Picture(K::Jpeg, ".jpg", 5, "prn.旧"),
                    Picture(K::Png, ".png", 4, "lpt1")}),
      Album("aux.旅行", {Picture(K::Jpeg, ".jpg", 5, "com9"), Picture(K::Jpeg, ".jpg", 5, "COM0")}),
      Album("Com1.备份.", {Picture(K::Jpeg, ".jpg", 5, "点结尾."), Picture(K::Jpeg, ".jpg", 5, "空格结尾 ")}),
      Album("结尾有点...", {Picture(K::Gif, ".gif", 3, "...")}),
      Album("点和空格 . . .", {Picture(K::Jpeg, ".jpg", 5, "  前后空格  ")}),
      Album("Holiday", {Picture(K::Jpeg, ".jpg", 5, "Photo"), Picture(K::Jpeg, ".jpg", 5, "PHOTO"),
                        Picture(K::Jpeg, ".jpg", 5, "photo")}),
      Album("HOLIDAY", {Picture(K::Jpeg, ".jpg", 5, "海边")}),
      Album("制表\t符", {Picture(K::Jpeg, ".jpg", 5, "制表\t图")}),
      Album(longTitle.c_str(), {Picture(K::Jpeg, ".jpg", 5, longDescription.c_str())}),
      Album("nul", {Picture(K::Jpeg, ".jpg", 5, "Aux")}),
  };
  auto ids = AlbumIds(member.albums.size(), seed ^ 0xB0B0B0B0ull);
  for (std::size_t i = 0; i < ids.size(); ++i) member.albums[i].id = ids[i];
  return member;
}

SiteMember MakeShapedMember(const std::string& key, const MemberShape& shape, std::uint64_t seed) {
  SiteMember member;
  member.key = key;
  member.listPageSize = shape.listPageSize > 0 ? shape.listPageSize : 1;
  member.albumPageSize = shape.albumPageSize > 0 ? shape.albumPageSize : 1;
  auto ids = AlbumIds(static_cast<std::size_t>(std::max(0, shape.albums)), seed ^ 0x5A5A5A5Aull);
  char text[64];
  for (std::size_t a = 0; a < ids.size(); ++a) {
    SiteAlbum album;
    album.id = ids[a];
    std::snprintf(text, sizeof text, "相册 %04zu", a + 1);
    album.title = Utf8ToText(text);
    for (int p = 0; p < shape.pictures; ++p) {
      std::snprintf(text, sizeof text, "图片 %d", p + 1);
      album.pictures.push_back(
          SitePicture{PictureKind::Jpeg, ".jpg", static_cast<std::size_t>(std::max(0, shape.pictureKb)) * 1024,
                      Utf8ToText(text)});
    }
    member.albums.push_back(std::move(album));
  }
  return member;
}

std::vector<SiteMember> MakeStartingMembers(const SiteOptions& options) {
  std::vector<SiteMember> members;
  members.push_back(options.demoShape ? MakeShapedMember(AlbumSite::kDemoMember, *options.demoShape, options.seed)
                                      : MakeDemoMember(options.seed));
  SiteMember empty;
  empty.key = AlbumSite::kEmptyMember;
  members.push_back(std::move(empty));
  members.push_back(MakeShapedMember(AlbumSite::kBenchMember, MemberShape{}, options.seed));
  members.push_back(MakeHostileMember(options.seed));
  return members;
}

}  // namespace albatrix
