// The rules of the two settings dialogs, "下载参数设置" and "文件名设置": what their fields show when they
// open and what "确 定" stores. The dialogs themselves only move texts and radio choices in and out.
#pragma once

#include <array>

#include "MyCode/StringCtrl.h"
#include "model/Settings.h"

namespace albatrix {

// The four edit fields of the download settings dialog, as typed.
struct DownloadDialogFields {
  Text threads;   // "线程数(1~15)："
  Text timeout;   // "超时(S, >=10)："
  Text minKB;     // "图片最小值(K)："
  Text maxKB;     // "图片最大值(K)："
};

// The fields as the dialog opens: each value in decimal.
DownloadDialogFields DownloadDialogFieldsOf(const DownloadLimits& limits);

// How the dialog reads a number field: optional blanks around an optional "-" and decimal digits; anything
// else, or a value outside the 32-bit range, reads as 0. The value is then cut to 16 bits, so "-1" is
// 65535 and "70000" is 4464.
std::uint16_t DialogNumber(TextView field);

// "确 定" of the download settings dialog: reads the four fields and, when the thread count and time-out are
// in range (DownloadLimitsValid), stores them into `limits` and answers true. Otherwise `limits` is left
// exactly as it was and the dialog shows kTextBadParameters and stays open.
bool ApplyDownloadDialog(const DownloadDialogFields& fields, DownloadLimits& limits);

// The file-name settings dialog's fields: the six texts in NameRule's order (prefix, suffix, replaceFrom,
// replaceTo, albumPrefix, albumSuffix) and the two radio groups.
struct NameDialogFields {
  std::array<Text, 6> texts;
  int nameSourceChoice = 0;   // 0 "描述", 1 "序号", 2 "网址"
  int albumFolderChoice = 0;  // 0 "相册名", 1 "无"
};

// The fields as the dialog opens. The radios show the choice the naming actually applies: a name source
// other than 0 or 2 acts as the number ("序号"), an album folder mode other than 0 as "无".
NameDialogFields NameDialogFieldsOf(const NameRule& rule);

// "确 定" of the file-name settings dialog: each text cut to 38 characters, the two radio choices stored
// (a choice out of range stores the one it is shown as). The option bits are not touched.
void ApplyNameDialog(const NameDialogFields& fields, NameRule& rule);

// What the link "前后缀说明" shows: sixteen lines joined by line breaks.
extern const TextView kPrefixSuffixHelp;

}  // namespace albatrix
