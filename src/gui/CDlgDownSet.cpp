#include "gui/CDlgDownSet.h"

#include <wx/button.h>
#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "app/SettingsDialogs.h"
#include "app/SettingsEditing.h"
#include "gui/DialogLayout.h"
#include "gui/WxText.h"

namespace albatrix {

CDlgDownSet::CDlgDownSet(wxWindow* parent, DownloadLimits& limits)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("设置")), limits_(limits) {
  const DownloadDialogFields shown = DownloadDialogFieldsOf(limits);
  struct Row {
    const char* label;
    int id;
    const Text& value;
  };
  const Row rows[] = {
      {"线程数(1~15)：", IDC_DOWNSET_THREADS, shown.threads},
      {"超时(S, >=10)：", IDC_DOWNSET_TIMEOUT, shown.timeout},
      {"图片最小值(K)：", IDC_DOWNSET_MIN_KB, shown.minKB},
      {"图片最大值(K)：", IDC_DOWNSET_MAX_KB, shown.maxKB},
  };
  auto* group = new wxStaticBoxSizer(wxVERTICAL, this, wxString::FromUTF8("下载参数设置"));
  auto* grid = new wxFlexGridSizer(2, DialogGap(this), DialogGap(this));
  grid->AddGrowableCol(1);
  for (const Row& row : rows) {
    grid->Add(new wxStaticText(group->GetStaticBox(), wxID_ANY, wxString::FromUTF8(row.label)),
              wxSizerFlags().CenterVertical());
    grid->Add(new wxTextCtrl(group->GetStaticBox(), row.id, ToWx(row.value)), wxSizerFlags().Expand());
  }
  group->Add(grid, wxSizerFlags(1).Expand().Border(wxALL, DialogGap(this)));
  FinishDialog(this, group, IDC_SETTINGS_OK, wxString::FromUTF8("确 定"));
  Bind(wxEVT_BUTTON, &CDlgDownSet::OnOk, this, IDC_SETTINGS_OK);
}

wxTextCtrl* CDlgDownSet::Field(int id) const { return static_cast<wxTextCtrl*>(FindWindow(id)); }

void CDlgDownSet::OnOk(wxCommandEvent&) {
  const DownloadDialogFields typed{FromWx(Field(IDC_DOWNSET_THREADS)->GetValue()),
                                   FromWx(Field(IDC_DOWNSET_TIMEOUT)->GetValue()),
                                   FromWx(Field(IDC_DOWNSET_MIN_KB)->GetValue()),
                                   FromWx(Field(IDC_DOWNSET_MAX_KB)->GetValue())};
  if (ApplyDownloadDialog(typed, limits_)) {
    EndModal(wxID_OK);
    return;
  }
  wxMessageBox(ToWx(kTextBadParameters), wxTheApp->GetAppDisplayName(), wxOK, this);
}

}  // namespace albatrix
