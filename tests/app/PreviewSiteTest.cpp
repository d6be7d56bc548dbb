// Preview mode against the stand-in site: every cover fetched once per listing, thumbnails numbered in
// album order, a broken cover left without one, and a fill stop that does not wait for a stalled cover.
#include <gtest/gtest.h>

#include <chrono>

#include "support/ControllerSiteFixture.h"
#include "support/WaitFor.h"

namespace albatrix {
namespace {

// Stands in for the picture decoder: a non-empty cover file makes a thumbnail.
std::optional<ThumbnailPixels> FakeThumbnail(const Text& file) {
  if (test::ReadWholeFile(TextToUtf8(file)).empty()) return std::nullopt;
  ThumbnailPixels pixels;
  pixels.width = kThumbWidth;
  pixels.height = kThumbHeight;
  pixels.rgb.assign(static_cast<std::size_t>(kThumbWidth) * kThumbHeight * 3, 0x80);
  return pixels;
}

class PreviewSiteTest : public test::ControllerSiteFixture {
 protected:
  void SetUp() override {
    ControllerSiteFixture::SetUp();
    controller->SetThumbnailMaker(FakeThumbnail);
  }
  void ClickPreview(bool checked) {
    view.Check(Control::Preview, checked);
    controller->SwitchPreview(view.IsChecked(Control::Preview));
    ASSERT_TRUE(test::WaitFor([&] { return !controller->Filling(); }));
    controller->WaitForFill();
  }
  int CoverRequests() {
    int total = 0;
    for (const auto& [path, count] : site().RequestCounts())
      if (path.rfind("/cover/", 0) == 0) total += count;
    return total;
  }
  // The cover of the demo's album `album` stalls after a few bytes; gives its path.
  std::string StallCover(std::size_t album) {
    std::optional<SiteMember> demo = site().Member(AlbumSite::kDemoMember);
    std::string path = AlbumSite::CoverPath(AlbumSite::kDemoMember, demo->albums.at(album).id);
    SiteFault stall;
    stall.kind = SiteFaultKind::Stall;
    stall.bytes = 10;
    site().SetFault(path, stall);
    return path;
  }
  void ListDemo() { List(Utf8ToText(site().MemberUrl(AlbumSite::kDemoMember))); }
  std::size_t AlbumCount() { return controller->Albums().size(); }
};

TEST_F(PreviewSiteTest, PreviewListPreviewFetchesEachCoverOnce) {
  ListDemo();
  ASSERT_GE(AlbumCount(), 7u);
  EXPECT_EQ(CoverRequests(), 0);  // list mode fetches no covers
  ClickPreview(true);
  const int albums = static_cast<int>(AlbumCount());
  EXPECT_EQ(CoverRequests(), albums);
  for (std::size_t i = 0; i < AlbumCount(); ++i) {
    EXPECT_EQ(controller->ThumbnailOf(i), static_cast<int>(i)) << "covers come one at a time, in order";
    EXPECT_TRUE(test::PathExists(dir.file("tmp/" + std::to_string(i) + ".jpg")));
  }
  std::vector<GridAlbum> rows = view.Rows();
  ASSERT_EQ(rows.size(), AlbumCount());
  EXPECT_EQ(rows[3].thumbIndex, 3);

  ClickPreview(false);
  ClickPreview(true);
  EXPECT_EQ(CoverRequests(), albums);  // thumbnails are kept within a listing
  EXPECT_EQ(view.ThumbnailIndices().size(), AlbumCount());
  EXPECT_EQ(view.Rows().back().thumbIndex, albums - 1);

  // A new listing in preview mode makes them afresh as it appends, and the cells get them as they come.
  ListDemo();
  ASSERT_TRUE(test::WaitFor([&] { return controller->ThumbnailOf(AlbumCount() - 1) != -1; }));
  EXPECT_EQ(CoverRequests(), 2 * albums);
  EXPECT_EQ(controller->ThumbnailOf(0), 0);
  EXPECT_EQ(view.Rows().back().thumbIndex, albums - 1);
  EXPECT_FALSE(view.IsEnabled(Control::Filter));
  EXPECT_FALSE(view.IsEnabled(Control::Find));
  EXPECT_TRUE(view.Messages().empty());
}

TEST_F(PreviewSiteTest, ABrokenCoverLeavesItsAlbumWithoutAThumbnail) {
  ListDemo();
  ASSERT_GE(AlbumCount(), 2u);
  std::string member = AlbumSite::kDemoMember;
  std::optional<SiteMember> demo = site().Member(member);
  ASSERT_TRUE(demo);
  site().SetFault(AlbumSite::CoverPath(member, demo->albums[1].id), SiteFault{});  // 404
  ClickPreview(true);
  EXPECT_EQ(controller->ThumbnailOf(0), 0);
  EXPECT_EQ(controller->ThumbnailOf(1), -1);
  EXPECT_EQ(controller->ThumbnailOf(2), 1);
  EXPECT_FALSE(test::PathExists(dir.file("tmp/1.jpg")));
  EXPECT_TRUE(view.Messages().empty());
}

TEST_F(PreviewSiteTest, StoppingAFillEndsAStalledCoverAtOnce) {
  ListDemo();
  std::string stalled = StallCover(0);
  view.Check(Control::Preview, true);
  controller->SwitchPreview(view.IsChecked(Control::Preview));
  ASSERT_TRUE(test::WaitFor([&] { return site().RequestCount(stalled) == 1; }));
  view.SetAnswer(true);
  view.Check(Control::Preview, false);
  auto asked = std::chrono::steady_clock::now();
  controller->SwitchPreview(view.IsChecked(Control::Preview));
  EXPECT_TRUE(test::WaitFor([&] { return !controller->Filling(); }, std::chrono::seconds(1)));
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
  controller->WaitForFill();
  EXPECT_TRUE(view.IsChecked(Control::Preview));  // the box stayed as it was
  EXPECT_TRUE(view.ThumbnailIndices().empty());  // the cells stay as they were, without pictures
  EXPECT_EQ(CoverRequests(), 1);
}

TEST_F(PreviewSiteTest, AStalledCoverHoldsNeitherTheListingNorTheCoversOfTheNextListing) {
  ListDemo();
  ClickPreview(true);
  std::string stalled = StallCover(0);
  auto asked = std::chrono::steady_clock::now();
  ListDemo();  // returns once the listing has ended
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
  EXPECT_EQ(view.Rows().size(), AlbumCount());
  EXPECT_TRUE(test::WaitFor([&] { return site().RequestCount(stalled) == 2; }));
  // The next listing drops the stalled cover at once and makes every thumbnail.
  site().ClearFault(stalled);
  ListDemo();
  EXPECT_TRUE(test::WaitFor([&] { return controller->ThumbnailOf(AlbumCount() - 1) != -1; }, std::chrono::seconds(5)));
  EXPECT_EQ(controller->ThumbnailOf(0), 0);
}

}  // namespace
}  // namespace albatrix
