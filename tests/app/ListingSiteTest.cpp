// The get-albums command end to end: the controller, its listing thread and the crawler against the
// stand-in site over loopback HTTP, seen through the recording view.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/AlbatrixController.h"
#include "support/FakeView.h"
#include "support/ControllerSiteFixture.h"
#include "support/TempDir.h"
#include "support/TestMembers.h"
#include "support/WaitFor.h"

namespace albatrix {
namespace {

using test::FakeView;
using test::MemberWith;
using test::NumberedMember;

class ListingSiteTest : public test::ControllerSiteFixture {
 protected:
  Text MemberAddress(const std::string& key) { return Utf8ToText(site().MemberUrl(key)); }

  // Serves `html` (written in GBK) at `path` instead of the site's own page.
  void ServeHandPage(const std::string& path, const std::string& html) {
    SiteFault page;
    page.kind = SiteFaultKind::Status;
    page.status = 200;
    page.body = TextToGbk(Utf8ToText(html));
    site().SetFault(path, page);
  }

  TextArray Titles() {
    TextArray titles;
    for (const GridAlbum& row : view.Rows()) titles.push_back(row.title);
    return titles;
  }
};

TEST_F(ListingSiteTest, AOnePageMemberIsReadWithOneRequest) {
  site().AddMember(MemberWith("solo", {u"Trip", u"Sea"}));
  site().ResetCounts();
  List(MemberAddress("solo"));
  EXPECT_EQ(site().TotalRequests(), 1);
  EXPECT_EQ(site().RequestCount("/solo/photo-1"), 1);

  std::vector<GridAlbum> rows = view.Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].number, u"0001");
  EXPECT_EQ(rows[0].title, u"Trip");
  EXPECT_EQ(rows[0].count, u"   0");
  EXPECT_EQ(rows[1].number, u"0002");
  EXPECT_EQ(controller->Albums()[1].albumPath, u"solo/photo/a2");
  EXPECT_EQ(controller->Albums()[1].coverUrl, Utf8ToText(site().BaseUrl() + AlbumSite::CoverPath("solo", "a2")));
  EXPECT_EQ(view.GetText(Control::GridFrame), u"相册列表(共2个)");
  EXPECT_EQ(view.GetText(Control::Status), u"获取相册列表完成，共2个");
  EXPECT_EQ(view.GetText(Control::GetAlbums), u"获取相册");
  EXPECT_TRUE(view.IsEnabled(Control::Download));
  EXPECT_TRUE(view.MessageTexts().empty());
  EXPECT_EQ(controller->MemberKey(), test::PlatformPath(Text(u"solo/")));
  EXPECT_FALSE(controller->Listing());
}

// A browser's address bar gives "https://": the member is found all the same, and the pages still come
// from the site's own base address (plain HTTP here), while the history keeps the text as typed.
TEST_F(ListingSiteTest, AnHttpsMemberAddressListsTheMemberFromTheSitesBase) {
  site().AddMember(MemberWith("secure", {u"Trip", u"Sea"}));
  site().ResetCounts();
  Text typed = u"https://" + Utf8ToText(site().HostFragment()) + u"secure?from=browser";
  List(typed);
  EXPECT_EQ(site().RequestCount("/secure/photo-1"), 1);
  EXPECT_EQ(Titles(), (TextArray{u"Trip", u"Sea"}));
  EXPECT_TRUE(view.MessageTexts().empty());
  EXPECT_EQ(controller->MemberKey(), test::PlatformPath(Text(u"secure/")));
  EXPECT_EQ(view.Candidates(Control::Member), TextArray{typed});
}

