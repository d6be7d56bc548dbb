// The menu's commands on a controller: option toggles saved to soft.dat at once, the dialogs saving only
// on OK, the openers and the about box, and ids that do nothing.
#include "app/MenuCommands.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/SettingsDialogs.h"
#include "app/SettingsEditing.h"
#include "support/FakeView.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

using test::FakeView;
using test::TempDir;

// Where the options of a site's naming rule sit in soft.dat: after the 24 download-limit records, in the
// site's 484-byte record, at its offset 480.
std::size_t OptionsOffset(int site) { return 192 + static_cast<std::size_t>(site) * 484 + 480; }

class MenuCommandsTest : public ::testing::Test {
 protected:
  MenuCommandsTest() {
    controller.Initialize();
    actions.openBrowser = [this](const Text& address) { opened.push_back(address); };
    actions.aboutBox = [this] { ++aboutBoxes; };
  }

  std::string SettingsFile() const { return test::ReadWholeFile(dir.file("soft.dat")); }
  std::uint16_t FileOptions(int site) const {
    std::string bytes = SettingsFile();
    const std::size_t at = OptionsOffset(site);
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(at)) |
                                      static_cast<unsigned char>(bytes.at(at + 1)) << 8);
  }
  void RemoveSettingsFile() { ASSERT_EQ(std::remove(dir.file("soft.dat").c_str()), 0); }
  MenuCommands Commands() { return MenuCommands(controller, actions); }

  TempDir dir;
  FakeView view;
  AlbatrixController controller{view, dir.folder()};
  MenuActions actions;
  TextArray opened;
  int aboutBoxes = 0;
};

TEST_F(MenuCommandsTest, EveryToggleWritesTheBitsAtTheSitesOffset) {
  MenuCommands menu = Commands();
  ASSERT_EQ(OptionsOffset(15), 7932u);
  ASSERT_EQ(FileOptions(15), 0);
  std::uint16_t expected = 0;
  for (const OptionItem& item : OptionItems()) {
    if (!item.usedHere) continue;
    SCOPED_TRACE(item.key);
    RemoveSettingsFile();  // so that a write shows even where the bytes come out the same
    ASSERT_TRUE(menu.Run(item.commandId));
    expected |= item.bit;
    EXPECT_EQ(SettingsFile().size(), kSettingsFileSize);
    EXPECT_EQ(FileOptions(15), expected);
    EXPECT_TRUE(menu.State(item.commandId).checked);
  }
  ASSERT_TRUE(menu.ToggleOption(32800));  // "修正图片格式" off again
  EXPECT_EQ(FileOptions(15), expected & ~OPT_FIX_FORMAT);
  EXPECT_EQ(controller.CurrentNameRule().options, expected & ~OPT_FIX_FORMAT);
}

TEST_F(MenuCommandsTest, SiteOnlyItemsDoNothingAtTheCommunityAndKeepTheirBits) {
  ASSERT_TRUE(controller.EditSettings([](SettingsBlock& block) {
    block.nameRules[15].options = OPT_SHOP_MAIN_PICTURES | OPT_SHOP_DESCRIPTION_PICTURES | OPT_BIG_PICTURES;
  }));
  MenuCommands menu = Commands();
  RemoveSettingsFile();
  for (int id : {32808, 32814, 32776}) {
    EXPECT_FALSE(menu.State(id).enabled) << id;
    EXPECT_TRUE(menu.State(id).checked) << id;
    EXPECT_FALSE(menu.Run(id)) << id;
    EXPECT_FALSE(menu.ToggleOption(id)) << id;
  }
  EXPECT_TRUE(SettingsFile().empty());  // nothing was written
  EXPECT_EQ(controller.CurrentNameRule().options, 0x1A0);
}

TEST_F(MenuCommandsTest, ShopItemsExcludeEachOtherAtTheShopSite) {
  controller.SetSiteCode(11);
  MenuCommands menu = Commands();
  ASSERT_TRUE(menu.Run(32808));
  EXPECT_EQ(FileOptions(11) & 0x120, 0x020);
  ASSERT_TRUE(menu.Run(32814));
  EXPECT_EQ(FileOptions(11) & 0x120, 0x100);
  EXPECT_FALSE(menu.State(32808).checked);
  EXPECT_TRUE(menu.State(32814).checked);
  ASSERT_TRUE(menu.Run(32814));
  EXPECT_EQ(FileOptions(11) & 0x120, 0);
  EXPECT_FALSE(menu.Run(32776));  // the large-picture item belongs to site 7
  EXPECT_EQ(FileOptions(15), 0);  // the community's record untouched
}

TEST_F(MenuCommandsTest, IdsTheMenuDoesNotListDoNothing) {
  bool dialogRan = false;
  actions.downloadDialog = [&](DownloadLimits&) { return dialogRan = true; };
  actions.nameDialog = [&](NameRule&) { return dialogRan = true; };
  MenuCommands menu = Commands();
  RemoveSettingsFile();
  for (int id = ID_MENU_FIRST; id <= ID_MENU_LAST; ++id) {
    if (IsMenuCommand(id)) continue;
    EXPECT_FALSE(menu.Run(id)) << id;
  }
  for (int id : {kMenuSeparator, kMenuBlankLine, 40000}) EXPECT_FALSE(menu.Run(id)) << id;
  EXPECT_TRUE(SettingsFile().empty());
  EXPECT_TRUE(opened.empty());
  EXPECT_FALSE(dialogRan);
  EXPECT_EQ(aboutBoxes, 0);
}

