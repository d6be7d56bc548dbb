// The menu bar in the program's window: its structure as wx holds it after a pop-up opens, the check
// marks and enabled states that follow the settings, and commands chosen through the window's own events.
#include <gtest/gtest.h>

#include <cstdio>

#include <wx/frame.h>

#include "GuiHarness.h"
#include "GuiHelpers.h"
#include "app/AboutBox.h"
#include "app/SettingsEditing.h"
#include "gui/CAboutDlg.h"
#include "gui/CDlgDownSet.h"
#include "gui/CDlgSaveSet.h"
#include "gui/MainMenu.h"
#include "gui/MenuIds.h"
#include "gui/WxText.h"

namespace albatrix {
namespace {

// The program's window on the stand-in site with the menu installed as the program installs it, over a
// desktop that records what would open.
class MainMenuGuiTest : public test::WindowFixture {
 protected:
  void SetUp() override {
    test::WindowFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    Desktop recording;
    std::shared_ptr<test::DesktopRecord> record = desktop;
    recording.openBrowser = [record](const wxString& page) { record->openedPages.push_back(page); };
    InstallMainMenu(window(), controller(), DesktopMenuActions(recording));
  }

  AlbatrixController& controller() { return window().Controller(); }
  void OpenPopup(std::size_t index) {
    wxMenuEvent open(wxEVT_MENU_OPEN, 0, window().GetMenuBar()->GetMenu(index));
    window().HandleWindowEvent(open);
  }
  wxMenuItem* Item(int commandId) { return window().GetMenuBar()->FindItem(MenuWxId(commandId)); }
  std::string SettingsFile() const { return test::ReadWholeFile(dir.file("soft.dat")); }
  TextArray Opened() const {
    TextArray pages;
    for (const wxString& page : desktop->openedPages) pages.push_back(FromWx(page));
    return pages;
  }
};

TEST_F(MainMenuGuiTest, TheBarHoldsTheLayoutAfterAPopupOpens) {
  ASSERT_TRUE(controller().EditSettings([](SettingsBlock& block) {
    block.nameRules[15].options = OPT_FIX_ORDER | OPT_SKIP_DOWNLOADED | OPT_SHOP_MAIN_PICTURES;
  }));
  OpenPopup(1);
  wxMenuBar* bar = window().GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), MenuBarLayout().size());
  for (std::size_t p = 0; p < MenuBarLayout().size(); ++p) {
    const MenuPopup& popup = MenuBarLayout()[p];
    SCOPED_TRACE(TextToUtf8(popup.title));
    EXPECT_EQ(FromWx(bar->GetMenuLabelText(p)), popup.title);
    EXPECT_EQ(bar->IsEnabledTop(p), popup.enabled);
    const wxMenuItemList& items = bar->GetMenu(p)->GetMenuItems();
    ASSERT_EQ(items.size(), popup.items.size());
    std::size_t i = 0;
    for (const wxMenuItem* item : items) {
      const MenuEntry& want = popup.items[i++];
      if (want.commandId == kMenuSeparator) {
        EXPECT_TRUE(item->IsSeparator()) << i;
        continue;
      }
      EXPECT_EQ(FromWx(item->GetItemLabelText()), want.text) << i;
      if (want.commandId == kMenuBlankLine) {
        EXPECT_FALSE(item->IsEnabled());
        continue;
      }
      EXPECT_EQ(MenuCommandId(item->GetId()), want.commandId);
      const ItemState state =
          MenuItemState(want.commandId, controller().CurrentNameRule().options, controller().SiteCode());
      EXPECT_EQ(item->IsEnabled(), state.enabled) << want.commandId;
      if (item->IsCheckable()) {
        EXPECT_EQ(item->IsChecked(), state.checked) << want.commandId;
      }
    }
  }
  EXPECT_TRUE(Item(32799)->IsChecked());
  EXPECT_TRUE(Item(32774)->IsChecked());
  EXPECT_FALSE(Item(32800)->IsChecked());
  EXPECT_TRUE(Item(32808)->IsChecked());   // the file's bit shows
  EXPECT_FALSE(Item(32808)->IsEnabled());  // but at the community the item cannot be chosen
  EXPECT_FALSE(Item(32776)->IsEnabled());
  test::SaveScreenshot(&window(), "main-window");
}

