// The window's MainWindowView: the one place where calls from the controller's threads cross to the
// interface thread. A call made on the interface thread runs at once (after everything still queued, so
// the order of calls is kept); a call from any other thread is queued, and the interface thread drains
// the queue at most once every 50 ms, appending consecutive grid rows in one batch. No widget is touched
// off the interface thread. A worker's message box waits for the interface thread, and every such wait
// ends (with No) once closing has begun. The view keeps no copy of what the controls hold: the window
// reads them itself when a command is given.
#pragma once

#include <wx/timer.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <utility>
#include <mutex>
#include <thread>

#include "app/MainWindowView.h"

namespace albatrix {

class MainWindowControls;

class WxMainView : public MainWindowView {
 public:
  // Made on the interface thread; `window` outlives the view.
  explicit WxMainView(MainWindowControls& window);
  ~WxMainView() override;

  void SetText(Control control, const Text& text) override;
  void Enable(Control control, bool enabled) override;
  void Show(Control control, bool visible) override;
  void Check(Control control, bool checked) override;
  bool Message(const Text& text, const Text& caption, MessageButtons buttons) override;
  void AddCandidate(Control control, const Text& text) override;
  void SetEntries(Control control, const TextArray& entries) override;
  void SelectEntry(Control control, int index) override;
  void PlaceMemberBox(MemberBoxPlace place) override;
  void ResetGrid(bool previewMode) override;
  void ShowAlbum(const GridAlbum& album) override;
  void ChooseAllAlbums() override;
  void RefreshGrid() override;
  void ClearThumbnails() override;
  void AddThumbnail(int index, const ThumbnailPixels& pixels) override;
  void ClearAlbumRows() override;
  void OpenFolder(const Text& path) override;
  void ShowProgress(std::int32_t done, std::size_t total) override;
  void ShowResultColumn() override;
  void SetAlbumResult(std::size_t albumIndex, const Text& result) override;
  void ShowFailureList(const std::vector<FailedPicture>& failures) override;
  void NotifyRunEnded(const Text& summary) override;

  // Closing has begun: waiting workers are released and their further calls are dropped.
  void BeginClosing();
  bool Closing() const { return closing_; }

  // Runs every queued call now. Interface thread only.
  void Flush();

  // Longest time the interface thread spent in one drain, for the benchmark.
  std::chrono::microseconds LongestDrain() const { return longestDrain_; }

  static constexpr std::chrono::milliseconds kDrainInterval{50};

 private:
  struct Call {
    std::function<void()> run;  // empty for a grid row
    GridAlbum row;
  };

  bool OnInterfaceThread() const { return std::this_thread::get_id() == interfaceThread_; }
  // The crossing: `call` runs on the interface thread, in order with every other call.
  void Run(std::function<void()> call);
  void Queue(Call call);
  void Wake();
  void Drain();
  // Runs `ask` on the interface thread and waits for its answer; `whenClosing` once closing has begun.
  template <typename T>
  T Ask(std::function<T()> ask, T whenClosing);

  MainWindowControls& window_;
  const std::thread::id interfaceThread_;
  wxTimer drainTimer_;
  std::chrono::steady_clock::time_point lastDrain_{};
  std::chrono::microseconds longestDrain_{0};

  std::mutex lock_;
  std::condition_variable answered_;
  std::deque<Call> queue_;
  std::atomic<bool> wakePending_{false};
  std::atomic<bool> closing_{false};
  std::pair<std::int32_t, std::size_t> progress_{0, 0};  // the latest figure of the download
  bool progressQueued_ = false;                           // a crossing that will show it is on its way
};

}  // namespace albatrix