TEST_F(MenuCommandsTest, DownloadDialogSavesOnlyOnOk) {
  // The dialog as the window runs it: the user types these texts and presses "确 定"; a refusal keeps it
  // open and the user then closes it. With `cancel` the user closes it without pressing "确 定".
  DownloadDialogFields typed;
  bool cancel = false;
  actions.downloadDialog = [&](DownloadLimits& limits) {
    EXPECT_EQ(DownloadDialogFieldsOf(limits).threads, u"5");  // opens on the current values
    return !cancel && ApplyDownloadDialog(typed, limits);
  };
  MenuCommands menu = Commands();
  const std::string before = SettingsFile();

  const DownloadDialogFields refused[] = {
      {u"-1", u"30", u"1", u"2"}, {u"16", u"30", u"1", u"2"}, {u"abc", u"30", u"1", u"2"}, {u"5", u"9", u"1", u"2"}};
  for (const DownloadDialogFields& bad : refused) {
    typed = bad;
    EXPECT_TRUE(menu.Run(ID_DOWNLOAD_SETTINGS));
    EXPECT_EQ(SettingsFile(), before);  // the bytes of soft.dat as they were
    EXPECT_EQ(controller.CurrentLimits().threads, 5);
    EXPECT_EQ(controller.CurrentLimits().timeoutSeconds, 30);
    EXPECT_EQ(controller.CurrentLimits().minKB, 0);
  }
  typed = {u"15", u"10", u"70000", u"-1"};
  cancel = true;
  EXPECT_TRUE(menu.Run(ID_DOWNLOAD_SETTINGS));
  EXPECT_EQ(SettingsFile(), before);

  cancel = false;
  EXPECT_TRUE(menu.Run(ID_DOWNLOAD_SETTINGS));
  const SettingsBlock saved = ParseSettings(SettingsFile());
  EXPECT_EQ(saved.downloadLimits[15].threads, 15);
  EXPECT_EQ(saved.downloadLimits[15].timeoutSeconds, 10);
  EXPECT_EQ(saved.downloadLimits[15].minKB, 4464);
  EXPECT_EQ(saved.downloadLimits[15].maxKB, 65535);
  EXPECT_EQ(saved.downloadLimits[14].threads, 5);  // other sites untouched
  EXPECT_EQ(controller.CurrentLimits().threads, 15);
}

TEST_F(MenuCommandsTest, NameDialogSavesTextsAndRadiosButNotTheOptions) {
  ASSERT_TRUE(controller.EditSettings([](SettingsBlock& block) { block.nameRules[15].options = OPT_FIX_FORMAT; }));
  bool ok = false;
  actions.nameDialog = [&](NameRule& rule) {
    NameDialogFields fields = NameDialogFieldsOf(rule);
    fields.texts[0] = u"p_";
    fields.nameSourceChoice = 2;
    ApplyNameDialog(fields, rule);
    rule.options = 0xFFFF;  // whatever the dialog's copy holds, the menu owns these bits
    return ok;
  };
  MenuCommands menu = Commands();
  const std::string before = SettingsFile();
  EXPECT_TRUE(menu.Run(ID_NAME_SETTINGS));
  EXPECT_EQ(SettingsFile(), before);  // not OK: nothing stored
  EXPECT_EQ(RuleText(controller.CurrentNameRule().prefix), u"");

  ok = true;
  EXPECT_TRUE(menu.Run(ID_NAME_SETTINGS));
  const SettingsBlock saved = ParseSettings(SettingsFile());
  EXPECT_EQ(RuleText(saved.nameRules[15].prefix), u"p_");
  EXPECT_EQ(saved.nameRules[15].nameSource, 2);
  EXPECT_EQ(saved.nameRules[15].options, OPT_FIX_FORMAT);
}

TEST_F(MenuCommandsTest, LoginHelpAndAboutItemsOpenWhatTheyName) {
  view.SetText(Control::Member, u"http://my.hupu.com/someone");
  MenuCommands menu = Commands();
  for (const MenuEntry& item : MenuBarLayout()[0].items) EXPECT_TRUE(menu.Run(item.commandId));
  ASSERT_EQ(opened.size(), MenuBarLayout()[0].items.size());  // without a login browser: the system's
  EXPECT_EQ(opened[10], controller.Profile().LoginAddress());

  TextArray logins;
  actions.openLogin = [&](const Text& address) { logins.push_back(address); };
  MenuCommands withBrowser = Commands();
  opened.clear();
  EXPECT_TRUE(withBrowser.Run(ID_LOGIN_HUPU));
  EXPECT_EQ(logins, TextArray{controller.Profile().LoginAddress()});
  for (int id : {ID_FILE_TOOLS, ID_INSTRUCTIONS, ID_CONSULT, ID_FEEDBACK}) EXPECT_TRUE(withBrowser.Run(id));
  EXPECT_EQ(opened, (TextArray{MakerPageAddress(ID_FILE_TOOLS), MakerPageAddress(ID_INSTRUCTIONS),
                               MakerPageAddress(ID_CONSULT), MakerPageAddress(ID_FEEDBACK)}));
  EXPECT_TRUE(withBrowser.Run(ID_ABOUT));
  EXPECT_EQ(aboutBoxes, 1);
}

}  // namespace
}  // namespace albatrix
