// CDlgFailures: "下载失败的图片", the last run's failed pictures in a list (album, address, reason) with
// "重试失败的图片", "复制" and "关闭". Modal; it ends with IDC_FAILURES_RETRY when the user asked for a
// retry pass, else with wxID_CANCEL ("关闭", Escape, the close box). "复制" leaves it open.
#pragma once

#include <wx/dialog.h>

#include <functional>
#include <vector>

#include "download/RunEvents.h"

class wxListCtrl;

namespace albatrix {

// Control ids of the dialog ("关闭" is wxID_CANCEL, so Escape ends it too).
constexpr int IDC_FAILURES_LIST = 1040;
constexpr int IDC_FAILURES_RETRY = 1041;  // "重试失败的图片"
constexpr int IDC_FAILURES_COPY = 1042;   // "复制"

class CDlgFailures : public wxDialog {
 public:
  // `copy` puts the list's text on the clipboard.
  CDlgFailures(wxWindow* parent, const std::vector<FailedPicture>& failures,
               std::function<void(const wxString&)> copy);

  wxListCtrl* List() const { return list_; }

 private:
  wxListCtrl* list_ = nullptr;
};

}  // namespace albatrix
