// gui-10000: the window lists 10,000 albums from the stand-in site (in this process, 20 albums to a list
// page) while a 10 ms heartbeat timer runs on the interface thread. The longest gap between two beats,
// less the beat itself, is the longest the window stood still. Prints
//   gui-10000: listing=<s> stall_max_ms=<n> rss=<MB>
// Needs a display (bench/gui-10000.sh runs it under xvfb-run).
#include <wx/app.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <filesystem>
#include <memory>
#include <string>

#include "app/ControlIds.h"
#include "gui/AlbatrixDlg.h"
#include "gui/MyGridCtrl.h"
#include "gui/WxMainView.h"
#include "site/AlbumSite.h"

namespace albatrix {
namespace {

constexpr int kAlbums = 10000;
constexpr int kBeatMs = 10;
using Clock = std::chrono::steady_clock;

double PeakRssMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

class BenchApp : public wxApp {
 public:
  bool OnInit() override {
    SiteOptions options;
    options.requireLogin = false;
    options.demoShape = MemberShape{kAlbums, 0, 20, 20, 20};
    site_ = std::make_unique<AlbumSite>(options);
    if (!site_->Start(0)) {
      std::fputs("gui-10000: the site could not start\n", stderr);
      return false;
    }
    char folder[] = "/tmp/albatrix-gui-bench-XXXXXX";
    if (!::mkdtemp(folder)) return false;
    folder_ = folder;
    WindowSetup setup;
    setup.programFolder = Utf8ToText(folder_ + "/");
    setup.profile = SiteProfile(Utf8ToText(site_->BaseUrl()));
    setup.memberText = Utf8ToText(site_->MemberUrl(AlbumSite::kDemoMember));
    setup.startupDone = [this] { Begin(); };
    window_ = new CAlbatrixDlg(std::move(setup));
    window_->StartUp();
    return true;
  }

  int OnExit() override {
    site_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    return wxApp::OnExit();
  }

 private:
  // The window has just been shown: its first paint is start-up's, not the listing's. The press comes
  // once it has settled.
  void Begin() {
    heartbeat_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Beat(); });
    heartbeat_.Start(kBeatMs);
  }

  void Press() {
    pressed_ = true;
    lastBeat_ = started_ = Clock::now();
    wxCommandEvent press(wxEVT_BUTTON, IDC_GET_ALBUMS);
    window_->ProcessWindowEvent(press);
  }

  void Beat() {
    if (!pressed_) {
      if (++settleBeats_ == kSettleBeats) Press();
      return;
    }
    Clock::time_point now = Clock::now();
    auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastBeat_).count() - kBeatMs;
    if (gap > stallMax_) stallMax_ = gap;
    if (gap > 30 && std::getenv("GUI_BENCH_DEBUG"))
      std::fprintf(stderr, "stall %lld ms at %.3f s, rows %d\n", gap,
                   std::chrono::duration<double>(now - started_).count(), window_->Grid()->GetNumberRows());
    lastBeat_ = now;
    if (done_ || window_->Controller().listingState != PHASE_IDLE || window_->Grid()->GetNumberRows() < kAlbums)
      return;
    done_ = true;
    double listing = std::chrono::duration<double>(now - started_).count();
    std::printf("gui-10000: listing=%.2f stall_max_ms=%lld rss=%.1f\n", listing, static_cast<long long>(stallMax_),
                PeakRssMb());
    std::fprintf(stderr, "gui-10000: longest drain of worker calls %lld ms\n",
                 static_cast<long long>(window_->View().LongestDrain().count() / 1000));
    std::fflush(stdout);
    heartbeat_.Stop();
    window_->Close();
  }

  std::unique_ptr<AlbumSite> site_;
  std::string folder_;
  CAlbatrixDlg* window_ = nullptr;
  wxTimer heartbeat_;
  Clock::time_point started_, lastBeat_;
  long long stallMax_ = 0;
  bool done_ = false;
  bool pressed_ = false;
  int settleBeats_ = 0;
  static constexpr int kSettleBeats = 30;
};

}  // namespace
}  // namespace albatrix

wxIMPLEMENT_APP(albatrix::BenchApp);
