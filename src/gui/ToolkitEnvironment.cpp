#include "gui/ToolkitEnvironment.h"

#include <wx/defs.h>

#include <cstdlib>

namespace albatrix {

void PrepareToolkitEnvironment() {
#ifdef __WXGTK__
  // Neither the window nor wx draws with OpenGL. The login browser's web view then shows its pages
  // without GL in this process (WebKit's own fallback); its pages are still made in WebKit's processes.
  ::setenv("GDK_GL", "disable", 0);
#endif
}

}  // namespace albatrix
