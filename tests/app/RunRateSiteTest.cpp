// The bar and the pace over a real run, the stand-in site sending 20 pictures a second.
#include <gtest/gtest.h>

#include "support/ControllerSiteFixture.h"
#include "support/TestMembers.h"

namespace albatrix {
namespace {

class RunRateSiteTest : public test::ControllerSiteFixture {
 protected:
  SiteOptions Options() const override {
    SiteOptions options = test::OpenSiteOptions();
    options.picturesPerSecond = 20;
    return options;
  }
};

TEST_F(RunRateSiteTest, TheBarCountsTheWholeRunAndThePaceIsTheSitesAtHalfWay) {
  SiteMember member = test::MemberWith("kobe", {u"One", u"Two"}, 3, 30, 30);
  member.albums[1].statedCount = 40;  // the listing says 40 of the 30
  site().AddMember(member);
  List(Utf8ToText(site().MemberUrl("kobe")));
  test::TempDir saveDir;
  view.SetChosen({0, 1});
  controller->Download(DownloadRequest{view.ChosenAlbums(), Utf8ToText(saveDir.path())});
  controller->WaitForDownload();
  ASSERT_EQ(controller->LastDownload().saved, 60);

  // The first album's 30 and the listing's 40 until the second is listed; then 60; at the end empty.
  const auto figures = view.ProgressFigures();
  ASSERT_GE(figures.size(), 3u);
  for (std::size_t i = 0; i < figures.size() && figures[i].first < 30; ++i) EXPECT_EQ(figures[i].second, 70u) << i;
  EXPECT_EQ(figures[figures.size() - 2], (std::pair<std::int32_t, std::size_t>{60, 60}));
  EXPECT_EQ(figures.back(), (std::pair<std::int32_t, std::size_t>{0, 0}));

  // The last pace shown by half-way, the first album's end.
  Text pace;
  for (const auto& [control, text] : view.TextLog()) {
    if (control == Control::Rate && !text.empty()) pace = text;
    if (control == Control::Progress && text == u"已下载30/30......") break;
  }
  RecordProperty("pace_at_half_way", TextToUtf8(pace));
  ASSERT_NE(pace.find(u" 张/秒，剩余约 "), Text::npos) << TextToUtf8(pace);
  EXPECT_NEAR(std::stod(TextToUtf8(pace.substr(0, pace.find(u' ')))), 20, 4) << TextToUtf8(pace);
  EXPECT_EQ(view.GetText(Control::Rate), u"");  // cleared with the run's end
}

}  // namespace
}  // namespace albatrix
