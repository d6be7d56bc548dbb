// The settings dialogs' rules: how "确 定" reads the fields, what it refuses, and what the fields show.
#include "app/SettingsDialogs.h"

#include <gtest/gtest.h>

#include <array>

#include "app/SettingsEditing.h"

namespace albatrix {
namespace {

TEST(SettingsDialogs, NumberFieldsReadAsTheDialogReadsThem) {
  struct Row {
    Text typed;
    std::uint16_t value;
  };
  const Row rows[] = {
      {u"15", 15},       {u" 10 ", 10},   {u"-1", 65535},        {u"70000", 4464},    {u"65536", 0},
      {u"abc", 0},       {u"", 0},        {u"-", 0},             {u"12x", 0},         {u"1 2", 0},
      {u"2147483647", 65535},             {u"2147483648", 0},    {u"-2147483647", 1}, {u"-2147483649", 0}, {u"99999999999999999999", 0},
      {u"007", 7},       {u"+5", 0},      {u"１５", 0},  // full-width digits are no number
  };
  for (const Row& row : rows) EXPECT_EQ(DialogNumber(row.typed), row.value) << TextToUtf8(row.typed);
}

TEST(SettingsDialogs, OkStoresOnlyValidLimits) {
  struct Row {
    DownloadDialogFields typed;
    bool accepted;
  };
  const Row rows[] = {
      {{u"15", u"10", u"0", u"0"}, true},
      {{u"1", u"65535", u"900", u"10"}, true},  // min and max in any order
      {{u"5", u"30", u"70000", u"-1"}, true},   // min 4464, max 65535: not checked
      {{u"16", u"30", u"0", u"0"}, false},
      {{u"0", u"30", u"0", u"0"}, false},
      {{u"-1", u"30", u"0", u"0"}, false},      // 65535 threads
      {{u"5", u"9", u"0", u"0"}, false},
      {{u"abc", u"30", u"0", u"0"}, false},     // 0 threads
      {{u"5", u"abc", u"0", u"0"}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.typed.threads + u"/" + row.typed.timeout + u"/" + row.typed.minKB));
    DownloadLimits limits{1, 2, 3, 44};
    EXPECT_EQ(ApplyDownloadDialog(row.typed, limits), row.accepted);
    if (!row.accepted) {
      EXPECT_EQ(limits.minKB, 1);  // the record keeps every value it had
      EXPECT_EQ(limits.maxKB, 2);
      EXPECT_EQ(limits.threads, 3);
      EXPECT_EQ(limits.timeoutSeconds, 44);
    } else {
      EXPECT_EQ(limits.threads, DialogNumber(row.typed.threads));
      EXPECT_EQ(limits.timeoutSeconds, DialogNumber(row.typed.timeout));
      EXPECT_EQ(limits.minKB, DialogNumber(row.typed.minKB));
      EXPECT_EQ(limits.maxKB, DialogNumber(row.typed.maxKB));
      EXPECT_TRUE(DownloadLimitsValid(limits));
    }
  }
  DownloadLimits limits{};
  ASSERT_TRUE(ApplyDownloadDialog({u"5", u"30", u"70000", u"0"}, limits));
  EXPECT_EQ(limits.minKB, 4464);
}

TEST(SettingsDialogs, DownloadFieldsOpenWithTheValuesInDecimal) {
  DownloadDialogFields fields = DownloadDialogFieldsOf({7, 65535, 15, 10});
  EXPECT_EQ(fields.threads, u"15");
  EXPECT_EQ(fields.timeout, u"10");
  EXPECT_EQ(fields.minKB, u"7");
  EXPECT_EQ(fields.maxKB, u"65535");
}

TEST(SettingsDialogs, NameFieldsCutTextsAndShowTheAppliedChoice) {
  NameRule rule{};
  rule.nameSource = 5;
  rule.albumFolderMode = 3;
  rule.options = OPT_FIX_ORDER;
  SetRuleText(rule.suffix, u"_s");
  NameDialogFields fields = NameDialogFieldsOf(rule);
  EXPECT_EQ(fields.nameSourceChoice, 1);   // any source but 0 and 2 names by number: "序号"
  EXPECT_EQ(fields.albumFolderChoice, 1);  // any mode but 0 makes no folder name: "无"
  EXPECT_EQ(fields.texts[1], u"_s");

  const Text long45 = u"0123456789012345678901234567890123456789abcde";
  ASSERT_EQ(long45.size(), 45u);
  fields.texts = {long45, u"", u"a|b", u"c|d", u"[", u"]"};
  fields.nameSourceChoice = 2;
  fields.albumFolderChoice = 0;
  ApplyNameDialog(fields, rule);
  EXPECT_EQ(NameDialogFieldsOf(rule).texts, (std::array<Text, 6>{long45.substr(0, 38), u"", u"a|b", u"c|d", u"[", u"]"}));
  EXPECT_EQ(rule.nameSource, 2);
  EXPECT_EQ(rule.albumFolderMode, 0);
  EXPECT_EQ(rule.options, OPT_FIX_ORDER);

  for (int source : {0, 1, 2, 3, 255}) {
    for (int folder : {0, 1, 2}) {
      rule.nameSource = static_cast<std::uint8_t>(source);
      rule.albumFolderMode = static_cast<std::uint8_t>(folder);
      NameRule again = rule;
      ApplyNameDialog(NameDialogFieldsOf(rule), again);  // OK without a change stores what is applied
      EXPECT_EQ(again.nameSource, source == 0 || source == 2 ? source : 1) << source;
      EXPECT_EQ(again.albumFolderMode, folder == 0 ? 0 : 1) << folder;
    }
  }
}

}  // namespace
}  // namespace albatrix
