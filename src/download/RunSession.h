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

// runState: one byte that the run thread, the naming step and a cancel write and others poll.
constexpr std::uint8_t RUN_IDLE = 0;        // the run is over
constexpr std::uint8_t RUN_BUSY = 1;        // the run is active
constexpr std::uint8_t RUN_ALBUM_STOP = 2;  // the skip marker was met: stop listing the current album
constexpr std::uint8_t RUN_CANCEL = 3;      // a cancel came: stop soon

// The flags of one run that several threads share: its observable state, the count of ended jobs, and
// the run's one cancel token.
class RunFlags {
 public:
  std::atomic<std::uint8_t> runState{RUN_BUSY};
  std::atomic<std::int32_t> finishedCount{0};  // picture jobs of the current album that have ended

  // A cancel: RUN_CANCEL and the token raised. False when the run is over already.
  bool RequestCancel();
  bool CancelRaised() const { return cancel_.load(); }
  // The token every request and wait of the run watches (album pages, pictures, pauses), so nothing in
  // flight holds a cancel for its time-out.
  const std::atomic<bool>* CancelToken() const { return &cancel_; }

 private:
  std::atomic<bool> cancel_{false};
};

// The clock a run's waits follow: its plan's, else the system's.
inline WaitClock& WaitClockOf(const RunPlan& plan) { return plan.waitClock ? *plan.waitClock : SystemWaitClock(); }

struct RunSession {
  RunSession(RunPlan plan, RunEvents& events) : plan(std::move(plan)), events(events) {}
  RunSession(const RunSession&) = delete;
  RunSession& operator=(const RunSession&) = delete;

  RunPlan plan;
  RunEvents& events;
  RunFlags flags;
  PictureList pictures;  // the album being downloaded

  Text baseFolder;  // the save path with the member's folders: where album folders are made

  // The state of the album being listed (written by the run thread only).
  std::size_t albumPosition = 0;  // 1 for the run's first album
  Text albumFolder;     // not empty: the album goes into this folder (a retry lists an album again)
  NameRule rule;        // the rules of the album being listed
  Text skipMarker;      // the address that an earlier run of this album began with
  TakenNames takenNames;
  TakenNames albumFolders;  // album folder names given in this run, so no two albums share one

  // How each picture job of the current album ended, by picture index; DownPicFunc fills it.
  std::vector<PictureResult> albumResults;

  // Every request of the run waits here while the site asked for a pause.
  RequestPacer pacer;
  // What the run saved, kept in the job file while it goes on.
  RunJournal journal;

  // What the whole run did; complete once RunEnded was reported.
  RunTally tally;
  // Each album's tally, by position - 1, kept for the retry passes.
  std::vector<AlbumTally> albumTallies;
  // Each album with a picture a retry may mend, by position: its folder and listed addresses, so its skip
  // marker can follow the final outcome.
  struct RetriedAlbum {
    Text folder;
    TextArray urls;
  };
  std::map<std::size_t, RetriedAlbum> retriedAlbums;
};

}  // namespace albatrix
