#include "gui/DialogLayout.h"

namespace albatrix {

int DialogGap(wxWindow* window) { return window->ConvertDialogToPixels(wxSize(3, 3)).x; }

wxButton* FinishDialog(wxDialog* dialog, wxSizer* content, int buttonId, const wxString& label) {
  const int gap = DialogGap(dialog);
  auto* button = new wxButton(dialog, buttonId, label);
  button->SetDefault();
  auto* outer = new wxBoxSizer(wxVERTICAL);
  outer->Add(content, wxSizerFlags(1).Expand().Border(wxALL, 2 * gap));
  outer->Add(button, wxSizerFlags().Right().Border(wxLEFT | wxRIGHT | wxBOTTOM, 2 * gap));
  dialog->SetSizerAndFit(outer);
  dialog->CentreOnParent();
  // Without a cancel button wx would let Escape fall through; the dialogs end on it as on their close box.
  dialog->Bind(wxEVT_CHAR_HOOK, [dialog](wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE) {
      dialog->Close();
      return;
    }
    event.Skip();
  });
  return button;
}

}  // namespace albatrix
