#include "app/JobBatch.h"

namespace albatrix {

Text BatchPlaceText(std::size_t position, std::size_t count) {
  return u"成员 " + DecimalText(position) + u"/" + DecimalText(count);
}

Text JobFileProblemText(const JobFileRead& read, int supportedSiteCode) {
  if (read.state == JobFileState::None) return u"无法打开";
  if (read.state == JobFileState::Damaged) return u"不是可用的下载文件（" + read.problem + u"）";
  const DownloadJob& job = read.job;
  if (job.siteCode != supportedSiteCode) return u"不是虎扑相册的下载文件";
  if (TrimBlanks(job.memberAddress).empty()) return u"没有成员地址";
  if (TrimBlanks(job.savePath).empty()) return u"没有保存路径";
  if (!job.allAlbums && job.albums.empty()) return u"没有相册";
  return Text();
}

Text SkippedJobsText(const std::vector<SkippedJob>& skipped) {
  Text text = u"以下下载文件没有下载：";
  for (const SkippedJob& job : skipped) text += u"\r\n" + job.file + u"：" + job.problem;
  return text;
}

void AddMemberRun(RunTally& batch, const RunTally& run, const Text& member) {
  batch.started = batch.started || run.started;
  batch.albums += run.albums;
  batch.listed += run.listed;
  batch.saved += run.saved;
  batch.leftOut += run.leftOut;
  batch.failed += run.failed;
  for (FailedPicture failure : run.failures) {
    failure.member = member;
    batch.failures.push_back(std::move(failure));
  }
  batch.cancelled = batch.cancelled || run.cancelled;
  if (run.listed > 0) batch.lastFolder = run.lastFolder;
}

void MemberRunEvents::RunRefused(RunRefusal why, const Text& folder) {
  refusal_ = why == RunRefusal::NoSavePath ? Text(u"没有保存路径") : u"保存路径无法建立：" + folder;
}

}  // namespace albatrix
