// What a download run reports while it goes: the run's own events, in the order they happen, with the
// figures that go with them. The run names no control and no text; whoever started it decides what the
// user sees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "MyCode/URLSource2.h"
#include "model/AlbumRecords.h"

namespace albatrix {

// How one picture job of an album ended.
enum class PictureOutcome : std::uint8_t {
  NotTried,   // no worker took it (none could start, or the album was cancelled first)
  Saved,      // the picture's file was written
  LeftOut,    // the picture lies outside the size limits: done, by the user's choice
  Failed,     // the picture is lost for this run (reason says why)
  Cancelled,  // the fetch was abandoned for a cancel
};

struct PictureResult {
  PictureOutcome outcome = PictureOutcome::NotTried;
  Text reason;  // for Failed: why, in a few words ("HTTP 404", "time-out", ...)
  FetchFailure failure = FetchFailure::None;  // for Failed: the fetcher's reason
  long httpStatus = 0;                        // for Failed: the reply's status, 0 when none came
  std::int64_t retryAfterSeconds = -1;        // the pause the reply asked for; -1 when it named none
  Text keptName;  // for Saved without a fetch: the name it is whole under, when a format fix renamed it
};

inline PictureResult MakePictureResult(PictureOutcome outcome, Text reason = Text(),
                                       FetchFailure failure = FetchFailure::None, long httpStatus = 0,
                                       std::int64_t retryAfterSeconds = -1) {
  PictureResult result;
  result.outcome = outcome;
  result.reason = std::move(reason);
  result.failure = failure;
  result.httpStatus = httpStatus;
  result.retryAfterSeconds = retryAfterSeconds;
  return result;
}

// A picture of the run that could not be saved, or an album page that could not be read (pageUnread):
// for the report at the end, and all a retry needs.
struct FailedPicture {
  Text member;  // in a run of several job files: the member address of its job; else empty
  Text albumTitle;
  Text url;     // the picture's first address; the page's address for a page
  Text reason;
  // A page of the album could not be read, so the pictures from there on were never listed: a retry
  // lists `album` again into `folder` (empty: the folder its name gives) and fetches what is missing.
  bool pageUnread = false;
  ST_PERLISTRECORD album;
  Text entry;          // the picture's entry as listed (an alternative address may follow CR LF)
  Text folder;         // the album's folder, ending with the separator
  Text fileName;       // the name it was given there
  std::size_t albumPosition = 0;  // its album's place in the run, 1 for the first
  std::size_t pictureIndex = 0;   // its place in the album's list
  bool retryable = false;         // RetryMayMend of how it ended
  std::int64_t retryAfterSeconds = -1;
  bool fixFormat = false;   // the album's rule asked for the format fix
  std::int64_t orderTime = 0;  // the file time the order fix gave its place; 0: no order fix
};

// What one album of the run came to. Pictures of a cancelled album that were never fetched, or whose
// fetch the cancel abandoned, count nowhere.
struct AlbumTally {
  std::size_t position = 0;  // 1 for the run's first album
  std::size_t listed = 0;    // pictures listed (after the skip marker cut the list short)
  std::size_t saved = 0;
  std::size_t leftOut = 0;   // outside the size limits
  std::size_t failed = 0;
  bool cancelled = false;
  bool listOnly = false;     // a list file was written instead of a download
  bool markerMet = false;    // the skip marker ended the listing (nothing new when listed is 0)
  bool incomplete = false;   // a page could not be read: the album's listing never reached its end
  bool fetched = false;      // its listed pictures went to the workers or a list file (and count in the run's)
};

// What the whole run did, once it has ended.
struct RunTally {
  bool started = false;          // the save path was usable and the run went through the chosen albums
  std::int64_t albums = 0;       // albums begun (all chosen ones unless the run was cancelled)
  std::int64_t listed = 0;       // pictures listed over the whole run
  std::int64_t saved = 0;
  std::int64_t leftOut = 0;      // outside the size limits
  std::int64_t failed = 0;
  std::vector<FailedPicture> failures;  // every failed picture, in order
  bool cancelled = false;
  Text lastFolder;               // the folder the last album's pictures went to (the base folder before)
};

// Why a run ended before it began.
enum class RunRefusal {
  NoSavePath,     // the save path is empty
  FolderNotMade,  // a folder of the run's base folder could not be made
};

// Called from the run's thread; PicturesEnded from the thread that watches the workers, PictureEnded,
// HoldBegun and JobFileUnwritable from the workers, so a receiver must take them from any thread.
class RunEvents {
 public:
  virtual ~RunEvents() = default;

  // The run ends before it began; `folder` is the folder that could not be made (FolderNotMade).
  virtual void RunRefused(RunRefusal why, const Text& folder) = 0;
  // The run begins over `albumCount` chosen albums, or as a retry of `retryCount` pictures of an earlier
  // run (both 0: nothing was chosen, and RunEnded follows).
  virtual void RunBegun(std::size_t albumCount, std::size_t retryCount) = 0;
  // Album `position` (1 for the first) of `albumCount` begins; its pictures are listed next.
  virtual void AlbumBegun(std::size_t position, std::size_t albumCount) = 0;
  // The run was given a site whose pictures it cannot list.
  virtual void ListTypeUnknown() = 0;
  // The album's `count`-th picture was listed and named.
  virtual void PictureListed(std::size_t count) = 0;
  // The workers begin on the album's `total` pictures, saved into `folder`.
  virtual void AlbumDownloadBegun(const Text& folder, std::size_t total) = 0;
  // Picture `index` of the album's list has ended with `result` (workers report in no set order).
  virtual void PictureEnded(std::size_t index, const PictureResult& result) = 0;
  // `done` of the album's `total` picture jobs have ended: every count once, in order.
  virtual void PicturesEnded(std::size_t done, std::size_t total) = 0;
  // The job file at `path`, which lets a stopped run go on, cannot be written (the program folder is full
  // or refuses writing): the run goes on, but after a stop it cannot go on from where it stands. At most
  // once a run, after RunBegun.
  virtual void JobFileUnwritable(const Text& path) = 0;
  // The site asked for a pause: every request to it waits `seconds` (or until a cancel).
  virtual void HoldBegun(long long seconds) = 0;
  // Retry pass `pass` (1 for the first) over `pictures` failed pictures begins after a wait of
  // `waitSeconds` (cut short by a cancel).
  virtual void RetryPassBegun(int pass, std::size_t pictures, long long waitSeconds) = 0;
  // The album is over: downloaded, written as a list file, cancelled, or nothing listed. After a retry
  // pass it comes again for every album whose pictures the pass changed, with the album's new tally.
  virtual void AlbumEnded(const AlbumTally& tally) = 0;
  // The run is over (also when it was cancelled); the last event of a run that began.
  virtual void RunEnded(const RunTally& tally) = 0;
};

}  // namespace albatrix
