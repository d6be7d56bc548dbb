// The main window's control ids, the numbers of its dialog template, and which of them each control the
// controller speaks of (Control) is. Nothing outside the window knows these numbers.
#pragma once

#include "app/MainWindowView.h"

namespace albatrix {

constexpr int IDC_SAVE_PATH = 1000;      // save path, autocomplete combo box
constexpr int IDC_MEMBER = 1001;         // member id or address, autocomplete combo box
constexpr int IDC_SITE = 1002;           // site selector, drop-down list
constexpr int IDC_GRID = 1003;           // album grid
constexpr int IDC_GET_ALBUMS = 1004;     // "获取相册" / "终止获取"
constexpr int IDC_DOWNLOAD = 1005;       // "下载" / "终止下载"
constexpr int IDC_PROGRESS = 1006;       // progress line of the download run
constexpr int IDC_CHOOSE_FOLDER = 1007;  // "设置"
constexpr int IDC_OPEN_FOLDER = 1008;    // "打开"
constexpr int IDC_STATUS = 1009;         // status line
constexpr int IDC_GRID_FRAME = 1011;     // frame of the grid; its caption carries the album count
constexpr int IDC_SELECT_ALL = 1012;     // "全选"
constexpr int IDC_NOTICE = 1013;         // notice line over the input row
constexpr int IDC_PREVIEW = 1014;        // "预览图"
constexpr int IDC_UPDATE_LINK = 1030;    // "程序有更新"
constexpr int IDC_BOTTOM_LINE = 1031;    // version and notice
constexpr int IDC_MAKER_LINK = 1032;     // the maker's web page
constexpr int IDC_FIND = 1034;           // "查找"
constexpr int IDC_SUBTYPE = 1035;        // sub-type selector, shown for site entry 0 only
constexpr int IDC_FILTER = 1036;         // "筛选"
constexpr int IDC_EXPORT = 1037;         // "导出"
constexpr int IDC_FAILURES_LINK = 1038;  // "查看失败", beside the status line once a run ended with failures
constexpr int IDC_RATE = 1039;           // beside the progress bar: the run's pace and the time left

// The find window (its template's number): the controller hides it through the view like a control.
constexpr int IDD_FIND = 704;

// The id of `control`.
constexpr int ControlId(Control control) {
  switch (control) {
    case Control::SavePath: return IDC_SAVE_PATH;
    case Control::Member: return IDC_MEMBER;
    case Control::Site: return IDC_SITE;
    case Control::GetAlbums: return IDC_GET_ALBUMS;
    case Control::Download: return IDC_DOWNLOAD;
    case Control::Progress: return IDC_PROGRESS;
    case Control::ChooseFolder: return IDC_CHOOSE_FOLDER;
    case Control::Status: return IDC_STATUS;
    case Control::GridFrame: return IDC_GRID_FRAME;
    case Control::SelectAll: return IDC_SELECT_ALL;
    case Control::Notice: return IDC_NOTICE;
    case Control::Preview: return IDC_PREVIEW;
    case Control::Find: return IDC_FIND;
    case Control::SubType: return IDC_SUBTYPE;
    case Control::Filter: return IDC_FILTER;
    case Control::Export: return IDC_EXPORT;
    case Control::FailuresLink: return IDC_FAILURES_LINK;
    case Control::FindWindow: return IDD_FIND;
    case Control::Rate: return IDC_RATE;
  }
  return 0;
}

}  // namespace albatrix
