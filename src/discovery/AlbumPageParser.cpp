#include "discovery/AlbumPageParser.h"

namespace albatrix {

AlbumPageScan ScanAlbumPage(Text page) {
  AlbumPageScan scan;
  scan.morePages = page.find(u"class=\"next") != Text::npos;
  SkipPast(page, u"class=\"albumlist_list", true);
  CutBefore(page, u"</ul>");
  if (SplitText(page, u"<li", scan.entries) > 0) scan.entries.erase(scan.entries.begin());
  return scan;
}

PictureEntry ParsePictureEntry(Text entry) {
  PictureEntry picture;
  picture.url = TextBetween(entry, u"src=\"", u"\"", BETWEEN_CONSUME);
  ReplaceAll(picture.url, u"small.", u"big.");
  picture.description = TextBetween(entry, u"title=\"", u"\"", BETWEEN_CONSUME);
  return picture;
}

}  // namespace albatrix
