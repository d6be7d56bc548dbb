// The main window's menu bar: built from the app's layout, attached to the frame, its commands handed to
// MenuCommands, and its check marks and enabled states recomputed each time a pop-up opens.
#pragma once

#include <wx/frame.h>
#include <wx/menu.h>

#include "app/MenuCommands.h"
#include "gui/Desktop.h"

namespace albatrix {

// The bar alone, from MenuBarLayout(): items carry MenuWxId of their command ids, option items are check
// items. A pop-up the layout disables is disabled by InstallMainMenu (wx disables a pop-up only on an
// attached bar).
wxMenuBar* CreateMainMenuBar();

// Sets every item's check mark and enabled state as `commands` says.
void RefreshMenuStates(wxMenuBar& bar, const MenuCommands& commands);

// Puts the menu bar on `frame` and binds its commands and its pop-up openings there. The frame's bindings
// keep the commands alive, so the menu lives exactly as long as the frame; `controller` must outlive it.
// Actions left empty get the program's own: the system browser, CDlgDownSet, CDlgSaveSet, CAboutDlg,
// message boxes on the frame, and, on the main window, its grid and save-path box for the exports.
void InstallMainMenu(wxFrame& frame, AlbatrixController& controller, MenuActions actions);

// The menu's actions on the window's desktop: its browser opener opens the help pages and, until the login
// browser exists, the login pages; its file choosers choose the job and list files; the dialogs and the
// about box are the program's own.
MenuActions DesktopMenuActions(const Desktop& desktop);

}  // namespace albatrix
