// The controller's rules about texts, enabled states and the site selector, through the recording view.
// Nothing here reaches the network: member texts without an address never request a page.
#include <gtest/gtest.h>

#include <thread>

#include "app/AlbatrixController.h"
#include "app/GridCells.h"
#include "discovery/SiteRecognition.h"
#include "support/FakeListing.h"
#include "support/FakeView.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

using test::FakeView;
using test::TempDir;

class ControllerTest : public ::testing::Test {
 protected:
  void StartUp() {
    controller.Initialize();
    controller.FinishStartup();
  }
  // Presses "获取相册" and waits for the listing thread to end.
  void ListOnce(const Text& memberText) {
    view.SetText(Control::Member, memberText);
    controller.GetAlbums(view.GetText(Control::Member));
    controller.WaitForListing();
  }

  TempDir dir;
  FakeView view;
  std::vector<ST_PERLISTRECORD> listed{test::ListedAlbum(u"Trip")};  // what a listing of an address finds
  AlbatrixController controller{view, dir.folder(), SiteProfile(), test::ListsAlbumsOf(listed)};
};

TEST_F(ControllerTest, StartUpWritesTheSettingsAndFillsTheSelector) {
  EXPECT_FALSE(controller.ReadyForInput());
  StartUp();
  EXPECT_EQ(test::ReadWholeFile(dir.file("soft.dat")).size(), kSettingsFileSize);
  EXPECT_EQ(view.GetText(Control::SavePath), dir.folder());
  EXPECT_EQ(view.Entries(Control::Site).size(), static_cast<std::size_t>(SITE_ENTRY_COUNT));
  EXPECT_EQ(view.SelectedEntry(Control::Site), SITE_CODE_HUPU);
  EXPECT_TRUE(controller.ReadyForInput());
  EXPECT_FALSE(view.IsVisible(Control::SubType));
  EXPECT_EQ(view.Place(), MemberBoxPlace::OverSubType);
  EXPECT_EQ(controller.SiteCode(), SITE_CODE_HUPU);
}

TEST_F(ControllerTest, StartUpHandsTheHistoriesToTheBoxes) {
  SettingsBlock block{};
  AddHistory(block, HistoryKind::Member, u"http://my.hupu.com/old");
  AddHistory(block, HistoryKind::Member, u"http://my.hupu.com/new");
  AddHistory(block, HistoryKind::SavePath, u"/pictures/");
  ASSERT_TRUE(SaveSettings(block, dir.folder()));
  StartUp();
  EXPECT_EQ(view.Candidates(Control::Member), (TextArray{u"http://my.hupu.com/new", u"http://my.hupu.com/old"}));
  EXPECT_EQ(view.GetText(Control::SavePath), u"/pictures/");
}

TEST_F(ControllerTest, GetAlbumsDoesNothingBeforeStartUpHasFinished) {
  controller.Initialize();
  view.SetText(Control::Member, u"kobe");
  controller.GetAlbums(view.GetText(Control::Member));
  controller.WaitForListing();
  EXPECT_EQ(view.GridResets(), 0);
  EXPECT_TRUE(view.Messages().empty());
  EXPECT_FALSE(controller.Listing());
}

TEST_F(ControllerTest, RecognitionSteersTheSelectors) {
  StartUp();
  view.SetText(Control::Member, u"http://user.qzone.qq.com/123?t.qq.com");
  controller.RecognizeSite(view.GetText(Control::Member));
  EXPECT_EQ(view.SelectedEntry(Control::Site), 0);
  EXPECT_TRUE(view.IsVisible(Control::SubType));
  EXPECT_EQ(view.Entries(Control::SubType), (TextArray{u"QQ空间相册", u"QQ群相册", u"腾讯微博相册"}));
  EXPECT_EQ(view.SelectedEntry(Control::SubType), 2);
  EXPECT_EQ(view.Place(), MemberBoxPlace::BesideSubType);

  // A member id without an address changes neither selector.
  view.SetText(Control::Member, u"kobe24");
  controller.RecognizeSite(view.GetText(Control::Member));
  EXPECT_EQ(view.SelectedEntry(Control::Site), 0);
  EXPECT_EQ(view.SelectedEntry(Control::SubType), 2);

  // The community's address: entry 15, the sub-type selector hidden, the member box over its place.
  view.SetText(Control::Member, u"http://my.hupu.com/kobe");
  controller.RecognizeSite(view.GetText(Control::Member));
  EXPECT_EQ(view.SelectedEntry(Control::Site), SITE_CODE_HUPU);
  EXPECT_FALSE(view.IsVisible(Control::SubType));
  EXPECT_EQ(view.Place(), MemberBoxPlace::OverSubType);
}

