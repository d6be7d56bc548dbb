// --demo: the stand-in album site served from inside this process on a loopback port, and the demo
// account's login made through the program's own fetcher so the session cookie lands in the cookie store.
// A build without the stand-in site (the Windows one) has no demo: Start gives null there.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace albatrix {

class DemoSite {
 public:
  // The running site, or null when it could not start.
  static std::unique_ptr<DemoSite> Start();
  // Start, then LogIn, as both front ends' --demo does; what went wrong is said on stderr after `program`.
  // Null when the site did not start; after a failed login the site runs on.
  static std::unique_ptr<DemoSite> StartLoggedIn(const char* program);
  virtual ~DemoSite() = default;

  virtual std::string BaseUrl() const = 0;
  virtual std::string DemoMemberUrl() const = 0;  // the demo member's album list
  // POST /login with the demo account through Fetch. True when the site answered and set its cookie.
  virtual bool LogIn() const = 0;
};

// In the header: the builds with and without the site each define Start, and share this.
inline std::unique_ptr<DemoSite> DemoSite::StartLoggedIn(const char* program) {
  std::unique_ptr<DemoSite> site = Start();
  if (!site)
    std::fprintf(stderr, "%s: the demo site could not start\n", program);
  else if (!site->LogIn())
    std::fprintf(stderr, "%s: the demo login failed\n", program);
  return site;
}

}  // namespace albatrix
