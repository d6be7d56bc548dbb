// No system cookie store on POSIX: the login browser's WebKit cookies are read by the browser itself.
#include "MyCode/SystemCookies.h"

namespace albatrix {

std::optional<std::string> SystemCookieHeader(const std::string&) { return std::nullopt; }

}  // namespace albatrix
