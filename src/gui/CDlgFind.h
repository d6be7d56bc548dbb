// CDlgFind: the small borderless window of "查找" (find mode: modeless, beside the grid, selecting the
// next or previous matching row) and of "筛选" (filter mode: modal, asking for the keyword). It follows
// the mouse when dragged anywhere; hiding it, for whatever reason, lifts the grid's single-row selection.
#pragma once

#include <wx/dialog.h>

#include "MyCode/StringCtrl.h"

class wxButton;
class wxCheckBox;
class wxTextCtrl;

namespace albatrix {

class CMyGridCtrl;

// The window's controls.
constexpr int IDC_FIND_CLOSE = 1699;     // "×"
constexpr int IDC_FIND_KEYWORD = 1639;   // the keyword
constexpr int IDC_FIND_CASE = 1033;      // "区分大小写"
constexpr int IDC_FIND_WHOLE = 1034;     // "全字匹配"
constexpr int IDC_FIND_PREVIOUS = 1701;  // "上一个"
constexpr int IDC_FIND_NEXT = 1006;      // "下一个" / "筛选", the default button

enum class FindMode { Find, Filter };

class CDlgFind : public wxDialog {
 public:
  // Find mode searches `grid`; filter mode needs none.
  CDlgFind(wxWindow* parent, FindMode mode, CMyGridCtrl* grid = nullptr);

  // "查找": find mode, the grid's single-row selection on, shown and centred over the parent.
  void ShowForFind();
  // Filter mode, after OK: the trimmed keyword.
  const Text& Keyword() const { return keyword_; }
  FindMode Mode() const { return mode_; }

  bool Show(bool show = true) override;

 private:
  void ApplyMode();
  // "下一个" (forward) or "上一个".
  void Search(bool forward);
  void OnNext();
  void OnClose();
  void BeginDrag(wxMouseEvent& event);
  void Drag(wxMouseEvent& event);
  void EndDrag(wxMouseEvent& event);

  FindMode mode_;
  CMyGridCtrl* grid_;
  Text keyword_;
  wxTextCtrl* edit_ = nullptr;
  wxCheckBox* matchCase_ = nullptr;
  wxCheckBox* wholeCell_ = nullptr;
  wxButton* previous_ = nullptr;
  wxButton* next_ = nullptr;
  wxPoint grabbedAt_;  // where the mouse holds the window, in its own coordinates
  wxSize wanted_;  // the find window's own size
};

}  // namespace albatrix
