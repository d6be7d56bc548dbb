// Members of the stand-in site made to measure for a test.
#pragma once

#include <string>
#include <vector>

#include "site/AlbumSite.h"

namespace albatrix::test {

// `titles.size()` albums "a1", "a2", ... titled as given, `listPageSize` to a list page; album i (from 0)
// has `picturesEach` pictures described "p1", "p2", ..., `albumPageSize` to an album page.
inline SiteMember MemberWith(const std::string& key, const std::vector<Text>& titles, int listPageSize = 3,
                             int picturesEach = 0, int albumPageSize = 3) {
  SiteMember member;
  member.key = key;
  member.listPageSize = listPageSize;
  member.albumPageSize = albumPageSize;
  for (std::size_t i = 0; i < titles.size(); ++i) {
    SiteAlbum album;
    album.id = "a" + std::to_string(i + 1);
    album.title = titles[i];
    for (int p = 1; p <= picturesEach; ++p) {
      SitePicture picture;
      picture.bytes = 2048;
      picture.description = Utf8ToText("p" + std::to_string(p));
      album.pictures.push_back(picture);
    }
    member.albums.push_back(album);
  }
  return member;
}

// `count` albums titled "T1", "T2", ...
inline SiteMember NumberedMember(const std::string& key, int count, int listPageSize = 3) {
  std::vector<Text> titles;
  for (int i = 1; i <= count; ++i) titles.push_back(Utf8ToText("T" + std::to_string(i)));
  return MemberWith(key, titles, listPageSize);
}

}  // namespace albatrix::test
