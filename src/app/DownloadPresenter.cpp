#include "app/DownloadPresenter.h"

#include <algorithm>
#include <string>

#include "app/RunOutcomeTexts.h"

namespace albatrix {

DownloadPresenter::DownloadPresenter(MainWindowView& view, std::function<void(const RunTally*)> ended)
    : view_(view), ended_(std::move(ended)) {}

Text DownloadPresenter::DownloadingFolder() const {
  std::lock_guard<std::mutex> hold(lock_);
  return downloadingFolder_;
}

void DownloadPresenter::SetDownloadingFolder(Text folder) {
  std::lock_guard<std::mutex> hold(lock_);
  downloadingFolder_ = std::move(folder);
}

void DownloadPresenter::BeginRun(std::vector<std::size_t> albumIndices, const std::vector<ST_PERLISTRECORD>& albums) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    runAlbums_ = std::move(albumIndices);
  }
  std::lock_guard<std::mutex> hold(figureLock_);
  listedCounts_.clear();
  for (const ST_PERLISTRECORD& album : albums) listedCounts_.push_back(album.pictureCount);
}

std::size_t DownloadPresenter::RunPictures() const {
  std::size_t total = listedBefore_ + listedNow_;
  // An album counts with what its listing said until its own list is complete, and with no less than
  // that while it is being listed, so the bar's end does not jump back and forth.
  auto listed = [this](std::size_t position) {
    const std::int32_t count = position >= 1 && position <= listedCounts_.size() ? listedCounts_[position - 1] : 0;
    return static_cast<std::size_t>(std::max<std::int32_t>(count, 0));
  };
  if (position_ >= 1 && !listComplete_) total = listedBefore_ + std::max(listedNow_, listed(position_));
  for (std::size_t later = position_ + 1; later <= listedCounts_.size(); ++later) total += listed(later);
  return total;
}

std::size_t DownloadPresenter::RunPicturesEnded() const { return endedBefore_ + endedNow_; }

void DownloadPresenter::ShowRunFigure(bool withPace) {
  // A batch's members before this one are whole, those after it count what their listings said.
  const std::size_t total = batch_.ended + RunPictures() + batch_.toCome;
  const std::size_t ended = batch_.ended + RunPicturesEnded();
  view_.ShowProgress(static_cast<std::int32_t>(std::min<std::size_t>(ended, INT32_MAX)), total);
  if (!withPace) return;
  if (std::optional<Text> pace = pace_.PicturesEnded(ended, total, RateLabel::Clock::now())) {
    view_.SetText(Control::Rate, *pace);
    paceShown_ = true;
  }
}

void DownloadPresenter::ClearPace() {
  pace_.Reset();
  if (!paceShown_) return;
  paceShown_ = false;
  view_.SetText(Control::Rate, Text());
}

Text DownloadPresenter::ResultOf(std::size_t albumIndex) const {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = results_.find(albumIndex);
  return it == results_.end() ? Text() : it->second;
}

void DownloadPresenter::ForgetResults() {
  std::lock_guard<std::mutex> hold(lock_);
  results_.clear();
}

void DownloadPresenter::BeginBatchMember(Text place, std::size_t picturesToCome) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    batchPlace_ = std::move(place);
  }
  std::lock_guard<std::mutex> hold(figureLock_);
  batch_.active = true;
  batch_.toCome = picturesToCome;
}

void DownloadPresenter::MemberRunEnded(const RunTally& tally) {
  {
    std::lock_guard<std::mutex> hold(figureLock_);
    batch_.ended += static_cast<std::size_t>(std::max<std::int64_t>(tally.listed, 0));
  }
  view_.ShowResultColumn();
}

void DownloadPresenter::EndBatch() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    batchPlace_.clear();
  }
  std::lock_guard<std::mutex> hold(figureLock_);
  batch_ = BatchFigure{};
}

void DownloadPresenter::SetStatus(const Text& text) {
  Text place;
  {
    std::lock_guard<std::mutex> hold(lock_);
    place = batchPlace_;
  }
  view_.SetText(Control::Status, place.empty() ? text : place + u"，" + text);
}

void DownloadPresenter::RunRefused(RunRefusal why, const Text& folder) {
  if (why == RunRefusal::NoSavePath) {
    view_.Message(u"请先设置保存路径");
  } else {
    view_.Message(folder);
    view_.Message(u"请检测设置的保存路径是否有误");
  }
  if (ended_) ended_(nullptr);
}

void DownloadPresenter::RunBegun(std::size_t albumCount, std::size_t retryCount) {
  {
    std::lock_guard<std::mutex> hold(figureLock_);
    position_ = listedBefore_ = endedBefore_ = listedNow_ = endedNow_ = 0;
    listComplete_ = false;
    retrying_ = retryCount > 0;
    if (!batch_.active) pace_.Reset();  // a batch keeps its pace from member to member
  }
  view_.SetText(Control::Download, u"终止下载");
  view_.Show(Control::FailuresLink, false);
  if (albumCount == 0 && retryCount == 0) view_.Message(u"请先选择要下载的相册");
}

