#include "app/AlbumGrid.h"

#include "app/GridCells.h"

namespace albatrix {

AlbumGrid::AlbumGrid(MainWindowView& view, const Text& programFolder, std::function<Text(std::size_t)> resultOf)
    : view_(view),
      resultOf_(std::move(resultOf)),
      covers_(programFolder, [this](const CoverOrder& order, const ThumbnailPixels& pixels) { CoverMade(order, pixels); }) {}

void AlbumGrid::Reset() {
  view_.Check(Control::SelectAll, false);
  rows_ = 0;
  covers_.Drop();
  // Under the lock that a made cover takes: it either reaches the old grid before the reset or not at all.
  std::lock_guard<std::mutex> hold(thumbLock_);
  ++generation_;
  view_.ResetGrid(previewMode_);
}

void AlbumGrid::ClearRows() {
  rows_ = 0;
  view_.ClearAlbumRows();
}

void AlbumGrid::ForgetThumbnails() {
  std::lock_guard<std::mutex> hold(thumbLock_);
  thumbnails_.clear();
  nextThumbnail_ = 0;
  view_.ClearThumbnails();
}

void AlbumGrid::Show(std::size_t albumIndex, const ST_PERLISTRECORD& album) {
  GridAlbum cell;
  cell.albumIndex = albumIndex;
  if (!previewMode_) {
    const Text filter = FilterKeyword();
    if (!filter.empty() && album.title.find(filter) == Text::npos) return;
    cell.row = ++rows_;
    cell.number = GridNumberText(cell.row);
    cell.title = album.title;
    cell.count = GridCountText(album.pictureCount);
    cell.note = GridNoteText(album.accessFlags);
    if (resultOf_) cell.result = resultOf_(albumIndex);
    view_.ShowAlbum(cell);
    return;
  }
  cell.row = static_cast<int>(albumIndex / kThumbColumns);
  cell.column = static_cast<int>(albumIndex % kThumbColumns);
  cell.title = album.title;
  cell.caption = GridCaptionText(albumIndex, album.title);
  std::uint64_t generation = 0;
  {
    std::lock_guard<std::mutex> hold(thumbLock_);
    if (albumIndex < thumbnails_.size()) cell.thumbIndex = thumbnails_[albumIndex];
    generation = generation_;
    view_.ShowAlbum(cell);
  }
  if (cell.thumbIndex == -1 && covers_.HasMaker()) covers_.Ask(CoverOrder{cell, album.coverUrl, generation});
}

int AlbumGrid::ThumbnailOf(std::size_t albumIndex) const {
  std::lock_guard<std::mutex> hold(thumbLock_);
  return albumIndex < thumbnails_.size() ? thumbnails_[albumIndex] : -1;
}

void AlbumGrid::CoverMade(const CoverOrder& order, const ThumbnailPixels& pixels) {
  const std::size_t album = order.cell.albumIndex;
  std::lock_guard<std::mutex> hold(thumbLock_);
  if (order.generation != generation_) return;  // the grid it was asked for is gone
  if (thumbnails_.size() <= album) thumbnails_.resize(album + 1, -1);
  if (thumbnails_[album] != -1) return;
  // The picture reaches the view's list before the cell that names it: calls to the view keep their order.
  const int index = nextThumbnail_++;
  thumbnails_[album] = index;
  view_.AddThumbnail(index, pixels);
  GridAlbum cell = order.cell;
  cell.thumbIndex = index;
  view_.ShowThumbnail(cell);
}

void AlbumGrid::SetFilterKeyword(Text keyword) {
  std::lock_guard<std::mutex> hold(filterLock_);
  filterKeyword_ = std::move(keyword);
}

Text AlbumGrid::FilterKeyword() const {
  std::lock_guard<std::mutex> hold(filterLock_);
  return filterKeyword_;
}

}  // namespace albatrix
