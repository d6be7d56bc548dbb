// What the download engine is given instead of a window: the state the threads coordinate through, the
// album and picture lists, the naming rules, and a small view for the status lines, the download button
// and the message boxes. The controller owns the flags and the lists and builds one RunSession for every
// run; tests build their own with a recording view and fake crawlers and fetchers.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "MyCode/URLSource2.h"
#include "MyCode/SanitizeFileName.h"
#include "model/AlbumRecords.h"
#include "model/PictureList.h"
#include "model/Settings.h"

namespace albatrix {

// runState: one byte that the interface, the run thread and the naming step write and others poll.
constexpr std::uint8_t RUN_IDLE = 0;        // no run; the button reads "下载"
constexpr std::uint8_t RUN_BUSY = 1;        // a run is active; the button reads "终止下载"
constexpr std::uint8_t RUN_ALBUM_STOP = 2;  // the skip marker was met: stop listing the current album
constexpr std::uint8_t RUN_CANCEL = 3;      // the button was pressed during the run: stop soon

// The site code whose crawler the run calls; codes up to kLastListedSiteCode list nothing, any higher
// code is an error.
constexpr int kCrawledSiteCode = 15;
constexpr int kLastListedSiteCode = 16;

// Controls of the main window the run speaks to (the same numbers as the window's control ids).
constexpr int kRunSavePathBox = 1000;
constexpr int kRunMemberBox = 1001;
constexpr int kRunSiteSelector = 1002;
constexpr int kRunGetAlbumsButton = 1004;
constexpr int kRunDownloadButton = 1005;
constexpr int kRunProgressLine = 1006;
constexpr int kRunChooseFolderButton = 1007;
constexpr int kRunStatusLine = 1009;

// The controls the busy look disables and the end of a run enables again, in this order.
inline constexpr int kRunBusyControls[] = {1002, 1004, 1007, 1001, 1000, 1027, 1028, 1029};

// The flags of the run that several threads share. Owned by whoever owns the run (the controller).
struct RunFlags {
  std::atomic<std::uint8_t> runState{RUN_IDLE};
  std::atomic<bool> cancelRequested{false};   // set with RUN_CANCEL; cleared before each album's download
  std::atomic<bool> downloading{false};       // true while the workers of an album run ("打开" looks at it)
  std::atomic<std::int32_t> finishedCount{0};  // picture jobs of the current album that have ended
  // Raised with a cancel and kept until the next run starts: every request of the run watches it (album
  // pages, pictures), so nothing in flight holds a cancel for its time-out.
  std::atomic<bool> abortFetches{false};

  // The button pressed during a run: RUN_CANCEL, cancelRequested and abortFetches. False when no run is
  // active (the caller then starts one).
  bool RequestCancel();
};

// What the run shows and asks of the window. Called from the run thread and the workers' supervisor.
class RunView {
 public:
  virtual ~RunView() = default;
  virtual Text SavePathText() = 0;                            // the save-path box (1000) as typed
  virtual void SetText(int controlId, const Text& text) = 0;  // status lines 1009/1006, button 1005
  virtual void Enable(int controlId, bool enabled) = 0;
  virtual void Message(const Text& text) = 0;                 // a plain message box
  virtual std::vector<std::size_t> ChosenAlbums() = 0;        // album indices, in grid order
  virtual void OpenFolder(const Text& path) = 0;
  // The current album's pictures ended so far, of `total`; (0, 0) when the run is over. The same figure
  // as the progress line, for a view that also shows it as a bar (the taskbar button on Windows).
  virtual void ShowProgress(std::int32_t /*done*/, std::size_t /*total*/) {}
};

// The naming step as the album photo crawler calls it: address, description, request header text, album.
using PictureSink = std::function<void(const Text& url, const Text& description, const Text& requestHeader,
                                       std::size_t albumIndex)>;

// Lists the pictures of album `albumIndex`, handing each to `sink` in page order and asking `stop` after
// every picture (true ends the album's crawl).
using ListAlbumFn =
    std::function<void(std::size_t albumIndex, const PictureSink& sink, const std::function<bool()>& stop)>;

// One fetch as the workers make it (Fetch of URLSource2.h unless a test puts a fake in).
using FetchFn = std::function<bool(UrlRequest& request, UrlResponse& response, unsigned options)>;

// Starts `body` on a new thread into `thread`; false when no thread could be started.
using ThreadStarter = std::function<bool(std::thread& thread, std::function<void()> body)>;

// std::thread, with a failure to start reported as false rather than thrown.
bool StartThread(std::thread& thread, std::function<void()> body);

// Case-insensitive set of the file names given in the current album, so that the duplicate check of the
// naming step costs the same for the 5,000th picture as for the second. Equality is EqualsIgnoringCase of
// the settings module (the comparison the program uses for names everywhere).
class TakenNames {
 public:
  void Clear();
  bool Contains(const Text& fileName) const { return names_.count(fileName) != 0; }
  void Add(const Text& fileName) { names_.insert(fileName); }

