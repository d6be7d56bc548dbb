// What a download run is given: the chosen albums, where their pictures go, by which rules and limits,
// and how an album's pictures are listed. The run reads nothing else of the program.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <thread>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "MyCode/SanitizeFileName.h"
#include "MyCode/URLSource2.h"
#include "MyCode/WaitClock.h"
#include "discovery/AlbumPhotoCrawler.h"
#include "model/AlbumRecords.h"
#include "model/PictureEntry.h"
#include "model/Settings.h"
#include "download/RunEvents.h"
#include "download/RunJournal.h"

namespace albatrix {

// The site code whose pictures the run lists; codes up to kLastListedSiteCode list nothing, any higher
// code is an error.
constexpr int kCrawledSiteCode = 15;
constexpr int kLastListedSiteCode = 16;

// How the run's requests are steered while they are out: the run's abort flag and its pacer.
struct RequestControl {
  const std::atomic<bool>* abort = nullptr;  // raised: a request in flight ends at once
  RequestPacer* pacer = nullptr;             // holds requests while the site asked for a pause
};

// Lists the pictures of `album`, handing each to `found` in page order and asking `stop` after every
// picture (true ends the album's listing); its page requests follow `control`. Says how the listing
// ended: only an album whose listing reached its last page is whole.
using ListPicturesFn = std::function<AlbumListing(const ST_PERLISTRECORD& album, const PictureFoundFn& found,
                                                  const std::function<bool()>& stop, const RequestControl& control)>;

// Starts `body` on a new thread into `thread`; false when no thread could be started.
using ThreadStarter = std::function<bool(std::thread& thread, std::function<void()> body)>;

// std::thread, with a failure to start reported as false rather than thrown.
bool StartThread(std::thread& thread, std::function<void()> body);

// An album with a picture a retry may mend, by its position in the run: its folder and listed addresses,
// so its skip marker can follow the final outcome.
struct RetriedAlbum {
  Text folder;
  TextArray urls;
};

struct RunPlan {
  std::vector<ST_PERLISTRECORD> albums;  // copies of the chosen albums, in the order they are taken
  std::size_t listedAlbums = 0;          // albums in the list they were chosen from ("?7" of a name)

  Text savePath;   // the save-path box as typed
  Text memberKey;  // empty or ending with the separator: the member's folder under the save path
  Text subFolder;  // likewise, under the member's folder
  int siteCode = kCrawledSiteCode;

  std::function<NameRule()> nameRule;  // the site's naming rules, read anew at the top of every album
  DownloadLimits limits{0, 0, 5, 30};  // the site's limits for the whole run
  ListPicturesFn listPictures;         // empty: no album lists any picture
  // Retry passes after the albums: up to this many over the pictures that failed for a reason a retry
  // may mend (0: none).
  int retries = 0;
  // When not empty, the run is one retry pass over these pictures of an earlier run, and takes no album;
  // the earlier run's album tallies then come along, so each album's outcome moves with its pictures,
  // and so do its albums with a picture a retry may mend, so their skip markers follow the outcome.
  std::vector<FailedPicture> retryOnly;
  std::vector<AlbumTally> retryAlbums;
  std::map<std::size_t, RetriedAlbum> retriedAlbums;

  // The job file: kept in this folder (the program folder; empty: none) while the run goes on, with the
  // member address the albums were listed from. Pictures earlier runs saved are not fetched again while
  // their file is there with the size they had.
  Text jobFolder;
  Text memberAddress;
  std::vector<KnownPicture> savedBefore;

  FetchFn fetch;              // empty: Fetch
  ThreadStarter startThread;  // empty: StartThread
  NowFunction now;            // the clock of time-stamp names and the order fix; empty: system clock
  WaitClock* waitClock = nullptr;  // the site's pauses and the retry passes' waits; null: the system's
};

}  // namespace albatrix
