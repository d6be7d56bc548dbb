// The album photo crawler: reads one album's pages in order and hands every picture on. Runs on the
// download thread, before any worker of the album starts.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

#include "MyCode/RequestPacer.h"
#include "MyCode/StringCtrl.h"
#include "discovery/PageReader.h"
#include "discovery/SiteProfile.h"
#include "model/PictureEntry.h"

namespace albatrix {

// Asked after every picture: true ends the album's crawl at once (the album or the whole run stopped).
using CrawlStopFn = std::function<bool()>;

// How an album's listing ended. Only LastPage means that every picture of the album was listed.
enum class AlbumListingEnd {
  LastPage,    // the last page was read (or a page without pictures ended the album)
  Stopped,     // the stop function or the abort flag ended it: the skip marker, or the user
  Unreadable,  // a page could not be read: the pictures of that page and the ones after it are missing
};

struct AlbumListing {
  AlbumListingEnd end = AlbumListingEnd::LastPage;
  int page = 0;        // the page the listing ended on, 1 for the first
  Text pageAddress;    // that page's address
  PageFailure failure; // for Unreadable: why the page could not be read
};

// Reads the album pages of `albumPath` from page 1 until the last page, a page that cannot be read, or a
// page without pictures or with the very pictures of the page before, handing each picture to `found` in page order, and says how it ended. Shows no
// message. `abort` (may be null) ends a page fetch in flight when it is raised, and with it the crawl;
// `pacer` (may be null) holds the pages while the site asked for a pause; `fetch` (empty: Fetch) makes
// the requests.
AlbumListing ListAlbumPictures(const SiteProfile& profile, TextView albumPath, const PictureFoundFn& found,
                               const CrawlStopFn& stop, const std::atomic<bool>* abort = nullptr,
                               RequestPacer* pacer = nullptr, FetchFn fetch = {});

}  // namespace albatrix
