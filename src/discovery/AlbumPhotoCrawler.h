// The album photo crawler: reads one album's pages in order and hands every picture to the naming step,
// which the download run supplies. Runs on the download thread, before any worker of the album starts.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

#include "MyCode/StringCtrl.h"
#include "discovery/SiteProfile.h"

namespace albatrix {

// The naming step: picture address (the large picture), description, request header text (always empty
// from this crawler), album index.
using NamePictureFn = std::function<void(const Text& url, const Text& description, const Text& requestHeader,
                                         std::size_t albumIndex)>;

// Asked after every picture: true ends the album's crawl at once (the album or the whole run stopped).
using CrawlStopFn = std::function<bool()>;

// Reads the album pages of `albumPath` from page 1 until the last page, a page that cannot be read, or a
// page without pictures, handing each picture to `name` in page order. Shows no message. `abort` (may be
// null) ends a page fetch in flight when it is raised, and with it the crawl.
void ListAlbumPictures(const SiteProfile& profile, TextView albumPath, std::size_t albumIndex,
                       const NamePictureFn& name, const CrawlStopFn& stop,
                       const std::atomic<bool>* abort = nullptr);

}  // namespace albatrix
