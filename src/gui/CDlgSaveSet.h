// "设置" with the groups "文件名" and "相册路径(相册名)": the naming rules of one site. Opens on the record's
// texts and on the radio choices the naming applies; "确 定" stores the texts (each cut to 38 characters)
// and the choices and ends with OK. The link "前后缀说明" explains the prefixes and suffixes. Escape and the
// close box end without OK and leave the record as it was.
#pragma once

#include <wx/dialog.h>
#include <wx/hyperlink.h>

#include "model/Settings.h"

namespace albatrix {

// Control ids of the dialog ("确 定" is IDC_SETTINGS_OK, as in CDlgDownSet).
constexpr int IDC_SAVESET_PREFIX = 1000;
constexpr int IDC_SAVESET_SUFFIX = 1001;
constexpr int IDC_SAVESET_ALBUM_PREFIX = 1002;
constexpr int IDC_SAVESET_ALBUM_SUFFIX = 1003;
constexpr int IDC_SAVESET_HELP = 1010;
constexpr int IDC_SAVESET_BY_DESCRIPTION = 1016;  // "描述"
constexpr int IDC_SAVESET_BY_NUMBER = 1017;       // "序号"
constexpr int IDC_SAVESET_BY_ADDRESS = 1018;      // "网址"
constexpr int IDC_SAVESET_ALBUM_NAME = 1019;      // "相册名"
constexpr int IDC_SAVESET_NO_ALBUM_NAME = 1020;   // "无"
constexpr int IDC_SAVESET_REPLACE_FROM = 1021;
constexpr int IDC_SAVESET_REPLACE_TO = 1022;      // "替换为"

class CDlgSaveSet : public wxDialog {
 public:
  // `rule` outlives the dialog; its texts and choices change only on "确 定", its option bits never.
  CDlgSaveSet(wxWindow* parent, NameRule& rule);

 private:
  void OnOk(wxCommandEvent& event);
  void OnHelp(wxHyperlinkEvent& event);

  NameRule& rule_;
};

}  // namespace albatrix
