#include "gui/CAboutDlg.h"

#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/AboutBox.h"
#include "gui/DialogLayout.h"
#include "gui/ProgramIcon.h"
#include "gui/WxText.h"

namespace albatrix {

CAboutDlg::CAboutDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, ToWx(kAboutTitle)) {
  auto* texts = new wxBoxSizer(wxVERTICAL);
  texts->Add(new wxStaticText(this, IDC_ABOUT_VERSION, ToWx(kAboutVersion)));
  texts->AddSpacer(DialogGap(this));
  texts->Add(new wxStaticText(this, IDC_ABOUT_LINE, ToWx(kAboutLine)));
  auto* content = new wxBoxSizer(wxHORIZONTAL);
  content->Add(new wxStaticBitmap(this, wxID_ANY, ProgramIconBitmap(FromDIP(48))),
               wxSizerFlags().Top().Border(wxRIGHT, 2 * DialogGap(this)));
  content->Add(texts, wxSizerFlags(1));
  SetIcons(ProgramIcons());
  FinishDialog(this, content, wxID_OK, ToWx(kAboutClose));
}

}  // namespace albatrix
