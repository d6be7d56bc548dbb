// --demo's login: the front ends log the demo account in through the program's own fetcher, as a login
// in the browser would, so the session cookie lands in the cookie store that every later request reads.
#pragma once

#include <string>

namespace albatrix {

// POSTs `form` (already form-encoded) to `loginUrl` through Fetch. True when the site answered and the
// cookie store then holds a cookie named `cookieName`; what went wrong is a trace line.
bool LogInToDemo(const std::string& loginUrl, const std::string& form, const std::string& cookieName);

}  // namespace albatrix
