#include "gui/CComboBox2.h"

#include <wx/dc.h>
#include <wx/dcbuffer.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/vlbox.h>
#include <wx/popupwin.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "app/ComboFilter.h"
#include "gui/WxText.h"

namespace albatrix {

namespace {
constexpr int kVisibleRows = 8;  // the list grows up to this many rows, then scrolls
}

// The visible list: drawn by wx itself, so showing it moves no focus and selects nothing (a native list
// box selects its first row when it gets the focus, which would pick an entry nobody chose).
class CandidateList : public wxVListBox {
 public:
  explicit CandidateList(wxWindow* parent) : wxVListBox(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0,
                                                        "candidates") {
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOX));
  }
  void Set(const wxArrayString& items) {
    items_ = items;
    SetItemCount(items_.size());
    SetSelection(wxNOT_FOUND);
    Refresh();
  }
  const wxArrayString& Items() const { return items_; }
  int RowHeight() const { return GetCharHeight() + FromDIP(6); }

 private:
  void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override {
    dc.SetTextForeground(wxSystemSettings::GetColour(IsSelected(n) ? wxSYS_COLOUR_HIGHLIGHTTEXT : wxSYS_COLOUR_LISTBOXTEXT));
    dc.DrawText(items_[n], rect.GetLeft() + FromDIP(4), rect.GetTop() + FromDIP(3));
  }
  wxCoord OnMeasureItem(size_t) const override { return RowHeight(); }

  wxArrayString items_;
};

// The drop arrow, drawn by the platform's own renderer as a combo box draws its button: a glyph such as
// "▾" is missing from some systems' fonts and would show as a box. Takes no focus; a click (or a press
// through accessibility) raises wxEVT_BUTTON.
class DropArrow : public wxWindow {
 public:
  DropArrow(wxWindow* parent, const wxString& name)
      : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE, name) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
      wxAutoBufferedPaintDC dc(this);
      dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
      dc.Clear();
      int flags = 0;
      if (pressed_) flags |= wxCONTROL_PRESSED;
      if (hover_) flags |= wxCONTROL_CURRENT;
      if (!IsEnabled()) flags |= wxCONTROL_DISABLED;
      wxRendererNative::Get().DrawComboBoxDropButton(this, dc, GetClientRect(), flags);
    });
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent&) { SetPressed(true); });
    Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& event) {
      bool wasPressed = pressed_;
      SetPressed(false);
      if (wasPressed && GetClientRect().Contains(event.GetPosition())) {
        wxCommandEvent click(wxEVT_BUTTON, GetId());
        click.SetEventObject(this);
        ProcessWindowEvent(click);
      }
    });
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { pressed_ = false; Refresh(); });
    Bind(wxEVT_ENTER_WINDOW, [this](wxMouseEvent&) { hover_ = true; Refresh(); });
    Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent&) { hover_ = false; SetPressed(false); });
  }
  bool AcceptsFocus() const override { return false; }

 protected:
  // Enabled or disabled with its box (a listing disables the member box): drawn anew in that state.
  void DoEnable(bool enable) override {
    wxWindow::DoEnable(enable);
    Refresh();
  }
  wxSize DoGetBestSize() const override {
    int side = GetParent()->GetCharHeight() + FromDIP(8);
    return wxSize(wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this) + FromDIP(4), side);
  }

 private:
  void SetPressed(bool pressed) {
    if (pressed == pressed_) return;
    pressed_ = pressed;
    if (pressed) CaptureMouse();
    else if (HasCapture()) ReleaseMouse();
    Refresh();
  }
  bool pressed_ = false;
  bool hover_ = false;
};

