// --demo: the stand-in album site served from inside this process on a loopback port, and the demo
// account's login made through the program's own fetcher so the session cookie lands in the cookie store.
#pragma once

#include <memory>

#include "site/AlbumSite.h"

namespace albatrix {

// The running site, or null when it could not start.
std::unique_ptr<AlbumSite> StartDemoSite();

// POST /login with the demo account through Fetch. True when the site answered and set its cookie.
bool LogInToDemo(const AlbumSite& site);

}  // namespace albatrix
