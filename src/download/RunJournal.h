// What a run has saved, and the job file that keeps it in the program folder while the run goes on: the
// run's plan, which albums began and ended, and every picture saved, so that an interrupted run goes on
// where it stopped and no picture that is whole on disk is fetched again.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "model/DownloadJob.h"

namespace albatrix {

// A picture an earlier run saved: into album `position` (1 for the plan's first; 0 for none of them) as
// `picture` in `folder` (ending with the separator).
struct KnownPicture {
  std::size_t position = 0;
  Text folder;
  JobPicture picture;
};

class RunJournal {
 public:
  // How often at most the job file is written again while pictures are saved; every picture reaches the
  // journal beside it at once.
  static constexpr std::chrono::seconds kRewriteEvery{3};

  // Called once a run, the first time the job file at `path`, or a picture's line in its journal, cannot
  // be written: from then on a stop does not go on from where the run stands. The file on disk stays the
  // last one written whole, if any. Called on the thread of the step that failed, with no lock held.
  // Set before the run begins.
  std::function<void(const Text& path)> onUnwritable;

  // `known`: pictures earlier runs saved, which count as whole while their file is there with that size.
  // `programFolder` empty: no job file is kept (the pictures are still known for this run).
  void Begin(Text programFolder, DownloadJob job, const std::vector<KnownPicture>& known);

  // The name in its folder under which the picture the naming gives `path` is whole on disk, as a run
  // saved it: recorded with the address `url` and still there with the recorded size (under another name
  // when a format fix renamed it). Nothing otherwise. Any thread.
  std::optional<Text> WholeAs(const Text& path, const Text& url) const;

  // The run's steps, from the run thread: album `position` (1 for the first) began, got its folder, ended
  // (`done`: not cancelled); each writes the job file.
  void AlbumBegun(std::size_t position);
  void AlbumFolder(std::size_t position, const Text& folder);
  void AlbumEnded(std::size_t position, bool done);
  // A worker saved picture `url` as `fileName` in `folder` for album `position`. Any thread.
  void PictureSaved(std::size_t position, const Text& folder, const Text& fileName, const Text& url);
  // The format fix renamed the picture `before` of `folder` (album `position`) to `after`. Any thread.
  void PictureRenamed(std::size_t position, const Text& folder, const Text& before, const Text& after);
  // The run is over: a run that ended without a cancel removes its job file; a cancelled one writes it a
  // last time, so the next run goes on from there.
  void RunEnded(bool cancelled);

  // Every picture known as saved: the earlier runs' and this run's (a retry of this run's failures
  // starts from them).
  std::vector<KnownPicture> KnownPictures() const;

 private:
  // With the lock held: the whole job into its file; false when it could not be written.
  bool WriteLocked();
  // With the lock held: the picture onto the journal beside this run's job file.
  void AppendLocked(std::size_t position, const JobPicture& picture);
  // With the lock held: the job file could not be written (`what` says which step, for the trace).
  void FailedLocked(const char* what);
  // Lets go of the lock, then calls onUnwritable when a step under it failed for the first time.
  void Release(std::unique_lock<std::mutex>& hold);
  JobAlbum* AlbumLocked(std::size_t position);

  mutable std::mutex lock_;
  Text programFolder_;
  DownloadJob job_;
  std::unordered_map<Text, KnownPicture> whole_;  // by folder + the name the naming gives
  std::chrono::steady_clock::time_point lastWrite_{};
  bool fileWritten_ = false;  // a job file of this run is on disk: journal lines complete it
  bool journalTorn_ = false;  // the last append failed, maybe half done: no line goes after it
  bool failed_ = false;       // a write failed in this run
  bool reportDue_ = false;    // and onUnwritable has yet to hear of it
};

}  // namespace albatrix
