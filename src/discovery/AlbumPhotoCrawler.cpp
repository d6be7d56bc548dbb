#include "discovery/AlbumPhotoCrawler.h"

#include <string>

#include "MyCode/Trace.h"
#include "discovery/AlbumPageParser.h"
#include "discovery/PageReader.h"

namespace albatrix {

void ListAlbumPictures(const SiteProfile& profile, TextView albumPath, const PictureFoundFn& found,
                       const CrawlStopFn& stop, const std::atomic<bool>* abort, RequestPacer* pacer) {
  PageReader reader(abort, pacer);
  for (int page = 1;; ++page) {
    Text text;
    if (!reader.Read(profile.AlbumPageAddress(albumPath, page), text)) return;
    AlbumPageScan scan = ScanAlbumPage(std::move(text));
    if (scan.entries.empty()) return;
    for (Text& entry : scan.entries) {
      found(ParsePictureEntry(std::move(entry)));
      if (stop && stop()) {
        Trace("album: crawl ended by the run on page " + std::to_string(page));
        return;
      }
    }
    if (!scan.morePages) return;
  }
}

}  // namespace albatrix