TEST_F(ControllerTest, ChoosingSiteEntriesByHand) {
  StartUp();
  controller.SetSiteCode(3);
  view.SelectEntry(Control::Site, 0);
  controller.ApplySiteSelection(view.SelectedEntry(Control::Site));
  EXPECT_TRUE(view.IsVisible(Control::SubType));
  EXPECT_EQ(view.SelectedEntry(Control::SubType), 0);
  EXPECT_EQ(controller.SiteCode(), SITE_CODE_HUPU);
  view.SelectEntry(Control::Site, 7);
  controller.ApplySiteSelection(view.SelectedEntry(Control::Site));
  EXPECT_FALSE(view.IsVisible(Control::SubType));
  EXPECT_EQ(view.Place(), MemberBoxPlace::OverSubType);
  view.SelectEntry(Control::Site, -1);  // no selection counts as "not entry 0"
  controller.ApplySiteSelection(view.SelectedEntry(Control::Site));
  EXPECT_FALSE(view.IsVisible(Control::SubType));
}

TEST_F(ControllerTest, AnEmptyMemberBoxNeverEntersTheListingState) {
  StartUp();
  view.SetText(Control::GridFrame, u"相册列表(共5个)");
  ListOnce(u"  \t ");
  EXPECT_EQ(view.MessageTexts(), TextArray{Text(kNeedAddressMessage)});
  EXPECT_FALSE(controller.Listing());
  EXPECT_TRUE(view.TextsSetOn(Control::GetAlbums).empty());
  EXPECT_EQ(view.GetText(Control::GridFrame), u"相册列表(共5个)");
  EXPECT_TRUE(view.IsEnabled(Control::Member));
}

TEST_F(ControllerTest, AMemberIdWithoutAddressIsRefusedAfterEnteringTheListingState) {
  StartUp();
  std::string settingsBefore = test::ReadWholeFile(dir.file("soft.dat"));
  ListOnce(u"kobe24");
  EXPECT_EQ(view.MessageTexts(), TextArray{Text(kNeedAddressMessage)});
  EXPECT_EQ(view.TextsSetOn(Control::GetAlbums), (TextArray{u"终止获取", u"获取相册"}));
  EXPECT_EQ(view.TextsSetOn(Control::Status),
            (TextArray{u"正在获取相册列表，请稍等...", u"获取相册列表完成，共0个"}));
  EXPECT_EQ(view.GetText(Control::GridFrame), u"相册列表(共0个)");
  EXPECT_EQ(view.GetText(Control::Progress), u"");
  EXPECT_FALSE(view.IsVisible(Control::Notice));
  EXPECT_FALSE(view.IsEnabled(Control::Download));  // nothing found: no download
  for (Control id : {Control::Site, Control::Member, Control::Preview, Control::Filter, Control::Find, Control::Export})
    EXPECT_TRUE(view.IsEnabled(id)) << id;
  EXPECT_FALSE(controller.Listing());
  EXPECT_EQ(controller.MemberKey(), u"");
  EXPECT_TRUE(view.Candidates(Control::Member).empty());
  EXPECT_EQ(test::ReadWholeFile(dir.file("soft.dat")), settingsBefore);
}

