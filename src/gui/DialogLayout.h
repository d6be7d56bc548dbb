// The few layout steps every small dialog of the program shares: a gap of 3 dialog units, and the finish
// that puts the content above a right-aligned default button, sizes the dialog to fit and centres it.
#pragma once

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>

namespace albatrix {

// 3 dialog units in pixels: the space between controls and around a group.
int DialogGap(wxWindow* window);

// Adds a button `buttonId` with `label` as the dialog's default button under `content`, lays the dialog
// out and centres it over its parent. Escape closes the dialog the way its close box does (not OK).
wxButton* FinishDialog(wxDialog* dialog, wxSizer* content, int buttonId, const wxString& label);

}  // namespace albatrix
