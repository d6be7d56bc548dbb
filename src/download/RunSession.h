// One download run while it lasts: its plan, its flags, its picture list and the state of the album being
// downloaded. Made by whoever starts the run and handed to DownloadRun; tests build their own with a
// recording event sink and fake crawlers and fetchers.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "download/RunEvents.h"
#include "download/RunJournal.h"
#include "download/RunPlan.h"
#include "download/TakenNames.h"
#include "model/PictureList.h"
#include "model/Settings.h"

namespace albatrix {

// The run's state: one byte that the run thread, the naming step and a cancel write and others poll.
constexpr std::uint8_t RUN_IDLE = 0;        // the run is over
constexpr std::uint8_t RUN_BUSY = 1;        // the run is active
constexpr std::uint8_t RUN_ALBUM_STOP = 2;  // the skip marker was met: stop listing the current album
constexpr std::uint8_t RUN_CANCEL = 3;      // a cancel came: stop soon

// The flags of one run that several threads share: its observable state and the run's one cancel token.
class RunFlags {
 public:
  // RUN_BUSY until the run is over, with the steps below in between.
  std::uint8_t State() const { return runState_.load(); }
  // The run thread takes up the run or its next album: RUN_BUSY, but a cancel that came meanwhile stays.
  void MarkBusy();
  // The skip marker was met: RUN_ALBUM_STOP, only from RUN_BUSY, so a cancel is never overwritten.
  void StopAlbum();
  // The run is over.
  void MarkIdle() { runState_ = RUN_IDLE; }
  // A cancel: RUN_CANCEL and the token raised. False when the run is over already.
  bool RequestCancel();
  bool CancelRaised() const { return cancel_.load(); }
  // The token every request and wait of the run watches (album pages, pictures, pauses), so nothing in
  // flight holds a cancel for its time-out.
  const std::atomic<bool>* CancelToken() const { return &cancel_; }

 private:
  std::atomic<std::uint8_t> runState_{RUN_BUSY};
  std::atomic<bool> cancel_{false};
};

// The clock a run's waits follow: its plan's, else the system's.
inline WaitClock& WaitClockOf(const RunPlan& plan) { return plan.waitClock ? *plan.waitClock : SystemWaitClock(); }

// The album the run is at. The run thread starts it afresh for each album (Start) and the naming step
// fills it as pictures are found; the workers' jobs are made from its list.
struct AlbumUnderWay {
  // Back to no picture, in `baseFolder`, with the album's `rule`; `folderAgain` as below.
  void Start(std::size_t albumPosition, NameRule albumRule, const Text& baseFolder, Text albumFolderAgain);

  std::size_t position = 0;  // 1 for the run's first album
  Text folderAgain;  // not empty: the album goes back into this folder (a retry lists an album again)
  NameRule rule;     // read once as the album starts: a change meanwhile applies to the next album
  Text skipMarker;   // the address that an earlier run of this album began with
  TakenNames takenNames;
  PictureList pictures;
};

// One download run: its plan and event sink, the album under way and what the run has done so far. The
// run thread alone writes it; its workers get their jobs as copies and share only the flags, the pacer
// and the journal, which are safe across threads themselves.
struct RunSession {
  RunSession(RunPlan plan, RunEvents& events) : plan(std::move(plan)), events(events) {}
  RunSession(const RunSession&) = delete;
  RunSession& operator=(const RunSession&) = delete;

  RunPlan plan;
  RunEvents& events;
  RunFlags flags;

  Text baseFolder;  // the save path with the member's folders: where album folders are made
  TakenNames albumFolders;  // album folder names given in this run, so no two albums share one
  // The album being listed and downloaded.
  AlbumUnderWay album;

  // Every request of the run waits here while the site asked for a pause.
  RequestPacer pacer;
  // What the run saved, kept in the job file while it goes on.
  RunJournal journal;

  // What the whole run did; complete once RunEnded was reported.
  RunTally tally;
  // Each album's tally, by position - 1, kept for the retry passes.
  std::vector<AlbumTally> albumTallies;
  // Each album with a picture a retry may mend, by position.
  std::map<std::size_t, RetriedAlbum> retriedAlbums;
};

}  // namespace albatrix
