#include "download/RunSession.h"

#include <system_error>

#include "MyCode/Trace.h"

namespace albatrix {

void RunFlags::MarkBusy() {
  std::uint8_t state = runState_.load();
  while (state != RUN_CANCEL && !runState_.compare_exchange_weak(state, RUN_BUSY)) {
  }
}

void RunFlags::StopAlbum() {
  std::uint8_t busy = RUN_BUSY;
  runState_.compare_exchange_strong(busy, RUN_ALBUM_STOP);
}

bool RunFlags::RequestCancel() {
  std::uint8_t state = runState_.load();
  while (state != RUN_IDLE) {
    if (runState_.compare_exchange_weak(state, RUN_CANCEL)) {
      cancel_ = true;
      return true;
    }
  }
  return false;
}

void AlbumUnderWay::Start(std::size_t albumPosition, NameRule albumRule, const Text& baseFolder, Text albumFolderAgain) {
  position = albumPosition;
  folderAgain = std::move(albumFolderAgain);
  rule = std::move(albumRule);
  skipMarker.clear();
  takenNames.Clear();
  pictures.Clear();
  pictures.SetFolder(baseFolder);
}

bool StartThread(std::thread& thread, std::function<void()> body) {
  try {
    thread = std::thread(std::move(body));
    return true;
  } catch (const std::system_error& e) {
    Trace(std::string("thread could not start: ") + e.what());
    return false;
  }
}

}  // namespace albatrix
