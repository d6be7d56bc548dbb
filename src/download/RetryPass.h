// The retry passes of a run: pictures that failed for a reason a retry may mend are fetched again, into
// the same folders and names, after the pause the site asked for; and the skip markers of their albums
// then follow the final outcome.
#pragma once

#include <cstddef>

#include "download/RunSession.h"

namespace albatrix {

// True when a retry may mend a picture that ended so: a network fault, a proxy that failed, a time-out, a cut body,
// HTTP 5xx, 408 or 429, or no worker took it. Not for a 404, 410 or other 4xx, not a picture, the size limits or a
// file that cannot be written.
bool RetryMayMend(const PictureResult& result);

// The first address of a picture entry (an entry may carry an alternative after CR LF).
Text FirstAddress(const Text& entry);

// The marker says "everything from here on down is done": the picture after the last one that failed
// (of the album's listed `urls`), so the next run fetches every failed picture again and stops where
// nothing is missing. When the last picture failed, an older marker still marks what lies below this
// run's list and stays.
void MarkAlbumDone(const Text& folder, const TextArray& urls, std::ptrdiff_t lastFailed);

// Retry pass `pass` (1 for the first) over the run's failures a retry may mend: RetryPassBegun, a wait of
// the largest Retry-After among them (else 2^pass seconds, at most kLongestOwnPause) that a cancel cuts
// short, then the workers over them. A picture saved now is written as a first try would be (its album's
// format fix and order time follow) and leaves the failure list; the run's and the albums' tallies move
// with it, and AlbumEnded comes again for every album that changed. False when nothing was left to retry
// or a cancel came before the workers began.
bool RetryFailures(RunSession& session, int pass);

// Writes the skip marker of every album a retry pass went over, by its final outcome (a cancelled album
// is never among them).
void RemarkRetriedAlbums(RunSession& session);

}  // namespace albatrix
