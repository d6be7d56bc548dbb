#include "gui/Desktop.h"

#include <wx/clipbrd.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/notifmsg.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#ifdef __WXMSW__
#include <wx/taskbar.h>
#include <wx/toplevel.h>
#endif

#include "MyCode/Trace.h"

namespace albatrix {

namespace {

#ifdef __WXMSW__
// A note is a balloon over a tray icon. wx's own icon for it, and the hidden window behind the icon that
// keeps the program running, stay until the system says the balloon went (which it may never say, nor
// once the window has closed): the note's icon is the window's own instead, taken out of the tray when
// the balloon goes and destroyed with the window.
void UseWindowsNoteIcon(wxWindow* parent) {
  static wxTaskBarIcon* icon = nullptr;
  auto* top = wxDynamicCast(parent ? wxGetTopLevelParent(parent) : nullptr, wxTopLevelWindow);
  if (!top) return;
  if (!icon) {
    icon = new wxTaskBarIcon();
    const auto gone = [](wxTaskBarIconEvent& event) {
      event.Skip();
      icon->RemoveIcon();
    };
    icon->Bind(wxEVT_TASKBAR_BALLOON_TIMEOUT, gone);
    icon->Bind(wxEVT_TASKBAR_BALLOON_CLICK, gone);
    wxNotificationMessage::UseTaskBarIcon(icon);
    top->Bind(wxEVT_DESTROY, [top](wxWindowDestroyEvent& event) {
      event.Skip();
      if (event.GetEventObject() != top || !icon) return;
      wxNotificationMessage::UseTaskBarIcon(nullptr);
      icon->RemoveIcon();
      icon->Destroy();
      icon = nullptr;
    });
  }
  if (!icon->IsIconInstalled()) icon->SetIcon(top->GetIcon(), top->GetTitle());
}
#endif

}  // namespace

Desktop SystemDesktop() {
  Desktop desktop;
  desktop.openFolder = [](const wxString& folder) { wxLaunchDefaultApplication(folder); };
  desktop.openBrowser = [](const wxString& address) { wxLaunchDefaultBrowser(address); };
  desktop.chooseFolder = [](wxWindow* parent, const wxString& title, const wxString& start) {
    wxDirDialog dialog(parent, title, start, wxDD_DEFAULT_STYLE);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
  };
  desktop.chooseSaveFile = [](wxWindow* parent, const wxString& filter) {
    wxFileDialog dialog(parent, wxFileSelectorPromptStr, wxString(), wxString(), filter,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
  };
  desktop.chooseOpenFiles = [](wxWindow* parent, const wxString& filter) {
    wxFileDialog dialog(parent, wxFileSelectorPromptStr, wxString(), wxString(), filter,
                        wxFD_OPEN | wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST);
    wxArrayString paths;
    if (dialog.ShowModal() == wxID_OK) dialog.GetPaths(paths);
    return paths;
  };
  desktop.clipboardText = [] {
    wxString text;
    wxClipboardLocker locker;
    if (!locker || !wxTheClipboard->IsSupported(wxDF_UNICODETEXT)) return text;
    wxTextDataObject data;
    if (wxTheClipboard->GetData(data)) text = data.GetText();
    return text;
  };
  desktop.copyText = [](const wxString& text) {
    wxClipboardLocker locker;
    if (!locker) return;
    wxTheClipboard->SetData(new wxTextDataObject(text));
    wxTheClipboard->Flush();  // the text stays once the program has ended
  };
  desktop.notify = [](wxWindow* parent, const wxString& title, const wxString& text) {
#ifdef __WXMSW__
    UseWindowsNoteIcon(parent);
#endif
    wxNotificationMessage note(title, text, parent);
    // A desktop without a notification area takes none; the trace says which.
    const bool shown = note.Show();
    Trace(std::string("desktop note ") + (shown ? "shown: " : "refused: ") + text.utf8_string());
  };
  desktop.documentsFolder = [] { return wxStandardPaths::Get().GetDocumentsDir(); };
  return desktop;
}

}  // namespace albatrix
