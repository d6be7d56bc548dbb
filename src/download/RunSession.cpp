#include "download/RunSession.h"

#include <algorithm>
#include <system_error>

#include "MyCode/FileOps.h"
#include "MyCode/Trace.h"
#include "download/RetryPass.h"

namespace albatrix {

void RunFlags::MarkBusy() {
  std::uint8_t state = runState_.load();
  while (state != RUN_CANCEL && !runState_.compare_exchange_weak(state, RUN_BUSY)) {
  }
}

void RunFlags::StopAlbum() {
  std::uint8_t busy = RUN_BUSY;
  runState_.compare_exchange_strong(busy, RUN_ALBUM_STOP);
}

bool RunFlags::RequestCancel() {
  std::uint8_t state = runState_.load();
  while (state != RUN_IDLE) {
    if (runState_.compare_exchange_weak(state, RUN_CANCEL)) {
      cancel_ = true;
      return true;
    }
  }
  return false;
}

void AlbumUnderWay::Start(std::size_t position, NameRule rule, const Text& baseFolder, Text folderAgain) {
  position_ = position;
  folderAgain_ = std::move(folderAgain);
  rule_ = std::move(rule);
  skipMarker_.clear();
  takenNames_.Clear();
  pictures_.Clear();
  pictures_.SetFolder(baseFolder);
}

void AlbumUnderWay::EnterFolder(const Text& folder, Text skipMarker) {
  pictures_.SetFolder(folder);
  skipMarker_ = std::move(skipMarker);
  takenNames_.Clear();
}

void AlbumUnderWay::Add(const Text& url, const Text& fileName) {
  pictures_.Append(url, fileName, Text());  // this site's pictures need no header of their own
  takenNames_.Add(fileName);
}

RunSession::RunSession(RunPlan plan, RunEvents& events)
    : plan_(std::move(plan)), events_(events), pacer_(WaitClockOf(plan_)) {
  pacer_.onHold = [this](long long seconds) { events_.HoldBegun(seconds); };
  journal_.onUnwritable = [this](const Text& path) { events_.JobFileUnwritable(path); };
}

void RunSession::Begin(const Text& baseFolder) {
  baseFolder_ = baseFolder;
  tally_.started = true;
  tally_.failures = plan_.retryOnly;
  tally_.failed = static_cast<std::int64_t>(tally_.failures.size());
  albumTallies_ = plan_.retryAlbums;
  retriedAlbums_ = plan_.retriedAlbums;
}

void RunSession::StartAlbum(std::size_t position, Text folderAgain) {
  album_.Start(position, plan_.nameRule ? plan_.nameRule() : NameRule{}, baseFolder_, std::move(folderAgain));
}

Text RunSession::ClaimAlbumFolder(const Text& name) {
  // Titles are unique, but prefix, suffix and the length cap can still make two albums' folders one,
  // and a file system that ignores case makes "Trip" and "trip" one too.
  Text claimed = FirstFreeNumberedName(
      name, [this](const Text& taken) { return albumFolders_.Contains(taken); },
      [](TextView base, TextView number) { return FitNameToPlatform(base, number); });
  albumFolders_.Add(claimed);
  return claimed;
}

void RunSession::AddFailure(FailedPicture failure) { tally_.failures.push_back(std::move(failure)); }

void RunSession::NoteRetriedAlbum(std::size_t position, RetriedAlbum album) {
  retriedAlbums_[position] = std::move(album);
}

void RunSession::AddFigures(const AlbumTally& tally, int sign) {
  tally_.listed += sign * static_cast<std::int64_t>(tally.fetched ? tally.listed : 0);
  tally_.saved += sign * static_cast<std::int64_t>(tally.saved);
  tally_.leftOut += sign * static_cast<std::int64_t>(tally.leftOut);
  tally_.failed += sign * static_cast<std::int64_t>(tally.failed);
}

void RunSession::RecordAlbum(const AlbumTally& tally) {
  ++tally_.albums;
  AddFigures(tally, 1);
  albumTallies_.push_back(tally);
}

void RunSession::ForgetAlbum(std::size_t position) {
  std::vector<FailedPicture>& failures = tally_.failures;
  failures.erase(std::remove_if(failures.begin(), failures.end(),
                                [position](const FailedPicture& f) { return f.albumPosition == position; }),
                 failures.end());
  if (position > 0 && position <= albumTallies_.size()) AddFigures(albumTallies_[position - 1], -1);
  retriedAlbums_.erase(position);
}

bool RunSession::RecordAlbumAgain(const AlbumTally& tally) {
  AddFigures(tally, 1);
  if (tally.position == 0 || tally.position > albumTallies_.size()) return false;
  albumTallies_[tally.position - 1] = tally;
  return true;
}

std::set<std::size_t> RunSession::RecordRetry(const std::vector<std::size_t>& retried,
                                              const std::vector<PictureResult>& results) {
  std::vector<FailedPicture>& failures = tally_.failures;
  std::set<std::size_t> changed;
  std::vector<bool> mended(failures.size(), false);
  for (std::size_t k = 0; k < retried.size() && k < results.size(); ++k) {
    FailedPicture& failure = failures[retried[k]];
    const PictureResult& result = results[k];
    if (result.outcome == PictureOutcome::Failed) {
      failure.reason = result.reason;
      failure.retryable = RetryMayMend(result);
      failure.retryAfterSeconds = result.retryAfterSeconds;
      continue;
    }
    if (result.outcome != PictureOutcome::Saved && result.outcome != PictureOutcome::LeftOut) continue;
    const bool saved = result.outcome == PictureOutcome::Saved;
    mended[retried[k]] = true;
    --tally_.failed;
    ++(saved ? tally_.saved : tally_.leftOut);
    if (failure.albumPosition == 0 || failure.albumPosition > albumTallies_.size()) continue;
    AlbumTally& album = albumTallies_[failure.albumPosition - 1];
    --album.failed;
    ++(saved ? album.saved : album.leftOut);
    changed.insert(failure.albumPosition);
  }
  std::vector<FailedPicture> left;
  for (std::size_t i = 0; i < failures.size(); ++i)
    if (!mended[i]) left.push_back(std::move(failures[i]));
  failures = std::move(left);
  return changed;
}

void RunSession::End(bool cancelled) {
  tally_.cancelled = cancelled;
  // The album under way keeps the last album's folder until another starts; before any, the base folder.
  tally_.lastFolder = album_.Position() > 0 ? album_.Pictures().folder() : baseFolder_;
}

bool StartThread(std::thread& thread, std::function<void()> body) {
  try {
    thread = std::thread(std::move(body));
    return true;
  } catch (const std::system_error& e) {
    Trace(std::string("thread could not start: ") + e.what());
    return false;
  }
}

}  // namespace albatrix
