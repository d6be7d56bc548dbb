// The site driven from outside through its control interface, as the Windows tests drive a native one:
// every call does what the same call does in-process, and the control requests themselves leave no trace
// in what the tests measure.
#include <gtest/gtest.h>

#include <thread>

#include "CrawlWalk.h"
#include "RawHttp.h"
#include "site/SiteWire.h"
#include "support/LoopbackHttp.h"
#include "support/SiteControlClient.h"
#include "support/SiteFixture.h"
#include "support/TestMembers.h"
#include "support/WaitFor.h"

namespace albatrix::test {
namespace {

class SiteControlSiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site_ = std::make_unique<AlbumSite>();
    site_->ServeControl();
    ASSERT_TRUE(site_->Start(0));
    control_ = std::make_unique<SiteControlClient>(site_->BaseUrl());
  }
  void TearDown() override { site_->Stop(); }

  long Status(const std::string& path, const std::string& headers = "") {
    return RawGet(site_->Port(), path, headers).status;
  }

  std::unique_ptr<AlbumSite> site_;
  std::unique_ptr<SiteControlClient> control_;
};

TEST_F(SiteControlSiteTest, DataCallsMatchTheSiteInProcess) {
  SiteMember kobe = MemberWith("kobe", {u"Trip", u"A & B\t%", u"上海"}, 2, 3, 2);
  control_->AddMember(kobe);
  auto member = site_->Member("kobe");
  ASSERT_TRUE(member);
  ASSERT_EQ(member->albums.size(), 3u);
  EXPECT_EQ(member->albums[1].title, u"A & B\t%");

  auto remote = control_->Member("kobe");
  ASSERT_TRUE(remote);
  EXPECT_EQ(remote->albums[2].title, u"上海");
  EXPECT_EQ(remote->albums[2].pictures.size(), 3u);
  EXPECT_FALSE(control_->Member("nobody"));
  EXPECT_EQ(control_->MemberKeys(), site_->MemberKeys());

  std::string picture = control_->PictureBytes("kobe", "a1", 2, true);
  EXPECT_EQ(picture.size(), 2048u);
  EXPECT_EQ(picture, site_->PictureBytes("kobe", "a1", 2, true));
  EXPECT_EQ(control_->PictureBytes("kobe", "a1", 2, false), site_->PictureBytes("kobe", "a1", 2, false));
  EXPECT_EQ(control_->PictureBytes("kobe", "a1", 9, true), "");
  std::string cover = control_->CoverBytes("demo", site_->Member("demo")->albums[0].id);
  EXPECT_FALSE(cover.empty());
  EXPECT_EQ(cover, site_->CoverBytes("demo", site_->Member("demo")->albums[0].id));
  EXPECT_EQ(control_->SessionCookie(), site_->SessionCookie());
}

TEST_F(SiteControlSiteTest, ControlRequestsAreNeverCountedFaultedOrHeldBack) {
  Status("/demo/photo-1");
  Status("/demo/photo-1");
  Status("/nowhere");
  EXPECT_EQ(control_->RequestCount("/demo/photo-1"), 2);
  EXPECT_EQ(control_->TotalRequests(), 3);
  EXPECT_EQ(control_->RequestCounts(), (std::map<std::string, int>{{"/demo/photo-1", 2}, {"/nowhere", 1}}));

  // A fault on a control path, maintenance: the control interface still answers as before.
  control_->SetFault("/_control/total-requests", SiteFault{});
  control_->SetMaintenance(true);
  EXPECT_EQ(control_->TotalRequests(), 3);
  EXPECT_EQ(site_->TotalRequests(), 3);

  control_->ResetCounts();
  EXPECT_EQ(site_->TotalRequests(), 0);
  EXPECT_TRUE(site_->RequestCounts().empty());
}

TEST_F(SiteControlSiteTest, FaultsAndMaintenanceSetFromOutsideApply) {
  SiteFault fault;
  fault.kind = SiteFaultKind::Status;
  fault.status = 500;
  fault.times = 1;
  control_->SetFault("/demo/photo-2", fault);
  EXPECT_EQ(Status("/demo/photo-2"), 500);
  EXPECT_EQ(Status("/demo/photo-2"), 200);  // used up

  fault.times = -1;
  control_->SetFault("/demo/photo-1", fault);
  control_->SetFault("/demo/photo-3", fault);
  control_->ClearFault("/demo/photo-1");
  EXPECT_EQ(Status("/demo/photo-1"), 200);
  EXPECT_EQ(Status("/demo/photo-3"), 500);
  control_->ClearFaults();
  EXPECT_EQ(Status("/demo/photo-3"), 200);

  control_->SetMaintenance(true);
  Text page = PageText(RawGet(site_->Port(), "/demo/photo-1").body);
  EXPECT_NE(page.find(Utf8ToText(AlbumSite::kMaintenanceText)), Text::npos);
  control_->SetMaintenance(false);
  page = PageText(RawGet(site_->Port(), "/demo/photo-1").body);
  EXPECT_EQ(page.find(Utf8ToText(AlbumSite::kMaintenanceText)), Text::npos);
}

