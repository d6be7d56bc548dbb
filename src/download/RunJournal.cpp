#include "download/RunJournal.h"

#include <algorithm>

#include "MyCode/FileOps.h"
#include "MyCode/Trace.h"

namespace albatrix {

void RunJournal::Begin(Text programFolder, DownloadJob job, const std::vector<KnownPicture>& known) {
  std::lock_guard<std::mutex> hold(lock_);
  programFolder_ = std::move(programFolder);
  job_ = std::move(job);
  whole_.clear();
  for (const KnownPicture& k : known) {
    whole_[k.folder + k.picture.NamingName()] = k;
    // Carried into this run's job, so a second interruption still knows them.
    if (JobAlbum* album = AlbumLocked(k.position)) {
      if (album->folder.empty()) album->folder = k.folder;
      if (album->folder == k.folder) album->saved.push_back(k.picture);
    }
  }
  WriteLocked();
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
  std::lock_guard<std::mutex> hold(lock_);
  if (JobAlbum* album = AlbumLocked(position)) album->state = JobAlbumState::Begun;
  WriteLocked();
}

void RunJournal::AlbumFolder(std::size_t position, const Text& folder) {
  std::lock_guard<std::mutex> hold(lock_);
  JobAlbum* album = AlbumLocked(position);
  if (!album) return;
  if (album->folder != folder) {
    // What an earlier run saved elsewhere is no picture of this folder.
    album->saved.clear();
    album->folder = folder;
  }
  WriteLocked();
}

void RunJournal::AlbumEnded(std::size_t position, bool done) {
  std::lock_guard<std::mutex> hold(lock_);
  if (JobAlbum* album = AlbumLocked(position); album && done) album->state = JobAlbumState::Done;
  WriteLocked();
}

void RunJournal::PictureSaved(std::size_t position, const Text& folder, const Text& fileName, const Text& url) {
  const Text path = folder + fileName;
  const JobPicture picture{url, fileName, FileSizeOf(path).value_or(0), Text()};
  std::lock_guard<std::mutex> hold(lock_);
  whole_[path] = KnownPicture{position, folder, picture};
  JobAlbum* album = AlbumLocked(position);
  if (!album || album->folder != folder || programFolder_.empty()) return;
  album->saved.push_back(picture);
  if (std::chrono::steady_clock::now() - lastWrite_ >= kRewriteEvery) {
    WriteLocked();
  } else if (!AppendJobJournal(programFolder_, job_.runId, position - 1, picture)) {
    Trace("job journal could not be written in " + TextToUtf8(programFolder_));
  }
}

void RunJournal::PictureRenamed(std::size_t position, const Text& folder, const Text& before, const Text& after) {
  std::lock_guard<std::mutex> hold(lock_);
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
  if (!AppendJobJournal(programFolder_, job_.runId, position - 1, picture))
    Trace("job journal could not be written in " + TextToUtf8(programFolder_));
}

void RunJournal::RunEnded(bool cancelled) {
  std::lock_guard<std::mutex> hold(lock_);
  if (programFolder_.empty()) return;
  if (cancelled) {
    WriteLocked();
  } else {
    RemoveJobFile(programFolder_);
  }
}

std::vector<KnownPicture> RunJournal::KnownPictures() const {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<KnownPicture> known;
  known.reserve(whole_.size());
  for (const auto& [path, picture] : whole_) known.push_back(picture);
  return known;
}

void RunJournal::WriteLocked() {
  if (programFolder_.empty()) return;
  WriteJobFile(programFolder_, job_);
  lastWrite_ = std::chrono::steady_clock::now();
}

}  // namespace albatrix
