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

// Limits of a site whose settings nobody supplied: the first-run values.
constexpr DownloadLimits kFallbackLimits{0, 0, 5, 30};

Text WithSeparator(Text path) {
  if (path.empty() || path.back() != kPathSep) path += kPathSep;
  return path;
}

Text Number(long long value) {
  std::string digits = std::to_string(value);
  return Text(digits.begin(), digits.end());
}

// The run thread marks the album busy again, but a cancel the button wrote meanwhile stays.
void MarkBusy(RunFlags& flags) {
  std::uint8_t state = flags.runState.load();
  while (state != RUN_CANCEL && !flags.runState.compare_exchange_weak(state, RUN_BUSY)) {
  }
}

bool Cancelled(const RunFlags& flags) { return flags.runState.load() == RUN_CANCEL; }

void EnterBusyLook(RunSession& session) {
  MarkBusy(session.flags);
  session.view.SetText(kRunDownloadButton, kTextStopDownload);
  for (int id : kRunBusyControls) session.view.Enable(id, false);
}

void LeaveBusyLook(RunSession& session) {
  session.flags.runState = RUN_IDLE;
  session.view.SetText(kRunDownloadButton, kTextDownload);
  for (int id : kRunBusyControls) session.view.Enable(id, true);
  session.view.SetText(kRunStatusLine, kTextRunDone);
  session.view.SetText(kRunProgressLine, Text());
  session.view.ShowProgress(0, 0);
}

std::int64_t UnixNow(const RunSession& session) {
  auto now = session.now ? session.now() : std::chrono::system_clock::now();
  return std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
}

// The first address of a picture entry (an entry may carry an alternative after CR LF).
Text FirstAddress(const Text& entry) { return entry.substr(0, entry.find(u"\r\n")); }

// Adds the album's picture results to the run's counts and failure list. Returns the largest index of
// a picture that failed, -1 when none did. In a cancelled album the pictures the cancel kept from being
// fetched count nowhere; otherwise a picture no worker took failed too.
std::ptrdiff_t TallyAlbum(RunSession& session, const Text& albumTitle, bool cancelled) {
  std::ptrdiff_t lastFailed = -1;
  const std::vector<PictureResult>& results = session.albumResults;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const PictureResult& result = results[i];
    switch (result.outcome) {
      case PictureOutcome::Saved:
        ++session.picturesSaved;
        continue;
      case PictureOutcome::LeftOut:
        ++session.picturesLeftOut;
        continue;
      case PictureOutcome::Cancelled:
        continue;
      case PictureOutcome::NotTried:
        if (cancelled) continue;
        break;
      case PictureOutcome::Failed:
        break;
    }
    ++session.picturesFailed;
    const Text reason = result.outcome == PictureOutcome::NotTried ? Text(u"not fetched") : result.reason;
    session.failures.push_back({albumTitle, FirstAddress(session.pictures.url(i)), reason});
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

// One album of the run: list it, then write its list file or download it, then its marker and fixes.
void RunAlbum(RunSession& session, const Text& baseFolder, std::size_t albumIndex, std::size_t position,
              std::size_t albumCount) {
  RunView& view = session.view;
  RunFlags& flags = session.flags;
  ++session.albumsBegun;
  session.pictures.Clear();
  session.pictures.SetFolder(baseFolder);
  view.SetText(kRunStatusLine, u"正在下载第" + Number(static_cast<long long>(position)) + u"/" +
                                   Number(static_cast<long long>(albumCount)) + u"个图集");
  MarkBusy(flags);
  view.SetText(kRunProgressLine, u"......");
  session.rule = session.nameRule ? session.nameRule() : NameRule{};

  if (albumIndex >= session.albums.size()) {
    Trace("chosen album " + std::to_string(albumIndex) + " is not in the list");
    return;
  }
  if (session.siteCode == kCrawledSiteCode) {
    if (session.listAlbum) {
      PictureSink sink = [&session](const Text& url, const Text& description, const Text& header,
                                    std::size_t index) { BuildPictureName(session, url, description, header, index); };
      std::function<bool()> stop = [&flags] {
        std::uint8_t state = flags.runState.load();
        return state == RUN_ALBUM_STOP || state == RUN_CANCEL;
      };
      session.listAlbum(albumIndex, sink, stop);
    }
  } else if (session.siteCode > kLastListedSiteCode) {
    view.Message(kTextListTypeError);
  }

  const std::size_t listed = session.pictures.size();
  if (listed == 0 || Cancelled(flags)) return;
  session.totalListed += static_cast<std::int64_t>(listed);
  const Text folder = session.pictures.folder();

  if (session.rule.options & OPT_LIST_ONLY) {
    WriteListFile(folder + AlbumSideFileName(session.albums[albumIndex].title, u".lst"), session.pictures.urls());
    return;
  }

  view.SetText(kRunProgressLine, kTextDownloadStarted);
  flags.cancelRequested = false;
  DownPicFunc(session);
  const bool cancelled = Cancelled(flags);
  const std::ptrdiff_t lastFailed = TallyAlbum(session, session.albums[albumIndex].title, cancelled);
  if (cancelled) {
    Trace("album cancelled: no skip marker");
  } else {
    MarkAlbumDone(session, folder, lastFailed);
  }
  if (session.rule.options & OPT_FIX_FORMAT) FixAlbumFormats(session.pictures);
  if (session.rule.options & OPT_FIX_ORDER) FixAlbumOrder(session.pictures, UnixNow(session));
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
  RunView& view = session.view;
  RunFlags& flags = session.flags;

  session.started = false;
  // A cancel of the last run must not cut this one's requests short. (A cancel of this run that came
  // before this point has set RUN_CANCEL as well, so no album of it begins.)
  flags.abortFetches = false;
  const Text savePath = TrimBlanks(view.SavePathText());
  if (savePath.empty()) {
    view.Message(kTextNoSavePath);
    flags.runState = RUN_IDLE;
    return;
  }
  const Text baseFolder = RunBaseFolder(savePath, session.memberKey, session.subFolder);
  Text failedFolder;
  if (!MakeFolderPath(baseFolder, &failedFolder)) {
    view.Message(failedFolder);
    view.Message(kTextBadSavePath);
    flags.runState = RUN_IDLE;
    return;
  }

  EnterBusyLook(session);
  session.started = true;
  session.pictures.SetFolder(baseFolder);
  session.runLimits = session.limits ? session.limits() : kFallbackLimits;
  session.totalListed = 0;
  session.albumsBegun = 0;
  session.picturesSaved = session.picturesLeftOut = session.picturesFailed = 0;
  session.failures.clear();
  session.albumFolders.Clear();

  const std::vector<std::size_t> chosen = view.ChosenAlbums();
  session.albums.selectedCount = static_cast<std::int32_t>(chosen.size());
  if (chosen.empty()) view.Message(kTextNoAlbumChosen);
  for (std::size_t i = 0; i < chosen.size() && !Cancelled(flags); ++i) {
    RunAlbum(session, baseFolder, chosen[i], i + 1, chosen.size());
  }

  LeaveBusyLook(session);
  const NameRule rule = session.nameRule ? session.nameRule() : session.rule;
  if (session.totalListed > 0 && (rule.options & OPT_OPEN_FOLDER)) view.OpenFolder(session.pictures.folder());
}

}  // namespace albatrix
