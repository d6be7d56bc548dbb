// The download run as the main window shows it: every event of the run becomes the texts, enabled states,
// message boxes and progress of the window, exactly as the user reads them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "app/MainWindowView.h"
#include "app/RunRate.h"
#include "download/RunEvents.h"

namespace albatrix {

class DownloadPresenter : public RunEvents {
 public:
  // `ended` runs once the window shows that a run is over (or never began: then with null): the
  // controller's state goes back to idle there. The view must outlive the presenter.
  DownloadPresenter(MainWindowView& view, std::function<void(const RunTally* tally)> ended);

  // The folder the workers of an album save into while they run; empty between albums and runs.
  Text DownloadingFolder() const;

  // Before a run starts: the album index of each album of the run, in the run's order, so an album's
  // outcome reaches its row; and the run's albums as listed (none for a retry): the picture count the
  // listing gave each is what the bar counts for it until its own pictures are listed.
  void BeginRun(std::vector<std::size_t> albumIndices, const std::vector<ST_PERLISTRECORD>& albums = {});
  // The outcome an album had in the runs since the last ForgetResults ("结果"), or empty.
  Text ResultOf(std::size_t albumIndex) const;
  // A new listing: the albums' outcomes are gone with their list.
  void ForgetResults();
  // In a batch of job files: the member about to run, its place ("成员 2/5") leading the status line, and
  // the pictures the listings gave the albums of the members still to come (0 where a member is listed
  // only when its turn comes). The bar and the pace then go over the whole batch.
  void BeginBatchMember(Text place, std::size_t picturesToCome);
  // A member's run inside a batch has ended with `tally`: its pictures count as ended on the bar, and its
  // albums' outcomes show.
  void MemberRunEnded(const RunTally& tally);
  // The batch is over: its place and figure are gone (before RunEnded reports the batch's sum).
  void EndBatch();

  void RunRefused(RunRefusal why, const Text& folder) override;
  void RunBegun(std::size_t albumCount, std::size_t retryCount) override;
  void AlbumBegun(std::size_t position, std::size_t albumCount) override;
  void ListTypeUnknown() override;
  void PictureListed(std::size_t count) override;
  void AlbumDownloadBegun(const Text& folder, std::size_t total) override;
  // The progress line and the bar count ended pictures in order (PicturesEnded); one picture's end shows
  // nothing.
  void PictureEnded(std::size_t /*index*/, const PictureResult& /*result*/) override {}
  // The progress line counts the album's pictures; the bar and the pace beside it the whole run's:
  // pictures ended of the pictures listed so far and, for the albums still to come, their listed counts.
  // In a retry pass both count the pass's pictures.
  void PicturesEnded(std::size_t done, std::size_t total) override;
  void HoldBegun(long long seconds) override;
  // The status line says so until the next album's text; the command line says it in its own words.
  void JobFileUnwritable(const Text& path) override;
  void RetryPassBegun(int pass, std::size_t pictures, long long waitSeconds) override;
  void AlbumEnded(const AlbumTally& tally) override;
  void RunEnded(const RunTally& tally) override;

 private:
  void SetDownloadingFolder(Text folder);
  // With figureLock_ held: the whole run's pictures, and those of them ended.
  std::size_t RunPictures() const;
  std::size_t RunPicturesEnded() const;
  // With figureLock_ held: the bar at the run's figure; the pace when a new text is due.
  void ShowRunFigure(bool withPace);
  void ClearPace();
  // `text` on the status line, after the batch place when there is one.
  void SetStatus(const Text& text);

  MainWindowView& view_;
  std::function<void(const RunTally*)> ended_;
  mutable std::mutex lock_;  // the run thread writes what "打开" and the grid read
  Text downloadingFolder_;
  std::vector<std::size_t> runAlbums_;
  std::map<std::size_t, Text> results_;
  Text batchPlace_;

  // The bar's figure over the run, from the run thread and the thread watching the workers.
  std::mutex figureLock_;
  std::vector<std::int32_t> listedCounts_;  // by album of the run, as the listing gave them
  std::size_t position_ = 0;                // the album under way (1 for the first), 0 before
  std::size_t listedBefore_ = 0;            // pictures listed by the albums before it
  std::size_t endedBefore_ = 0;             // and of them ended
  std::size_t listedNow_ = 0;               // its pictures listed so far
  std::size_t endedNow_ = 0;                // and ended
  bool listComplete_ = false;               // its listing is over: listedNow_ is all it has
  bool retrying_ = false;                   // a retry pass: the bar counts the pass's pictures
  RateLabel pace_;
  bool paceShown_ = false;
  // The members of a batch before the one under way, and the counts of those to come.
  struct BatchFigure {
    bool active = false;
    std::size_t ended = 0;
    std::size_t toCome = 0;
  } batch_;
};

}  // namespace albatrix
