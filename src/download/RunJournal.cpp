#include "download/RunJournal.h"

#include <algorithm>
#include <utility>

#include "MyCode/FileOps.h"
#include "MyCode/Trace.h"

namespace albatrix {

void RunJournal::Begin(Text programFolder, DownloadJob job, const std::vector<KnownPicture>& known) {
  std::unique_lock<std::mutex> hold(lock_);
  programFolder_ = std::move(programFolder);
  job_ = std::move(job);
  whole_.clear();
  fileWritten_ = journalTorn_ = failed_ = reportDue_ = false;
  for (const KnownPicture& k : known) {
    whole_[k.folder + k.picture.NamingName()] = k;
    // Carried into this run's job, so a second interruption still knows them.
    if (JobAlbum* album = AlbumLocked(k.position)) {
      if (album->folder.empty()) album->folder = k.folder;
      if (album->folder == k.folder) album->saved.push_back(k.picture);
    }
  }
  // When this run's file cannot take its place, an older one stays as it was.
  WriteLocked();
  Release(hold);
}

JobAlbum* RunJournal::AlbumLocked(std::size_t position) {
  if (position == 0 || position > job_.albums.size()) return nullptr;
  return &job_.albums[position - 1];
}

std::optional<Text> RunJournal::WholeAs(const Text& path, const Text& url) const {
  KnownPicture known;
  {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = whole_.find(path);
    if (it == whole_.end()) return std::nullopt;
    known = it->second;
  }
  if (known.picture.url != url) return std::nullopt;
  const std::optional<std::uint64_t> size = FileSizeOf(known.folder + known.picture.fileName);
  if (!size || *size != known.picture.size) return std::nullopt;
  return known.picture.fileName;
}

void RunJournal::AlbumBegun(std::size_t position) {
  std::unique_lock<std::mutex> hold(lock_);
  if (JobAlbum* album = AlbumLocked(position)) album->state = JobAlbumState::Begun;
  WriteLocked();
  Release(hold);
}

void RunJournal::AlbumFolder(std::size_t position, const Text& folder) {
  std::unique_lock<std::mutex> hold(lock_);
  JobAlbum* album = AlbumLocked(position);
  if (!album) return;
  if (album->folder != folder) {
    // What an earlier run saved elsewhere is no picture of this folder.
    album->saved.clear();
    album->folder = folder;
  }
  WriteLocked();
  Release(hold);
}

void RunJournal::AlbumEnded(std::size_t position, bool done) {
  std::unique_lock<std::mutex> hold(lock_);
  if (JobAlbum* album = AlbumLocked(position); album && done) album->state = JobAlbumState::Done;
  WriteLocked();
  Release(hold);
}

void RunJournal::PictureSaved(std::size_t position, const Text& folder, const Text& fileName, const Text& url) {
  const Text path = folder + fileName;
  const JobPicture picture{url, fileName, FileSizeOf(path).value_or(0), Text()};
  std::unique_lock<std::mutex> hold(lock_);
  whole_[path] = KnownPicture{position, folder, picture};
  JobAlbum* album = AlbumLocked(position);
  if (!album || album->folder != folder || programFolder_.empty()) return;
  album->saved.push_back(picture);
  // A whole write that fails leaves the last good file, which the picture's journal line still completes.
  const bool due = std::chrono::steady_clock::now() - lastWrite_ >= kRewriteEvery;
  if (!due || !WriteLocked()) AppendLocked(position, picture);
  Release(hold);
}

void RunJournal::PictureRenamed(std::size_t position, const Text& folder, const Text& before, const Text& after) {
  std::unique_lock<std::mutex> hold(lock_);
  // The picture is found by the name it had: the naming's own, or one an earlier fix gave it.
  auto it = whole_.find(folder + before);
  if (it == whole_.end()) {
    it = std::find_if(whole_.begin(), whole_.end(), [&](const auto& entry) {
      return entry.second.folder == folder && entry.second.picture.fileName == before;
    });
    if (it == whole_.end()) return;
  }
  JobPicture& picture = it->second.picture;
  if (picture.namedAs.empty()) picture.namedAs = picture.fileName;
  picture.fileName = after;
  JobAlbum* album = AlbumLocked(position);
  if (!album || album->folder != folder || programFolder_.empty()) return;
  for (JobPicture& saved : album->saved)
    if (saved.NamingName() == picture.namedAs) saved = picture;
  AppendLocked(position, picture);
  Release(hold);
}

void RunJournal::RunEnded(bool cancelled) {
  std::unique_lock<std::mutex> hold(lock_);
  if (programFolder_.empty()) return;
  if (cancelled) {
    WriteLocked();
  } else {
    RemoveJobFile(programFolder_);
  }
  Release(hold);
}

std::vector<KnownPicture> RunJournal::KnownPictures() const {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<KnownPicture> known;
  known.reserve(whole_.size());
  for (const auto& [path, picture] : whole_) known.push_back(picture);
  return known;
}

bool RunJournal::WriteLocked() {
  if (programFolder_.empty()) return true;
  lastWrite_ = std::chrono::steady_clock::now();
  if (!WriteJobFile(programFolder_, job_)) {
    FailedLocked(fileWritten_ ? "at a later save; the one on disk is the last written whole"
                              : "at the run's start; none of this run is on disk");
    return false;
  }
  fileWritten_ = true;
  journalTorn_ = false;  // a whole write empties the journal
  return true;
}

void RunJournal::AppendLocked(std::size_t position, const JobPicture& picture) {
  // A line beside no file of this run, or after a torn one, would complete nothing: the picture waits in
  // the job for its next whole write.
  if (!fileWritten_ || journalTorn_) return;
  if (AppendJobJournal(programFolder_, job_.runId, position - 1, picture)) return;
  journalTorn_ = true;
  FailedLocked("its journal, at a picture saved");
}

void RunJournal::FailedLocked(const char* what) {
  if (failed_) return;
  failed_ = reportDue_ = true;
  Trace("job file " + TextToUtf8(JobFilePath(programFolder_)) + " cannot be written (" + what +
        "); the run goes on, but a stop cannot go on from where it stands");
}

void RunJournal::Release(std::unique_lock<std::mutex>& hold) {
  const bool report = std::exchange(reportDue_, false);
  const Text path = report ? JobFilePath(programFolder_) : Text();
  hold.unlock();
  if (report && onUnwritable) onUnwritable(path);
}

}  // namespace albatrix
