// The bar and the pace beside it over a real run: the stand-in site sends its pictures at a known pace,
// and the window is told the whole run's figure and a pace close to the site's.
#include <gtest/gtest.h>

#include <string>

#include "support/ControllerSiteFixture.h"
#include "support/TempDir.h"
#include "support/TestMembers.h"

namespace albatrix {
namespace {

constexpr int kPicturesPerSecond = 20;
constexpr int kPicturesEach = 30;
constexpr int kStatedSecond = 40;  // what the listing says of the second album, which holds 30

class RunRateSiteTest : public test::ControllerSiteFixture {
 protected:
  SiteOptions Options() const override {
    SiteOptions options = test::OpenSiteOptions();
    options.picturesPerSecond = kPicturesPerSecond;
    return options;
  }
};

// The pace a label text gives: the figure before " 张/秒".
double PaceOf(const Text& label) {
  const std::string text = TextToUtf8(label);
  return std::stod(text.substr(0, text.find(" 张/秒")));
}

TEST_F(RunRateSiteTest, TheBarCountsTheWholeRunAndThePaceIsTheSitesAtHalfWay) {
  SiteMember member = test::MemberWith("kobe", {u"One", u"Two"}, 3, kPicturesEach, 30);
  member.albums[1].statedCount = kStatedSecond;
  site().AddMember(member);
  List(Utf8ToText(site().MemberUrl("kobe")));
  ASSERT_EQ(controller->Albums().size(), 2u);
  test::TempDir saveDir;
  view.SetText(Control::SavePath, Utf8ToText(saveDir.path()));
  view.SetChosen({0, 1});
  controller->Download(view.Request());
  controller->WaitForDownload();
  ASSERT_EQ(controller->LastDownload().saved, 2 * kPicturesEach);

  // Until the second album is listed, the bar's end is the first album's pictures and what the listing
  // said of the second; then the pictures as listed; at the end the bar empties.
  const auto figures = view.ProgressFigures();
  ASSERT_GE(figures.size(), 3u);
  std::size_t i = 0;
  for (; i < figures.size() && figures[i].first < kPicturesEach; ++i)
    EXPECT_EQ(figures[i].second, static_cast<std::size_t>(kPicturesEach + kStatedSecond)) << i;
  EXPECT_EQ(figures[figures.size() - 2], (std::pair<std::int32_t, std::size_t>{60, 60}));
  EXPECT_EQ(figures.back(), (std::pair<std::int32_t, std::size_t>{0, 0}));

  // Half-way is the first album's end: the last pace shown by then.
  Text paceAtHalfWay;
  for (const auto& [control, text] : view.TextLog()) {
    if (control == Control::Rate && !text.empty()) paceAtHalfWay = text;
    if (control == Control::Progress && text == u"已下载30/30......") break;
  }
  ASSERT_FALSE(paceAtHalfWay.empty()) << "no pace shown in the first half";
  EXPECT_NE(paceAtHalfWay.find(u" 张/秒，剩余约 "), Text::npos) << TextToUtf8(paceAtHalfWay);
  RecordProperty("pace_at_half_way", TextToUtf8(paceAtHalfWay));
  EXPECT_NEAR(PaceOf(paceAtHalfWay), kPicturesPerSecond, 0.2 * kPicturesPerSecond) << TextToUtf8(paceAtHalfWay);
  EXPECT_EQ(view.GetText(Control::Rate), u"");  // cleared with the run's end
}

}  // namespace
}  // namespace albatrix
