// The two settings dialogs through their widgets: what they show, and what "确 定", Escape and the close
// box leave in the record.
#include <gtest/gtest.h>

#include <array>

#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "GuiHelpers.h"
#include "app/SettingsDialogs.h"
#include "gui/CDlgDownSet.h"
#include "gui/CDlgSaveSet.h"
#include "gui/WxText.h"

namespace albatrix {
namespace {

using test::Click;
using test::RunModal;
using DownloadDialogGuiTest = test::DisplayTest;
using NameDialogGuiTest = test::DisplayTest;

wxTextCtrl* Edit(wxWindow* dialog, int id) { return static_cast<wxTextCtrl*>(dialog->FindWindow(id)); }
wxRadioButton* Radio(wxWindow* dialog, int id) { return static_cast<wxRadioButton*>(dialog->FindWindow(id)); }

void Type(wxWindow* dialog, int id, const char* text) { Edit(dialog, id)->SetValue(wxString::FromUTF8(text)); }

// threads, timeout, min, max
std::array<int, 4> Values(const DownloadLimits& limits) {
  return {limits.threads, limits.timeoutSeconds, limits.minKB, limits.maxKB};
}

TEST_F(DownloadDialogGuiTest, ShowsItsTextsAndTheCurrentValues) {
  DownloadLimits limits{7, 900, 5, 30};
  CDlgDownSet dialog(nullptr, limits);
  EXPECT_EQ(test::Utf8(dialog.GetTitle()), "设置");
  EXPECT_EQ(test::LabelsOf(&dialog), (std::vector<std::string>{"下载参数设置", "线程数(1~15)：", "超时(S, >=10)：",
                                                               "图片最小值(K)：", "图片最大值(K)：", "确 定"}));
  EXPECT_EQ(Edit(&dialog, IDC_DOWNSET_THREADS)->GetValue(), "5");
  EXPECT_EQ(Edit(&dialog, IDC_DOWNSET_TIMEOUT)->GetValue(), "30");
  EXPECT_EQ(Edit(&dialog, IDC_DOWNSET_MIN_KB)->GetValue(), "7");
  EXPECT_EQ(Edit(&dialog, IDC_DOWNSET_MAX_KB)->GetValue(), "900");
  // Top down: threads, time-out, minimum, maximum.
  EXPECT_LT(Edit(&dialog, IDC_DOWNSET_THREADS)->GetPosition().y, Edit(&dialog, IDC_DOWNSET_TIMEOUT)->GetPosition().y);
  EXPECT_LT(Edit(&dialog, IDC_DOWNSET_TIMEOUT)->GetPosition().y, Edit(&dialog, IDC_DOWNSET_MIN_KB)->GetPosition().y);
  EXPECT_LT(Edit(&dialog, IDC_DOWNSET_MIN_KB)->GetPosition().y, Edit(&dialog, IDC_DOWNSET_MAX_KB)->GetPosition().y);
  EXPECT_EQ(dialog.FindWindow(IDC_SETTINGS_OK), static_cast<wxWindow*>(dialog.GetDefaultItem()));
  EXPECT_EQ(RunModal(dialog, [&] { test::SaveScreenshot(&dialog, "download-settings"); }), test::kLeftOpen);
}

TEST_F(DownloadDialogGuiTest, OkStoresValidValues) {
  DownloadLimits limits{0, 0, 5, 30};
  CDlgDownSet dialog(nullptr, limits);
  EXPECT_EQ(RunModal(dialog,
                     [&] {
                       Type(&dialog, IDC_DOWNSET_THREADS, "15");
                       Type(&dialog, IDC_DOWNSET_TIMEOUT, "10");
                       Type(&dialog, IDC_DOWNSET_MIN_KB, "70000");
                       Type(&dialog, IDC_DOWNSET_MAX_KB, "-1");
                       Click(&dialog, IDC_SETTINGS_OK);
                     }),
            wxID_OK);
  EXPECT_EQ(Values(limits), (std::array<int, 4>{15, 10, 4464, 65535}));
}

TEST_F(DownloadDialogGuiTest, RefusedValuesSayParameterErrorAndChangeNothing) {
  for (const char* threads : {"16", "0", "-1", "abc"}) {
    SCOPED_TRACE(threads);
    DownloadLimits limits{1, 2, 5, 30};
    CDlgDownSet dialog(nullptr, limits);
    std::string message;
    bool stayedOpen = false;
    EXPECT_EQ(RunModal(dialog,
                       [&] {
                         Type(&dialog, IDC_DOWNSET_THREADS, threads);
                         Type(&dialog, IDC_DOWNSET_MIN_KB, "99");
                         wxTEST_DIALOG(Click(&dialog, IDC_SETTINGS_OK), test::ExpectMessage(&message));
                         stayedOpen = dialog.IsModal();
                         test::PressKey(&dialog, WXK_ESCAPE);  // then the user gives up
                       }),
              wxID_CANCEL);
    EXPECT_EQ(message, "参数错误");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(Values(limits), (std::array<int, 4>{5, 30, 1, 2}));
  }
}

TEST_F(DownloadDialogGuiTest, TheCloseBoxStoresNothing) {
  DownloadLimits limits{0, 0, 5, 30};
  CDlgDownSet dialog(nullptr, limits);
  EXPECT_EQ(RunModal(dialog,
                     [&] {
                       Type(&dialog, IDC_DOWNSET_THREADS, "9");
                       dialog.Close();
                     }),
            wxID_CANCEL);
  EXPECT_EQ(Values(limits), (std::array<int, 4>{5, 30, 0, 0}));
}

TEST_F(NameDialogGuiTest, ShowsItsTextsAndTheChoiceTheNamingApplies) {
  NameRule rule{};
  SetRuleText(rule.prefix, u"前_");
  SetRuleText(rule.replaceTo, u"x|y");
  rule.nameSource = 5;       // no radio of its own: shown as what the naming does with it
  rule.albumFolderMode = 3;
  CDlgSaveSet dialog(nullptr, rule);
  EXPECT_EQ(test::Utf8(dialog.GetTitle()), "设置");
  EXPECT_EQ(test::LabelsOf(&dialog),
            (std::vector<std::string>{"文件名", "前缀", "描述", "序号", "网址", "后缀", "替换为", "相册路径(相册名)",
                                      "前缀", "相册名", "无", "后缀", "前后缀说明", "确 定"}));
  EXPECT_EQ(FromWx(Edit(&dialog, IDC_SAVESET_PREFIX)->GetValue()), u"前_");
  EXPECT_EQ(FromWx(Edit(&dialog, IDC_SAVESET_REPLACE_TO)->GetValue()), u"x|y");
  EXPECT_FALSE(Radio(&dialog, IDC_SAVESET_BY_DESCRIPTION)->GetValue());
  EXPECT_TRUE(Radio(&dialog, IDC_SAVESET_BY_NUMBER)->GetValue());
  EXPECT_FALSE(Radio(&dialog, IDC_SAVESET_BY_ADDRESS)->GetValue());
  EXPECT_TRUE(Radio(&dialog, IDC_SAVESET_NO_ALBUM_NAME)->GetValue());
  EXPECT_EQ(dialog.FindWindow(IDC_SETTINGS_OK), static_cast<wxWindow*>(dialog.GetDefaultItem()));

  std::string help;
  EXPECT_EQ(RunModal(dialog,
                     [&] {
                       test::SaveScreenshot(&dialog, "name-settings");
                       wxHyperlinkEvent link(dialog.FindWindow(IDC_SAVESET_HELP), IDC_SAVESET_HELP, wxString());
                       wxTEST_DIALOG(dialog.FindWindow(IDC_SAVESET_HELP)->HandleWindowEvent(link),
                                     test::ExpectMessage(&help));
                       Click(&dialog, IDC_SETTINGS_OK);  // unchanged: the applied choice is stored
                     }),
            wxID_OK);
  EXPECT_EQ(help, TextToUtf8(kPrefixSuffixHelp));
  EXPECT_EQ(rule.nameSource, 1);
  EXPECT_EQ(rule.albumFolderMode, 1);
}

TEST_F(NameDialogGuiTest, OkCutsTextsAndStoresTheRadios) {
  NameRule rule{};
  rule.options = OPT_FIX_ORDER;
  CDlgSaveSet dialog(nullptr, rule);
  const char* long45 = "0123456789012345678901234567890123456789abcde";
  EXPECT_EQ(RunModal(dialog,
                     [&] {
                       Type(&dialog, IDC_SAVESET_PREFIX, long45);
                       Type(&dialog, IDC_SAVESET_SUFFIX, "_后");
                       Type(&dialog, IDC_SAVESET_REPLACE_FROM, "a|b");
                       Type(&dialog, IDC_SAVESET_REPLACE_TO, "c|d");
                       Type(&dialog, IDC_SAVESET_ALBUM_PREFIX, "[");
                       Type(&dialog, IDC_SAVESET_ALBUM_SUFFIX, "]");
                       Radio(&dialog, IDC_SAVESET_BY_ADDRESS)->SetValue(true);
                       Radio(&dialog, IDC_SAVESET_NO_ALBUM_NAME)->SetValue(true);
                       Click(&dialog, IDC_SETTINGS_OK);
                     }),
            wxID_OK);
  EXPECT_EQ(NameDialogFieldsOf(rule).texts,
            (std::array<Text, 6>{Utf8ToText(long45).substr(0, 38), u"_后", u"a|b", u"c|d", u"[", u"]"}));
  EXPECT_EQ(rule.nameSource, 2);
  EXPECT_EQ(rule.albumFolderMode, 1);
  EXPECT_EQ(rule.options, OPT_FIX_ORDER);
}

TEST_F(NameDialogGuiTest, EscapeStoresNothing) {
  NameRule rule{};
  rule.nameSource = 5;
  CDlgSaveSet dialog(nullptr, rule);
  EXPECT_EQ(RunModal(dialog,
                     [&] {
                       Type(&dialog, IDC_SAVESET_PREFIX, "p_");
                       test::PressKey(&dialog, WXK_ESCAPE);
                     }),
            wxID_CANCEL);
  EXPECT_EQ(RuleText(rule.prefix), u"");
  EXPECT_EQ(rule.nameSource, 5);  // the file's byte stays until the user presses "确 定"
}

}  // namespace
}  // namespace albatrix
