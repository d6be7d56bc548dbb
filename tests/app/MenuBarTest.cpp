// The menu bar's layout and its check, enable and toggle rules, without a window.
#include "app/MenuBar.h"

#include <gtest/gtest.h>

#include "app/SettingsEditing.h"

namespace albatrix {
namespace {

TEST(MenuBar, OnlyListedIdsAreCommands) {
  EXPECT_TRUE(IsMenuCommand(ID_MENU_FIRST));
  EXPECT_TRUE(IsMenuCommand(32815));
  for (int id : {32777, 32780, 32796, 32801, 32816, ID_MENU_LAST, 32824, 0, kMenuBlankLine}) {
    EXPECT_FALSE(IsMenuCommand(id)) << id;
    EXPECT_FALSE(MenuItemState(id, 0x1FF, 15).enabled) << id;
  }
}

// Every option item is checked exactly when its own bit is set.
TEST(MenuBar, EachOptionItemShowsItsOwnBit) {
  ASSERT_EQ(OptionItems().size(), 9u);
  for (const OptionItem& set : OptionItems()) {
    for (const OptionItem& item : OptionItems()) {
      SCOPED_TRACE(item.key);
      EXPECT_EQ(MenuItemState(item.commandId, set.bit, 15).checked, &item == &set);
      EXPECT_TRUE(MenuItemState(item.commandId, 0x1FF, 15).checked);
    }
  }
}

TEST(MenuBar, SiteOnlyItemsAreEnabledAtTheirSiteAlone) {
  struct Row {
    int site;
    bool shop, big;
  };
  for (const Row& row : {Row{15, false, false}, Row{11, true, false}, Row{7, false, true}, Row{0, false, false}}) {
    SCOPED_TRACE(row.site);
    EXPECT_EQ(MenuItemState(32808, 0, row.site).enabled, row.shop);
    EXPECT_EQ(MenuItemState(32814, 0, row.site).enabled, row.shop);
    EXPECT_EQ(MenuItemState(32776, 0, row.site).enabled, row.big);
    for (int id : {32802, 32804, 32799, 32800, 32774, 32812}) EXPECT_TRUE(MenuItemState(id, 0, row.site).enabled) << id;
    for (int id : {32778, 32779, 32781, 32795, 32807, 32775, 32772}) {
      EXPECT_TRUE(MenuItemState(id, 0x1FF, row.site).enabled) << id;
      EXPECT_FALSE(MenuItemState(id, 0x1FF, row.site).checked) << id;  // no check mark on a command item
    }
    for (int id : {32811, 32809, 32810}) EXPECT_TRUE(MenuItemState(id, 0, row.site).enabled) << id;
  }
}

TEST(MenuBar, TogglesFlipOneBitAndTheShopItemsExcludeEachOther) {
  struct Row {
    int id;
    std::uint16_t before, after;
  };
  const Row rows[] = {
      {32800, 0x000, 0x001}, {32800, 0x001, 0x000}, {32799, 0x0F0, 0x0F2}, {32804, 0x004, 0x000},
      {32802, 0x000, 0x008}, {32812, 0x000, 0x010}, {32774, 0x1FF, 0x1BF}, {32776, 0x000, 0x080},
      {32808, 0x100, 0x020},  // setting main pictures clears description pictures
      {32808, 0x020, 0x000},  // and choosing it again clears it
      {32814, 0x020, 0x100},  {32814, 0x121, 0x021},  // both set by a hand-made file: choosing one clears it
      {32808, 0x001, 0x021},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ToggledOptions(row.id, row.before), row.after) << row.id << " from " << row.before;
  }
  for (int id : {32778, 32779, 32775, 32781, 32777, 0}) EXPECT_FALSE(ToggledOptions(id, 0)) << id;
}

TEST(MenuBar, LoginAddresses) {
  SiteProfile site(u"http://127.0.0.1:8123");
  const Text qq = LoginAddress(ID_LOGIN_QQ, u"", 0, site);
  ASSERT_FALSE(qq.empty());
  EXPECT_EQ(LoginAddress(ID_LOGIN_QQ, u" 12345 ", 0, site), qq + u"12345");
  EXPECT_EQ(LoginAddress(ID_LOGIN_QQ, u"12345", 1, site), qq);    // only on the selector's first entry
  EXPECT_EQ(LoginAddress(ID_LOGIN_QQ, u"12a45", 0, site), qq);    // only digits
  EXPECT_EQ(LoginAddress(ID_LOGIN_BAIDU, u"12345", 0, site).find(u"12345"), Text::npos);
  EXPECT_EQ(LoginAddress(ID_LOGIN_HUPU, u"", 0, site), u"http://127.0.0.1:8123/login");
  EXPECT_EQ(LoginAddress(ID_LOGIN_HUPU, u"", 0, SiteProfile()), SiteProfile().LoginAddress());  // the passport page
  EXPECT_EQ(LoginAddress(ID_LOGIN_CUSTOM, u"", 0, site), u"http://127.0.0.1:8123/");
  for (const MenuEntry& item : MenuBarLayout()[0].items) {
    EXPECT_FALSE(LoginAddress(item.commandId, u"", 0, site).empty()) << item.commandId;  // no dead login item
  }
  EXPECT_TRUE(LoginAddress(ID_ABOUT, u"", 0, site).empty());
  EXPECT_EQ(MakerPageAddress(ID_FEEDBACK).rfind(u"mailto:", 0), 0u);
  for (int id : {ID_FILE_TOOLS, ID_INSTRUCTIONS, ID_CONSULT}) EXPECT_EQ(MakerPageAddress(id).rfind(u"https://", 0), 0u);
}

}  // namespace
}  // namespace albatrix
