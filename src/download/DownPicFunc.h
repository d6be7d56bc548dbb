// The workers of one album: every picture of the picture list is one job, fetched to its file with the
// run's size limits and time-out, at most `threads` at a time, each ended job reported in order.
#pragma once

#include <cstddef>

#include "download/RunSession.h"

namespace albatrix {

// Downloads the session's picture list and returns when every job has ended, or soon after a cancel
// (cancelRequested or runState RUN_CANCEL): then no further job starts, fetches in flight are abandoned
// (they leave no file), and every worker has ended before this returns, so the list may be emptied or
// post-processed at once. finishedCount counts the jobs that ended; PicturesEnded reports every count
// once, in order; albumResults says afterwards how every job ended. A worker thread
// that cannot be started leaves its jobs to the others; when none can be started, every job counts as
// finished without a fetch (NotTried).
void DownPicFunc(RunSession& session);

// One job: fetches the picture `entry` names into `folder` + `fileName`; when that fails, once more from
// the entry's alternative address (the part after CR LF, possibly empty). Saved, LeftOut (the fetcher's
// size limits), Cancelled (`abort` raised) or Failed with the fetcher's reason.
PictureResult DownloadPicture(RunSession& session, const Text& entry, const Text& folder, const Text& fileName,
                              const Text& requestHeader, const std::atomic<bool>* abort);

}  // namespace albatrix
