#include "download/RunSession.h"

#include <system_error>

#include "MyCode/Trace.h"

namespace albatrix {

bool RunFlags::RequestCancel() {
  std::uint8_t state = runState.load();
  while (state != RUN_IDLE) {
    if (runState.compare_exchange_weak(state, RUN_CANCEL)) {
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
