#include "app/SettingsEditing.h"

#include <gtest/gtest.h>

namespace albatrix {
namespace {

constexpr int kSite = 15;

SettingsBlock Defaults() {
  SettingsBlock block;
  RepairSettings(block);  // threads 5, timeout 30 everywhere
  return block;
}

TEST(SettingsEditing, LimitsFollowTheDialogsValidation) {
  struct Row {
    std::vector<std::string> edits;
    SettingsEditResult result;
  };
  const std::vector<Row> rows = {
      {{"threads=15", "timeout=10"}, SettingsEditResult::Changed},
      {{"threads=1"}, SettingsEditResult::Changed},
      {{"threads=16"}, SettingsEditResult::BadParameters},
      {{"threads=0"}, SettingsEditResult::BadParameters},
      {{"timeout=9"}, SettingsEditResult::BadParameters},
      {{"threads=-1"}, SettingsEditResult::UsageError},
      {{"threads=5x"}, SettingsEditResult::UsageError},
      {{"min-kb=65535", "max-kb=0"}, SettingsEditResult::Changed},
      {{"min-kb=900", "max-kb=10"}, SettingsEditResult::Changed},  // any order, unchecked
      {{"max-kb=65536"}, SettingsEditResult::UsageError},
      {{"colour=red"}, SettingsEditResult::UsageError},
      {{"threads"}, SettingsEditResult::UsageError},
      {{"=3"}, SettingsEditResult::UsageError},
      {{"name-source=3"}, SettingsEditResult::UsageError},
      {{"album-folder=2"}, SettingsEditResult::UsageError},
      {{"fix-order=yes"}, SettingsEditResult::UsageError},
      {{"big-pictures=on"}, SettingsEditResult::UsageError},  // not a setting of this site
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.edits.front());
    SettingsBlock block = Defaults();
    const SettingsBlock before = block;
    std::string error;
    EXPECT_EQ(ApplySettingEdits(block, kSite, row.edits, error), row.result);
    if (row.result != SettingsEditResult::Changed) {
      EXPECT_EQ(SerializeSettings(block), SerializeSettings(before));  // all or nothing
      EXPECT_FALSE(error.empty());
    }
    if (row.result == SettingsEditResult::BadParameters) {
      EXPECT_EQ(error, "参数错误");
    }
  }
}

TEST(SettingsEditing, EditsReachTheCurrentSiteOnly) {
  SettingsBlock block = Defaults();
  std::string error;
  ASSERT_EQ(ApplySettingEdits(block, kSite,
                              {"threads=12", "timeout=45", "min-kb=3", "max-kb=800", "prefix=?9_", "suffix=_s",
                               "replace-from=a|b", "replace-to=1|2", "album-prefix=[", "album-suffix=]",
                               "name-source=0", "album-folder=1", "fix-order=on", "list-only=on", "fix-order=off",
                               "skip-downloaded=on"},
                              error),
            SettingsEditResult::Changed)
      << error;
  const DownloadLimits& limits = block.downloadLimits[kSite];
  EXPECT_EQ(limits.threads, 12);
  EXPECT_EQ(limits.timeoutSeconds, 45);
  EXPECT_EQ(limits.minKB, 3);
  EXPECT_EQ(limits.maxKB, 800);
  const NameRule& rule = block.nameRules[kSite];
  EXPECT_EQ(RuleText(rule.prefix), u"?9_");
  EXPECT_EQ(RuleText(rule.replaceTo), u"1|2");
  EXPECT_EQ(RuleText(rule.albumSuffix), u"]");
  EXPECT_EQ(rule.nameSource, 0);
  EXPECT_EQ(rule.albumFolderMode, 1);
  EXPECT_EQ(rule.options, OPT_LIST_ONLY | OPT_SKIP_DOWNLOADED);
  EXPECT_EQ(SerializeSettings(block).substr(0, 8), SerializeSettings(Defaults()).substr(0, 8));  // site 0 untouched
}

TEST(SettingsEditing, TextsAreCutTo38Characters) {
  SettingsBlock block = Defaults();
  std::string error;
  std::string text;
  for (int i = 0; i < 45; ++i) text += "图";
  ASSERT_EQ(ApplySettingEdits(block, kSite, {"prefix=" + text, "suffix=a=b"}, error), SettingsEditResult::Changed);
  EXPECT_EQ(RuleText(block.nameRules[kSite].prefix).size(), 38u);
  EXPECT_EQ(RuleText(block.nameRules[kSite].suffix), u"a=b");
}

TEST(SettingsEditing, DescriptionNamesEverySettingWithTheWindowsTexts) {
  SettingsBlock block = Defaults();
  block.nameRules[kSite].options = OPT_FIX_FORMAT | OPT_BIG_PICTURES;
  block.nameRules[kSite].nameSource = 9;
  SetRuleText(block.nameRules[kSite].prefix, u"前");
  const std::vector<std::string> expected = {
      "threads=5\t线程数(1~15)",
      "timeout=30\t超时(S, >=10)",
      "min-kb=0\t图片最小值(K)",
      "max-kb=0\t图片最大值(K)",
      "prefix=前\t文件名 前缀",
      "suffix=\t文件名 后缀",
      "replace-from=\t替换",
      "replace-to=\t替换为",
      "album-prefix=\t相册路径 前缀",
      "album-suffix=\t相册路径 后缀",
      "name-source=9\t序号",
      "album-folder=0\t相册名",
      "list-only=off\t只生成迅雷下载列表",
      "description-file=off\t生成图片原始名文件",
      "fix-order=off\t修正图片顺序",
      "fix-format=on\t修正图片格式",
      "skip-downloaded=off\t不下载以前下载过的图片",
      "open-folder=off\t下载完成后打开保存路径",
      "shop-main-pictures=off\t只下载淘宝宝贝主图 (not used for this site)",
      "shop-description-pictures=off\t只下载宝贝描述里的图片 (not used for this site)",
      "big-pictures=on\t又拍相册下载大图（不勾选为下载原图，下载原图速度更慢） (not used for this site)",
  };
  EXPECT_EQ(DescribeSettings(block, kSite), expected);
}

}  // namespace
}  // namespace albatrix