void DownloadPresenter::AlbumBegun(std::size_t position, std::size_t albumCount) {
  {
    std::lock_guard<std::mutex> hold(figureLock_);
    position_ = position;
    listedNow_ = endedNow_ = 0;
    listComplete_ = false;
  }
  SetStatus(u"正在下载第" + DecimalText(position) + u"/" + DecimalText(albumCount) + u"个图集");
  view_.SetText(Control::Progress, u"......");
}

void DownloadPresenter::ListTypeUnknown() { view_.Message(u"Error ListType Code."); }

void DownloadPresenter::PictureListed(std::size_t count) {
  {
    // A retry pass counts an album listed again once its pictures go to the workers.
    std::lock_guard<std::mutex> hold(figureLock_);
    if (!retrying_) listedNow_ = count;
  }
  view_.SetText(Control::Progress, u"已获取到" + DecimalText(count) + u"张图片信息");
}

void DownloadPresenter::AlbumDownloadBegun(const Text& folder, std::size_t total) {
  SetDownloadingFolder(folder);
  view_.SetText(Control::Progress, u"已开始下载图片");
  std::lock_guard<std::mutex> hold(figureLock_);
  if (retrying_) {
    // A pass's pictures of one folder after another's: the pass goes on, the count begins anew.
    listedBefore_ += listedNow_;
    endedBefore_ += endedNow_;
    endedNow_ = 0;
  }
  listedNow_ = total;
  listComplete_ = true;
  ShowRunFigure(false);
}

void DownloadPresenter::PicturesEnded(std::size_t done, std::size_t total) {
  view_.SetText(Control::Progress, u"已下载" + DecimalText(done) + u"/" + DecimalText(total) + u"......");
  std::lock_guard<std::mutex> hold(figureLock_);
  endedNow_ = done;
  ShowRunFigure(true);
}

void DownloadPresenter::HoldBegun(long long seconds) {
  view_.SetText(Control::Progress, u"服务器要求暂停 " + DecimalText(seconds) + u" 秒");
}

void DownloadPresenter::JobFileUnwritable(const Text& path) {
  view_.WarnJobFileUnwritable(path, u"无法写入下载记录文件，中断后将无法从中断处继续下载");
}

void DownloadPresenter::RetryPassBegun(int pass, std::size_t pictures, long long waitSeconds) {
  {
    // The bar and the pace count the pass's pictures; the pace of the run before its wait is no guide.
    std::lock_guard<std::mutex> hold(figureLock_);
    retrying_ = true;
    position_ = listedBefore_ = endedBefore_ = listedNow_ = endedNow_ = 0;
    listedCounts_.clear();
    listComplete_ = true;
    ClearPace();
  }
  SetStatus(u"正在重试失败的图片(第" + DecimalText(pass) + u"轮，共" + DecimalText(pictures) + u"张)");
  view_.SetText(Control::Progress, DecimalText(waitSeconds) + u"秒后开始重试");
}

void DownloadPresenter::AlbumEnded(const AlbumTally& tally) {
  SetDownloadingFolder(Text());
  {
    // The album's pictures move behind it; a list file counts them all as done. An album coming again
    // after a retry pass changes nothing here: the pass counts its own pictures.
    std::lock_guard<std::mutex> hold(figureLock_);
    if (!retrying_ && tally.position == position_) {
      listedBefore_ += tally.listed;
      endedBefore_ += tally.listOnly ? tally.listed : endedNow_;
      listedNow_ = endedNow_ = 0;
      listComplete_ = true;
      ShowRunFigure(false);
    }
  }
  std::size_t albumIndex = 0;
  const Text result = AlbumResultText(tally);
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (tally.position == 0 || tally.position > runAlbums_.size()) return;
    albumIndex = runAlbums_[tally.position - 1];
    results_[albumIndex] = result;
  }
  view_.SetAlbumResult(albumIndex, result);
}

void DownloadPresenter::RunEnded(const RunTally& tally) {
  {
    std::lock_guard<std::mutex> hold(figureLock_);
    ClearPace();
  }
  view_.SetText(Control::Download, u"下载");
  // A run with failures says how many, beside the link that lists them.
  const Text summary = RunSummaryText(tally);
  view_.SetText(Control::Status, tally.failed > 0 ? summary : Text(u"下载完毕"));
  view_.Show(Control::FailuresLink, tally.failed > 0);
  view_.SetText(Control::Progress, Text());
  view_.ShowProgress(0, 0);
  view_.ShowResultColumn();
  view_.NotifyRunEnded(summary);
  if (ended_) ended_(&tally);
}

}  // namespace albatrix
