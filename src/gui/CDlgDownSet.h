// "设置" / "下载参数设置": the download limits of one site. Opens on the record's values; "确 定" stores them
// into the record and ends with OK only when they are valid, else says "参数错误" and stays open. Escape
// and the close box end without OK and leave the record as it was.
#pragma once

#include <array>

#include <wx/dialog.h>
#include <wx/textctrl.h>

#include "model/Settings.h"

namespace albatrix {

// Control ids of the dialog.
constexpr int IDC_DOWNSET_MIN_KB = 1000;
constexpr int IDC_DOWNSET_MAX_KB = 1001;
constexpr int IDC_DOWNSET_THREADS = 1002;
constexpr int IDC_DOWNSET_TIMEOUT = 1003;
constexpr int IDC_SETTINGS_OK = 1023;  // "确 定" of both settings dialogs

class CDlgDownSet : public wxDialog {
 public:
  // `limits` outlives the dialog; it changes only on a valid "确 定".
  CDlgDownSet(wxWindow* parent, DownloadLimits& limits);

 private:
  void OnOk(wxCommandEvent& event);
  wxTextCtrl* Field(int id) const;

  DownloadLimits& limits_;
};

}  // namespace albatrix
