// What the window's benchmarks share: the stand-in site's addresses, a program folder of their own, the
// window on both, the peak memory, and the program's start. The site runs in a process of its own
// (bench/common.sh's start_site), as a real one would: its threads and pictures are no part of the
// window's memory.
#pragma once

#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "gui/CAlbatrixDlg.h"
#include "gui/ToolkitEnvironment.h"

namespace albatrix::bench {

// Peak resident memory of this process, in MB.
inline double PeakRssMb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

// A 10 ms timer on the interface thread. The longest gap between two beats since Restart, less the beat
// itself, is the longest the window stood still.
class Heartbeat {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kBeatMs = 10;

  void Start(std::function<void()> onBeat) {
    timer_.Bind(wxEVT_TIMER, [onBeat](wxTimerEvent&) { onBeat(); });
    timer_.Start(kBeatMs);
  }
  void Stop() { timer_.Stop(); }
  // Measuring starts now.
  void Restart() {
    last_ = started_ = Clock::now();
    stallMax_ = 0;
  }
  // A beat: its gap counted; the gap in ms.
  long long Measure() {
    Clock::time_point now = Clock::now();
    long long gap = std::chrono::duration_cast<std::chrono::milliseconds>(now - last_).count() - kBeatMs;
    if (gap > stallMax_) stallMax_ = gap;
    last_ = now;
    return gap;
  }
  double SecondsSinceRestart() const { return std::chrono::duration<double>(last_ - started_).count(); }
  long long StallMaxMs() const { return stallMax_; }

 private:
  wxTimer timer_;
  Clock::time_point started_, last_;
  long long stallMax_ = 0;
};

// The benchmark's line, "<name>: <timeField>=<s> stall_max_ms=<n> rss=<MB>" with the seconds since the
// heartbeat's restart; then the heartbeat stops and the window closes.
inline void Finish(const char* name, const char* timeField, Heartbeat& heartbeat, CAlbatrixDlg& window) {
  std::printf("%s: %s=%.2f stall_max_ms=%lld rss=%.1f\n", name, timeField, heartbeat.SecondsSinceRestart(),
              heartbeat.StallMaxMs(), PeakRssMb());
  std::fflush(stdout);
  heartbeat.Stop();
  window.Close();
}

// The site named on the command line ("BASE MEMBER_URL", as start_site gives them), and a temporary
// program folder removed again when this goes.
class BenchSite {
 public:
  ~BenchSite() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  // False (with a line on stderr naming `name`) when the addresses are missing or the folder cannot be
  // made.
  bool Start(const char* name, int argc, const wxCmdLineArgsArray& argv) {
    char folder[] = "/tmp/albatrix-gui-bench-XXXXXX";
    if (argc != 3) {
      std::fprintf(stderr, "usage: %s BASE_URL MEMBER_URL (the stand-in site's)\n", name);
      return false;
    }
    if (!::mkdtemp(folder)) {
      std::fprintf(stderr, "%s: the program folder could not be made\n", name);
      return false;
    }
    base_ = argv[1].utf8_string();
    member_ = argv[2].utf8_string();
    folder_ = folder;
    return true;
  }
  // A window on the site with its member in the box; `ready` runs once it takes input.
  CAlbatrixDlg* OpenWindow(std::function<void()> ready) {
    WindowSetup setup;
    setup.programFolder = Utf8ToText(folder_ + "/");
    setup.profile = SiteProfile(Utf8ToText(base_));
    setup.memberText = Utf8ToText(member_);
    setup.startupDone = std::move(ready);
    auto* window = new CAlbatrixDlg(std::move(setup));
    window->StartUp();
    return window;
  }

 private:
  std::string base_, member_;
  std::string folder_;
};

// A benchmark's main(): the toolkit prepared as the program prepares it, then the app of
// wxIMPLEMENT_APP_NO_MAIN.
inline int RunWindowBench(int argc, char** argv) {
  PrepareToolkitEnvironment();
  return wxEntry(argc, argv);
}

}  // namespace albatrix::bench
