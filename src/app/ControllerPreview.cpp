// The preview switch, the grid filler, the thumbnails of preview mode and the filter: the controller's
// side of the grid's two modes.
#include <string>

#include "MyCode/Trace.h"
#include "app/AlbatrixController.h"
#include "discovery/CoverFetch.h"

namespace albatrix {

void AlbatrixController::SetThumbnailMaker(ThumbnailMaker maker) { thumbnailMaker_ = std::move(maker); }

void AlbatrixController::MakeThumbnail(std::size_t albumIndex) {
  if (!thumbnailMaker_ || albumIndex >= albums_.size() || albums_[albumIndex].thumbIndex != -1) return;
  Text url = albums_[albumIndex].coverUrl;
  if (!FetchCover(programFolder_, albumIndex, url, &coverAbort_)) return;
  std::optional<ThumbnailPixels> pixels = thumbnailMaker_(CoverFilePath(programFolder_, albumIndex));
  if (!pixels) {
    Trace("cover " + std::to_string(albumIndex) + ": not a picture");
    return;
  }
  // The index is the album's before the view can show a cell naming it, and the picture reaches the
  // view's list first: calls to the view keep their order.
  std::lock_guard<std::mutex> hold(thumbLock_);
  int index = nextThumbnail_++;
  albums_.SetThumbIndex(albumIndex, index);
  view_.AddThumbnail(index, *pixels);
}

void AlbatrixController::SwitchPreview(bool checked) {
  if (Filling()) {
    if (view_.Message(Text(kStopFillQuestion), Text(kPromptCaption), MessageButtons::YesNo)) {
      if (states_.AskStop(Activity::Filling)) coverAbort_ = true;
    }
    view_.Check(Control::Preview, !checked);
    return;
  }
  if (Listing()) {
    // The box is off while a listing runs; a click that slipped through changes nothing.
    Trace("preview: a listing is running; the mode stays");
    view_.Check(Control::Preview, !checked);
    return;
  }
  if (checked) view_.Show(Control::FindWindow, false);
  for (Control id : {Control::Filter, Control::Find}) view_.Enable(id, !checked);
  WaitForFill();  // a last fill has ended already; its thread only returns
  states_.Begin(Activity::Filling);
  previewMode_ = checked;
  ResetGrid();
  coverAbort_ = false;
  if (!StartThread(fillThread_, [this] { FillGrid(); })) {
    Trace("preview: the filler thread could not start");
    states_.End(Activity::Filling);
  }
}

void AlbatrixController::FillGrid() {
  for (std::size_t i = 0; i < albums_.size() && !states_.StopAsked(Activity::Filling); ++i) ShowAlbumInGrid(i);
  view_.RefreshGrid();
  // The keyword goes before the fill counts as ended: a filter may start from then on and sets its own.
  SetFilterKeyword(Text());
  states_.End(Activity::Filling);
}

bool AlbatrixController::ApplyFilter(TextView keyword) {
  if (Filling() || Listing() || previewMode_) {
    // A second fill into the grid the filler or the listing is writing would mix both.
    Trace("filter: the grid is being filled or shows thumbnails; nothing changed");
    return false;
  }
  WaitForFill();
  SetFilterKeyword(TrimBlanks(keyword));
  gridRows_ = 0;
  view_.ClearAlbumRows();
  FillGrid();
  return true;
}

void AlbatrixController::WaitForFill() {
  if (fillThread_.joinable()) fillThread_.join();
}

void AlbatrixController::Shutdown() {
  StopListing();
  states_.AskStop(Activity::Filling);
  coverAbort_ = true;
  CancelDownload();
  WaitForListing();
  WaitForFill();
  WaitForDownload();
}

}  // namespace albatrix
