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