TEST_F(SiteControlSiteTest, ResetGivesAFreshSiteOnTheSamePort) {
  int port = site_->Port();
  std::string oldCookie = LoginCookie(*site_);
  ASSERT_EQ(oldCookie, site_->SessionCookie());
  control_->AddMember(NumberedMember("kobe", 2));
  control_->SetFault("/", SiteFault{});
  control_->SetMaintenance(true);
  Status("/");

  SiteOptions options;
  options.requireLogin = false;
  options.seed = 7;
  options.demoShape = MemberShape{2, 1, 1, 1, 1};
  ASSERT_TRUE(control_->Reset(options));
  EXPECT_EQ(site_->Port(), port);
  EXPECT_EQ(site_->TotalRequests(), 0);
  EXPECT_FALSE(site_->Member("kobe"));
  EXPECT_EQ(site_->Member("demo")->albums.size(), 2u);  // the new options' demo member
  EXPECT_EQ(Status("/"), 200);                          // no fault left
  // No login needed now, and no maintenance.
  EXPECT_TRUE(WalkListPage(PageText(RawGet(port, "/demo/photo-1").body)).hasEntries);
  // A login of the site before the reset does not carry over.
  EXPECT_NE(site_->SessionCookie(), oldCookie);

  ASSERT_TRUE(control_->Reset(SiteOptions{}));
  EXPECT_FALSE(WalkListPage(PageText(RawGet(port, "/demo/photo-1", "Cookie: " + oldCookie + "\r\n").body)).hasEntries);
  EXPECT_TRUE(
      WalkListPage(PageText(RawGet(port, "/demo/photo-1", "Cookie: " + site_->SessionCookie() + "\r\n").body)).hasEntries);
}

TEST_F(SiteControlSiteTest, ResetEndsAStalledReply) {
  SiteOptions options;
  options.stallLimitMs = 60000;
  ASSERT_TRUE(control_->Reset(options));
  SiteFault stall;
  stall.kind = SiteFaultKind::Stall;
  stall.bytes = 10;
  control_->SetFault("/demo/photo-1", stall);
  std::atomic<bool> ended{false};
  std::thread client([&] {
    RawGet(site_->Port(), "/demo/photo-1", "", 30000);
    ended = true;
  });
  ASSERT_TRUE(WaitFor([&] { return site_->RequestCount("/demo/photo-1") == 1; }));
  EXPECT_FALSE(ended);
  ASSERT_TRUE(control_->Reset(options));
  EXPECT_TRUE(WaitFor([&] { return ended.load(); }, std::chrono::seconds(5)));
  client.join();
}

TEST_F(SiteControlSiteTest, MalformedAndUnknownCommandsAreRefused) {
  auto post = [&](const std::string& command, const std::string& body) {
    auto reply = HttpPost(site_->BaseUrl() + "/_control/" + command, body);
    return reply ? reply->status : 0;
  };
  EXPECT_EQ(post("reset", "options\tx\n"), 400);
  EXPECT_EQ(post("add-member", "nonsense"), 400);
  EXPECT_EQ(post("set-fault?path=/", "fault"), 400);
  EXPECT_EQ(post("maintenance?on=2", ""), 400);
  EXPECT_EQ(post("picture?member=demo", ""), 400);
  EXPECT_EQ(post("self-destruct", ""), 404);
  EXPECT_EQ(site_->TotalRequests(), 0);
}

TEST(SiteWithoutControlTest, ControlPathsAreOrdinaryPages) {
  auto site = StartSite();
  ASSERT_NE(site, nullptr);
  site->AddMember(NumberedMember("kobe", 1));
  auto reply = HttpPost(site->BaseUrl() + "/_control/reset", WriteOptions(SiteOptions{}));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 404);
  EXPECT_EQ(site->RequestCount("/_control/reset"), 1);
  EXPECT_TRUE(site->Member("kobe"));
}

}  // namespace
}  // namespace albatrix::test
