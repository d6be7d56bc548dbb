#include "gui/Desktop.h"

#include <wx/clipbrd.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/notifmsg.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

namespace albatrix {

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
    wxNotificationMessage note(title, text, parent);
    note.Show();
  };
  desktop.documentsFolder = [] { return wxStandardPaths::Get().GetDocumentsDir(); };
  return desktop;
}

}  // namespace albatrix
