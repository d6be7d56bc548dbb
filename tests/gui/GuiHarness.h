// The tests' side of the window: one wxApp for the whole test program, the event loop pumped while a
// test waits for a condition, and a window on the stand-in site with a desktop that records what would
// open instead of opening it.
#pragma once

#include <gtest/gtest.h>

#include <wx/string.h>
#include <wx/weakref.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/CAlbatrixDlg.h"
#include "site/AlbumSite.h"
#include "support/TempDir.h"

namespace albatrix::test {

// True when a display is there to draw on (under xvfb-run in the scripts).
bool HaveDisplay();

// Runs the event loop until `condition` holds; false after `timeout`.
bool PumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));
// Lets the window settle: events, timers and idle work for `span`.
void PumpFor(std::chrono::milliseconds span);

// What the window would have opened or been given.
struct DesktopRecord {
  std::vector<wxString> openedFolders;
  std::vector<wxString> openedPages;
  wxString folderTitle;      // the folder chooser's title, when asked
  wxString exportFilter;     // the file chooser's filter, when asked
  wxString chosenFolder;     // what the folder chooser answers
  wxString chosenFile;       // what the file chooser answers
  wxString clipboard;
  wxString copied;                      // what was put on the clipboard last
  std::vector<wxString> notifications;  // each "title: text"
  wxString documents;
};

// A window on a stand-in site (no login needed), started as the program starts it, shown, ready.
class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The site's options and the setup before the window starts, for tests that need others.
  virtual SiteOptions Options() const;
  virtual void Prepare(WindowSetup&) {}

  // Presses a button by its id, as a click does.
  void Press(int id);
  // Types into an autocomplete box as the user does: its text changes and its edit event runs.
  void TypeInto(int id, const wxString& text);
  // Checks or unchecks a check box as a click does.
  void Click(int id, bool checked);
  // The label a control shows.
  wxString Label(int id);
  bool Enabled(int id);
  // Follows one of the window's links as a click does.
  void FollowLink(int id);
  // Chooses a menu command through the window's own event.
  void ChooseMenu(int commandId);
  // "获取相册" on `member` of the site; true once the listing and its filling have ended with `rows`
  // albums in the grid (any number above none when `rows` is negative) and the view shows it all.
  bool List(const std::string& member, int rows = -1);
  // True once the run has ended; what it told the view by then is shown at once.
  bool RunEnded(std::chrono::milliseconds timeout = std::chrono::seconds(60));

  AlbumSite& site() { return *site_; }
  CAlbatrixDlg& window() { return *window_; }
  bool WindowAlive() const { return window_.get() != nullptr; }

  TempDir dir;
  std::shared_ptr<DesktopRecord> desktop = std::make_shared<DesktopRecord>();

 private:
  std::unique_ptr<AlbumSite> site_;
  wxWeakRef<CAlbatrixDlg> window_;
};

}  // namespace albatrix::test
