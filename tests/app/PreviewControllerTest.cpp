// The preview switch, the filler and the filter through the recording view. No album here has a cover
// address and no thumbnail maker is set, so nothing reaches the network.
#include <gtest/gtest.h>

#include "app/AlbatrixController.h"
#include "support/FakeView.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace albatrix {
namespace {

class PreviewControllerTest : public ::testing::Test {
 protected:
  void AddAlbums(std::initializer_list<const char16_t*> titles) {
    ST_PERLISTRECORD album;
    for (const char16_t* title : titles) {
      album.title = title;
      controller.AppendAlbum(album);
    }
  }
  // The user clicks 1014 into `checked`; returns once a fill that started has ended.
  void ClickPreview(bool checked) {
    view.UserCheck(checked);
    controller.SwitchPreview(view.IsChecked(Control::Preview));
    ASSERT_TRUE(test::WaitFor([&] { return !controller.Filling(); }));
    controller.WaitForFill();
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
  AlbatrixController controller{view, dir.folder()};
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

TEST_F(PreviewControllerTest, AClickDuringAFillAsksAndPutsTheBoxBack) {
  for (bool yes : {false, true}) {
    controller.Activities().Begin(Activity::Filling);
    view.SetAnswer(yes);
    int resets = view.GridResets();
    view.UserCheck(true);
    controller.SwitchPreview(view.IsChecked(Control::Preview));
    ASSERT_EQ(view.Messages().size(), yes ? 2u : 1u);
    const test::FakeView::MessageRecord asked = view.Messages().back();
    EXPECT_EQ(asked.text, u"模式转换未完成,是否中断?");
    EXPECT_EQ(asked.caption, u"提示");
    EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
    EXPECT_FALSE(view.IsChecked(Control::Preview)) << "the box goes back as it was";
    EXPECT_TRUE(controller.Filling());
    EXPECT_EQ(controller.Activities().StopAsked(Activity::Filling), yes);
    EXPECT_FALSE(controller.PreviewMode());
    EXPECT_EQ(view.GridResets(), resets);
    EXPECT_TRUE(view.IsEnabled(Control::Filter));
  }
  controller.Activities().End(Activity::Filling);
}

TEST_F(PreviewControllerTest, AFilterAndANewListingWaitForAFillThatRuns) {
  AddAlbums({u"trip", u"home"});
  const std::size_t shown = view.Rows().size();
  controller.Activities().Begin(Activity::Filling);
  EXPECT_FALSE(controller.ApplyFilter(u"trip"));
  EXPECT_EQ(view.GridResets(), 0);
  EXPECT_EQ(view.Rows().size(), shown);  // the grid is left as it was
  EXPECT_EQ(controller.FilterKeyword(), u"");
  // "获取相册" starts nothing, and says why.
  controller.FinishStartup();
  controller.GetAlbums(view.GetText(Control::Member));
  EXPECT_FALSE(controller.Listing());
  EXPECT_EQ(view.GetText(Control::Status), kTextWaitForPreview);
  controller.Activities().End(Activity::Filling);
}

TEST_F(PreviewControllerTest, LeavingAListingInPreviewModeKeepsFilterAndFindOff) {
  ClickPreview(true);
  controller.EnterListing();
  controller.LeaveListing();
  EXPECT_FALSE(view.IsEnabled(Control::Filter));
  EXPECT_FALSE(view.IsEnabled(Control::Find));
  EXPECT_TRUE(view.IsEnabled(Control::Preview));
  EXPECT_TRUE(view.IsEnabled(Control::Export));

  ClickPreview(false);
  controller.EnterListing();
  EXPECT_FALSE(view.IsEnabled(Control::Filter));
  controller.LeaveListing();
  EXPECT_TRUE(view.IsEnabled(Control::Filter));
  EXPECT_TRUE(view.IsEnabled(Control::Find));
}

TEST_F(PreviewControllerTest, AFilterNumbersTheMatchesAfreshAndKeepsTheirAlbums) {
  AddAlbums({u"Sea trip", u"Home", u"trip 2", u"Trip", u"round trip"});
  controller.ResetGrid();
  for (std::size_t i = 0; i < controller.Albums().size(); ++i) controller.ShowAlbumInGrid(i);
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
