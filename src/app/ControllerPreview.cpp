// The preview switch, the grid filler, the thumbnails of preview mode and the filter: the controller's
// side of the grid's two modes.
#include <string>

#include "MyCode/Trace.h"
#include "app/AlbatrixController.h"

namespace albatrix {

void AlbatrixController::SetThumbnailMaker(ThumbnailMaker maker) { covers_.SetMaker(std::move(maker)); }

int AlbatrixController::ThumbnailOf(std::size_t albumIndex) const {
  std::lock_guard<std::mutex> hold(thumbLock_);
  return albumIndex < thumbnails_.size() ? thumbnails_[albumIndex] : -1;
}

void AlbatrixController::CoverMade(const CoverOrder& order, const ThumbnailPixels& pixels) {
  const std::size_t album = order.cell.albumIndex;
  std::lock_guard<std::mutex> hold(thumbLock_);
  if (order.generation != gridGeneration_) return;  // the grid it was asked for is gone
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

void AlbatrixController::SwitchPreview(bool checked) {
  if (Filling()) {
    if (view_.Message(Text(kStopFillQuestion), Text(kPromptCaption), MessageButtons::YesNo)) {
      if (states_.AskStop(Activity::Filling)) covers_.Drop();
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
  previewMode_ = checked;
  ShowInput(Running() ? InputBusy::Running : InputBusy::None);
  WaitForFill();  // a last fill has ended already; its thread only returns
  states_.Begin(Activity::Filling);
  ResetGrid();
  if (!StartThread(fillThread_, [this] { FillGrid(); })) {
    Trace("preview: the filler thread could not start");
    states_.End(Activity::Filling);
  }
}

void AlbatrixController::FillGrid() {
  for (std::size_t i = 0; i < albums_.size() && !states_.StopAsked(Activity::Filling); ++i) ShowAlbumInGrid(i);
  // The mode switch is over once its thumbnails are in, as the user sees it: the cells fill as they come.
  if (previewMode_) covers_.WaitIdle([this] { return states_.StopAsked(Activity::Filling); });
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
  covers_.Drop();
  CancelDownload();
  WaitForListing();
  WaitForFill();
  WaitForDownload();
  covers_.Stop();
}

}  // namespace albatrix
