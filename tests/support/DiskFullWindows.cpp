#include "support/DiskFull.h"

#include <stdexcept>

namespace albatrix::test {

// Windows has no per-process file size limit; the disk-full tests are left out of the Windows run.
bool WithFileSizeLimit(std::size_t, const std::function<bool()>&) {
  throw std::runtime_error("no file size limit can stand in for a full disk on Windows");
}

}  // namespace albatrix::test
