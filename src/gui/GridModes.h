// The grid's two modes in the window: the preview switch (1014) with its thumbnails, "筛选" (1036) and
// "查找" (1034), plugged into the main window's hooks.
#pragma once

namespace albatrix {

class CAlbatrixDlg;
class CDlgFind;

// Wires the three commands and the thumbnail maker of `window`. Interface thread, once.
void InstallGridModes(CAlbatrixDlg& window);

// The window's find window, once "查找" has made it; null before.
CDlgFind* FindWindowOf(CAlbatrixDlg& window);

}  // namespace albatrix
