// preview-1000: a listing of 1,000 albums from the stand-in site is switched to preview mode while a
// 10 ms heartbeat timer runs on the interface thread: every cover is fetched, decoded, scaled and drawn.
// Prints
//   preview-1000: last_thumbnail=<s> stall_max_ms=<n> rss=<MB>
// Needs a display and the site: bench/preview-1000.sh starts both (50 albums to a list page) and passes
// the site's addresses. The memory goal is under 150 MB.
#include <wx/app.h>
#include <wx/checkbox.h>

#include <cstdio>

#include "BenchWindow.h"
#include "gui/ControlIds.h"
#include "gui/CMyGridCtrl.h"
#include "gui/WxMainView.h"

namespace albatrix {
namespace {

constexpr int kAlbums = 1000;

class PreviewBenchApp : public wxApp {
 public:
  bool OnInit() override {
    if (!site_.Start("preview-1000", argc, argv)) return false;
    window_ = site_.OpenWindow([this] {
      wxCommandEvent press(wxEVT_BUTTON, IDC_GET_ALBUMS);
      window_->ProcessWindowEvent(press);
      heartbeat_.Start([this] { Beat(); });
    });
    return true;
  }

 private:
  // As a click on "预览图" does: the box, then the switch.
  void SwitchToPreview() {
    switched_ = true;
    heartbeat_.Restart();
    dynamic_cast<wxCheckBox*>(window_->Control(IDC_PREVIEW))->SetValue(true);
    window_->Controller().SwitchPreview(true);
  }

  void Beat() {
    AlbatrixController& controller = window_->Controller();
    if (!switched_) {
      if (!controller.Listing() && window_->Grid()->AlbumRows() == kAlbums) SwitchToPreview();
      return;
    }
    heartbeat_.Measure();
    if (done_ || controller.Filling() || window_->Grid()->ThumbnailCount() < kAlbums) return;
    done_ = true;
    bench::Finish("preview-1000", "last_thumbnail", heartbeat_, *window_);
  }

  bench::BenchSite site_;
  CAlbatrixDlg* window_ = nullptr;
  bench::Heartbeat heartbeat_;
  bool switched_ = false;
  bool done_ = false;
};

}  // namespace
}  // namespace albatrix

wxIMPLEMENT_APP_NO_MAIN(albatrix::PreviewBenchApp);

int main(int argc, char** argv) { return albatrix::bench::RunWindowBench(argc, argv); }
