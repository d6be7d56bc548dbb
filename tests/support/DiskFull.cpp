#include "support/DiskFull.h"

#include <csignal>
#include <stdexcept>
#include <sys/resource.h>

namespace albatrix::test {

bool WithFileSizeLimit(std::size_t bytes, const std::function<bool()>& write) {
  struct rlimit saved {};
  if (::getrlimit(RLIMIT_FSIZE, &saved) != 0) throw std::runtime_error("getrlimit failed");
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = bytes;
  if (::setrlimit(RLIMIT_FSIZE, &small) != 0) throw std::runtime_error("setrlimit failed");
  bool result = write();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  return result;
}

}  // namespace albatrix::test
