// Setting an environment variable of the test process, as the program would see it.
#pragma once

namespace albatrix::test {

// Sets `name` to `value` and makes the C library read the time zone again (for TZ).
void SetEnvironment(const char* name, const char* value);

}  // namespace albatrix::test
