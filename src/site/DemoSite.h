// --demo: the stand-in album site served from inside this process on a loopback port, and the demo
// account's login made through the program's own fetcher so the session cookie lands in the cookie store.
// A build without the stand-in site (the Windows one) has no demo: Start gives null there.
#pragma once

#include <memory>
#include <string>

namespace albatrix {

class DemoSite {
 public:
  // The running site, or null when it could not start.
  static std::unique_ptr<DemoSite> Start();
  virtual ~DemoSite() = default;

  virtual std::string BaseUrl() const = 0;
  virtual std::string DemoMemberUrl() const = 0;  // the demo member's album list
  // POST /login with the demo account through Fetch. True when the site answered and set its cookie.
  virtual bool LogIn() const = 0;
};

}  // namespace albatrix
