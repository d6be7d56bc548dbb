#include "MyCode/Trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace albatrix {

bool TraceEnabled() {
  static const bool enabled = [] {
    const char* v = std::getenv("ALBATRIX_TRACE");
    return v && std::strcmp(v, "1") == 0;
  }();
  return enabled;
}

void Trace(std::string_view line) {
  if (!TraceEnabled()) return;
  static std::mutex lock;  // keeps lines from several workers whole
  std::lock_guard<std::mutex> hold(lock);
  std::fprintf(stderr, "trace: %.*s\n", static_cast<int>(line.size()), line.data());
}

}  // namespace albatrix
