// What the window asks of the desktop: opening a folder or a web address, choosing a folder or a file,
// reading and writing the clipboard, a notification. Injected, so the tests record what would open
// instead of opening it.
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

#include <functional>

class wxWindow;

namespace albatrix {

struct Desktop {
  std::function<void(const wxString& folder)> openFolder;
  std::function<void(const wxString& address)> openBrowser;
  // The chosen folder, or empty when the user cancelled.
  std::function<wxString(wxWindow* parent, const wxString& title, const wxString& start)> chooseFolder;
  // The chosen file to write (the dialog asked before overwriting), or empty when cancelled.
  std::function<wxString(wxWindow* parent, const wxString& filter)> chooseSaveFile;
  // The chosen files to read, in the order the dialog gives them, or none when cancelled.
  std::function<wxArrayString(wxWindow* parent, const wxString& filter)> chooseOpenFiles;
  // The clipboard's text, empty when it holds none.
  std::function<wxString()> clipboardText;
  // Puts text on the clipboard.
  std::function<void(const wxString& text)> copyText;
  // A desktop notification beside the window's own: `title` over `text`.
  std::function<void(wxWindow* parent, const wxString& title, const wxString& text)> notify;
  // The user's documents folder.
  std::function<wxString()> documentsFolder;
};

// The real desktop: wxLaunchDefaultApplication, wxLaunchDefaultBrowser, wxDirDialog, wxFileDialog,
// wxClipboard, wxNotificationMessage, wxStandardPaths.
Desktop SystemDesktop();

}  // namespace albatrix
