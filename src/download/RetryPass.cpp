#include "download/RetryPass.h"

#include <algorithm>
#include <chrono>
#include <set>

#include "MyCode/Trace.h"
#include "download/AlbumFiles.h"
#include "download/DownPicFunc.h"
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

// Moves one picture out of the failures into `saved` or `leftOut` of the run and its album.
void CountMended(RunSession& session, const FailedPicture& failure, bool saved, std::set<std::size_t>& changed) {
  RunTally& run = session.tally;
  --run.failed;
  ++(saved ? run.saved : run.leftOut);
  if (failure.albumPosition == 0 || failure.albumPosition > session.albumTallies.size()) return;
  AlbumTally& album = session.albumTallies[failure.albumPosition - 1];
  --album.failed;
  ++(saved ? album.saved : album.leftOut);
  changed.insert(failure.albumPosition);
}

}  // namespace

bool RetryMayMend(const PictureResult& result) {
  if (result.outcome == PictureOutcome::NotTried) return true;
  if (result.outcome != PictureOutcome::Failed) return false;
  switch (result.failure) {
    case FetchFailure::Network:
    case FetchFailure::Timeout:
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

bool RetryFailures(RunSession& session, int pass) {
  RunFlags& flags = session.flags;
  std::vector<FailedPicture>& failures = session.tally.failures;
  std::vector<std::size_t> picks;
  for (std::size_t i = 0; i < failures.size(); ++i)
    if (failures[i].retryable) picks.push_back(i);
  if (picks.empty()) return false;

  const long long wait = PassWait(failures, picks, pass);
  session.events.RetryPassBegun(pass, picks.size(), wait);
  // A cancel raises the run's abort flag with it, which ends the wait at once.
  if (!PauseUnlessRaised(std::chrono::seconds(wait), &flags.abortFetches)) return false;

  // The pictures go back to their own folders under their own names: each entry's name is its whole path.
  session.pictures.Clear();
  session.pictures.SetFolder(Text());
  for (std::size_t i : picks) session.pictures.Append(failures[i].entry, failures[i].folder + failures[i].fileName, Text());
  session.events.AlbumDownloadBegun(failures[picks.front()].folder, picks.size());
  flags.cancelRequested = false;
  DownPicFunc(session);

  std::set<std::size_t> changed;
  std::vector<bool> mended(failures.size(), false);
  for (std::size_t k = 0; k < picks.size() && k < session.albumResults.size(); ++k) {
    FailedPicture& failure = failures[picks[k]];
    const PictureResult& result = session.albumResults[k];
    if (result.outcome == PictureOutcome::Saved) {
      Text path = failure.folder + failure.fileName;
      if (failure.fixFormat) FixPictureFormat(path);
      if (failure.orderTime > 0) SetPictureTime(path, failure.orderTime);
      CountMended(session, failure, true, changed);
      mended[picks[k]] = true;
    } else if (result.outcome == PictureOutcome::LeftOut) {
      CountMended(session, failure, false, changed);
      mended[picks[k]] = true;
    } else if (result.outcome == PictureOutcome::Failed) {
      failure.reason = result.reason;
      failure.retryable = RetryMayMend(result);
      failure.retryAfterSeconds = result.retryAfterSeconds;
    }
  }
  std::vector<FailedPicture> left;
  for (std::size_t i = 0; i < failures.size(); ++i)
    if (!mended[i]) left.push_back(std::move(failures[i]));
  failures = std::move(left);
  Trace("retry pass " + std::to_string(pass) + ": " + std::to_string(picks.size()) + " pictures tried, " +
        std::to_string(failures.size()) + " failures left");
  for (std::size_t position : changed) session.events.AlbumEnded(session.albumTallies[position - 1]);
  return true;
}

void RemarkRetriedAlbums(RunSession& session) {
  for (const auto& [position, album] : session.retriedAlbums) {
    std::ptrdiff_t lastFailed = -1;
    for (const FailedPicture& failure : session.tally.failures) {
      if (failure.albumPosition == position)
        lastFailed = std::max(lastFailed, static_cast<std::ptrdiff_t>(failure.pictureIndex));
    }
    MarkAlbumDone(album.folder, album.urls, lastFailed);
  }
}

}  // namespace albatrix
