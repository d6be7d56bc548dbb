// The preview switch, the filler and the filter through the recording view. No album here has a cover
// address and no thumbnail maker is set, so nothing reaches the network.
#include <gtest/gtest.h>

#include <future>

#include "app/AlbatrixController.h"
#include "support/FakeListing.h"
#include "support/FakeView.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace albatrix {
namespace {

class PreviewControllerTest : public ::testing::Test {
 protected:
  // A listing that finds albums of these titles.
  void AddAlbums(std::initializer_list<const char16_t*> titles) {
    listed.clear();
    for (const char16_t* title : titles) listed.push_back(test::ListedAlbum(title));
    if (!controller.ReadyForInput()) controller.FinishStartup();
    controller.GetAlbums(u"http://my.hupu.com/kobe");
    controller.WaitForListing();
  }
  // The user clicks 1014 into `checked`; returns once a fill that started has ended.
  void ClickPreview(bool checked) {
    view.UserCheck(checked);
    controller.SwitchPreview(view.IsChecked(Control::Preview));
    ASSERT_TRUE(test::WaitFor([&] { return !controller.Filling(); }));
    controller.WaitForFill();
  }
  // Starts the switch into `checked` with the filler held at the first album it shows until the returned
  // promise is set, so a test acts while a real fill runs.
  std::promise<void> HoldFillAtFirstAlbum(bool checked) {
    std::promise<void> release;
    view.OnShowAlbum([held = release.get_future().share()](const GridAlbum&) { held.wait(); });
    view.UserCheck(checked);
    controller.SwitchPreview(checked);
    EXPECT_TRUE(test::WaitFor([&] { return view.Rows().size() == 1; }));
    return release;
  }
  std::vector<std::size_t> ShownIndices() const {
    std::vector<std::size_t> indices;
    for (const GridAlbum& row : view.Rows()) indices.push_back(row.albumIndex);
    return indices;
  }

  struct View : test::FakeView {
    void UserCheck(bool checked) { Check(Control::Preview, checked); }
  };

  test::TempDir dir;
  View view;
  std::vector<ST_PERLISTRECORD> listed;
  AlbatrixController controller{view, dir.folder(), SiteProfile(), test::ListsAlbumsOf(listed)};
};

TEST_F(PreviewControllerTest, TheSwitchFillsTheGridInTheNewModeAndTurnsFilterAndFindOffAndOn) {
  AddAlbums({u"a", u"b", u"c", u"d", u"e", u"f", u"g"});
  view.Check(Control::SelectAll, true);
  ClickPreview(true);
  EXPECT_TRUE(controller.PreviewMode());
  EXPECT_TRUE(view.GridIsPreview());
  EXPECT_FALSE(view.IsChecked(Control::SelectAll));
  EXPECT_FALSE(view.IsVisible(Control::FindWindow));
  EXPECT_FALSE(view.IsEnabled(Control::Filter));
  EXPECT_FALSE(view.IsEnabled(Control::Find));
  std::vector<GridAlbum> rows = view.Rows();
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[6].row, 1);  // the 7th album starts the second row
  EXPECT_EQ(rows[6].column, 0);
  EXPECT_EQ(rows[6].caption, u"7.g");
  EXPECT_EQ(rows[6].thumbIndex, -1);  // no cover: the cell shows its text
  EXPECT_GE(view.GridRefreshes(), 1);

  ClickPreview(false);
  EXPECT_FALSE(controller.PreviewMode());
  EXPECT_FALSE(view.GridIsPreview());
  EXPECT_TRUE(view.IsEnabled(Control::Filter));
  EXPECT_TRUE(view.IsEnabled(Control::Find));
  rows = view.Rows();
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[6].number, u"0007");
  EXPECT_TRUE(view.Messages().empty());
}

