// One download run while it lasts: its plan, its flags, its picture list and the state of the album being
// downloaded. Made by whoever starts the run and handed to DownloadRun; tests build their own with a
// recording event sink and fake crawlers and fetchers.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
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
class AlbumUnderWay {
 public:
  // Back to no picture, in `baseFolder`, at `position` (1 for the run's first album), with the album's
  // `rule`, read once as the album starts (a change meanwhile applies to the next album). `folderAgain`
  // not empty: the album goes back into this folder (a retry lists an album again).
  void Start(std::size_t position, NameRule rule, const Text& baseFolder, Text folderAgain);
  // With the album's first picture: its pictures go into `folder`, where an earlier run began with the
  // address `skipMarker` (empty: none).
  void EnterFolder(const Text& folder, Text skipMarker);
  // True when `url` is the address that an earlier run of this album began with.
  bool MeetsSkipMarker(const Text& url) const { return !skipMarker_.empty() && url == skipMarker_; }
  // Lists a picture under `fileName`, which no later picture of the album may take.
  void Add(const Text& url, const Text& fileName);

  std::size_t Position() const { return position_; }
  const Text& FolderAgain() const { return folderAgain_; }
  const NameRule& Rule() const { return rule_; }
  // The names the album's pictures were given, which a new name is made unique among.
  TakenNames& Names() { return takenNames_; }
  // The pictures listed so far; the download and the format fix rename their files.
  PictureList& Pictures() { return pictures_; }
  const PictureList& Pictures() const { return pictures_; }

 private:
  std::size_t position_ = 0;
  Text folderAgain_;
  NameRule rule_;
  Text skipMarker_;
  TakenNames takenNames_;
  PictureList pictures_;
};

// One download run: its plan and event sink, the album under way and what the run has done so far; made
// for one run. The run thread alone takes its steps; its workers get their jobs as copies and share only
// the flags, the pacer and the journal, which are safe across threads themselves.
class RunSession {
 public:
  RunSession(RunPlan plan, RunEvents& events);
  RunSession(const RunSession&) = delete;
  RunSession& operator=(const RunSession&) = delete;

  const RunPlan& Plan() const { return plan_; }
  RunEvents& Events() const { return events_; }
  RunFlags& Flags() { return flags_; }
  const RunFlags& Flags() const { return flags_; }
  // Every request of the run waits here while the site asked for a pause (HoldBegun reports it).
  RequestPacer& Pacer() { return pacer_; }
  // What the run saved, kept in the job file while it goes on.
  RunJournal& Journal() { return journal_; }
  const RunJournal& Journal() const { return journal_; }
  // The album being listed and downloaded.
  AlbumUnderWay& Album() { return album_; }
  const AlbumUnderWay& Album() const { return album_; }

  // The run begins, its album folders made in `baseFolder`. A retry of an earlier run's pictures starts
  // from the plan's failures, album tallies and albums a retry may mend.
  void Begin(const Text& baseFolder);
  // Album `position` starts afresh under way with the plan's rule as it is now (see AlbumUnderWay::Start).
  void StartAlbum(std::size_t position, Text folderAgain);
  // `name` as the folder name of the album under way: with " (1)", " (2)", ... (within the limit of one
  // name) when another album of the run has it, ignoring case.
  Text ClaimAlbumFolder(const Text& name);

  // A picture of the album under way, or a page of it, was lost.
  void AddFailure(FailedPicture failure);
  // Album `position` has a picture a retry may mend: `album` keeps its folder and listed addresses, so
  // its skip marker can follow the final outcome.
  void NoteRetriedAlbum(std::size_t position, RetriedAlbum album);
  // An album of the run has ended with `tally`: its figures count in the run's.
  void RecordAlbum(const AlbumTally& tally);
  // Album `position` is about to be listed again: its failures, its figures and its note go.
  void ForgetAlbum(std::size_t position);
  // The album listed again ended with `tally`, which counts in the run's and replaces its old one; false
  // when the run has no tally of that album.
  bool RecordAlbumAgain(const AlbumTally& tally);
  // A retry pass over the failures at `retried` (indices into the run's failures) ended with `results`:
  // a picture saved or left out now leaves the failures, its figures moving in the run's tally and its
  // album's; one that failed again keeps its new reason. The positions of the albums whose tally changed.
  std::set<std::size_t> RecordRetry(const std::vector<std::size_t>& retried, const std::vector<PictureResult>& results);
  // The run is over (`cancelled`: by a cancel).
  void End(bool cancelled);

  // What the whole run did; complete once RunEnded was reported.
  const RunTally& Tally() const { return tally_; }
  // Each album's tally, by position - 1, kept for the retry passes.
  const std::vector<AlbumTally>& AlbumTallies() const { return albumTallies_; }
  // Each album with a picture a retry may mend, by position.
  const std::map<std::size_t, RetriedAlbum>& RetriedAlbums() const { return retriedAlbums_; }

 private:
  // Adds an album's figures to the run's (`sign` -1 takes them away again).
  void AddFigures(const AlbumTally& tally, int sign);

  const RunPlan plan_;
  RunEvents& events_;
  RunFlags flags_;
  RequestPacer pacer_;
  RunJournal journal_;
  Text baseFolder_;          // the save path with the member's folders: where album folders are made
  TakenNames albumFolders_;  // album folder names given in this run, so no two albums share one
  AlbumUnderWay album_;
  RunTally tally_;
  std::vector<AlbumTally> albumTallies_;
  std::map<std::size_t, RetriedAlbum> retriedAlbums_;
};

}  // namespace albatrix
