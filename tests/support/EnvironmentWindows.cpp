#include "support/Environment.h"

#include <stdlib.h>
#include <time.h>

namespace albatrix::test {

void SetEnvironment(const char* name, const char* value) {
  ::_putenv_s(name, value);
  ::_tzset();
}

}  // namespace albatrix::test
