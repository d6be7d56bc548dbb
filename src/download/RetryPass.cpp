#include "download/RetryPass.h"

#include <algorithm>
#include <chrono>
#include <set>

#include "MyCode/Trace.h"
#include "download/AlbumFiles.h"
#include "download/DownPicFunc.h"
#include "download/DownProc.h"
#include "download/PostProcess.h"

namespace albatrix {

namespace {

// The wait before a pass: the largest pause the site named for these pictures, else 2^pass seconds.
long long PassWait(const std::vector<FailedPicture>& failures, const std::vector<std::size_t>& picks, int pass) {
  long long asked = -1;
  for (std::size_t i : picks) asked = std::max(asked, static_cast<long long>(failures[i].retryAfterSeconds));
  if (asked >= 0) return asked;
  return std::min<long long>(1LL << std::min(pass, 6), kLongestOwnPause.count());
}

}  // namespace

bool RetryMayMend(const PictureResult& result) {
  if (result.outcome == PictureOutcome::NotTried) return true;
  if (result.outcome != PictureOutcome::Failed) return false;
  switch (result.failure) {
    case FetchFailure::Network:
    case FetchFailure::Timeout:
    case FetchFailure::Proxy:  // a proxy that was down may be up again
      return true;
    case FetchFailure::HttpStatus:
      return result.httpStatus >= 500 || result.httpStatus == 408 || result.httpStatus == 429;
    default:
      return false;
  }
}

Text FirstAddress(const Text& entry) { return entry.substr(0, entry.find(u"\r\n")); }

void MarkAlbumDone(const Text& folder, const TextArray& urls, std::ptrdiff_t lastFailed) {
  const std::size_t next = static_cast<std::size_t>(lastFailed + 1);
  if (next < urls.size()) {
    WriteSkipMarker(urls[next], folder);
  } else {
    Trace("the album's last picture failed: skip marker left as it is in " + TextToUtf8(folder));
  }
}

namespace {

// An album whose listing stopped at a page that could not be read is listed again into its folder: the
// pictures saved before are whole on disk and not fetched again, the rest are. Its old failure entries
// and figures give way to the new ones.
void ListAlbumAgain(RunSession& session, const FailedPicture& page, std::set<std::size_t>& changed) {
  const std::size_t position = page.albumPosition;
  session.ForgetAlbum(position);
  if (session.RecordAlbumAgain(RunAlbum(session, page.album, position, false, page.folder))) changed.insert(position);
}

}  // namespace

bool RetryFailures(RunSession& session, int pass) {
  const RunFlags& flags = session.Flags();
  const std::vector<FailedPicture>& failures = session.Tally().failures;
  std::vector<std::size_t> picks;
  std::set<std::size_t> relisted;  // positions of albums listed again: their pictures come with them
  for (std::size_t i = 0; i < failures.size(); ++i) {
    if (!failures[i].retryable) continue;
    picks.push_back(i);
    if (failures[i].pageUnread) relisted.insert(failures[i].albumPosition);
  }
  if (picks.empty()) return false;

  const long long wait = PassWait(failures, picks, pass);
  session.Events().RetryPassBegun(pass, picks.size(), wait);
  // A cancel raises the run's abort flag with it, which ends the wait at once.
  if (!WaitClockOf(session.Plan()).PauseUnlessRaised(std::chrono::seconds(wait), flags.CancelToken())) return false;

  std::vector<FailedPicture> pages;
  std::vector<std::size_t> pictures;
  for (std::size_t i : picks) {
    if (failures[i].pageUnread) pages.push_back(failures[i]);
    else if (!relisted.count(failures[i].albumPosition)) pictures.push_back(i);
  }

  // The pictures go back to their own folders under their own names.
  std::set<std::size_t> changed;
  if (!pictures.empty()) {
    std::vector<PictureJob> jobs;
    for (std::size_t i : pictures)
      jobs.push_back({failures[i].entry, failures[i].folder, failures[i].fileName, Text(), failures[i].albumPosition});
    session.Events().AlbumDownloadBegun(failures[pictures.front()].folder, pictures.size());
    const std::vector<PictureResult> results = RunPictureJobs(session, std::move(jobs));

    for (std::size_t k = 0; k < pictures.size() && k < results.size(); ++k) {
      if (results[k].outcome != PictureOutcome::Saved) continue;
      const FailedPicture& failure = failures[pictures[k]];
      Text path = failure.folder + failure.fileName;
      if (failure.fixFormat && FixPictureFormat(path))
        session.Journal().PictureRenamed(failure.albumPosition, failure.folder, failure.fileName,
                                         path.substr(failure.folder.size()));
      if (failure.orderTime > 0) SetPictureTime(path, failure.orderTime);
    }
    changed = session.RecordRetry(pictures, results);
  }
  for (const FailedPicture& page : pages) {
    if (flags.State() == RUN_CANCEL) break;
    ListAlbumAgain(session, page, changed);
  }
  Trace("retry pass " + std::to_string(pass) + ": " + std::to_string(picks.size()) + " tried, " +
        std::to_string(failures.size()) + " failures left");
  for (std::size_t position : changed) session.Events().AlbumEnded(session.AlbumTallies()[position - 1]);
  return true;
}

void RemarkRetriedAlbums(RunSession& session) {
  for (const auto& [position, album] : session.RetriedAlbums()) {
    std::ptrdiff_t lastFailed = -1;
    for (const FailedPicture& failure : session.Tally().failures) {
      if (failure.albumPosition == position)
        lastFailed = std::max(lastFailed, static_cast<std::ptrdiff_t>(failure.pictureIndex));
    }
    MarkAlbumDone(album.folder, album.urls, lastFailed);
  }
}

}  // namespace albatrix
