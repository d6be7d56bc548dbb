#include "MyCode/CodePage.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include "MyCode/Trace.h"

namespace albatrix {

unsigned CodePageFromSetting(const char* value) {
  if (!value || !*value) return CP_GBK;
  char* end = nullptr;
  errno = 0;
  unsigned long n = std::strtoul(value, &end, 10);
  bool number = value[0] >= '0' && value[0] <= '9' && *end == '\0' && errno == 0 && n > 0 && n <= 65535;
  if (number && CodePageSupported(static_cast<unsigned>(n))) return static_cast<unsigned>(n);
  Trace(std::string("code page setting \"") + value + "\" is not a code page this system converts; using 936");
  return CP_GBK;
}

}  // namespace albatrix
