// --demo: the stand-in album site served from inside this process on a loopback port, and the demo
// account's login. The site knows no client: the front ends hand it the step that logs in through the
// program's own fetcher, so the session cookie lands in the cookie store.
// A build without the stand-in site (the Windows one) has no demo: Start gives null there.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace albatrix {

// Logs in by POSTing `form` to `loginUrl`; true when the site then has set the cookie `cookieName`.
using DemoLogIn = bool (*)(const std::string& loginUrl, const std::string& form,
                           const std::string& cookieName);

class DemoSite {
 public:
  // The running site, not logged in, or null when it could not start.
  static std::unique_ptr<DemoSite> Start();
  // Start, then LogIn through `logIn`, as both front ends' --demo does; what went wrong is said on stderr
  // after `program`. Null when the site did not start; after a failed login the site runs on.
  static std::unique_ptr<DemoSite> StartLoggedIn(const char* program, DemoLogIn logIn);
  virtual ~DemoSite() = default;

  virtual std::string BaseUrl() const = 0;
  virtual std::string DemoMemberUrl() const = 0;  // the demo member's album list
  // Hands `logIn` the site's login address, the demo account's form and the session cookie's name; what
  // it answers.
  virtual bool LogIn(DemoLogIn logIn) const = 0;
};

// In the header: the builds with and without the site each define Start, and share this.
inline std::unique_ptr<DemoSite> DemoSite::StartLoggedIn(const char* program, DemoLogIn logIn) {
  std::unique_ptr<DemoSite> site = Start();
  if (!site)
    std::fprintf(stderr, "%s: the demo site could not start\n", program);
  else if (!site->LogIn(logIn))
    std::fprintf(stderr, "%s: the demo login failed\n", program);
  return site;
}

}  // namespace albatrix
