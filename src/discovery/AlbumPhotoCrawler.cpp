#include "discovery/AlbumPhotoCrawler.h"

#include <string>

#include "MyCode/Trace.h"
#include "discovery/AlbumPageParser.h"
#include "discovery/PageReader.h"

namespace albatrix {

void ListAlbumPictures(const SiteProfile& profile, TextView albumPath, std::size_t albumIndex,
                       const NamePictureFn& name, const CrawlStopFn& stop, const std::atomic<bool>* abort) {
  PageReader reader(abort);
  const Text noHeader;
  for (int page = 1;; ++page) {
    Text text;
    if (!reader.Read(profile.AlbumPageAddress(albumPath, page), text)) return;
    AlbumPageScan scan = ScanAlbumPage(std::move(text));
    if (scan.entries.empty()) return;
    for (Text& entry : scan.entries) {
      PictureEntry picture = ParsePictureEntry(std::move(entry));
      name(picture.url, picture.description, noHeader, albumIndex);
      if (stop && stop()) {
        Trace("album: crawl ended by the run on page " + std::to_string(page));
        return;
      }
    }
    if (!scan.morePages) return;
  }
}

}  // namespace albatrix
