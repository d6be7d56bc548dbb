// The demo of a build without the stand-in site: there is none to start.
#include "site/DemoSite.h"

#include "MyCode/Trace.h"

namespace albatrix {

std::unique_ptr<DemoSite> DemoSite::Start() {
  Trace("demo: this build has no built-in album site; start albatrix-site elsewhere and pass --site");
  return nullptr;
}

}  // namespace albatrix
