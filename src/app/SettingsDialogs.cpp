#include "app/SettingsDialogs.h"

#include <cstdint>
#include <limits>

#include "app/SettingsEditing.h"

namespace albatrix {
namespace {

using TextSlotField = TextSlot<kRuleTextUnits> NameRule::*;
constexpr TextSlotField kNameTextSlots[] = {&NameRule::prefix,      &NameRule::suffix,      &NameRule::replaceFrom,
                                            &NameRule::replaceTo,   &NameRule::albumPrefix, &NameRule::albumSuffix};


int ShownNameSource(int value) { return value == 0 || value == 2 ? value : 1; }
int ShownAlbumFolder(int value) { return value == 0 ? 0 : 1; }

}  // namespace

const TextView kPrefixSuffixHelp =
    u"设置前后缀，可以在图片本来的文件名前后加上指定的字符\n"
    u"如：图片本来的文件名为：zvk89.jpg，如果前缀为空，后缀为_com\n"
    u"则最后图片名将变为zvk89_com.jpg\n"
    u"如果前缀为www_，后缀为_com\n"
    u"则最后图片名将变为www_zvk89_com.jpg\n"
    u"相册名那里前后缀一样\n"
    u"同时，支持转义字符，当前后缀中含有转义字符时，程序会将转义字符转换为转义字符所表示的字符串\n"
    u"转义字符如下（问号为英文的问号，相册名的转义字符只支持?1,?3,?9）：\n"
    u"?1:相册名称\n"
    u"?2:图片在相册中的序号\n"
    u"?3:相册在列表中的序号(格式为：1,2,3...)\n"
    u"?4:未定义\n"
    u"?5:未定义\n"
    u"?6:选中的相册数\n"
    u"?7:总共的相册数(选中的+未选中的)\n"
    u"?9:相册在列表中的序号(格式为：0001,0002,0003...)";

DownloadDialogFields DownloadDialogFieldsOf(const DownloadLimits& limits) {
  return {DecimalText(limits.threads), DecimalText(limits.timeoutSeconds), DecimalText(limits.minKB), DecimalText(limits.maxKB)};
}

std::uint16_t DialogNumber(TextView field) {
  const Text text = TrimBlanks(field);
  std::size_t at = 0;
  const bool negative = !text.empty() && text[0] == u'-';
  if (negative) ++at;
  if (at == text.size()) return 0;
  std::int64_t value = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < u'0' || text[at] > u'9') return 0;
    value = value * 10 + (text[at] - u'0');
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return 0;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) return 0;
  return static_cast<std::uint16_t>(value);  // the low 16 bits, as the record's fields hold them
}

bool ApplyDownloadDialog(const DownloadDialogFields& fields, DownloadLimits& limits) {
  DownloadLimits typed;
  typed.threads = DialogNumber(fields.threads);
  typed.timeoutSeconds = DialogNumber(fields.timeout);
  typed.minKB = DialogNumber(fields.minKB);
  typed.maxKB = DialogNumber(fields.maxKB);
  if (!DownloadLimitsValid(typed)) return false;
  limits = typed;
  return true;
}

NameDialogFields NameDialogFieldsOf(const NameRule& rule) {
  NameDialogFields fields;
  for (std::size_t i = 0; i < fields.texts.size(); ++i) fields.texts[i] = RuleText(rule.*kNameTextSlots[i]);
  fields.nameSourceChoice = ShownNameSource(rule.nameSource);
  fields.albumFolderChoice = ShownAlbumFolder(rule.albumFolderMode);
  return fields;
}

void ApplyNameDialog(const NameDialogFields& fields, NameRule& rule) {
  for (std::size_t i = 0; i < fields.texts.size(); ++i) SetRuleText(rule.*kNameTextSlots[i], fields.texts[i]);
  rule.nameSource = static_cast<std::uint8_t>(ShownNameSource(fields.nameSourceChoice));
  rule.albumFolderMode = static_cast<std::uint8_t>(ShownAlbumFolder(fields.albumFolderChoice));
}

}  // namespace albatrix
