// The controller's side of the job file: the start-up question about a run that did not end, and going
// on with such a run.
#include "MyCode/FileSystem.h"
#include "MyCode/Trace.h"
#include "app/AlbatrixController.h"
#include "app/JobPlans.h"
#include "discovery/SiteRecognition.h"

namespace albatrix {

Text AlbatrixController::JobProblem(const DownloadJob& job) const {
  if (job.albums.empty()) return u"上次的下载文件没有相册";
  if (job.siteCode != SITE_CODE_HUPU) return u"上次的下载文件不是虎扑相册的";
  const Text savePath = TrimBlanks(job.savePath);
  // A save folder that is gone may have been a drive that is not there now: no run into another place.
  if (savePath.empty() || !FolderExists(savePath)) return u"上次下载的保存路径已不存在：" + savePath;
  return Text();
}

void AlbatrixController::OfferUnfinishedRun() {
  const JobFileRead read = ReadJobFile(programFolder_);
  if (read.state == JobFileState::None) return;
  Text problem = read.state == JobFileState::Damaged ? u"上次的下载文件无法读取（" + read.problem + u"）"
                                                     : JobProblem(read.job);
  if (!problem.empty()) {
    const Text aside = SetJobFileAside(programFolder_);
    Trace("job file set aside: " + TextToUtf8(problem));
    view_.Message(problem + (aside.empty() ? Text(u"，已删除。") : u"，已移到 " + aside + u"。"), Text(kPromptCaption));
    return;
  }
  const bool goOn = view_.Message(ResumeQuestionText(read.job), Text(kPromptCaption), MessageButtons::YesNo);
  // Answered once: the run that goes on writes a file of its own, and a "否" wants it gone.
  RemoveJobFile(programFolder_);
  if (goOn && !ResumeJob(read.job)) Trace("resume: a listing or a run is under way; nothing started");
}

void AlbatrixController::ShowJobMember(const DownloadJob& job) {
  view_.RefreshGrid();
  view_.SetText(Control::GridFrame, GridFrameText(Albums().size()));
  view_.SetText(Control::Member, job.memberAddress);
  view_.SetText(Control::SavePath, job.savePath);
  member_.SetFolders(job.memberKey, job.subFolder);
  member_.SetAddress(job.memberAddress);
}

bool AlbatrixController::ResumeJob(const DownloadJob& job) {
  if (Listing() || Filling() || !states_.Begin(Activity::Running)) return false;
  WaitForDownload();
  ClearListing();
  for (const JobAlbum& album : job.albums) AppendAlbum(album.record);
  ShowJobMember(job);
  view_.ChooseAllAlbums();
  std::vector<std::size_t> albumIndices;
  for (std::size_t i = 0; i < job.albums.size(); ++i) albumIndices.push_back(i);
  StartRun(PlanOfJob(job, AlbumCrawler(), programFolder_), std::move(albumIndices));
  return true;
}

}  // namespace albatrix
