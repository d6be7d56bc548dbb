#include "app/MenuBar.h"

#include <algorithm>

#include "app/SettingsEditing.h"

namespace albatrix {
namespace {

// The services' login pages. The community's own comes from the site profile.
struct LoginPage {
  int commandId;
  TextView text;
  TextView address;
};
constexpr LoginPage kLoginPages[] = {
    {ID_LOGIN_QQ, u"QQ空间/QQ群", u"https://user.qzone.qq.com/"},
    {ID_LOGIN_TENCENT_WEIBO, u"腾讯微博（登录时勾上下次自动登录）", u"https://t.qq.com/"},
    {ID_LOGIN_BAIDU, u"百度", u"https://passport.baidu.com/"},
    {ID_LOGIN_NETEASE, u"网易", u"https://reg.163.com/"},
    {ID_LOGIN_RENREN, u"人人", u"http://www.renren.com/"},
    {ID_LOGIN_YUPOO, u"又拍（下载器没弹窗提示你登录，就不要在这里登录）", u"https://www.yupoo.com/login/"},
    {ID_LOGIN_MOKO, u"美空", u"http://www.moko.cc/"},
    {ID_LOGIN_SINA_WEIBO, u"新浪微博（登录时勾上下次自动登录）", u"https://weibo.com/login.php"},
    {ID_LOGIN_TAOBAO, u"淘宝（强烈建议用小号登录）", u"https://login.taobao.com/"},
    {ID_LOGIN_56, u"56", u"http://www.56.com/"},
    {ID_LOGIN_HUPU, u"虎扑", u""},
    {ID_LOGIN_CUSTOM, u"自定义登录", u""},
};

// The maker's pages; this program's own project pages stand in for them.
struct MakerPage {
  int commandId;
  TextView address;
};
constexpr MakerPage kMakerPages[] = {
    {ID_FILE_TOOLS, u"https://albatrix.example.org/tools"},
    {ID_INSTRUCTIONS, u"https://albatrix.example.org/help"},
    {ID_CONSULT, u"https://albatrix.example.org/contact"},
    {ID_FEEDBACK, u"mailto:feedback@albatrix.example.org?subject=Albatrix"},
};


const OptionItem* FindOptionItem(int commandId) {
  for (const OptionItem& item : OptionItems()) {
    if (item.commandId == commandId) return &item;
  }
  return nullptr;
}

std::vector<MenuPopup> BuildLayout() {
  const MenuEntry separator{kMenuSeparator, Text()};
  MenuPopup login{u"<登录>", true, {}};
  for (const LoginPage& page : kLoginPages) login.items.push_back({page.commandId, Text(page.text)});

  MenuPopup settings{u"<设置>", true, {{ID_DOWNLOAD_SETTINGS, u"下载参数设置"}, {ID_NAME_SETTINGS, u"文件名设置"}}};
  settings.items.push_back(separator);
  for (const OptionItem& item : OptionItems()) {
    settings.items.push_back({item.commandId, item.menuText});
    if (item.bit == OPT_DESCRIPTION_FILE || item.bit == OPT_OPEN_FOLDER) settings.items.push_back(separator);
  }

  MenuPopup importExport{u"<导入/导出>",
                             true,
                             {{ID_IMPORT_AND_DOWNLOAD, u"导入下载文件并开始下载"},
                              separator,
                              {ID_EXPORT_DOWNLOAD_FILE, u"导出下载文件"},
                              {ID_EXPORT_LIST, u"导出迅雷下载列表"}}};
  MenuPopup tools{u"<辅助功能>", true, {{ID_FILE_TOOLS, u"文件处理"}, {kMenuBlankLine, u" "}}};
  MenuPopup help{u"<帮助>",
                     true,
                     {{ID_INSTRUCTIONS, u"使用说明"},
                      {ID_CONSULT, u"软件咨询"},
                      {ID_FEEDBACK, u"问题反馈"},
                      separator,
                      {ID_ABOUT, u"版本信息"}}};
  return {login, settings, importExport, tools, help};
}

}  // namespace

const std::vector<MenuPopup>& MenuBarLayout() {
  static const std::vector<MenuPopup> layout = BuildLayout();
  return layout;
}

bool IsMenuCommand(int commandId) {
  if (commandId < ID_MENU_FIRST || commandId > ID_MENU_LAST) return false;
  for (const MenuPopup& popup : MenuBarLayout()) {
    for (const MenuEntry& item : popup.items) {
      if (item.commandId == commandId) return true;
    }
  }
  return false;
}

ItemState MenuItemState(int commandId, std::uint16_t options, int siteCode) {
  if (const OptionItem* item = FindOptionItem(commandId)) {
    return {(options & item->bit) != 0, item->onlyAtSite < 0 || item->onlyAtSite == siteCode};
  }
  return {false, IsMenuCommand(commandId)};
}

std::optional<std::uint16_t> ToggledOptions(int commandId, std::uint16_t options) {
  const OptionItem* item = FindOptionItem(commandId);
  if (!item) return std::nullopt;
  const std::uint16_t shopBits = OPT_SHOP_MAIN_PICTURES | OPT_SHOP_DESCRIPTION_PICTURES;
  if ((item->bit & shopBits) && !(options & item->bit)) {
    return static_cast<std::uint16_t>((options & ~shopBits) | item->bit);
  }
  return static_cast<std::uint16_t>(options ^ item->bit);
}

Text LoginAddress(int commandId, TextView memberBoxText, int subTypeEntry, const SiteProfile& profile) {
  if (commandId == ID_LOGIN_HUPU) return profile.LoginAddress();
  if (commandId == ID_LOGIN_CUSTOM) return profile.BaseAddress() + u"/";
  for (const LoginPage& page : kLoginPages) {
    if (page.commandId != commandId) continue;
    Text address(page.address);
    if (commandId == ID_LOGIN_QQ && subTypeEntry == 0) {
      Text number = TrimBlanks(memberBoxText);
      if (!number.empty() && std::all_of(number.begin(), number.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; })) {
        address += number;
      }
    }
    return address;
  }
  return Text();
}

Text MakerPageAddress(int commandId) {
  for (const MakerPage& page : kMakerPages) {
    if (page.commandId == commandId) return Text(page.address);
  }
  return Text();
}

}  // namespace albatrix
