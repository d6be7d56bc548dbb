// The download button, the "打开" button and the settings the download run reads: the controller's side
// of the download engine.
#include <chrono>

#include "MyCode/FileSystem.h"
#include "MyCode/Trace.h"
#include "app/AlbatrixController.h"
#include "app/JobPlans.h"
#include "app/StartupRules.h"
#include "download/DownProc.h"
#include "discovery/AlbumPhotoCrawler.h"

namespace albatrix {

RunPlan AlbatrixController::MakeRunPlan(const DownloadRequest& request, std::vector<std::size_t>* albumIndices) {
  RunPlan plan;
  for (std::size_t index : request.albums) {
    if (index < Albums().size()) {
      plan.albums.push_back(Albums()[index]);
      if (albumIndices) albumIndices->push_back(index);
    } else {
      Trace("chosen album " + std::to_string(index) + " is not in the list");
    }
  }
  plan.listedAlbums = Albums().size();
  // Blanks around the text are no part of the path, and blanks alone name none (the run refuses it). A
  // relative path is kept as the whole one it means here, so the job file names the same folder from
  // wherever the run goes on.
  const Text typed = TrimBlanks(request.savePath);
  plan.savePath = typed.empty() ? typed : TypedFolderPath(typed, CurrentFolder());
  plan.memberKey = member_.MemberKey();
  plan.subFolder = member_.SubFolder();
  plan.siteCode = siteCode_;
  plan.nameRule = [this] { return CurrentNameRule(); };
  plan.limits = CurrentLimits();
  plan.listPictures = AlbumCrawler();
  plan.retries = request.retries;
  plan.jobFolder = programFolder_;
  plan.memberAddress = member_.Address();
  return plan;
}

ListPicturesFn AlbatrixController::AlbumCrawler() const {
  return [profile = profile_](const ST_PERLISTRECORD& album, const PictureFoundFn& found,
                              const std::function<bool()>& stop, const RequestControl& control) {
    return ListAlbumPictures(profile, album.albumPath, found, stop, control.abort, control.pacer);
  };
}

void AlbatrixController::Download(const DownloadRequest& request) {
  if (Running()) {
    CancelDownload();  // a run that has just ended meanwhile is not started again by this press
    return;
  }
  if (Listing()) {
    Trace("download: a listing is running; nothing started");
    return;
  }
  if (!states_.Begin(Activity::Running)) {
    CancelDownload();
    return;
  }
  // The last run has shown its end already; its thread ends at once.
  WaitForDownload();
  std::vector<std::size_t> albumIndices;
  RunPlan plan = MakeRunPlan(request, &albumIndices);
  lastRequest_ = request;
  // An album an interrupted run had begun goes on from the pictures it saved.
  plan.savedBefore = PicturesOfUnfinishedAlbums(ReadJobFile(programFolder_), plan.albums);
  StartRun(std::move(plan), std::move(albumIndices));
}

void AlbatrixController::RetryFailures() {
  if (Listing() || !states_.Begin(Activity::Running)) {
    Trace("retry: a listing or a run is under way; nothing started");
    return;
  }
  WaitForDownload();
  if (runs_.LastWasBatch()) {
    // The failures of a batch belong to several members' folders and rules; running its job files
    // again fetches what is missing.
    states_.End(Activity::Running);
    view_.Message(u"多个成员的失败图片请重新导入下载文件来下载", Text(kPromptCaption));
    return;
  }
  // The save path and the passes of the run whose failures these are.
  RunPlan plan = MakeRunPlan(DownloadRequest{{}, lastRequest_.savePath, lastRequest_.retries});
  // A retry is no run to go on with: it keeps no job file of its own.
  plan.jobFolder.clear();
  if (const RunSession* last = runs_.LastSession()) {
    plan.retryOnly = last->Tally().failures;
    plan.retryAlbums = last->AlbumTallies();
    plan.retriedAlbums = last->RetriedAlbums();
    plan.savedBefore = last->Journal().KnownPictures();
  }
  if (plan.retryOnly.empty()) {
    states_.End(Activity::Running);
    return;
  }
  StartRun(std::move(plan), lastRunAlbums_);
}

void AlbatrixController::ShowFailures() {
  if (Running()) return;  // the list is the run's own until it has ended
  view_.ShowFailureList(LastDownload().failures);
}

void AlbatrixController::StartRun(RunPlan plan, std::vector<std::size_t> albumIndices) {
  ShowInput(InputBusy::Running);
  lastRunAlbums_ = albumIndices;
  downloadPresenter_.BeginRun(std::move(albumIndices), plan.albums);
  RunSession& session = runs_.NewSession(std::move(plan), downloadPresenter_);
  if (!runs_.Start([&session] {
        DownloadRun(session);
        Trace("download: the run ended");
      })) {
    ShowInput(InputBusy::None);
    states_.End(Activity::Running);  // so that the next press starts a run instead of cancelling none
    view_.Message(u"Create thread:GetListFunc failed.");
  }
}

void AlbatrixController::DownloadEnded(const RunTally* tally) {
  // The rule is read as the run ends: the user may have changed it while the run went on.
  if (tally && tally->listed > 0 && (CurrentNameRule().options & OPT_OPEN_FOLDER)) view_.OpenFolder(tally->lastFolder);
  // Shown before the state ends: the next command may begin the moment after, and its look must come last.
  ShowInput(InputBusy::None);
  states_.End(Activity::Running);
}

bool AlbatrixController::CancelDownload() {
  if (!Running()) return false;
  const RunKeeper::Stopped stopped = runs_.Stop();
  if (stopped.first) member_.RaiseStop();  // a batch may be listing a member now
  return stopped.runAsked;
}

void AlbatrixController::WaitForDownload() {
  runs_.Wait();
}

void AlbatrixController::OpenSaveFolder(const Text& savePathText) {
  Text folder = downloadPresenter_.DownloadingFolder();
  if (folder.empty()) folder = savePathText;
  if (!folder.empty()) view_.OpenFolder(folder);
}

RunTally AlbatrixController::LastDownload() const {
  return runs_.LastTally();
}

NameRule AlbatrixController::CurrentNameRule() const { return settings_.NameRuleOf(siteCode_.load()); }

DownloadLimits AlbatrixController::CurrentLimits() const { return settings_.LimitsOf(siteCode_.load()); }

SettingsBlock AlbatrixController::SettingsCopy() const { return settings_.Copy(); }

bool AlbatrixController::EditSettings(const std::function<void(SettingsBlock&)>& edit) { return settings_.Edit(edit); }

bool AlbatrixController::AddSavePathHistory(TextView path) {
  if (!AddHistoryAndSave(HistoryKind::SavePath, path)) return false;
  view_.AddCandidate(Control::SavePath, Text(path));
  return true;
}

}  // namespace albatrix
