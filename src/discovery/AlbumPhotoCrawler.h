// The album photo crawler: reads one album's pages in order and hands every picture on. Runs on the
// download thread, before any worker of the album starts.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

#include "MyCode/RequestPacer.h"
#include "MyCode/StringCtrl.h"
#include "discovery/SiteProfile.h"
#include "model/PictureEntry.h"

namespace albatrix {

// Asked after every picture: true ends the album's crawl at once (the album or the whole run stopped).
using CrawlStopFn = std::function<bool()>;

// Reads the album pages of `albumPath` from page 1 until the last page, a page that cannot be read, or a
// page without pictures, handing each picture to `found` in page order. Shows no message. `abort` (may be
// null) ends a page fetch in flight when it is raised, and with it the crawl; `pacer` (may be null) holds
// the pages while the site asked for a pause.
void ListAlbumPictures(const SiteProfile& profile, TextView albumPath, const PictureFoundFn& found,
                       const CrawlStopFn& stop, const std::atomic<bool>* abort = nullptr,
                       RequestPacer* pacer = nullptr);

}  // namespace albatrix