TEST_F(MainMenuGuiTest, ChecksFollowEachToggleWhenThePopupOpensAgain) {
  OpenPopup(1);
  EXPECT_FALSE(Item(32802)->IsChecked());
  ASSERT_EQ(std::remove(dir.file("soft.dat").c_str()), 0);
  ChooseMenu(32802);  // "只生成迅雷下载列表"
  EXPECT_EQ(ParseSettings(SettingsFile()).nameRules[15].options, OPT_LIST_ONLY);
  OpenPopup(1);
  EXPECT_TRUE(Item(32802)->IsChecked());

  controller().SetSiteCode(11);  // the shop site: its items come alive
  OpenPopup(1);
  EXPECT_TRUE(Item(32808)->IsEnabled());
  ChooseMenu(32808);
  ChooseMenu(32814);
  OpenPopup(1);
  EXPECT_FALSE(Item(32808)->IsChecked());
  EXPECT_TRUE(Item(32814)->IsChecked());
}

TEST_F(MainMenuGuiTest, UnlistedIdsDoNothing) {
  ASSERT_EQ(std::remove(dir.file("soft.dat").c_str()), 0);
  for (int id : {32777, 32780, 32796, 32823}) ChooseMenu(id);
  EXPECT_TRUE(SettingsFile().empty());
  EXPECT_TRUE(Opened().empty());
}

TEST_F(MainMenuGuiTest, HelpAndLoginItemsOpenTheirAddresses) {
  ChooseMenu(ID_INSTRUCTIONS);
  ChooseMenu(ID_FEEDBACK);
  ChooseMenu(ID_LOGIN_HUPU);
  EXPECT_EQ(Opened(), (TextArray{MakerPageAddress(ID_INSTRUCTIONS), MakerPageAddress(ID_FEEDBACK),
                               controller().Profile().LoginAddress()}));
}

TEST_F(MainMenuGuiTest, SettingsItemsRunTheirDialogsAndSaveOnlyOnOk) {
  ASSERT_EQ(std::remove(dir.file("soft.dat").c_str()), 0);
  wxTEST_DIALOG(ChooseMenu(ID_DOWNLOAD_SETTINGS), test::ExpectDialog<CDlgDownSet>(wxID_CANCEL));
  wxTEST_DIALOG(ChooseMenu(ID_NAME_SETTINGS), test::ExpectDialog<CDlgSaveSet>(wxID_CANCEL));
  EXPECT_TRUE(SettingsFile().empty());
  wxTEST_DIALOG(ChooseMenu(ID_NAME_SETTINGS), test::ExpectDialog<CDlgSaveSet>(wxID_OK));
  EXPECT_EQ(SettingsFile().size(), kSettingsFileSize);
  wxTEST_DIALOG(ChooseMenu(ID_ABOUT), test::ExpectDialog<CAboutDlg>(wxID_OK));
}

using AboutBoxGuiTest = test::DisplayTest;

TEST_F(AboutBoxGuiTest, ShowsTheVersionAndClosesOnItsButton) {
  CAboutDlg about(nullptr);
  EXPECT_EQ(test::Utf8(about.GetTitle()), "关于");
  const std::vector<std::string> labels = test::LabelsOf(&about);
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels[0], test::ShownVersion());
  EXPECT_EQ(labels[1], TextToUtf8(kAboutLine));
  EXPECT_EQ(labels[2], "确定");
  EXPECT_EQ(test::RunModal(about,
                           [&] {
                             test::SaveScreenshot(&about, "about");
                             test::Click(&about, wxID_OK);
                           }),
            wxID_OK);
}

}  // namespace
}  // namespace albatrix
