#include "gui/CDlgFind.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <initializer_list>

#include "app/AlbatrixController.h"
#include "gui/ControlIds.h"
#include "app/GridSearch.h"
#include "gui/CMyGridCtrl.h"
#include "gui/WxText.h"

namespace albatrix {

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

}  // namespace

CDlgFind::CDlgFind(wxWindow* parent, FindMode mode, CMyGridCtrl* grid)
    : wxDialog(parent, mode == FindMode::Find ? IDD_FIND : wxID_ANY, U8("相册搜索"), wxDefaultPosition, wxDefaultSize,
               wxBORDER_SIMPLE),
      mode_(mode),
      grid_(grid) {
  const int gap = ConvertDialogToPixels(wxSize(3, 0)).x;
  auto* title = new wxStaticText(this, wxID_ANY, U8("相册搜索"), wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL);
  auto* close = new wxButton(this, IDC_FIND_CLOSE, U8("×"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  auto* titleRow = new wxBoxSizer(wxHORIZONTAL);
  titleRow->Add(title, wxSizerFlags(1).CenterVertical());
  titleRow->Add(close, wxSizerFlags().CenterVertical());

  auto* label = new wxStaticText(this, wxID_ANY, U8("关键字:"));
  edit_ = new wxTextCtrl(this, IDC_FIND_KEYWORD, wxString(), wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
  edit_->SetName(U8("关键字"));
  auto* keywordRow = new wxBoxSizer(wxHORIZONTAL);
  keywordRow->Add(label, wxSizerFlags().CenterVertical().Border(wxRIGHT, gap));
  keywordRow->Add(edit_, wxSizerFlags(1).CenterVertical());

  matchCase_ = new wxCheckBox(this, IDC_FIND_CASE, U8("区分大小写"));
  wholeCell_ = new wxCheckBox(this, IDC_FIND_WHOLE, U8("全字匹配"));
  auto* optionRow = new wxBoxSizer(wxHORIZONTAL);
  optionRow->Add(matchCase_, wxSizerFlags().CenterVertical().Border(wxRIGHT, 2 * gap));
  optionRow->Add(wholeCell_, wxSizerFlags().CenterVertical());

  previous_ = new wxButton(this, IDC_FIND_PREVIOUS, U8("上一个"));
  next_ = new wxButton(this, IDC_FIND_NEXT, U8("下一个"));
  next_->SetDefault();
  auto* buttonRow = new wxBoxSizer(wxHORIZONTAL);
  buttonRow->AddStretchSpacer();
  buttonRow->Add(previous_, wxSizerFlags().Border(wxRIGHT, gap));
  buttonRow->Add(next_);

  auto* all = new wxBoxSizer(wxVERTICAL);
  all->Add(titleRow, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, gap));
  all->Add(keywordRow, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, gap));
  all->Add(optionRow, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, gap));
  all->Add(buttonRow, wxSizerFlags().Expand().Border(wxALL, gap));
  SetSizer(all);

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnNext(); }, IDC_FIND_NEXT);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Search(false); }, IDC_FIND_PREVIOUS);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnClose(); }, IDC_FIND_CLOSE);
  edit_->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { OnNext(); });
  // The window has no caption: a press anywhere on it, or on its texts, drags it.
  for (wxWindow* handle : std::initializer_list<wxWindow*>{this, title, label}) {
    handle->Bind(wxEVT_LEFT_DOWN, &CDlgFind::BeginDrag, this);
    handle->Bind(wxEVT_MOTION, &CDlgFind::Drag, this);
    handle->Bind(wxEVT_LEFT_UP, &CDlgFind::EndDrag, this);
  }
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [](wxMouseCaptureLostEvent&) {});
  // Escape hides the find window (or cancels the prompt), and stays with it: it never reaches the main
  // window, where it would end the program.
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE) {
      OnClose();
      return;
    }
    event.Skip();
  });
  // Shown, the window is there to be typed into.
  Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
    if (event.IsShown()) CallAfter([this] {
        edit_->SetFocus();
        edit_->SelectAll();
      });
    event.Skip();
  });
  wanted_ = ConvertDialogToPixels(wxSize(130, 71));
  ApplyMode();
}

void CDlgFind::ApplyMode() {
  const bool find = mode_ == FindMode::Find;
  matchCase_->Show(find);
  wholeCell_->Show(find);
  previous_->Show(find);
  next_->SetLabel(U8(find ? "下一个" : "筛选"));
  // The prompt has no option row: it is as tall as what it shows, with no blank band.
  wxSize least = GetSizer()->GetMinSize();
  SetSize(wxSize(std::max(wanted_.x, least.x), find ? std::max(wanted_.y, least.y) : least.y));
  Layout();
}

void CDlgFind::ShowForFind() {
  mode_ = FindMode::Find;
  ApplyMode();
  if (grid_) grid_->SetSingleRowSelection(true);
  Show();
  CentreOnParent();
  Raise();
}

bool CDlgFind::Show(bool show) {
  if (!show && grid_) grid_->SetSingleRowSelection(false);
  return wxDialog::Show(show);
}

void CDlgFind::OnNext() {
  if (mode_ == FindMode::Filter) {
    keyword_ = TrimBlanks(FromWx(edit_->GetValue()));
    EndModal(wxID_OK);
    return;
  }
  Search(true);
}

void CDlgFind::OnClose() {
  if (IsModal()) {
    EndModal(wxID_CANCEL);
  } else {
    Hide();
  }
}

void CDlgFind::Search(bool forward) {
  if (!grid_) return;
  FindOutcome outcome = FindAlbumRow(grid_->AlbumRowTexts(), grid_->TopSelectedRow(), FromWx(edit_->GetValue()),
                                     forward, !matchCase_->GetValue(), wholeCell_->GetValue());
  if (outcome.emptyKeyword) {
    wxMessageDialog box(this, ToWx(kEmptyKeywordMessage), ToWx(kPromptCaption), wxOK);
    box.ShowModal();
    return;
  }
  if (outcome.row != kNoRow) grid_->SelectAlbumRow(outcome.row);
}

void CDlgFind::BeginDrag(wxMouseEvent& event) {
  auto* source = static_cast<wxWindow*>(event.GetEventObject());
  grabbedAt_ = ScreenToClient(source->ClientToScreen(event.GetPosition())) + GetClientAreaOrigin();
  source->CaptureMouse();
}

void CDlgFind::Drag(wxMouseEvent& event) {
  auto* source = static_cast<wxWindow*>(event.GetEventObject());
  if (!event.Dragging() || !source->HasCapture()) return;
  Move(source->ClientToScreen(event.GetPosition()) - grabbedAt_);
}

void CDlgFind::EndDrag(wxMouseEvent& event) {
  auto* source = static_cast<wxWindow*>(event.GetEventObject());
  if (source->HasCapture()) source->ReleaseMouse();
}

}  // namespace albatrix
