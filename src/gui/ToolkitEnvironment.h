// What the window's toolkit reads from the environment when it starts, set by the program before it
// does. GTK opens the display by probing OpenGL (GDK_GL), which maps the Mesa driver and the LLVM
// it links: about 50 MB of a process that draws only with cairo. The user's own GDK_GL setting wins.
#pragma once

namespace albatrix {

// Before wx starts GTK (wxEntry, wxEntryStart); nothing on other toolkits.
void PrepareToolkitEnvironment();

}  // namespace albatrix
