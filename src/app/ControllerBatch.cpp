// The "<导入/导出>" commands: a job file saved from the current listing, a run over several job files one
// member after another, and one list file of the chosen albums' picture addresses.
#include <algorithm>
#include <string>

#include "MyCode/Trace.h"
#include "app/AlbatrixController.h"
#include "app/JobBatch.h"
#include "app/JobPlans.h"
#include "download/AlbumFiles.h"
#include "download/DownProc.h"
#include "discovery/SiteRecognition.h"

namespace albatrix {

bool AlbatrixController::ExportJob(const Text& file, const DownloadRequest& request, bool chosenOnly) {
  if (Listing() || Albums().empty()) {
    Trace("export job: no listing to save");
    return false;
  }
  // The job the download button would start now, as the run's own job file keeps it.
  DownloadJob job = JobOfPlan(MakeRunPlan(request));
  job.allAlbums = !chosenOnly;
  if (!chosenOnly) {
    job.albums.clear();
  } else if (job.albums.empty()) {
    Trace("export job: no album chosen");
    return false;
  }
  return WriteJobFileAt(file, job);
}

bool AlbatrixController::RunJobFiles(std::vector<Text> files) {
  if (files.empty() || Listing() || Filling() || !states_.Begin(Activity::Running)) {
    Trace("job files: a listing or a run is under way, or no file was given; nothing started");
    return false;
  }
  WaitForDownload();
  ShowInput(InputBusy::Running);
  if (!runs_.Start([this, files = std::move(files)] {
        RunBatch(files);
        Trace("job files: the batch ended");
      })) {
    ShowInput(InputBusy::None);
    states_.End(Activity::Running);
    view_.Message(u"Create thread:GetListFunc failed.");
    return false;
  }
  return true;
}

bool AlbatrixController::LoadMemberOfJob(DownloadJob& job, std::size_t position, std::size_t count, Text& problem) {
  ClearListing();
  siteCode_ = job.siteCode;
  member_.SetFolders(job.memberKey, job.subFolder);
  if (job.allAlbums) {
    member_.LowerStop();
    view_.SetText(Control::Status, BatchPlaceText(position, count) + u"，正在获取相册列表，请稍等...");
    const ListingResult result = ListInto(job.memberAddress);
    if (runs_.StopRaised()) return false;
    if (Albums().empty()) {
      problem = result.end == ListingEnd::Unreadable && !result.failure.reason.empty() ? UnreadListText(result)
                                                                                       : Text(u"没有获取到相册");
      return false;
    }
    job.memberKey = MemberFolderText(result.memberKey);
    job.subFolder.clear();
    job.listedAlbums = Albums().size();
    job.albums.clear();
    for (std::size_t i = 0; i < Albums().size(); ++i) job.albums.push_back(JobAlbum{Albums()[i], JobAlbumState::Waiting, {}, {}});
  } else {
    for (const JobAlbum& album : job.albums) AppendAlbum(album.record);
  }
  ShowJobMember(job);
  return true;
}

void AlbatrixController::RunBatch(const std::vector<Text>& files) {
  // Read up front, so the bar knows from the start how many pictures the chosen albums of every member hold.
  std::vector<JobFileRead> reads;
  for (const Text& file : files) reads.push_back(ReadJobFileAt(file));
  auto picturesOf = [](const JobFileRead& read) {
    std::size_t n = 0;
    if (read.state == JobFileState::Ready)
      for (const JobAlbum& album : read.job.albums) n += static_cast<std::size_t>(std::max<std::int32_t>(album.record.pictureCount, 0));
    return n;
  };
  std::size_t toCome = 0;
  for (const JobFileRead& read : reads) toCome += picturesOf(read);

  RunTally batch;
  std::vector<SkippedJob> skipped;
  for (std::size_t k = 0; k < files.size() && !runs_.StopRaised(); ++k) {
    const Text& file = files[k];
    JobFileRead& read = reads[k];
    toCome -= picturesOf(read);
    Text problem = JobFileProblemText(read, SITE_CODE_HUPU);
    downloadPresenter_.BeginBatchMember(BatchPlaceText(k + 1, files.size()), toCome);
    DownloadJob& job = read.job;
    if (problem.empty() && !LoadMemberOfJob(job, k + 1, files.size(), problem) && problem.empty()) break;  // a stop while listing
    if (!problem.empty()) {
      Trace("job file skipped: " + TextToUtf8(file) + ": " + TextToUtf8(problem));
      skipped.push_back({file, problem});
      continue;
    }
    job.runId = NewJobRunId();
    std::vector<std::size_t> albumIndices;
    for (std::size_t i = 0; i < Albums().size(); ++i) albumIndices.push_back(i);
    // Albums an interrupted run of this member had begun go on from the pictures it saved.
    RunPlan plan = PlanOfJob(job, AlbumCrawler(), programFolder_);
    plan.savedBefore = PicturesOfUnfinishedAlbums(ReadJobFile(programFolder_), plan.albums);
    view_.ChooseAllAlbums();
    downloadPresenter_.BeginRun(std::move(albumIndices), plan.albums);
    MemberRunEvents events(downloadPresenter_);
    DownloadRun(runs_.NewSession(std::move(plan), events, true));
    if (!events.Refusal().empty()) skipped.push_back({file, events.Refusal()});
    AddMemberRun(batch, events.Ended(), job.memberAddress);
    downloadPresenter_.MemberRunEnded(events.Ended());
  }
  downloadPresenter_.EndBatch();
  runs_.EndBatch(batch);
  if (!skipped.empty()) view_.Message(SkippedJobsText(skipped), Text(kPromptCaption));
  downloadPresenter_.RunEnded(batch);
}

bool AlbatrixController::ExportPictureList(const Text& file, const std::vector<std::size_t>& albums) {
  if (Listing() || Filling() || !states_.Begin(Activity::Running)) {
    Trace("picture list: a listing or a run is under way; nothing started");
    return false;
  }
  WaitForDownload();
  std::vector<ST_PERLISTRECORD> chosen;
  for (std::size_t index : albums)
    if (index < Albums().size()) chosen.push_back(Albums()[index]);
  pictureListWritten_ = false;
  ShowInput(InputBusy::Running);
  if (!runs_.Start([this, file, chosen = std::move(chosen)] { WritePictureList(file, chosen); })) {
    ShowInput(InputBusy::None);
    states_.End(Activity::Running);
    view_.Message(u"Create thread:GetListFunc failed.");
    return false;
  }
  return true;
}

void AlbatrixController::WritePictureList(const Text& file, const std::vector<ST_PERLISTRECORD>& albums) {
  view_.SetText(Control::Download, u"终止下载");
  TextArray urls;
  const ListPicturesFn list = AlbumCrawler();
  RequestPacer pacer;
  std::size_t unread = 0;
  for (std::size_t i = 0; i < albums.size() && !runs_.StopRaised(); ++i) {
    view_.SetText(Control::Status, u"正在读取第" + DecimalText(i + 1) + u"/" + DecimalText(albums.size()) + u"个图集");
    const AlbumListing listing = list(
        albums[i], [&](const PictureEntry& picture) { urls.push_back(picture.url); },
        [this] { return runs_.StopRaised(); }, RequestControl{runs_.StopFlag(), &pacer});
    if (listing.end == AlbumListingEnd::Unreadable) ++unread;
    view_.SetText(Control::Progress, u"已获取到" + DecimalText(urls.size()) + u"张图片信息");
  }
  Text status;
  if (runs_.StopRaised()) {
    status = u"已停止，没有导出迅雷下载列表";
  } else if (!WriteListFile(file, urls)) {
    status = u"迅雷下载列表无法写入：" + file;
  } else {
    pictureListWritten_ = true;
    status = u"已导出 " + DecimalText(urls.size()) + u" 个图片地址到 " + file;
    if (unread > 0) status += u"（" + DecimalText(unread) + u" 个相册没有读完）";
  }
  view_.SetText(Control::Download, u"下载");
  view_.SetText(Control::Status, status);
  view_.SetText(Control::Progress, Text());
  Trace("picture list: " + TextToUtf8(status));
  ShowInput(InputBusy::None);
  states_.End(Activity::Running);
}

}  // namespace albatrix