// The command line's Ctrl-C: a cancel that reaches a run which has just ended must not start another.
TEST_F(ControllerTest, CancelDownloadNeverStartsARun) {
  StartUp();
  view.SetText(Control::SavePath, Utf8ToText(dir.path()));
  EXPECT_FALSE(controller.CancelDownload());
  controller.WaitForDownload();
  EXPECT_FALSE(controller.Running());
  EXPECT_TRUE(view.TextsSetOn(Control::Download).empty());
  EXPECT_TRUE(view.TextsSetOn(Control::Status).empty());
  EXPECT_TRUE(view.Messages().empty());
}

// A listing's titles are cut to the grid's 80 units in the records themselves and kept unique, so no two
// albums share a folder; the rows are numbered from "0001" and an unknown count reads "未知".
TEST_F(ControllerTest, AListingCutsTitlesKeepsThemUniqueAndNumbersTheRows) {
  listed = {test::ListedAlbum(Text(81, u'x')), test::ListedAlbum(Text(90, u'x')), test::ListedAlbum(u"Home", -1)};
  StartUp();
  ListOnce(u"http://my.hupu.com/kobe");
  ASSERT_EQ(controller.Albums().size(), 3u);
  EXPECT_EQ(controller.Albums()[0].title, Text(80, u'x'));
  EXPECT_EQ(controller.Albums()[1].title, Text(76, u'x') + u" (1)");
  const std::vector<GridAlbum> rows = view.Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].title, controller.Albums()[1].title);
  EXPECT_EQ(rows[0].number, u"0001");
  EXPECT_EQ(rows[0].count, u"   3");
  EXPECT_EQ(rows[2].number, u"0003");
  EXPECT_EQ(rows[2].row, 3);
  EXPECT_EQ(rows[2].count, u"未知");
  EXPECT_EQ(view.GetText(Control::GridFrame), u"相册列表(共3个)");
  EXPECT_EQ(controller.MemberKey(), MemberFolderText(u"kobe"));
}

// The listing thread's member history and a settings change made at the same moment (a menu toggle,
// "settings set") go through one lock: neither is lost from soft.dat. Run under ThreadSanitizer this also
// proves the block is never read while it is written.
TEST_F(ControllerTest, AHistoryAddAndASettingsChangeAtOnceBothReachTheFile) {
  StartUp();
  constexpr int kRounds = 30;
  std::thread settings([&] {
    for (int i = 0; i < kRounds; ++i) {
      EXPECT_TRUE(controller.EditSettings([i](SettingsBlock& block) {
        block.downloadLimits[SITE_CODE_HUPU].minKB = static_cast<std::uint16_t>(i + 1);
        block.nameRules[SITE_CODE_HUPU].options ^= OPT_FIX_ORDER;
      }));
    }
  });
  for (int i = 0; i < kRounds; ++i) ListOnce(Utf8ToText("http://my.hupu.com/member" + std::to_string(i)));
  settings.join();
  const SettingsBlock saved = ParseSettings(test::ReadWholeFile(dir.file("soft.dat")));
  EXPECT_EQ(SlotText(saved.memberHistory[0]), Utf8ToText("http://my.hupu.com/member" + std::to_string(kRounds - 1)));
  EXPECT_EQ(SlotText(saved.memberHistory[4]), Utf8ToText("http://my.hupu.com/member" + std::to_string(kRounds - 5)));
  EXPECT_EQ(saved.downloadLimits[SITE_CODE_HUPU].minKB, kRounds);
  EXPECT_EQ(saved.nameRules[SITE_CODE_HUPU].options & OPT_FIX_ORDER, 0);  // toggled an even number of times
  EXPECT_EQ(SerializeSettings(saved), SerializeSettings(controller.SettingsCopy()));
  // A text the history holds already is refused and writes nothing.
  const std::size_t offered = view.Candidates(Control::Member).size();
  const std::string before = test::ReadWholeFile(dir.file("soft.dat"));
  ListOnce(u"HTTP://MY.HUPU.COM/MEMBER29");
  EXPECT_EQ(view.Candidates(Control::Member).size(), offered);
  EXPECT_EQ(test::ReadWholeFile(dir.file("soft.dat")), before);
}

}  // namespace
}  // namespace albatrix
