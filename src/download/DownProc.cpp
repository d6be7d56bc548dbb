#include "download/DownProc.h"

#include <chrono>
#include <string>

#include "MyCode/FileSystem.h"
#include "MyCode/Trace.h"
#include "download/AlbumFiles.h"
#include "download/DownPicFunc.h"
#include "download/PictureNaming.h"
#include "download/PostProcess.h"
#include "download/RetryPass.h"

namespace albatrix {
namespace {

Text WithSeparator(Text path) {
  if (path.empty() || path.back() != kPathSep) path += kPathSep;
  return path;
}

bool Cancelled(const RunFlags& flags) { return flags.State() == RUN_CANCEL; }

std::int64_t UnixNow(const RunSession& session) {
  auto now = session.Plan().now ? session.Plan().now() : std::chrono::system_clock::now();
  return std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
}

// Adds the album's picture results to its tally and the run's failure list. Returns the largest index of
// a picture that failed, -1 when none did. In a cancelled album the pictures the cancel kept from being
// fetched count nowhere; otherwise a picture no worker took failed too. `orderNow` is the time the order
// fix gives the album's first picture (0: no order fix).
std::ptrdiff_t TallyAlbum(RunSession& session, const std::vector<PictureResult>& results, const Text& albumTitle,
                          AlbumTally& album, std::int64_t orderNow) {
  const PictureList& pictures = session.Album().Pictures();
  std::ptrdiff_t lastFailed = -1;
  bool retryable = false;
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
    FailedPicture failed;
    failed.albumTitle = albumTitle;
    failed.entry = pictures.url(i);
    failed.url = FirstAddress(failed.entry);
    failed.reason = result.outcome == PictureOutcome::NotTried ? Text(u"not fetched") : result.reason;
    failed.folder = pictures.folder();
    failed.fileName = pictures.fileName(i);
    failed.albumPosition = album.position;
    failed.pictureIndex = i;
    failed.retryable = RetryMayMend(result);
    failed.retryAfterSeconds = result.retryAfterSeconds;
    failed.fixFormat = (session.Album().Rule().options & OPT_FIX_FORMAT) != 0;
    failed.orderTime = orderNow > 0 ? orderNow - 60 * static_cast<std::int64_t>(i) : 0;
    retryable = retryable || failed.retryable;
    session.AddFailure(std::move(failed));
    lastFailed = static_cast<std::ptrdiff_t>(i);
  }
  // The album's marker is written again once the retry passes are over, this run's or a later retry's.
  if (retryable && !album.cancelled && !album.incomplete)
    session.NoteRetriedAlbum(album.position, {pictures.folder(), pictures.urls()});
  return lastFailed;
}

// Lists the album through the naming step until its last picture, the skip marker, a cancel or a page
// that cannot be read.
AlbumListing ListAlbum(RunSession& session, const ST_PERLISTRECORD& album) {
  const RunPlan& plan = session.Plan();
  if (plan.siteCode == kCrawledSiteCode) {
    if (!plan.listPictures) return AlbumListing{};
    const RunFlags& flags = session.Flags();
    PictureFoundFn found = [&session, &album](const PictureEntry& picture) {
      BuildPictureName(session, picture, album);
    };
    std::function<bool()> stop = [&flags] {
      std::uint8_t state = flags.State();
      return state == RUN_ALBUM_STOP || state == RUN_CANCEL;
    };
    return plan.listPictures(album, found, stop, RequestControl{flags.CancelToken(), &session.Pacer()});
  }
  if (plan.siteCode > kLastListedSiteCode) session.Events().ListTypeUnknown();
  return AlbumListing{};
}

// The album after its listing: its list file, or its download, skip marker and fixes. An album whose
// listing never reached its end gets no marker: the pictures it could not list are still to come.
void FetchAlbum(RunSession& session, const ST_PERLISTRECORD& album, AlbumTally& tally) {
  AlbumUnderWay& now = session.Album();
  const Text folder = now.Pictures().folder();
  if (now.Rule().options & OPT_LIST_ONLY) {
    WriteListFile(folder + AlbumSideFileName(album.title, u".lst"), now.Pictures().urls());
    tally.listOnly = true;
    return;
  }

  session.Events().AlbumDownloadBegun(folder, tally.listed);
  const std::vector<PictureResult> results = DownPicFunc(session);
  tally.cancelled = Cancelled(session.Flags());
  const std::int64_t orderNow = (now.Rule().options & OPT_FIX_ORDER) ? UnixNow(session) : 0;
  const std::ptrdiff_t lastFailed = TallyAlbum(session, results, album.title, tally, orderNow);
  if (tally.cancelled) {
    Trace("album cancelled: no skip marker");
  } else if (tally.incomplete) {
    Trace("album listing did not reach its end: no skip marker");
  } else {
    MarkAlbumDone(folder, now.Pictures().urls(), lastFailed);
  }
  if (now.Rule().options & OPT_FIX_FORMAT) {
    FixAlbumFormats(now.Pictures(), [&session, folder](std::size_t, const Text& before, const Text& after) {
      session.Journal().PictureRenamed(session.Album().Position(), folder, before, after);
    });
  }
  if (orderNow > 0) FixAlbumOrder(now.Pictures(), orderNow);
}

// "相册第3页读取失败: HTTP 500": the failure entry of an album page that could not be read, with all a
// retry needs to list the album again.
void AddUnreadPage(RunSession& session, const ST_PERLISTRECORD& album, const AlbumListing& listing,
                   AlbumTally& tally) {
  FailedPicture failed;
  failed.albumTitle = album.title;
  failed.url = listing.pageAddress;
  failed.reason = u"相册第" + DecimalText(listing.page) + u"页读取失败: " + listing.failure.reason;
  failed.pageUnread = true;
  failed.album = album;
  if (tally.listed > 0) failed.folder = session.Album().Pictures().folder();
  failed.albumPosition = tally.position;
  const PictureResult asRead = MakePictureResult(PictureOutcome::Failed, listing.failure.reason,
                                                 listing.failure.failure, listing.failure.httpStatus);
  failed.retryable = RetryMayMend(asRead);
  session.AddFailure(std::move(failed));
  ++tally.failed;
}

}  // namespace

