// Reading the community's album pages, the ones that list an album's pictures: free functions over page
// text, tested with tables of pages; the fetching lives in AlbumPhotoCrawler.
#pragma once

#include "MyCode/StringCtrl.h"
#include "model/PictureEntry.h"

namespace albatrix {

struct AlbumPageScan {
  bool morePages = false;  // `class="next` stands on the page
  TextArray entries;       // one piece per picture, in page order; none when the list holds no "<li"
};

AlbumPageScan ScanAlbumPage(Text page);

PictureEntry ParsePictureEntry(Text entry);

}  // namespace albatrix
