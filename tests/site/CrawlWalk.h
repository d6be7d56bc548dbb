// Test helpers: the album-list and album-page walks as the program's crawlers make them, through the
// program's own page parsers (whose rules tests/discovery checks against hand-written pages), so that the
// site is checked against what the program reads and not against its own templates.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "discovery/AlbumPageParser.h"
#include "discovery/ListPageParser.h"

namespace albatrix::test {

// What the program's page fetch yields: GBK bytes decoded, entities decoded.
inline Text PageText(const std::string& gbk) {
  Text text = BytesToText(gbk, CP_GBK);
  DecodeEntities(text);
  return text;
}

using WalkedAlbum = ST_PERLISTRECORD;
using WalkedPicture = PictureEntry;

struct WalkedListPage {
  bool maintenance = false;
  bool more = false;
  bool hasEntries = false;
  std::vector<WalkedAlbum> albums;
};

inline WalkedListPage WalkListPage(Text text) {
  const ListPageScan scan = ScanListPage(std::move(text));
  WalkedListPage page{scan.maintenance, scan.morePages, !scan.entries.empty(), {}};
  for (const Text& entry : scan.entries) {
    ParseListEntry(entry, page.albums.emplace_back());
  }
  return page;
}

// The single-album branch: `address` is the typed album address.
inline WalkedAlbum WalkSingleAlbum(Text text, const Text& address, const SiteProfile& profile) {
  WalkedAlbum album;
  ParseSingleAlbumPage(std::move(text), album);
  album.albumPath = SingleAlbumPathOf(address, profile);
  return album;
}

struct WalkedAlbumPage {
  bool more = false;
  bool hasEntries = false;
  std::vector<WalkedPicture> pictures;
};

inline WalkedAlbumPage WalkAlbumPage(Text text) {
  const AlbumPageScan scan = ScanAlbumPage(std::move(text));
  WalkedAlbumPage page{scan.morePages, !scan.entries.empty(), {}};
  for (const Text& entry : scan.entries) page.pictures.push_back(ParsePictureEntry(entry));
  return page;
}

}  // namespace albatrix::test
