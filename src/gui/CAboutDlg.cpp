#include "gui/CAboutDlg.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

#include "app/AboutBox.h"
#include "gui/DialogLayout.h"
#include "gui/WxText.h"

namespace albatrix {

CAboutDlg::CAboutDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, ToWx(kAboutTitle)) {
  auto* content = new wxBoxSizer(wxVERTICAL);
  content->Add(new wxStaticText(this, IDC_ABOUT_VERSION, ToWx(kAboutVersion)));
  content->AddSpacer(DialogGap(this));
  content->Add(new wxStaticText(this, IDC_ABOUT_LINE, ToWx(kAboutLine)));
  FinishDialog(this, content, wxID_OK, ToWx(kAboutClose));
}

}  // namespace albatrix
