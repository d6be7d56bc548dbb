// The download button, the "打开" button and the settings the download run reads: the controller's side
// of the download engine.
#include <chrono>

#include "MyCode/Trace.h"
#include "app/AlbatrixController.h"
#include "download/DownProc.h"
#include "model/PictureList.h"

namespace albatrix {

namespace {

// The run's view of the window: the controls it speaks to, through the controller's MainWindowView.
class DownloadRunView : public RunView {
 public:
  explicit DownloadRunView(MainWindowView& view) : view_(view) {}
  Text SavePathText() override { return view_.GetText(IDC_SAVE_PATH); }
  void SetText(int controlId, const Text& text) override { view_.SetText(controlId, text); }
  void Enable(int controlId, bool enabled) override { view_.Enable(controlId, enabled); }
  void Message(const Text& text) override { view_.Message(text); }
  std::vector<std::size_t> ChosenAlbums() override { return view_.ChosenAlbums(); }
  void OpenFolder(const Text& path) override { view_.OpenFolder(path); }
  void ShowProgress(std::int32_t done, std::size_t total) override { view_.ShowProgress(done, total); }

 private:
  MainWindowView& view_;
};

}  // namespace

void AlbatrixController::Download() {
  if (runFlags.runState.load() != RUN_IDLE) {
    CancelDownload();  // a run that has just ended meanwhile is not started again by this press
    return;
  }
  if (listingState.load() != PHASE_IDLE) {
    Trace("download: a listing is running; nothing started");
    return;
  }
  std::uint8_t idle = RUN_IDLE;
  if (!runFlags.runState.compare_exchange_strong(idle, RUN_BUSY)) {
    CancelDownload();
    return;
  }
  // The last run has returned to idle already; its thread ends at once.
  WaitForDownload();

  if (!downloadView_) downloadView_ = std::make_unique<DownloadRunView>(view_);
  session_ = std::make_unique<RunSession>(*downloadView_, runFlags, albums_, ThePictureList());
  RunSession& session = *session_;
  session.siteCode = siteCode;
  session.memberKey = MemberKey();
  session.subFolder = SubFolder();
  session.nameRule = [this] { return CurrentNameRule(); };
  session.limits = [this] { return CurrentLimits(); };
  session.listAlbum = [this](std::size_t albumIndex, const PictureSink& sink, const std::function<bool()>& stop) {
    ListAlbumPictures(albumIndex, sink, stop);
  };
  if (!StartThread(downloadThread_, [&session] {
        DownloadRun(session);
        Trace("download: the run ended");
      })) {
    runFlags.runState = RUN_IDLE;  // so that the next press starts a run instead of cancelling none
    view_.Message(u"Create thread:GetListFunc failed.");
  }
}

bool AlbatrixController::CancelDownload() { return runFlags.RequestCancel(); }

void AlbatrixController::WaitForDownload() {
  if (downloadThread_.joinable()) downloadThread_.join();
}

void AlbatrixController::OpenSaveFolder() {
  if (runFlags.downloading) {
    view_.OpenFolder(ThePictureList().folder());
    return;
  }
  Text path = view_.GetText(IDC_SAVE_PATH);
  if (!path.empty()) view_.OpenFolder(path);
}

AlbatrixController::DownloadSummary AlbatrixController::LastDownload() const {
  DownloadSummary summary;
  if (!session_) return summary;
  summary.started = session_->started;
  summary.albums = session_->albumsBegun;
  summary.listed = session_->totalListed;
  summary.saved = session_->picturesSaved;
  summary.leftOut = session_->picturesLeftOut;
  summary.failed = session_->picturesFailed;
  summary.failures = session_->failures;
  return summary;
}

NameRule AlbatrixController::CurrentNameRule() const {
  std::lock_guard<std::mutex> hold(settingsLock_);
  return settings_.nameRules.at(static_cast<std::size_t>(siteCode.load()));
}

DownloadLimits AlbatrixController::CurrentLimits() const {
  std::lock_guard<std::mutex> hold(settingsLock_);
  return settings_.downloadLimits.at(static_cast<std::size_t>(siteCode.load()));
}

SettingsBlock AlbatrixController::SettingsCopy() const {
  std::lock_guard<std::mutex> hold(settingsLock_);
  return settings_;
}

bool AlbatrixController::EditSettings(const std::function<void(SettingsBlock&)>& edit) {
  std::lock_guard<std::mutex> hold(settingsLock_);
  edit(settings_);
  return albatrix::SaveSettings(settings_, programFolder_);
}

bool AlbatrixController::AddSavePathHistory(TextView path) {
  if (!AddHistoryAndSave(HistoryKind::SavePath, path)) return false;
  view_.AddCandidate(IDC_SAVE_PATH, Text(path));
  return true;
}

}  // namespace albatrix
