#include "app/CoverWorker.h"

#include <chrono>
#include <string>
#include <system_error>

#include "MyCode/Trace.h"
#include "discovery/CoverFetch.h"

namespace albatrix {

CoverWorker::CoverWorker(Text programFolder, Made made) : programFolder_(std::move(programFolder)), made_(std::move(made)) {}

CoverWorker::~CoverWorker() { Stop(); }

void CoverWorker::SetMaker(ThumbnailMaker maker) { maker_ = std::move(maker); }

bool CoverWorker::Ask(CoverOrder order) {
  if (!maker_) return false;
  std::lock_guard<std::mutex> hold(lock_);
  if (stopping_) return false;
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { Work(); });
    } catch (const std::system_error& e) {
      Trace(std::string("covers: the thread could not start: ") + e.what());
      return false;
    }
  }
  orders_.push_back(std::move(order));
  changed_.notify_all();
  return true;
}

void CoverWorker::Drop() {
  std::lock_guard<std::mutex> hold(lock_);
  orders_.clear();
  // An order taken after this point is a new one and lowers the flag again when it is taken.
  if (busy_) abort_ = true;
  changed_.notify_all();
}

bool CoverWorker::WaitIdle(const std::function<bool()>& stopAsked) {
  std::unique_lock<std::mutex> hold(lock_);
  while (busy_ || !orders_.empty()) {
    if (stopAsked && stopAsked()) return false;
    changed_.wait_for(hold, std::chrono::milliseconds(50));
  }
  return true;
}

void CoverWorker::Stop() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
    orders_.clear();
    abort_ = true;
    changed_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
}

void CoverWorker::Work() {
  for (;;) {
    CoverOrder order;
    {
      std::unique_lock<std::mutex> hold(lock_);
      busy_ = false;
      changed_.notify_all();
      changed_.wait(hold, [this] { return stopping_ || !orders_.empty(); });
      if (stopping_) return;
      order = std::move(orders_.front());
      orders_.pop_front();
      busy_ = true;
      abort_ = false;
    }
    const std::size_t album = order.cell.albumIndex;
    if (!FetchCover(programFolder_, album, order.url, &abort_)) continue;
    if (abort_) continue;  // dropped while it was saved: a new grid has no cell for it
    std::optional<ThumbnailPixels> pixels = maker_(CoverFilePath(programFolder_, album));
    if (!pixels) {
      Trace("cover " + std::to_string(album) + ": not a picture");
      continue;
    }
    if (!abort_) made_(order, *pixels);
  }
}

}  // namespace albatrix
