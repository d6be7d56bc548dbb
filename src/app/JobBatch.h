// A run of several saved job files, one member after another: the events of each member's run as the
// window takes them, and the texts and sums of the batch as a whole.
#pragma once

#include <cstddef>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "download/RunEvents.h"
#include "model/DownloadJob.h"

namespace albatrix {

// The place of the member under way, added to the status line: "成员 2/5".
Text BatchPlaceText(std::size_t position, std::size_t count);

// Why a job file of a batch does not run (empty: it runs): it cannot be read, is damaged or of another
// version, is of another site, or names no save path or no album.
Text JobFileProblemText(const JobFileRead& read, int supportedSiteCode);

// The message naming every job file of a batch that did not run, one line each: "<file>：<problem>".
struct SkippedJob {
  Text file;
  Text problem;
};
Text SkippedJobsText(const std::vector<SkippedJob>& skipped);

// Adds one member's run to the batch's sum: counts added, its failures appended, each naming `member`.
void AddMemberRun(RunTally& batch, const RunTally& run, const Text& member);

// One member's run inside a batch: everything goes on to `window` but the run's end (kept in Ended(),
// for the batch to sum) and a refusal (kept as Refusal(): the batch goes on with the next member).
class MemberRunEvents : public RunEvents {
 public:
  explicit MemberRunEvents(RunEvents& window) : window_(window) {}

  const RunTally& Ended() const { return ended_; }
  // Empty, or what kept the run from beginning.
  const Text& Refusal() const { return refusal_; }

  void RunRefused(RunRefusal why, const Text& folder) override;
  void RunBegun(std::size_t albumCount, std::size_t retryCount) override { window_.RunBegun(albumCount, retryCount); }
  void AlbumBegun(std::size_t position, std::size_t albumCount) override { window_.AlbumBegun(position, albumCount); }
  void ListTypeUnknown() override { window_.ListTypeUnknown(); }
  void PictureListed(std::size_t count) override { window_.PictureListed(count); }
  void AlbumDownloadBegun(const Text& folder, std::size_t total) override { window_.AlbumDownloadBegun(folder, total); }
  void PictureEnded(std::size_t index, const PictureResult& result) override { window_.PictureEnded(index, result); }
  void PicturesEnded(std::size_t done, std::size_t total) override { window_.PicturesEnded(done, total); }
  void HoldBegun(long long seconds) override { window_.HoldBegun(seconds); }
  void JobFileUnwritable(const Text& path) override { window_.JobFileUnwritable(path); }
  void RetryPassBegun(int pass, std::size_t pictures, long long waitSeconds) override {
    window_.RetryPassBegun(pass, pictures, waitSeconds);
  }
  void AlbumEnded(const AlbumTally& tally) override { window_.AlbumEnded(tally); }
  void RunEnded(const RunTally& tally) override { ended_ = tally; }

 private:
  RunEvents& window_;
  RunTally ended_;
  Text refusal_;
};

}  // namespace albatrix
