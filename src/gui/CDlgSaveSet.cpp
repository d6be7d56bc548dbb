#include "gui/CDlgSaveSet.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/SettingsDialogs.h"
#include "gui/CDlgDownSet.h"
#include "gui/DialogLayout.h"
#include "gui/WxText.h"

namespace albatrix {
namespace {

// The text fields in the order of NameDialogFields::texts.
constexpr int kTextIds[] = {IDC_SAVESET_PREFIX,       IDC_SAVESET_SUFFIX,       IDC_SAVESET_REPLACE_FROM,
                            IDC_SAVESET_REPLACE_TO,   IDC_SAVESET_ALBUM_PREFIX, IDC_SAVESET_ALBUM_SUFFIX};
constexpr int kNameSourceIds[] = {IDC_SAVESET_BY_DESCRIPTION, IDC_SAVESET_BY_NUMBER, IDC_SAVESET_BY_ADDRESS};
constexpr int kAlbumFolderIds[] = {IDC_SAVESET_ALBUM_NAME, IDC_SAVESET_NO_ALBUM_NAME};

wxString U8(const char* text) { return wxString::FromUTF8(text); }

// One line of a group: controls side by side, vertically centred, a gap apart.
class Line {
 public:
  Line(wxStaticBoxSizer* group, int gap) : box_(group->GetStaticBox()), sizer_(new wxBoxSizer(wxHORIZONTAL)), gap_(gap) {
    group->Add(sizer_, wxSizerFlags().Expand().Border(wxALL, gap));
  }
  Line& Label(const char* text) { return Put(new wxStaticText(box_, wxID_ANY, U8(text)), 0); }
  Line& Edit(int id, const Text& value, const char* name) {
    auto* edit = new wxTextCtrl(box_, id, ToWx(value));
    edit->SetName(U8(name));  // what a screen reader calls the box
    return Put(edit, 1);
  }
  Line& Radio(int id, const char* text, bool first, bool checked) {
    auto* radio = new wxRadioButton(box_, id, U8(text), wxDefaultPosition, wxDefaultSize, first ? wxRB_GROUP : 0);
    radio->SetValue(checked);
    return Put(radio, 0);
  }

 private:
  Line& Put(wxWindow* control, int proportion) {
    if (!sizer_->IsEmpty()) sizer_->AddSpacer(gap_);
    sizer_->Add(control, wxSizerFlags(proportion).CenterVertical());
    return *this;
  }
  wxWindow* box_;
  wxBoxSizer* sizer_;
  int gap_;
};

}  // namespace

CDlgSaveSet::CDlgSaveSet(wxWindow* parent, NameRule& rule) : wxDialog(parent, wxID_ANY, U8("设置")), rule_(rule) {
  const NameDialogFields shown = NameDialogFieldsOf(rule);
  const int gap = DialogGap(this);

  auto* names = new wxStaticBoxSizer(wxVERTICAL, this, U8("文件名"));
  Line(names, gap)
      .Label("前缀")
      .Edit(IDC_SAVESET_PREFIX, shown.texts[0], "文件名前缀")
      .Radio(IDC_SAVESET_BY_DESCRIPTION, "描述", true, shown.nameSourceChoice == 0)
      .Radio(IDC_SAVESET_BY_NUMBER, "序号", false, shown.nameSourceChoice == 1)
      .Radio(IDC_SAVESET_BY_ADDRESS, "网址", false, shown.nameSourceChoice == 2)
      .Label("后缀")
      .Edit(IDC_SAVESET_SUFFIX, shown.texts[1], "文件名后缀");
  Line(names, gap)
      .Edit(IDC_SAVESET_REPLACE_FROM, shown.texts[2], "替换")
      .Label("替换为")
      .Edit(IDC_SAVESET_REPLACE_TO, shown.texts[3], "替换为");

  auto* albums = new wxStaticBoxSizer(wxVERTICAL, this, U8("相册路径(相册名)"));
  Line(albums, gap)
      .Label("前缀")
      .Edit(IDC_SAVESET_ALBUM_PREFIX, shown.texts[4], "相册路径前缀")
      .Radio(IDC_SAVESET_ALBUM_NAME, "相册名", true, shown.albumFolderChoice == 0)
      .Radio(IDC_SAVESET_NO_ALBUM_NAME, "无", false, shown.albumFolderChoice == 1)
      .Label("后缀")
      .Edit(IDC_SAVESET_ALBUM_SUFFIX, shown.texts[5], "相册路径后缀");

  auto* content = new wxBoxSizer(wxVERTICAL);
  content->Add(names, wxSizerFlags().Expand());
  content->AddSpacer(gap);
  content->Add(albums, wxSizerFlags().Expand());
  content->AddSpacer(gap);
  // The link explains; it opens no address.
  content->Add(new wxHyperlinkCtrl(this, IDC_SAVESET_HELP, U8("前后缀说明"), wxString()), wxSizerFlags());
  FinishDialog(this, content, IDC_SETTINGS_OK, U8("确 定"));
  SetMinSize(wxSize(ConvertDialogToPixels(wxSize(300, 0)).x, GetSize().y));
  Fit();

  Bind(wxEVT_BUTTON, &CDlgSaveSet::OnOk, this, IDC_SETTINGS_OK);
  Bind(wxEVT_HYPERLINK, &CDlgSaveSet::OnHelp, this, IDC_SAVESET_HELP);
}

void CDlgSaveSet::OnOk(wxCommandEvent&) {
  NameDialogFields typed;
  for (std::size_t i = 0; i < typed.texts.size(); ++i) {
    typed.texts[i] = FromWx(static_cast<wxTextCtrl*>(FindWindow(kTextIds[i]))->GetValue());
  }
  auto chosen = [this](const auto& ids) {
    for (std::size_t i = 0; i < std::size(ids); ++i) {
      if (static_cast<wxRadioButton*>(FindWindow(ids[i]))->GetValue()) return static_cast<int>(i);
    }
    return 0;
  };
  typed.nameSourceChoice = chosen(kNameSourceIds);
  typed.albumFolderChoice = chosen(kAlbumFolderIds);
  ApplyNameDialog(typed, rule_);
  EndModal(wxID_OK);
}

void CDlgSaveSet::OnHelp(wxHyperlinkEvent&) {
  wxMessageBox(ToWx(kPrefixSuffixHelp), wxTheApp->GetAppDisplayName(), wxOK, this);
}

}  // namespace albatrix
