// The download run as the main window shows it: every event of the run becomes the texts, enabled states,
// message boxes and progress of the window, exactly as the user reads them.
#pragma once

#include <functional>
#include <mutex>

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

  void RunRefused(RunRefusal why, const Text& folder) override;
  void RunBegun(std::size_t albumCount) override;
  void AlbumBegun(std::size_t position, std::size_t albumCount) override;
  void ListTypeUnknown() override;
  void PictureListed(std::size_t count) override;
  void AlbumDownloadBegun(const Text& folder, std::size_t total) override;
  void PicturesEnded(std::size_t done, std::size_t total) override;
  void AlbumEnded(const AlbumTally& tally) override;
  void RunEnded(const RunTally& tally) override;

 private:
  void SetDownloadingFolder(Text folder);

  MainWindowView& view_;
  std::function<void(const RunTally*)> ended_;
  mutable std::mutex folderLock_;  // written by the run thread, read by "打开"
  Text downloadingFolder_;
};

}  // namespace albatrix