TEST_F(ListingSiteTest, SeveralPagesInOrderWithTitlesCleanedAndMadeUnique) {
  site().AddMember(MemberWith("many", {u"Trip", u"A & B", u"Trip", u"x/y:z", u"他说\"你好\"", u"Trip (1)", u"Last"}));
  site().ResetCounts();
  List(MemberAddress("many"));
  EXPECT_EQ(site().RequestCount("/many/photo-1"), 1);
  EXPECT_EQ(site().RequestCount("/many/photo-2"), 1);
  EXPECT_EQ(site().RequestCount("/many/photo-3"), 1);
  EXPECT_EQ(site().TotalRequests(), 3);
  // Pages are read with their entities decoded, so a title's escaped quote ends the attribute early.
  EXPECT_EQ(Titles(), (TextArray{u"Trip", u"A & B", u"Trip (1)", u"xyz", u"他说", u"Trip (1) (1)", u"Last"}));
  EXPECT_EQ(view.Rows().back().number, u"0007");
  EXPECT_EQ(view.GetText(Control::GridFrame), u"相册列表(共7个)");
}

TEST_F(ListingSiteTest, ASecondPressStopsTheListingAfterTheAlbumBeingAppended) {
  site().AddMember(NumberedMember("big", 9));
  site().ResetCounts();
  Text buttonAtPress;
  view.OnShowAlbum([&](const GridAlbum& row) {
    if (row.row != 4) return;
    std::thread press([&] { controller->GetAlbums(view.GetText(Control::Member)); });  // the interface thread's press
    press.join();
    buttonAtPress = view.GetText(Control::GetAlbums);
  });
  List(MemberAddress("big"));
  EXPECT_EQ(buttonAtPress, u"终止获取");  // back to "获取相册" only when the listing has ended
  EXPECT_EQ(view.RowCount(), 4u);
  EXPECT_EQ(controller->Albums().size(), 4u);
  EXPECT_EQ(site().RequestCount("/big/photo-3"), 0);
  EXPECT_EQ(view.GetText(Control::GridFrame), u"相册列表(共4个)");
  EXPECT_EQ(view.GetText(Control::Status), u"获取相册列表完成，共4个");
  EXPECT_EQ(view.GetText(Control::GetAlbums), u"获取相册");
  EXPECT_FALSE(controller->Listing());
  EXPECT_TRUE(view.MessageTexts().empty());
}

// The stop press ends the page in flight at once, however long its server would hold it: the albums of
// the pages read before stay, and the window is idle again well within a second.
TEST_F(ListingSiteTest, AStopWhilePageThreeIsReadEndsThatPageAtOnce) {
  site().AddMember(NumberedMember("slow", 9));
  for (SiteFaultKind kind : {SiteFaultKind::Slow, SiteFaultKind::Stall}) {
    SiteFault fault;
    fault.kind = kind;
    fault.chunkBytes = 64;
    fault.delayMs = 100;
    fault.bytes = 100;
    site().SetFault("/slow/photo-3", fault);
    site().ResetCounts();
    view.SetText(Control::Member, MemberAddress("slow"));
    controller->GetAlbums(view.GetText(Control::Member));
    ASSERT_TRUE(test::WaitFor([&] { return site().RequestCount("/slow/photo-3") == 1; }));
    const auto pressed = std::chrono::steady_clock::now();
    controller->GetAlbums(view.GetText(Control::Member));
    EXPECT_TRUE(test::WaitFor([&] { return !controller->Listing(); }, std::chrono::seconds(1)));
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(1));
    controller->WaitForListing();
    EXPECT_EQ(Titles(), (TextArray{u"T1", u"T2", u"T3", u"T4", u"T5", u"T6"}));
    EXPECT_EQ(view.GetText(Control::GridFrame), u"相册列表(共6个)");
    EXPECT_FALSE(controller->Listing());
  }
  // The next press lists afresh.
  site().ClearFaults();
  List(MemberAddress("slow"));
  EXPECT_EQ(view.RowCount(), 9u);
}

TEST_F(ListingSiteTest, MaintenanceEndsTheListingQuietly) {
  site().AddMember(NumberedMember("kept", 2));
  site().SetMaintenance(true);
  site().ResetCounts();
  List(MemberAddress("kept"));
  EXPECT_EQ(site().TotalRequests(), 1);
  EXPECT_EQ(view.RowCount(), 0u);
  // Logging in would mend nothing: the message says the site is down.
  EXPECT_EQ(view.MessageTexts(), TextArray{Text(kMaintenanceMessage)});
  EXPECT_EQ(view.GetText(Control::GridFrame), u"相册列表(共0个)");
  EXPECT_FALSE(view.IsEnabled(Control::Download));
}

