#include "discovery/AlbumPhotoCrawler.h"

#include <string>

#include "MyCode/Trace.h"
#include "discovery/AlbumPageParser.h"

namespace albatrix {

AlbumListing ListAlbumPictures(const SiteProfile& profile, TextView albumPath, const PictureFoundFn& found,
                               const CrawlStopFn& stop, const std::atomic<bool>* abort, RequestPacer* pacer,
                               FetchFn fetch) {
  PageReader reader(abort, pacer, std::move(fetch));
  AlbumListing listing;
  TextArray previous;  // the entries of the page before
  for (int page = 1;; ++page) {
    listing.page = page;
    listing.pageAddress = profile.AlbumPageAddress(albumPath, page);
    Text text;
    if (!reader.Read(listing.pageAddress, text)) {
      // A page given up for a cancel says nothing about the album.
      if (abort && abort->load()) {
        listing.end = AlbumListingEnd::Stopped;
      } else {
        listing.end = AlbumListingEnd::Unreadable;
        listing.failure = reader.LastFailure();
      }
      return listing;
    }
    AlbumPageScan scan = ScanAlbumPage(std::move(text));
    if (scan.entries.empty()) return listing;
    // A site that answers every page number past the album's last with the last page, marker and all,
    // would otherwise hold the run for ever; the same pictures again are no new ones.
    if (scan.entries == previous) {
      Trace("album: page " + std::to_string(page) + " repeats the page before; the album ends");
      return listing;
    }
    previous = scan.entries;
    for (Text& entry : scan.entries) {
      found(ParsePictureEntry(std::move(entry)));
      if (stop && stop()) {
        Trace("album: crawl ended by the run on page " + std::to_string(page));
        listing.end = AlbumListingEnd::Stopped;
        return listing;
      }
    }
    if (!scan.morePages) return listing;
  }
}

}  // namespace albatrix
