// "关于": the version and a line about the program; "确定" closes it. Shown modally from "版本信息".
#pragma once

#include <wx/dialog.h>

namespace albatrix {

constexpr int IDC_ABOUT_VERSION = 1014;
constexpr int IDC_ABOUT_LINE = 1015;

class CAboutDlg : public wxDialog {
 public:
  explicit CAboutDlg(wxWindow* parent);
};

}  // namespace albatrix