CComboBox2::CComboBox2(wxWindow* parent, int id, const wxString& accessibleName)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER, accessibleName) {
  edit_ = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                         accessibleName);
  arrow_ = new DropArrow(this, accessibleName + wxString::FromUTF8(" 列表"));
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(edit_, wxSizerFlags(1).Expand());
  row->Add(arrow_, wxSizerFlags().Expand());
  SetSizer(row);

  // A plain popup takes no focus and grabs nothing: the keys keep going to the text box.
  popup_ = new wxPopupWindow(this, wxBORDER_SIMPLE);
  list_ = new CandidateList(popup_);
  auto* inside = new wxBoxSizer(wxVERTICAL);
  inside->Add(list_, wxSizerFlags(1).Expand());
  popup_->SetSizer(inside);

  edit_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnText(); });
  edit_->Bind(wxEVT_KEY_DOWN, &CComboBox2::OnKey, this);
  // The list lives only while its box has the keys: focus gone anywhere (another control, another
  // program, nowhere) closes it, or it would float over the next box and take that box's clicks.
  edit_->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
    wxWindow* next = event.GetWindow();
    if (next != list_ && next != popup_) CloseList();
    event.Skip();
  });
  arrow_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    if (IsListShown()) {
      CloseList();
    } else {
      ShowAllCandidates();
      edit_->SetFocus();
    }
  });
  list_->Bind(wxEVT_LISTBOX, [this](wxCommandEvent& event) { Pick(event.GetSelection()); });
}

CComboBox2::~CComboBox2() = default;

void CComboBox2::AddCandidate(const Text& text) { candidates_.push_back(text); }

wxString CComboBox2::GetValue() const { return edit_->GetValue(); }

void CComboBox2::SetValue(const wxString& text) { edit_->ChangeValue(text); }

wxArrayString CComboBox2::VisibleItems() const { return list_->Items(); }

bool CComboBox2::IsListShown() const { return popup_->IsShown(); }

void CComboBox2::OnText() {
  // Only the user's edits arrive here (SetValue raises none), so one key is one pass. The text box keeps
  // its text and caret: the list is built beside it, never through it.
  Text typed = FromWx(edit_->GetValue());
  if (typed.empty()) {
    CloseList();
  } else {
    TextArray shown = FilterCandidates(candidates_, typed);
    SetItems(shown);
    if (shown.empty()) {
      CloseList();
    } else {
      OpenList();
    }
  }
  if (onEdited) onEdited();
}

void CComboBox2::OnKey(wxKeyEvent& event) {
  int key = event.GetKeyCode();
  if (key != WXK_DOWN && key != WXK_UP) {
    event.Skip();
    return;
  }
  if (!IsListShown()) {
    ShowAllCandidates();
    return;
  }
  int count = static_cast<int>(list_->GetItemCount());
  if (count == 0) return;
  int at = list_->GetSelection();
  at = key == WXK_DOWN ? std::min(at + 1, count - 1) : std::max(at - 1, 0);
  list_->SetSelection(at);
}

void CComboBox2::SetItems(const TextArray& items) {
  wxArrayString strings;
  strings.reserve(items.size());
  for (const Text& item : items) strings.push_back(ToWx(item));
  list_->Set(strings);
}

void CComboBox2::ShowAllCandidates() {
  SetItems(candidates_);
  if (!candidates_.empty()) OpenList();
}

void CComboBox2::CancelList() {
  list_->Set(wxArrayString());
  CloseList();
}

int CComboBox2::SelectedItem() const { return list_->GetSelection(); }

void CComboBox2::Pick(int index) {
  if (index < 0 || index >= static_cast<int>(list_->GetItemCount())) return;
  edit_->ChangeValue(list_->Items()[static_cast<std::size_t>(index)]);
  edit_->SetInsertionPointEnd();
  CloseList();
  edit_->SetFocus();  // a click in the list leaves the keys with the box
  if (onPicked) onPicked();
}

void CComboBox2::OpenList() {
  int rows = std::clamp(static_cast<int>(list_->GetItemCount()), 1, kVisibleRows);
  int rowHeight = list_->RowHeight();
  wxSize size(GetSize().GetWidth(), rows * rowHeight + FromDIP(6));
  popup_->SetSize(size);
  popup_->Layout();
  popup_->Position(GetScreenPosition(), wxSize(0, GetSize().GetHeight()));
  if (!popup_->IsShown()) popup_->Show();
}

void CComboBox2::CloseList() {
  if (popup_->IsShown()) popup_->Hide();
}

}  // namespace albatrix
