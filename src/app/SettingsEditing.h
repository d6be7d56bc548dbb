// The settings a user edits, by name: the download limits of "下载参数设置", the naming rules of
// "文件名设置" and the option items of the "<设置>" menu, for one site's records. A front end without the
// dialogs (the command line) shows and changes them through these, with the dialogs' validation.
#pragma once

#include <string>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "model/Settings.h"

namespace albatrix {

// What the download settings dialog says to a thread count outside 1-15 or a time-out below 10.
inline constexpr char16_t kTextBadParameters[] = u"参数错误";

// The option bits with their menu texts and command ids, in the menu's order.
struct OptionItem {
  const char* key;       // "fix-format", ...; the command line's name for it
  std::uint16_t bit;
  const char16_t* menuText;
  bool usedHere;         // false: only a shop site or site 7 reads it; it is kept but does nothing here
  int commandId;         // the "<设置>" menu item that toggles it
  int onlyAtSite;        // the one site code where the menu item is enabled; -1: every site
};
const std::vector<OptionItem>& OptionItems();

// The range the download run needs: 1 to 15 threads and a time-out of 10 seconds or more. Every way of
// changing the limits (the dialog, the command line) stores them only when this holds.
bool DownloadLimitsValid(const DownloadLimits& limits);

// One line per setting of `siteCode`'s records, "key=value", then a TAB and what the window calls it:
// the limits, the six texts, name-source and album-folder with their radio texts, and every option bit
// ("on"/"off") with its menu text.
std::vector<std::string> DescribeSettings(const SettingsBlock& block, int siteCode);

enum class SettingsEditResult {
  Changed,        // every edit applied and the limits valid
  BadParameters,  // the limits would be invalid (kTextBadParameters); the block is unchanged
  UsageError,     // an unknown key, a malformed KEY=VALUE or a value the setting cannot take; unchanged
};

// Applies edits "KEY=VALUE" (UTF-8) to `siteCode`'s records, all or nothing. Keys: threads, timeout,
// min-kb, max-kb (whole numbers 0-65535), prefix, suffix, replace-from, replace-to, album-prefix,
// album-suffix (texts, cut to 38 characters as the dialog stores them), name-source (0, 1, 2),
// album-folder (0, 1), and the option keys of OptionItems() (on or off). Afterwards threads must lie in
// 1-15 and timeout be 10 or more, as the download settings dialog demands. `error` says what was wrong.
SettingsEditResult ApplySettingEdits(SettingsBlock& block, int siteCode, const std::vector<std::string>& edits,
                                     std::string& error);

}  // namespace albatrix
