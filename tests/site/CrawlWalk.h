// Test helpers: the album-list and album-page walks exactly as the program's crawlers make them, written
// from their description with the text toolkit, so that the site is checked against the walk and not
// against its own templates.
#pragma once

#include <string>
#include <vector>

#include "MyCode/StringCtrl.h"

namespace albatrix::test {

// What the program's page fetch yields: GBK bytes decoded, entities decoded.
inline Text PageText(const std::string& gbk) {
  Text text = BytesToText(gbk, CP_GBK);
  DecodeEntities(text);
  return text;
}

inline unsigned ReadCount(const Text& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\r' || text[i] == u'\n')) ++i;
  unsigned n = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) n = n * 10 + (text[i] - u'0');
  return n;
}

inline bool ContainsAfterFirst(const Text& text, TextView marker) {
  auto at = text.find(marker);
  return at != Text::npos && at >= 1;
}

struct WalkedAlbum {
  Text albumPath, coverUrl, title;
  unsigned pictureCount = 0;
};

struct WalkedListPage {
  bool maintenance = false;
  bool more = false;
  bool hasEntries = false;
  std::vector<WalkedAlbum> albums;
};

// The list of a page between `listMarker` and "</ul>", split at "<li": the piece before the first "<li"
// comes first and is no entry. Empty when no "<li" occurs.
inline TextArray EntriesAfter(Text text, TextView listMarker) {
  SkipPast(text, listMarker, true);
  CutBefore(text, u"</ul>");
  TextArray pieces;
  SplitText(text, u"<li", pieces);
  return pieces;
}

inline WalkedListPage WalkListPage(Text text) {
  WalkedListPage page;
  if (ContainsAfterFirst(text, u"当前页面正在维护中")) {
    page.maintenance = true;
    return page;
  }
  page.more = text.find(u"id=\"j_next") != Text::npos;
  TextArray pieces = EntriesAfter(text, u"class=\"album_list");
  if (pieces.empty()) return page;
  page.hasEntries = true;
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    Text entry = pieces[i];
    WalkedAlbum album;
    album.albumPath = TextBetween(entry, u"href=\"", u"\"", BETWEEN_CONSUME);
    CutBefore(album.albumPath, u"-");
    CutBefore(album.albumPath, u".htm");
    album.coverUrl = TextBetween(entry, u"src=\"", u"\"", BETWEEN_CONSUME);
    album.title = TextBetween(entry, u"title=\"", u"\"", BETWEEN_CONSUME);
    album.pictureCount = ReadCount(TextBetween(entry, u"(共", u"张", BETWEEN_CONSUME));
    page.albums.push_back(album);
  }
  return page;
}

// The single-album branch: `address` is the typed album address, `ending` the host fragment's ending.
inline WalkedAlbum WalkSingleAlbum(Text text, const Text& address, TextView ending) {
  WalkedAlbum album;
  SkipPast(text, u"class=\"albumlist", true);
  album.coverUrl = TextBetween(text, u"src=\"", u"\"", BETWEEN_CONSUME);
  album.title = TextBetween(text, u"alt=\"", u"\"", BETWEEN_CONSUME);
  album.albumPath = address;
  SkipPast(album.albumPath, ending, true);
  CutBefore(album.albumPath, u"-");
  CutBefore(album.albumPath, u".htm");
  album.pictureCount = ReadCount(TextBetween(text, u">共", u"张", BETWEEN_CONSUME));
  return album;
}

struct WalkedPicture {
  Text url, description;
};

struct WalkedAlbumPage {
  bool more = false;
  bool hasEntries = false;
  std::vector<WalkedPicture> pictures;
};

inline WalkedAlbumPage WalkAlbumPage(Text text) {
  WalkedAlbumPage page;
  page.more = text.find(u"class=\"next") != Text::npos;
  TextArray pieces = EntriesAfter(text, u"class=\"albumlist_list");
  if (pieces.empty()) return page;
  page.hasEntries = true;
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    Text entry = pieces[i];
    WalkedPicture picture;
    picture.url = TextBetween(entry, u"src=\"", u"\"", BETWEEN_CONSUME);
    ReplaceAll(picture.url, u"small.", u"big.");
    picture.description = TextBetween(entry, u"title=\"", u"\"", BETWEEN_CONSUME);
    page.pictures.push_back(picture);
  }
  return page;
}

}  // namespace albatrix::test
