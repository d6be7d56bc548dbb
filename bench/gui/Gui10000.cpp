// gui-10000: the window lists 10,000 albums from the stand-in site (20 albums to a list page) while a
// 10 ms heartbeat timer runs on the interface thread. The longest gap between two beats, less the beat
// itself, is the longest the window stood still. Prints
//   gui-10000: listing=<s> stall_max_ms=<n> rss=<MB>
// Needs a display and the site: bench/gui-10000.sh starts both and passes the site's addresses.
#include <wx/app.h>

#include <cstdio>
#include <cstdlib>

#include "BenchWindow.h"
#include "gui/ControlIds.h"
#include "gui/CMyGridCtrl.h"
#include "gui/WxMainView.h"

namespace albatrix {
namespace {

constexpr int kAlbums = 10000;

class BenchApp : public wxApp {
 public:
  bool OnInit() override {
    if (!site_.Start("gui-10000", argc, argv)) return false;
    window_ = site_.OpenWindow([this] { Begin(); });
    return true;
  }

 private:
  // The window has just been shown: its first paint is start-up's, not the listing's. The press comes
  // once it has settled.
  void Begin() {
    heartbeat_.Start([this] { Beat(); });
  }

  void Press() {
    pressed_ = true;
    heartbeat_.Restart();
    wxCommandEvent press(wxEVT_BUTTON, IDC_GET_ALBUMS);
    window_->ProcessWindowEvent(press);
  }

  void Beat() {
    if (!pressed_) {
      if (++settleBeats_ == kSettleBeats) Press();
      return;
    }
    long long gap = heartbeat_.Measure();
    if (gap > 30 && std::getenv("GUI_BENCH_DEBUG"))
      std::fprintf(stderr, "stall %lld ms at %.3f s, rows %d\n", gap, heartbeat_.SecondsSinceRestart(),
                   window_->Grid()->GetNumberRows());
    if (done_ || window_->Controller().Listing() || window_->Grid()->GetNumberRows() < kAlbums)
      return;
    done_ = true;
    std::fprintf(stderr, "gui-10000: longest drain of worker calls %lld ms\n",
                 static_cast<long long>(window_->View().LongestDrain().count() / 1000));
    bench::Finish("gui-10000", "listing", heartbeat_, *window_);
  }

  bench::BenchSite site_;
  CAlbatrixDlg* window_ = nullptr;
  bench::Heartbeat heartbeat_;
  bool pressed_ = false;
  bool done_ = false;
  int settleBeats_ = 0;
  static constexpr int kSettleBeats = 30;
};

}  // namespace
}  // namespace albatrix

wxIMPLEMENT_APP_NO_MAIN(albatrix::BenchApp);

int main(int argc, char** argv) { return albatrix::bench::RunWindowBench(argc, argv); }
