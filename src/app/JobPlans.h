// How a job file meets a run: the plan that goes on with an interrupted run, and the pictures an
// unfinished job already saved for albums a new run takes again.
#pragma once

#include <vector>

#include "download/RunPlan.h"
#include "model/DownloadJob.h"

namespace albatrix {

// The plan of `job` as it was (albums, save path, member folders, site, rule, limits, retries), every
// picture it saved known as saved; `listPictures` lists an album's pictures. The job file stays in
// `jobFolder`.
RunPlan PlanOfJob(const DownloadJob& job, ListPicturesFn listPictures, Text jobFolder);

// The pictures that `read` (when Ready) saved for albums it had begun but not finished, each given the
// position in `albums` of the album with the same address (0 when the new run has none).
std::vector<KnownPicture> PicturesOfUnfinishedAlbums(const JobFileRead& read, const std::vector<ST_PERLISTRECORD>& albums);

// "上次的下载没有完成（N 个相册，已保存 S 张图片）。是否继续？"
Text ResumeQuestionText(const DownloadJob& job);

}  // namespace albatrix
