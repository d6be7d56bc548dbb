#include "download/DownProc.h"

#include <chrono>
#include <string>

#include "MyCode/FileSystem.h"
#include "MyCode/Trace.h"
#include "download/AlbumFiles.h"
#include "download/DownPicFunc.h"
#include "download/PictureNaming.h"
#include "download/PostProcess.h"

namespace albatrix {
namespace {

Text WithSeparator(Text path) {
  if (path.empty() || path.back() != kPathSep) path += kPathSep;
  return path;
}

// The run thread marks the album busy again, but a cancel the button wrote meanwhile stays.
void MarkBusy(RunFlags& flags) {
  std::uint8_t state = flags.runState.load();
  while (state != RUN_CANCEL && !flags.runState.compare_exchange_weak(state, RUN_BUSY)) {
  }
}

bool Cancelled(const RunFlags& flags) { return flags.runState.load() == RUN_CANCEL; }

std::int64_t UnixNow(const RunSession& session) {
  auto now = session.plan.now ? session.plan.now() : std::chrono::system_clock::now();
  return std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
}

// The first address of a picture entry (an entry may carry an alternative after CR LF).
Text FirstAddress(const Text& entry) { return entry.substr(0, entry.find(u"\r\n")); }

// Adds the album's picture results to its tally and the run's failure list. Returns the largest index of
// a picture that failed, -1 when none did. In a cancelled album the pictures the cancel kept from being
// fetched count nowhere; otherwise a picture no worker took failed too.
std::ptrdiff_t TallyAlbum(RunSession& session, const Text& albumTitle, AlbumTally& album) {
  std::ptrdiff_t lastFailed = -1;
  const std::vector<PictureResult>& results = session.albumResults;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const PictureResult& result = results[i];
    switch (result.outcome) {
      case PictureOutcome::Saved:
        ++album.saved;
        continue;
      case PictureOutcome::LeftOut:
        ++album.leftOut;
        continue;
      case PictureOutcome::Cancelled:
        continue;
      case PictureOutcome::NotTried:
        if (album.cancelled) continue;
        break;
      case PictureOutcome::Failed:
        break;
    }
    ++album.failed;
    const Text reason = result.outcome == PictureOutcome::NotTried ? Text(u"not fetched") : result.reason;
    session.tally.failures.push_back({albumTitle, FirstAddress(session.pictures.url(i)), reason});
    lastFailed = static_cast<std::ptrdiff_t>(i);
  }
  return lastFailed;
}

// The marker says "everything from here on down is done": the picture after the last one that failed,
// so the next run fetches every failed picture again and stops where nothing is missing. When the last
// picture failed, an older marker still marks what lies below this run's list and stays.
void MarkAlbumDone(RunSession& session, const Text& folder, std::ptrdiff_t lastFailed) {
  const std::size_t next = static_cast<std::size_t>(lastFailed + 1);
  if (next < session.pictures.size()) {
    WriteSkipMarker(session.pictures.url(next), folder);
  } else {
    Trace("the album's last picture failed: skip marker left as it is in " + TextToUtf8(folder));
  }
}

// Lists the album through the naming step until its last picture, the skip marker or a cancel.
void ListAlbum(RunSession& session, const ST_PERLISTRECORD& album) {
  if (session.plan.siteCode == kCrawledSiteCode) {
    if (!session.plan.listPictures) return;
    RunFlags& flags = session.flags;
    PictureFoundFn found = [&session, &album](const PictureEntry& picture) {
      BuildPictureName(session, picture, album);
    };
    std::function<bool()> stop = [&flags] {
      std::uint8_t state = flags.runState.load();
      return state == RUN_ALBUM_STOP || state == RUN_CANCEL;
    };
    session.plan.listPictures(album, found, stop, &flags.abortFetches);
  } else if (session.plan.siteCode > kLastListedSiteCode) {
    session.events.ListTypeUnknown();
  }
}

// The album after its listing: its list file, or its download, skip marker and fixes.
void FetchAlbum(RunSession& session, const ST_PERLISTRECORD& album, AlbumTally& tally) {
  RunFlags& flags = session.flags;
  const Text folder = session.pictures.folder();
  if (session.rule.options & OPT_LIST_ONLY) {
    WriteListFile(folder + AlbumSideFileName(album.title, u".lst"), session.pictures.urls());
    tally.listOnly = true;
    return;
  }

  session.events.AlbumDownloadBegun(folder, tally.listed);
  flags.cancelRequested = false;
  DownPicFunc(session);
  tally.cancelled = Cancelled(flags);
  const std::ptrdiff_t lastFailed = TallyAlbum(session, album.title, tally);
  if (tally.cancelled) {
    Trace("album cancelled: no skip marker");
  } else {
    MarkAlbumDone(session, folder, lastFailed);
  }
  if (session.rule.options & OPT_FIX_FORMAT) FixAlbumFormats(session.pictures);
  if (session.rule.options & OPT_FIX_ORDER) FixAlbumOrder(session.pictures, UnixNow(session));
}

// One album of the run, from its listing to its AlbumEnded.
void RunAlbum(RunSession& session, const Text& baseFolder, const ST_PERLISTRECORD& album, std::size_t position) {
  RunTally& run = session.tally;
  ++run.albums;
  session.pictures.Clear();
  session.pictures.SetFolder(baseFolder);
  session.events.AlbumBegun(position, session.plan.albums.size());
  MarkBusy(session.flags);
  session.rule = session.plan.nameRule ? session.plan.nameRule() : NameRule{};

  ListAlbum(session, album);
  AlbumTally tally;
  tally.position = position;
  tally.listed = session.pictures.size();
  tally.cancelled = Cancelled(session.flags);
  run.lastFolder = session.pictures.folder();
  if (tally.listed > 0 && !tally.cancelled) {
    run.listed += static_cast<std::int64_t>(tally.listed);
    FetchAlbum(session, album, tally);
  }
  run.saved += static_cast<std::int64_t>(tally.saved);
  run.leftOut += static_cast<std::int64_t>(tally.leftOut);
  run.failed += static_cast<std::int64_t>(tally.failed);
  session.events.AlbumEnded(tally);
}

}  // namespace

