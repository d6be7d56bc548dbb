// CComboBox2: the autocomplete box of the member (1001) and the save path (1000). A text box with an
// arrow button of its own, and the list in a plain popup that never takes the keyboard: while the user
// types, the list follows with the remembered entries that contain the text (FilterCandidates), and
// every key stays in the text box.
#pragma once

#include <wx/panel.h>

#include <functional>

#include "MyCode/StringCtrl.h"

class wxPopupWindow;
class wxTextCtrl;

namespace albatrix {

class CandidateList;

class CComboBox2 : public wxPanel {
 public:
  CComboBox2(wxWindow* parent, int id, const wxString& accessibleName);
  ~CComboBox2() override;

  // Remembers an entry; the visible list is not touched.
  void AddCandidate(const Text& text);
  const TextArray& Candidates() const { return candidates_; }

  // The edit text. SetValue raises no text event.
  wxString GetValue() const;
  void SetValue(const wxString& text);

  // Called after each edit of the user, once the list was filtered; and after an entry was picked from
  // the list (its text is then in the box).
  std::function<void()> onEdited;
  std::function<void()> onPicked;

  // The visible list, as it stands (also while closed), and whether it is open.
  wxArrayString VisibleItems() const;
  bool IsListShown() const;
  // The arrow: every candidate, unchanged, in the list, and the list opened.
  void ShowAllCandidates();
  // A cancel: the visible list emptied and closed; the typed text stays.
  void CancelList();
  // The highlighted item of the visible list, -1 for none.
  int SelectedItem() const;
  // Puts the visible item `index` into the box as the list shows it and closes the list.
  void Pick(int index);

  wxTextCtrl* Edit() const { return edit_; }

 private:
  void OnText();
  void OnKey(wxKeyEvent& event);
  void OpenList();
  void CloseList();
  void SetItems(const TextArray& items);

  wxTextCtrl* edit_;
  wxWindow* arrow_;  // the drop arrow
  wxPopupWindow* popup_;
  CandidateList* list_;
  TextArray candidates_;
};

}  // namespace albatrix