  // For a name base and extension: the lowest k that may still be free for "base(k)ext" (every lower k was
  // found taken before; names are never removed within an album). Remember(k) after giving out k.
  unsigned NextCounter(const Text& base, const Text& extension) const;
  void RememberCounter(const Text& base, const Text& extension, unsigned nextFree);

  // Hash consistent with EqualsIgnoringCase: it projects each code unit onto a class at least as coarse
  // as the case folding of the scripts that folding knows (public so the tests can pin that promise).
  struct Hash {
    std::size_t operator()(const Text& text) const;
  };
  struct Equal {
    bool operator()(const Text& a, const Text& b) const;
  };

 private:
  std::unordered_set<Text, Hash, Equal> names_;
  std::unordered_map<Text, unsigned, Hash, Equal> counters_;  // base + U+0000 + extension -> next k
};

// How one picture job of an album ended.
enum class PictureOutcome : std::uint8_t {
  NotTried,   // no worker took it (none could start, or the album was cancelled first)
  Saved,      // the picture's file was written
  LeftOut,    // the picture lies outside the size limits: done, by the user's choice
  Failed,     // the picture is lost for this run (reason says why)
  Cancelled,  // the fetch was abandoned for a cancel
};

struct PictureResult {
  PictureOutcome outcome = PictureOutcome::NotTried;
  Text reason;  // for Failed: why, in a few words ("HTTP 404", "time-out", ...)
};

// A picture of the run that could not be saved, for the report at the end.
struct FailedPicture {
  Text albumTitle;
  Text url;
  Text reason;
};

struct RunSession {
  RunSession(RunView& view, RunFlags& flags, AlbumList& albums, PictureList& pictures)
      : view(view), flags(flags), albums(albums), pictures(pictures) {}

  RunView& view;
  RunFlags& flags;
  AlbumList& albums;    // read only during the run, but for selectedCount
  PictureList& pictures;

  ListAlbumFn listAlbum;                 // the album photo crawler of site code 15
  std::function<NameRule()> nameRule;    // the current site's naming rules, read at the top of every album
  std::function<DownloadLimits()> limits;  // the current site's limits, copied once per run

  int siteCode = kCrawledSiteCode;
  Text memberKey;  // as the album-list crawl stored it: empty or ending with the separator
  Text subFolder;  // likewise; always empty with this site

  FetchFn fetch;               // empty: Fetch
  ThreadStarter startThread;   // empty: StartThread
  NowFunction now;             // the clock of the time-stamp names and the order fix; empty: system clock

  // The run's own state (written by the run thread only).
  DownloadLimits runLimits;    // the copy the workers use
  NameRule rule;               // the rules of the album being listed
  Text skipMarker;             // the address that an earlier run of this album began with
  TakenNames takenNames;
  std::int64_t totalListed = 0;  // pictures listed over the whole run
  bool started = false;          // the save path was usable and the run went through the chosen albums

  TakenNames albumFolders;       // album folder names given in this run, so no two albums share one

  // How each picture job of the current album ended, by picture index; DownPicFunc fills it.
  std::vector<PictureResult> albumResults;

  // What the whole run did, for a summary once it has ended (written by the run thread only). Pictures
  // of a cancelled album that were never fetched, or whose fetch the cancel abandoned, count nowhere.
  std::int64_t albumsBegun = 0;
  std::int64_t picturesSaved = 0;
  std::int64_t picturesLeftOut = 0;  // outside the size limits
  std::int64_t picturesFailed = 0;
  std::vector<FailedPicture> failures;  // every failed picture, in order
};

}  // namespace albatrix
