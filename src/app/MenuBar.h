// The main window's menu bar as data, and its rules: the pop-ups and their items in order, which item is
// checked and enabled for the current site's option bits, what choosing an option item does to those
// bits, and the addresses the login and help items open. The window builds its menu from MenuBarLayout()
// and asks MenuItemState each time a pop-up opens. Everything here speaks the menu's own command ids
// (32772-32823); a front end that cannot use them as they are maps them in one place of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "discovery/SiteProfile.h"

namespace albatrix {

// Every command of the menu bar lies in this range; an id in it that no item carries does nothing.
constexpr int ID_MENU_FIRST = 32772;
constexpr int ID_MENU_LAST = 32823;

// "<登录>"
constexpr int ID_LOGIN_QQ = 32781;
constexpr int ID_LOGIN_TENCENT_WEIBO = 32782;
constexpr int ID_LOGIN_BAIDU = 32789;
constexpr int ID_LOGIN_NETEASE = 32790;
constexpr int ID_LOGIN_RENREN = 32791;
constexpr int ID_LOGIN_YUPOO = 32792;
constexpr int ID_LOGIN_MOKO = 32793;
constexpr int ID_LOGIN_SINA_WEIBO = 32794;
constexpr int ID_LOGIN_TAOBAO = 32803;
constexpr int ID_LOGIN_56 = 32813;
constexpr int ID_LOGIN_HUPU = 32815;
constexpr int ID_LOGIN_CUSTOM = 32795;
// "<设置>" (the option items' ids come with OptionItems())
constexpr int ID_DOWNLOAD_SETTINGS = 32778;
constexpr int ID_NAME_SETTINGS = 32779;
// "<导入/导出>": job files saved and run, and the picture list for an external download manager
constexpr int ID_IMPORT_AND_DOWNLOAD = 32811;
constexpr int ID_EXPORT_DOWNLOAD_FILE = 32809;
constexpr int ID_EXPORT_LIST = 32810;
// "<辅助功能>" and "<帮助>"
constexpr int ID_FILE_TOOLS = 32807;
constexpr int ID_INSTRUCTIONS = 32806;
constexpr int ID_CONSULT = 32773;
constexpr int ID_FEEDBACK = 32772;
constexpr int ID_ABOUT = 32775;

// Pseudo ids of layout entries that are no command.
constexpr int kMenuSeparator = 0;
constexpr int kMenuBlankLine = -1;  // "<辅助功能>"'s disabled blank second line

struct MenuEntry {
  int commandId;  // a command id, kMenuSeparator or kMenuBlankLine
  Text text;      // empty for a separator; " " for the blank line (some toolkits refuse an empty label)
};

struct MenuPopup {
  Text title;
  bool enabled;  // false: the whole pop-up cannot be opened
  std::vector<MenuEntry> items;
};

// The five pop-ups, in order, with their items in order.
const std::vector<MenuPopup>& MenuBarLayout();

// True for every id a menu item carries (separators and the blank line excluded).
bool IsMenuCommand(int commandId);

struct ItemState {
  bool checked = false;
  bool enabled = false;
};

// An item's look when its pop-up opens, from the current site's option bits and site code: an option
// item is checked when its bit is set, and enabled at every site or only at its one site (the shop items
// at 11, the large-picture item at 7); the import/export items and the blank line are disabled; every
// other listed item is enabled and unchecked. An id that no item carries: unchecked and disabled.
ItemState MenuItemState(int commandId, std::uint16_t options, int siteCode);

// The option bits after choosing option item `commandId`: its bit flipped, except that the two shop
// items exclude each other (setting one clears the other). No value for an id that is no option item.
std::optional<std::uint16_t> ToggledOptions(int commandId, std::uint16_t options);

// Where a login item opens the login browser. The QQ item appends the member box's number when the
// trimmed text is all digits and the sub-type selector stands on its first entry; the community's item
// opens the login page of `profile`; "自定义登录" opens the community's home page as a start page. Empty
// for an id that is no login item.
Text LoginAddress(int commandId, TextView memberBoxText, int subTypeEntry, const SiteProfile& profile);

// The maker's pages that "文件处理", "使用说明", "软件咨询" and "问题反馈" open. Empty for any other id.
Text MakerPageAddress(int commandId);

}  // namespace albatrix