Text RunBaseFolder(TextView savePath, TextView memberKey, TextView subFolder) {
  return WithSeparator(TrimBlanks(savePath)) + Text(memberKey) + Text(subFolder);
}

bool MakeFolderPath(TextView path, Text* failedFolder) {
  // A leading separator makes the path absolute here and stays; a Windows drive ("C:\") never reaches
  // this platform's separator, so there is no drive part to step over.
  const Text full = WithSeparator(TrimBlanks(path));
  for (std::size_t sep = full.find(kPathSep, 1); sep != Text::npos; sep = full.find(kPathSep, sep + 1)) {
    Text folder = full.substr(0, sep);
    if (FolderExists(folder) || CreateFolders(folder)) continue;
    if (failedFolder) *failedFolder = folder;
    Trace("folder could not be made: " + TextToUtf8(folder));
    return false;
  }
  return true;
}

void DownloadRun(RunSession& session) {
  RunFlags& flags = session.flags;
  RunTally& run = session.tally;
  run = RunTally{};
  const Text savePath = TrimBlanks(session.plan.savePath);
  if (savePath.empty()) {
    flags.runState = RUN_IDLE;
    session.events.RunRefused(RunRefusal::NoSavePath, Text());
    return;
  }
  const Text baseFolder = RunBaseFolder(savePath, session.plan.memberKey, session.plan.subFolder);
  Text failedFolder;
  if (!MakeFolderPath(baseFolder, &failedFolder)) {
    flags.runState = RUN_IDLE;
    session.events.RunRefused(RunRefusal::FolderNotMade, failedFolder);
    return;
  }

  MarkBusy(flags);
  run.started = true;
  run.lastFolder = baseFolder;
  session.pictures.SetFolder(baseFolder);
  session.albumFolders.Clear();

  const std::vector<ST_PERLISTRECORD>& chosen = session.plan.albums;
  session.events.RunBegun(chosen.size());
  for (std::size_t i = 0; i < chosen.size() && !Cancelled(flags); ++i) RunAlbum(session, baseFolder, chosen[i], i + 1);

  run.cancelled = Cancelled(flags);
  flags.runState = RUN_IDLE;
  session.events.RunEnded(run);
}

}  // namespace albatrix
