// A batch of job files through the controller: a stop during the first member's download ends the whole
// batch, so the second member is neither listed nor fetched, and the sum says it was cancelled. The stop
// button takes input through the batch even when the window had nothing listed before it.
#include <gtest/gtest.h>

#include "support/ControllerSiteFixture.h"
#include "support/TestMembers.h"
#include "support/WaitFor.h"

namespace albatrix {
namespace {

class JobBatchSiteTest : public test::ControllerSiteFixture {};

TEST_F(JobBatchSiteTest, AStopEndsTheWholeBatch) {
  site().AddMember(test::MemberWith("kobe", {u"Trip"}, 3, 2));
  site().AddMember(test::MemberWith("yao", {u"Home"}, 3, 2));
  const Text save = Utf8ToText(dir.file("out"));
  for (const char* member : {"kobe", "yao"}) {
    List(Utf8ToText(site().MemberUrl(member)));
    ASSERT_TRUE(controller->ExportJob(Utf8ToText(dir.file(std::string(member) + ".albatrix")), DownloadRequest{{0}, save}, false));
  }
  const std::string stalled = AlbumSite::PicturePath("kobe", site().Member("kobe")->albums[0], 1, true);
  SiteFault stall;
  stall.kind = SiteFaultKind::Stall;
  stall.bytes = 10;
  site().SetFault(stalled, stall);
  const int yaoListings = site().RequestCount("/yao/photo-1");
  List(Utf8ToText(site().MemberUrl("nobody")));  // nothing listed: "下载" is off
  ASSERT_FALSE(view.IsEnabled(Control::Download));

  ASSERT_TRUE(controller->RunJobFiles({Utf8ToText(dir.file("kobe.albatrix")), Utf8ToText(dir.file("yao.albatrix"))}));
  ASSERT_TRUE(test::WaitFor([&] { return site().RequestCount(stalled) == 1; }));
  EXPECT_TRUE(view.IsEnabled(Control::Download));  // "终止下载"
  for (Control id : {Control::GetAlbums, Control::Site, Control::Member, Control::SavePath}) EXPECT_FALSE(view.IsEnabled(id)) << id;
  EXPECT_TRUE(controller->CancelDownload());
  controller->WaitForDownload();
  EXPECT_TRUE(controller->LastDownload().cancelled);
  EXPECT_FALSE(controller->Running());
  EXPECT_FALSE(test::PathExists(dir.file("out/yao")));
  EXPECT_EQ(site().RequestCount("/yao/photo-1"), yaoListings);  // the second member was never listed
  EXPECT_EQ(view.GetText(Control::Download), u"下载");
}

}  // namespace
}  // namespace albatrix
