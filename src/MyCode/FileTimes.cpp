#include "MyCode/FileTimes.h"

namespace albatrix {

std::uint64_t WindowsFileTime(std::int64_t unixSeconds) {
  return static_cast<std::uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
}

}  // namespace albatrix
