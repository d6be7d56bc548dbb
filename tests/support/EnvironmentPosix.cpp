#include "support/Environment.h"

#include <stdlib.h>
#include <time.h>

namespace albatrix::test {

void SetEnvironment(const char* name, const char* value) {
  ::setenv(name, value, 1);
  ::tzset();
}

}  // namespace albatrix::test
