#include "app/JobPlans.h"

namespace albatrix {

RunPlan PlanOfJob(const DownloadJob& job, ListPicturesFn listPictures, Text jobFolder) {
  RunPlan plan;
  for (const JobAlbum& album : job.albums) plan.albums.push_back(album.record);
  plan.listedAlbums = job.listedAlbums;
  plan.savePath = job.savePath;
  plan.memberKey = job.memberKey;
  plan.subFolder = job.subFolder;
  plan.siteCode = job.siteCode;
  plan.nameRule = [rule = job.rule] { return rule; };
  plan.limits = job.limits;
  plan.listPictures = std::move(listPictures);
  plan.retries = job.retries;
  plan.jobFolder = std::move(jobFolder);
  plan.memberAddress = job.memberAddress;
  for (std::size_t i = 0; i < job.albums.size(); ++i)
    for (const JobPicture& picture : job.albums[i].saved) plan.savedBefore.push_back({i + 1, job.albums[i].folder, picture});
  return plan;
}

std::vector<KnownPicture> PicturesOfUnfinishedAlbums(const JobFileRead& read, const std::vector<ST_PERLISTRECORD>& albums) {
  std::vector<KnownPicture> known;
  if (read.state != JobFileState::Ready) return known;
  for (const JobAlbum& album : read.job.albums) {
    if (album.state != JobAlbumState::Begun || album.folder.empty()) continue;
    std::size_t position = 0;
    for (std::size_t i = 0; i < albums.size() && position == 0; ++i)
      if (albums[i].albumPath == album.record.albumPath) position = i + 1;
    for (const JobPicture& picture : album.saved) known.push_back({position, album.folder, picture});
  }
  return known;
}

Text ResumeQuestionText(const DownloadJob& job) {
  return u"上次的下载没有完成（" + DecimalText(job.albums.size()) + u" 个相册，已保存 " + DecimalText(job.SavedCount()) +
         u" 张图片）。是否继续？";
}

}  // namespace albatrix
