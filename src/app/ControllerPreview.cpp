// The preview switch, the grid filler and the filter: the controller's side of the grid's two modes.
#include <string>

#include "MyCode/Trace.h"
#include "app/AlbatrixController.h"

namespace albatrix {

void AlbatrixController::SwitchPreview(bool checked) {
  if (Filling()) {
    if (view_.Message(Text(kStopFillQuestion), Text(kPromptCaption), MessageButtons::YesNo)) {
      if (states_.AskStop(Activity::Filling)) grid_.DropCovers();
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
  grid_.SetPreviewMode(checked);
  ShowInput(Running() ? InputBusy::Running : InputBusy::None);
  WaitForFill();  // a last fill has ended already; its thread only returns
  states_.Begin(Activity::Filling);
  grid_.Reset();
  if (!StartThread(fillThread_, [this] { FillGrid(); })) {
    Trace("preview: the filler thread could not start");
    states_.End(Activity::Filling);
  }
}

void AlbatrixController::FillGrid() {
  for (std::size_t i = 0; i < Albums().size() && !states_.StopAsked(Activity::Filling); ++i) ShowAlbumInGrid(i);
  // The mode switch is over once its thumbnails are in, as the user sees it: the cells fill as they come.
  if (grid_.PreviewMode()) grid_.WaitForCovers([this] { return states_.StopAsked(Activity::Filling); });
  view_.RefreshGrid();
  // The keyword goes before the fill counts as ended: a filter may start from then on and sets its own.
  grid_.SetFilterKeyword(Text());
  states_.End(Activity::Filling);
}

bool AlbatrixController::ApplyFilter(TextView keyword) {
  if (Filling() || Listing() || grid_.PreviewMode()) {
    // A second fill into the grid the filler or the listing is writing would mix both.
    Trace("filter: the grid is being filled or shows thumbnails; nothing changed");
    return false;
  }
  WaitForFill();
  grid_.SetFilterKeyword(TrimBlanks(keyword));
  grid_.ClearRows();
  FillGrid();
  Trace("filter: " + std::to_string(grid_.Rows()) + " of " + std::to_string(Albums().size()) + " albums shown");
  return true;
}

void AlbatrixController::WaitForFill() {
  if (fillThread_.joinable()) fillThread_.join();
}

void AlbatrixController::Shutdown() {
  StopListing();
  states_.AskStop(Activity::Filling);
  grid_.DropCovers();
  CancelDownload();
  WaitForListing();
  WaitForFill();
  WaitForDownload();
  grid_.StopCovers();
}

}  // namespace albatrix