TEST_F(ListingSiteTest, AnUnreadableLaterPageSaysTheListMayBeShort) {
  site().AddMember(NumberedMember("kept", 7));  // three list pages
  SiteFault broken;
  broken.status = 500;
  site().SetFault("/kept/photo-2", broken);
  List(MemberAddress("kept"));
  EXPECT_EQ(view.RowCount(), 3u);
  EXPECT_EQ(site().RequestCount("/kept/photo-3"), 0);
  EXPECT_EQ(view.GetText(Control::Status), u"获取相册列表完成，共3个（第2页读取失败，列表可能不完整）");
  EXPECT_TRUE(view.MessageTexts().empty());
}

TEST_F(ListingSiteTest, MaintenanceOnALaterPageKeepsWhatWasFound) {
  ServeHandPage("/hand/photo-1",
                "<a id=\"j_next\"></a><ul class=\"album_list\"><li><a href=\"hand/photo/a1.html\">"
                "<img src=\"c1\" title=\"One\"></a>(共2张)</li></ul>");
  ServeHandPage("/hand/photo-2", "<p>当前页面正在维护中</p><ul class=\"album_list\"><li><a href=\"x.html\">");
  List(MemberAddress("hand"));
  EXPECT_EQ(Titles(), TextArray{u"One"});
  EXPECT_EQ(site().RequestCount("/hand/photo-3"), 0);
  EXPECT_TRUE(view.MessageTexts().empty());
  EXPECT_EQ(view.GetText(Control::Status), u"获取相册列表完成，共1个（第2页读取失败，列表可能不完整）");
}

TEST_F(ListingSiteTest, HandWrittenEntriesFollowTheMarkerRules) {
  ServeHandPage("/hand/photo-1",
                "<a id=\"j_next_page\">下一页</a><ul class=\"album_list\">"
                "<li><a href=\"hand/photo/a1-1.html\"><img src=\"http://c/1.jpg\" title=\"Full\"></a>(共 12张)</li>"
                "<li><a href=\"hand/photo/a2.html\" title=\"Early\"><img src=\"http://c/2.jpg\"></a>(共3张)</li>"
                "<li><img src=\"http://c/3.jpg\" title=\"No link\"></li>"
                "</ul><li>outside the list</li>");
  ServeHandPage("/hand/photo-2", "<ul class=\"album_list\"></ul><p>no entries</p>");
  List(MemberAddress("hand"));
  EXPECT_EQ(site().RequestCount("/hand/photo-2"), 1);
  EXPECT_EQ(site().RequestCount("/hand/photo-3"), 0);
  const AlbumList& albums = controller->Albums();
  ASSERT_EQ(albums.size(), 3u);
  EXPECT_EQ(albums[0].albumPath, u"hand/photo/a1");
  EXPECT_EQ(albums[0].title, u"Full");
  EXPECT_EQ(albums[0].pictureCount, 12);
  // The title attribute before the cover is not seen: the album gets the 14-digit time stamp.
  EXPECT_EQ(albums[1].albumPath, u"hand/photo/a2");
  EXPECT_EQ(albums[1].coverUrl, u"http://c/2.jpg");
  EXPECT_EQ(albums[1].title.size(), 14u);
  EXPECT_EQ(albums[1].title.find_first_not_of(u"0123456789"), Text::npos);
  EXPECT_EQ(albums[1].pictureCount, 3);
  EXPECT_EQ(albums[2].albumPath, u"");
  EXPECT_EQ(albums[2].title, u"No link");
  EXPECT_EQ(albums[2].pictureCount, 0);
  EXPECT_EQ(view.Rows()[2].count, u"   0");
}

