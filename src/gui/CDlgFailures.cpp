#include "gui/CDlgFailures.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

#include "app/RunOutcomeTexts.h"
#include "gui/DialogLayout.h"
#include "gui/WxText.h"

namespace albatrix {

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

}  // namespace

CDlgFailures::CDlgFailures(wxWindow* parent, const std::vector<FailedPicture>& failures,
                           std::function<void(const wxString&)> copy)
    : wxDialog(parent, wxID_ANY, U8("下载失败的图片"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  const int gap = DialogGap(this);
  list_ = new wxListCtrl(this, IDC_FAILURES_LIST, wxDefaultPosition, ConvertDialogToPixels(wxSize(380, 160)),
                         wxLC_REPORT | wxBORDER_THEME);
  list_->SetName(U8("失败的图片"));
  list_->AppendColumn(U8("相册"), wxLIST_FORMAT_LEFT, FromDIP(140));
  list_->AppendColumn(U8("地址"), wxLIST_FORMAT_LEFT, FromDIP(390));
  list_->AppendColumn(U8("原因"), wxLIST_FORMAT_LEFT, FromDIP(110));
  list_->Freeze();
  for (const FailedPicture& failure : failures) {
    const long row = list_->InsertItem(list_->GetItemCount(), ToWx(FailureAlbumText(failure)));
    list_->SetItem(row, 1, ToWx(failure.url));
    list_->SetItem(row, 2, ToWx(failure.reason));
  }
  list_->Thaw();

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(this, IDC_FAILURES_RETRY, U8("重试失败的图片")));
  buttons->AddStretchSpacer();
  buttons->Add(new wxButton(this, IDC_FAILURES_COPY, U8("复制")), wxSizerFlags().Border(wxRIGHT, gap));
  auto* close = new wxButton(this, wxID_CANCEL, U8("关闭"));
  close->SetDefault();
  buttons->Add(close);

  auto* all = new wxBoxSizer(wxVERTICAL);
  all->Add(list_, wxSizerFlags(1).Expand().Border(wxALL, 2 * gap));
  all->Add(buttons, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxBOTTOM, 2 * gap));
  SetSizerAndFit(all);
  CentreOnParent();

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(IDC_FAILURES_RETRY); }, IDC_FAILURES_RETRY);
  const wxString text = ToWx(FailureListText(failures));
  Bind(wxEVT_BUTTON, [copy = std::move(copy), text](wxCommandEvent&) {
    if (copy) copy(text);
  }, IDC_FAILURES_COPY);
}

}  // namespace albatrix
