// The download run as the main window shows it: every event of the run becomes the texts, enabled states,
// message boxes and progress of the window, exactly as the user reads them.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "app/MainWindowView.h"
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
  // outcome reaches its row.
  void BeginRun(std::vector<std::size_t> albumIndices);
  // The outcome an album had in the runs since the last ForgetResults ("结果"), or empty.
  Text ResultOf(std::size_t albumIndex) const;
  // A new listing: the albums' outcomes are gone with their list.
  void ForgetResults();
  // In a batch of job files, the member's place ("成员 2/5") that leads the status line; empty otherwise.
  void SetBatchPlace(Text place);

  void RunRefused(RunRefusal why, const Text& folder) override;
  void RunBegun(std::size_t albumCount, std::size_t retryCount) override;
  void AlbumBegun(std::size_t position, std::size_t albumCount) override;
  void ListTypeUnknown() override;
  void PictureListed(std::size_t count) override;
  void AlbumDownloadBegun(const Text& folder, std::size_t total) override;
  // The progress line counts ended pictures in order (PicturesEnded); one picture's end shows nothing.
  void PictureEnded(std::size_t /*index*/, const PictureResult& /*result*/) override {}
  void PicturesEnded(std::size_t done, std::size_t total) override;
  void HoldBegun(long long seconds) override;
  void RetryPassBegun(int pass, std::size_t pictures, long long waitSeconds) override;
  void AlbumEnded(const AlbumTally& tally) override;
  void RunEnded(const RunTally& tally) override;

 private:
  void SetDownloadingFolder(Text folder);
  // `text` on the status line, after the batch place when there is one.
  void SetStatus(const Text& text);

  MainWindowView& view_;
  std::function<void(const RunTally*)> ended_;
  mutable std::mutex lock_;  // the run thread writes what "打开" and the grid read
  Text downloadingFolder_;
  std::vector<std::size_t> runAlbums_;
  std::map<std::size_t, Text> results_;
  Text batchPlace_;
};

}  // namespace albatrix
