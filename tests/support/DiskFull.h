// Stands in for a full disk: permission bits cannot, because the tests may run as root.
#pragma once

#include <cstddef>
#include <functional>

namespace albatrix::test {

// Runs `write` while this process may not grow any file past `bytes` (RLIMIT_FSIZE, with SIGXFSZ
// ignored so the write fails instead of killing the process); the limit is lifted again afterwards.
// Returns what `write` returned.
bool WithFileSizeLimit(std::size_t bytes, const std::function<bool()>& write);

}  // namespace albatrix::test
