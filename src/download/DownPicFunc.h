// The workers of one album: every picture of the picture list is one job, fetched to its file with the
// run's size limits and time-out, at most `threads` at a time, each ended job reported in order.
#pragma once

#include <cstddef>
#include <vector>

#include "download/RunSession.h"

namespace albatrix {

// One picture job: the picture an entry names, where it goes, and the album of the run it belongs to.
struct PictureJob {
  Text entry;          // the picture's address; an alternative address may follow CR LF
  Text folder;         // ending with the separator
  Text fileName;
  Text requestHeader;
  std::size_t albumPosition = 0;  // 1 for the run's first album
};

// Downloads `jobs` and returns when every job has ended, or soon after a cancel (RUN_CANCEL, the run's
// token raised): then no further job starts, fetches in flight are abandoned (they leave no file), and
// every worker has ended before this returns, so the list may be emptied or post-processed at once.
// PicturesEnded reports every count of ended jobs once, in order; the results say how every job ended,
// by job index. A worker thread that cannot be started leaves its jobs to the others; when none can be
// started, every job counts as finished without a fetch (NotTried).
std::vector<PictureResult> RunPictureJobs(RunSession& session, std::vector<PictureJob> jobs);

// RunPictureJobs over the picture list of the album under way, by picture index.
std::vector<PictureResult> DownPicFunc(RunSession& session);

// One job: a picture the run's journal knows as whole on disk is Saved without a request; otherwise the
// picture is fetched into its folder and name, and when that fails, once more from the entry's
// alternative address (the part after CR LF, possibly empty). Saved (and recorded in the journal),
// LeftOut (the fetcher's size limits), Cancelled (`abort` raised) or Failed with the fetcher's reason.
PictureResult DownloadPicture(RunSession& session, const PictureJob& job, const std::atomic<bool>* abort);

}  // namespace albatrix