// "否" lets the fill show every album; "是" stops it after the album it is at.
TEST_F(PreviewControllerTest, AClickDuringAFillAsksAndPutsTheBoxBack) {
  AddAlbums({u"a", u"b", u"c"});
  for (bool yes : {false, true}) {
    const bool target = !controller.PreviewMode();
    std::promise<void> release = HoldFillAtFirstAlbum(target);
    view.SetAnswer(yes);
    const int resets = view.GridResets();
    const std::size_t asked = view.Messages().size();
    view.UserCheck(!target);
    controller.SwitchPreview(!target);
    ASSERT_EQ(view.Messages().size(), asked + 1);
    const test::FakeView::MessageRecord question = view.Messages().back();
    EXPECT_EQ(question.text, u"模式转换未完成,是否中断?");
    EXPECT_EQ(question.caption, u"提示");
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(view.IsChecked(Control::Preview), target) << "the box goes back as it was";
    EXPECT_EQ(controller.PreviewMode(), target);
    EXPECT_EQ(view.GridResets(), resets);
    release.set_value();
    ASSERT_TRUE(test::WaitFor([&] { return !controller.Filling(); }));
    controller.WaitForFill();
    EXPECT_EQ(view.Rows().size(), yes ? 1u : 3u);
  }
}

TEST_F(PreviewControllerTest, AFilterAndANewListingWaitForAFillThatRuns) {
  AddAlbums({u"trip", u"home"});
  std::promise<void> release = HoldFillAtFirstAlbum(true);
  const int resets = view.GridResets();
  EXPECT_FALSE(controller.ApplyFilter(u"trip"));
  EXPECT_EQ(view.GridResets(), resets);
  EXPECT_EQ(view.Rows().size(), 1u);  // the grid is left to the fill
  EXPECT_EQ(controller.FilterKeyword(), u"");
  // "获取相册" starts nothing, leaves the album list under the filler alone, and says why.
  controller.GetAlbums(u"kobe24");
  EXPECT_FALSE(controller.Listing());
  EXPECT_EQ(view.GridResets(), resets);
  EXPECT_TRUE(view.Messages().empty());
  EXPECT_EQ(view.GetText(Control::Status), kTextWaitForPreview);
  release.set_value();
  ASSERT_TRUE(test::WaitFor([&] { return !controller.Filling(); }));
  EXPECT_EQ(view.Rows().size(), 2u);
}

TEST_F(PreviewControllerTest, TheEndOfAListingLeavesFilterAndFindAsTheModeAllows) {
  ClickPreview(true);
  AddAlbums({u"a"});
  EXPECT_FALSE(view.IsEnabled(Control::Filter));
  EXPECT_FALSE(view.IsEnabled(Control::Find));
  EXPECT_TRUE(view.IsEnabled(Control::Preview));
  EXPECT_TRUE(view.IsEnabled(Control::Export));

  ClickPreview(false);
  AddAlbums({u"a"});
  EXPECT_TRUE(view.IsEnabled(Control::Filter));
  EXPECT_TRUE(view.IsEnabled(Control::Find));
}

TEST_F(PreviewControllerTest, AFilterNumbersTheMatchesAfreshAndKeepsTheirAlbums) {
  AddAlbums({u"Sea trip", u"Home", u"trip 2", u"Trip", u"round trip"});
  view.Check(Control::SelectAll, true);

  ASSERT_TRUE(controller.ApplyFilter(u"  trip "));
  std::vector<GridAlbum> rows = view.Rows();
  ASSERT_EQ(rows.size(), 3u);  // case-sensitive: "Trip" stays out
  EXPECT_EQ(ShownIndices(), (std::vector<std::size_t>{0, 2, 4}));
  EXPECT_EQ(rows[0].number, u"0001");
  EXPECT_EQ(rows[2].number, u"0003");
  EXPECT_EQ(rows[2].title, u"round trip");
  EXPECT_EQ(controller.FilterKeyword(), u"");  // emptied at the end of the pass
  EXPECT_TRUE(view.IsChecked(Control::SelectAll));  // the filter leaves "全选" alone
  EXPECT_FALSE(controller.Filling());

  ASSERT_TRUE(controller.ApplyFilter(u""));
  EXPECT_EQ(ShownIndices(), (std::vector<std::size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(view.Rows().back().number, u"0005");
}

TEST_F(PreviewControllerTest, AFilterIsRefusedInPreviewMode) {
  AddAlbums({u"trip"});
  ClickPreview(true);
  int resets = view.GridResets();
  EXPECT_FALSE(controller.ApplyFilter(u"trip"));
  EXPECT_EQ(view.GridResets(), resets);
}

}  // namespace
}  // namespace albatrix