TEST_F(ListingSiteTest, ASingleAlbumByItsOwnAddress) {
  site().AddMember(MemberWith("kobe", {u"First", u"Second & more"}, 3, 5));
  site().ResetCounts();
  List(Utf8ToText(site().AlbumUrl("kobe", "a2")));
  EXPECT_EQ(site().TotalRequests(), 1);
  EXPECT_EQ(site().RequestCount("/kobe/photo/a2.html"), 1);
  const AlbumList& albums = controller->Albums();
  ASSERT_EQ(albums.size(), 1u);
  EXPECT_EQ(albums[0].title, u"Second & more");
  EXPECT_EQ(albums[0].albumPath, u"kobe/photo/a2");
  EXPECT_EQ(albums[0].pictureCount, 5);
  EXPECT_EQ(albums[0].coverUrl, Utf8ToText(site().BaseUrl() + AlbumSite::CoverPath("kobe", "a2")));
  EXPECT_EQ(controller->MemberKey(), test::PlatformPath(Text(u"kobe/")));
  EXPECT_EQ(view.GetText(Control::GridFrame), u"相册列表(共1个)");
}

TEST_F(ListingSiteTest, TheMemberHistoryChangesOnlyAfterAListingThatFoundAlbums) {
  site().AddMember(NumberedMember("hist", 2));
  std::string before = test::ReadWholeFile(dir.file("soft.dat"));

  List(MemberAddress(AlbumSite::kEmptyMember));
  EXPECT_EQ(view.MessageTexts(), TextArray{Text(kLoginFirstMessage)});
  EXPECT_TRUE(view.Candidates(Control::Member).empty());
  EXPECT_EQ(test::ReadWholeFile(dir.file("soft.dat")), before);

  Text address = MemberAddress("hist") + u"?from=Home";
  List(u"  " + address + u"\t");
  EXPECT_EQ(view.Candidates(Control::Member), TextArray{address});
  SettingsBlock saved = ParseSettings(test::ReadWholeFile(dir.file("soft.dat")));
  EXPECT_EQ(SlotText(saved.memberHistory[0]), address);

  // The same member text again, in other letter case, changes neither the history nor the file.
  std::string after = test::ReadWholeFile(dir.file("soft.dat"));
  List(MemberAddress("hist") + u"?FROM=HOME");
  EXPECT_EQ(controller->Albums().size(), 2u);
  EXPECT_EQ(view.Candidates(Control::Member).size(), 1u);
  EXPECT_EQ(test::ReadWholeFile(dir.file("soft.dat")), after);
}

TEST_F(ListingSiteTest, ANewListingClearsTheLastOne) {
  site().AddMember(NumberedMember("first", 4));
  site().AddMember(NumberedMember("second", 2));
  List(MemberAddress("first"));
  ASSERT_EQ(controller->Albums().size(), 4u);
  int resets = view.GridResets();
  List(MemberAddress("second"));
  EXPECT_EQ(view.GridResets(), resets + 1);
  EXPECT_EQ(view.ThumbnailClears(), 2);
  EXPECT_EQ(controller->Albums().size(), 2u);
  EXPECT_EQ(Titles(), (TextArray{u"T1", u"T2"}));
  EXPECT_EQ(controller->Albums()[0].ordinal, 0);
}

// The run plan's picture listing reads the album the listing found, and ends where the run says stop.
TEST_F(ListingSiteTest, TheRunPlanListsAListedAlbumUntilTheRunSaysStop) {
  site().AddMember(MemberWith("pics", {u"A", u"B"}, 3, 7, 3));
  List(MemberAddress("pics"));
  ASSERT_EQ(controller->Albums().size(), 2u);
  const RunPlan plan = controller->MakeRunPlan(view.Request());
  TextArray urls;
  const PictureFoundFn found = [&](const PictureEntry& picture) { urls.push_back(picture.url); };
  plan.listPictures(controller->Albums()[1], found, [&] { return urls.size() == 2; }, RequestControl{});
  ASSERT_EQ(urls.size(), 2u);
  EXPECT_EQ(urls[1], Utf8ToText(site().PictureUrl("pics", site().Member("pics")->albums[1], 2, true)));

  urls.clear();
  plan.listPictures(controller->Albums()[1], found, [] { return false; }, RequestControl{});
  EXPECT_EQ(urls.size(), 7u);
}

}  // namespace
}  // namespace albatrix
