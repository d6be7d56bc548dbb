#include "app/SettingsEditing.h"

#include <charconv>

namespace albatrix {
namespace {

constexpr std::uint16_t kMaxThreads = 15;
constexpr std::uint16_t kMinTimeoutSeconds = 10;
constexpr int kShopSiteCode = 11;        // the shop site, whose pictures come as main and description pictures
constexpr int kBigPictureSiteCode = 7;   // the photo site that offers a large size beside the source picture

// The six text slots of a naming rule by their command-line names.
struct TextField {
  const char* key;
  TextSlot<kRuleTextUnits> NameRule::*slot;
};
constexpr TextField kTextFields[] = {
    {"prefix", &NameRule::prefix},           {"suffix", &NameRule::suffix},
    {"replace-from", &NameRule::replaceFrom}, {"replace-to", &NameRule::replaceTo},
    {"album-prefix", &NameRule::albumPrefix}, {"album-suffix", &NameRule::albumSuffix},
};

struct NumberField {
  const char* key;
  std::uint16_t DownloadLimits::*value;
};
constexpr NumberField kNumberFields[] = {
    {"threads", &DownloadLimits::threads},
    {"timeout", &DownloadLimits::timeoutSeconds},
    {"min-kb", &DownloadLimits::minKB},
    {"max-kb", &DownloadLimits::maxKB},
};

const char* const kNameSourceTexts[] = {"描述", "序号", "网址"};
const char* const kAlbumFolderTexts[] = {"相册名", "无"};

bool ParseNumber(const std::string& text, unsigned long maximum, unsigned long& value) {
  if (text.empty()) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value <= maximum;
}

bool ParseSwitch(const std::string& text, bool& on) {
  if (text == "on") {
    on = true;
  } else if (text == "off") {
    on = false;
  } else {
    return false;
  }
  return true;
}

// One edit on the records; false with `error` set when it cannot be applied.
bool ApplyOne(DownloadLimits& limits, NameRule& rule, const std::string& key, const std::string& value,
              std::string& error) {
  for (const NumberField& field : kNumberFields) {
    if (key != field.key) continue;
    unsigned long number = 0;
    if (!ParseNumber(value, 65535, number)) {
      error = key + " takes a whole number from 0 to 65535, not '" + value + "'";
      return false;
    }
    limits.*field.value = static_cast<std::uint16_t>(number);
    return true;
  }
  for (const TextField& field : kTextFields) {
    if (key != field.key) continue;
    SetRuleText(rule.*field.slot, Utf8ToText(value));
    return true;
  }
  if (key == "name-source" || key == "album-folder") {
    const bool source = key == "name-source";
    unsigned long number = 0;
    if (!ParseNumber(value, source ? 2 : 1, number)) {
      error = key + (source ? " takes 0, 1 or 2" : " takes 0 or 1") + ", not '" + value + "'";
      return false;
    }
    (source ? rule.nameSource : rule.albumFolderMode) = static_cast<std::uint8_t>(number);
    return true;
  }
  for (const OptionItem& item : OptionItems()) {
    if (key != item.key || !item.usedHere) continue;
    bool on = false;
    if (!ParseSwitch(value, on)) {
      error = key + " takes on or off, not '" + value + "'";
      return false;
    }
    rule.options = static_cast<std::uint16_t>(on ? (rule.options | item.bit) : (rule.options & ~item.bit));
    return true;
  }
  error = "unknown setting '" + key + "'";
  return false;
}

}  // namespace

const std::vector<OptionItem>& OptionItems() {
  static const std::vector<OptionItem> items = {
      {"list-only", OPT_LIST_ONLY, u"只生成迅雷下载列表", true, 32802, -1},
      {"description-file", OPT_DESCRIPTION_FILE, u"生成图片原始名文件", true, 32804, -1},
      {"fix-order", OPT_FIX_ORDER, u"修正图片顺序", true, 32799, -1},
      {"fix-format", OPT_FIX_FORMAT, u"修正图片格式", true, 32800, -1},
      {"skip-downloaded", OPT_SKIP_DOWNLOADED, u"不下载以前下载过的图片", true, 32774, -1},
      {"open-folder", OPT_OPEN_FOLDER, u"下载完成后打开保存路径", true, 32812, -1},
      {"shop-main-pictures", OPT_SHOP_MAIN_PICTURES, u"只下载淘宝宝贝主图", false, 32808, kShopSiteCode},
      {"shop-description-pictures", OPT_SHOP_DESCRIPTION_PICTURES, u"只下载宝贝描述里的图片", false, 32814,
       kShopSiteCode},
      {"big-pictures", OPT_BIG_PICTURES, u"又拍相册下载大图（不勾选为下载原图，下载原图速度更慢）", false, 32776,
       kBigPictureSiteCode},
  };
  return items;
}

bool DownloadLimitsValid(const DownloadLimits& limits) {
  return limits.threads >= 1 && limits.threads <= kMaxThreads && limits.timeoutSeconds >= kMinTimeoutSeconds;
}

std::vector<std::string> DescribeSettings(const SettingsBlock& block, int siteCode) {
  const DownloadLimits& limits = block.downloadLimits.at(static_cast<std::size_t>(siteCode));
  const NameRule& rule = block.nameRules.at(static_cast<std::size_t>(siteCode));
  std::vector<std::string> lines;
  lines.push_back("threads=" + std::to_string(limits.threads) + "\t线程数(1~15)");
  lines.push_back("timeout=" + std::to_string(limits.timeoutSeconds) + "\t超时(S, >=10)");
  lines.push_back("min-kb=" + std::to_string(limits.minKB) + "\t图片最小值(K)");
  lines.push_back("max-kb=" + std::to_string(limits.maxKB) + "\t图片最大值(K)");
  const char* const textLabels[] = {"文件名 前缀", "文件名 后缀", "替换", "替换为", "相册路径 前缀", "相册路径 后缀"};
  for (std::size_t i = 0; i < std::size(kTextFields); ++i) {
    lines.push_back(std::string(kTextFields[i].key) + "=" + TextToUtf8(RuleText(rule.*kTextFields[i].slot)) + "\t" +
                    textLabels[i]);
  }
  // Any name source other than 0 and 2 acts as the number.
  const std::size_t source = rule.nameSource <= 2 ? rule.nameSource : 1;
  lines.push_back("name-source=" + std::to_string(rule.nameSource) + "\t" + kNameSourceTexts[source]);
  lines.push_back("album-folder=" + std::to_string(rule.albumFolderMode) + "\t" +
                  (rule.albumFolderMode == 0 ? kAlbumFolderTexts[0] : kAlbumFolderTexts[1]));
  for (const OptionItem& item : OptionItems()) {
    lines.push_back(std::string(item.key) + "=" + ((rule.options & item.bit) ? "on" : "off") + "\t" +
                    TextToUtf8(item.menuText) + (item.usedHere ? "" : " (not used for this site)"));
  }
  return lines;
}

SettingsEditResult ApplySettingEdits(SettingsBlock& block, int siteCode, const std::vector<std::string>& edits,
                                     std::string& error) {
  DownloadLimits limits = block.downloadLimits.at(static_cast<std::size_t>(siteCode));
  NameRule rule = block.nameRules.at(static_cast<std::size_t>(siteCode));
  for (const std::string& edit : edits) {
    std::size_t equals = edit.find('=');
    if (equals == std::string::npos || equals == 0) {
      error = "'" + edit + "' is not KEY=VALUE";
      return SettingsEditResult::UsageError;
    }
    if (!ApplyOne(limits, rule, edit.substr(0, equals), edit.substr(equals + 1), error)) {
      return SettingsEditResult::UsageError;
    }
  }
  if (!DownloadLimitsValid(limits)) {
    error = TextToUtf8(kTextBadParameters);
    return SettingsEditResult::BadParameters;
  }
  block.downloadLimits[static_cast<std::size_t>(siteCode)] = limits;
  block.nameRules[static_cast<std::size_t>(siteCode)] = rule;
  return SettingsEditResult::Changed;
}

}  // namespace albatrix