AlbumTally RunAlbum(RunSession& session, const ST_PERLISTRECORD& album, std::size_t position, bool announce,
                    Text folderAgain) {
  if (announce) session.Events().AlbumBegun(position, session.Plan().albums.size());
  session.Journal().AlbumBegun(position);
  session.Flags().MarkBusy();
  session.StartAlbum(position, std::move(folderAgain));

  const AlbumListing listing = ListAlbum(session, album);
  AlbumTally tally;
  tally.position = position;
  tally.listed = session.Album().Pictures().size();
  tally.cancelled = Cancelled(session.Flags());
  tally.markerMet = session.Flags().State() == RUN_ALBUM_STOP;
  tally.incomplete = listing.end == AlbumListingEnd::Unreadable && !tally.cancelled;
  if (tally.listed > 0 && !tally.cancelled) {
    tally.fetched = true;
    FetchAlbum(session, album, tally);
  }
  if (tally.incomplete) AddUnreadPage(session, album, listing, tally);
  session.Journal().AlbumEnded(position, !tally.cancelled);
  return tally;
}

DownloadJob JobOfPlan(const RunPlan& plan) {
  DownloadJob job;
  job.runId = NewJobRunId();
  job.memberAddress = plan.memberAddress;
  job.savePath = plan.savePath;
  job.memberKey = plan.memberKey;
  job.subFolder = plan.subFolder;
  job.siteCode = plan.siteCode;
  job.listedAlbums = plan.listedAlbums;
  job.retries = plan.retries;
  job.rule = plan.nameRule ? plan.nameRule() : NameRule{};
  job.limits = plan.limits;
  for (const ST_PERLISTRECORD& album : plan.albums) job.albums.push_back(JobAlbum{album, JobAlbumState::Waiting, Text(), {}});
  return job;
}

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
  const RunPlan& plan = session.Plan();
  RunEvents& events = session.Events();
  RunFlags& flags = session.Flags();
  const Text savePath = TrimBlanks(plan.savePath);
  if (savePath.empty()) {
    flags.MarkIdle();
    events.RunRefused(RunRefusal::NoSavePath, Text());
    return;
  }
  const Text baseFolder = RunBaseFolder(savePath, plan.memberKey, plan.subFolder);
  Text failedFolder;
  if (!MakeFolderPath(baseFolder, &failedFolder)) {
    flags.MarkIdle();
    events.RunRefused(RunRefusal::FolderNotMade, failedFolder);
    return;
  }

  flags.MarkBusy();
  session.Begin(baseFolder);
  const bool retryOnly = !plan.retryOnly.empty();
  events.RunBegun(retryOnly ? 0 : plan.albums.size(), plan.retryOnly.size());
  // After RunBegun, so a job file that cannot be written is told as part of the run.
  session.Journal().Begin(plan.jobFolder, JobOfPlan(plan), plan.savedBefore);

  if (retryOnly) {
    RetryFailures(session, 1);
  } else {
    for (std::size_t i = 0; i < plan.albums.size() && !Cancelled(flags); ++i) {
      const AlbumTally tally = RunAlbum(session, plan.albums[i], i + 1, true);
      session.RecordAlbum(tally);
      events.AlbumEnded(tally);
    }
    for (int pass = 1; pass <= plan.retries && !Cancelled(flags); ++pass) {
      if (!RetryFailures(session, pass)) break;
    }
  }
  RemarkRetriedAlbums(session);

  const bool cancelled = Cancelled(flags);
  session.End(cancelled);
  session.Journal().RunEnded(cancelled);
  flags.MarkIdle();
  events.RunEnded(session.Tally());
}

}  // namespace albatrix
