#include "gui/GridModes.h"

#include "MyCode/Trace.h"
#include "gui/AlbatrixDlg.h"
#include "gui/DlgFind.h"
#include "gui/MyGridCtrl.h"
#include "gui/ThumbnailImage.h"

namespace albatrix {

namespace {

void Find(CAlbatrixDlg& window) {
  CDlgFind* find = FindWindowOf(window);
  // Made once, on the first "查找"; "×" and the preview switch only hide it.
  if (!find) find = new CDlgFind(&window, FindMode::Find, window.Grid());
  find->ShowForFind();
}

void Filter(CAlbatrixDlg& window) {
  AlbatrixController& controller = window.Controller();
  if (controller.Filling()) {
    Trace("filter: the grid is still being filled");
    return;
  }
  if (CDlgFind* find = FindWindowOf(window)) find->Hide();
  CDlgFind prompt(&window, FindMode::Filter);
  prompt.CentreOnParent();
  if (prompt.ShowModal() != wxID_OK) return;
  controller.ApplyFilter(prompt.Keyword());
}

}  // namespace

CDlgFind* FindWindowOf(CAlbatrixDlg& window) { return dynamic_cast<CDlgFind*>(window.Control(IDD_FIND)); }

void InstallGridModes(CAlbatrixDlg& window) {
  InstallImageDecoders();
  window.Controller().SetThumbnailMaker(
      [](const Text& coverFile) { return MakeThumbnailPixels(coverFile, kThumbWidth, kThumbHeight); });
  window.onPreviewSwitch = [&window] { window.Controller().SwitchPreview(); };
  window.onFind = [&window] { Find(window); };
  window.onFilter = [&window] { Filter(window); };
}

}  // namespace albatrix
