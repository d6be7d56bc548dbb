// The covers of preview mode, fetched and made into thumbnails on a thread of their own, one at a time
// in the order they were asked for, so a slow or stalled cover never holds the listing or the fill.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "MyCode/StringCtrl.h"
#include "app/MainWindowView.h"

namespace albatrix {

// Decodes a cover file (by its content, whatever its name says) and scales it to the thumbnail size;
// nothing when it does not decode. Runs on the covers' thread.
using ThumbnailMaker = std::function<std::optional<ThumbnailPixels>(const Text& coverFile)>;

// One cover to make: the cell that shows the album (a copy; the album list may change meanwhile), the
// cover's address, and the grid generation the cell belongs to.
struct CoverOrder {
  GridAlbum cell;
  Text url;
  std::uint64_t generation = 0;
};

class CoverWorker {
 public:
  // `made` is called on the covers' thread with each order whose cover became a thumbnail; a cover that
  // cannot be fetched or decoded leaves only a trace line. Covers are saved as CoverFilePath(programFolder, i).
  using Made = std::function<void(const CoverOrder& order, const ThumbnailPixels& pixels)>;
  CoverWorker(Text programFolder, Made made);
  ~CoverWorker();
  CoverWorker(const CoverWorker&) = delete;
  CoverWorker& operator=(const CoverWorker&) = delete;

  // Without a maker no cover is fetched and Ask does nothing. Set before the first Ask.
  void SetMaker(ThumbnailMaker maker);
  bool HasMaker() const { return static_cast<bool>(maker_); }

  // Queues an order; the thread starts with the first one. False when the thread could not start
  // (the order is dropped, a trace line says so).
  bool Ask(CoverOrder order);
  // Forgets every queued order and ends the transfer in flight at once; its cover is not delivered.
  void Drop();
  // Blocks until no order is queued or in flight, or `stopAsked` turns true (checked at least every
  // 50 ms). True when all orders were handled.
  bool WaitIdle(const std::function<bool()>& stopAsked);
  // Drop, then ends the thread (the destructor does this too).
  void Stop();

 private:
  void Work();

  const Text programFolder_;
  const Made made_;
  ThumbnailMaker maker_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<CoverOrder> orders_;
  bool busy_ = false;      // an order is being handled
  bool stopping_ = false;
  std::atomic<bool> abort_{false};  // ends the transfer in flight; lowered when the next order is taken
  std::thread thread_;
};

}  // namespace albatrix
