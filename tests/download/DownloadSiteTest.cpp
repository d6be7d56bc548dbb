// Whole download runs in-process over real HTTP: the album photo crawler and the fetcher against the
// stand-in site. The site's faults are run through the command line (tests/cli).
#include <gtest/gtest.h>

#include <chrono>

#include "discovery/AlbumPhotoCrawler.h"
#include "discovery/SiteProfile.h"
#include "download/AlbumFiles.h"
#include "download/DownProc.h"
#include "download/SiteRun.h"
#include "support/SiteFixture.h"
#include "support/TempDir.h"
#include "support/TestMembers.h"

namespace albatrix {
namespace {

using test::T;
using test::TempDir;

using DownloadSiteTest = test::SiteFixture;
using test::SiteRun;

TEST_F(DownloadSiteTest, SizeLimitsKeepOnlyPicturesWithinThem) {
  SiteMember member;
  member.key = "sizes";
  SiteAlbum album;
  album.id = "a100002";
  album.title = u"Sizes";
  for (int kb : {2, 5, 9, 12}) {
    album.pictures.push_back(SitePicture{PictureKind::Jpeg, ".jpg", static_cast<std::size_t>(kb) * 1024,
                                         T(std::to_string(kb) + "k")});
  }
  member.albums.push_back(album);
  site().AddMember(member);
  SiteRun run(site(), "sizes");
  run.rig.rule.nameSource = 0;
  run.rig.plan.limits = {5, 9, 2, 10};
  run.rig.Run();
  // The 2k and 12k pictures are left out by the limits, which counts as done: the skip marker is written.
  EXPECT_EQ(test::FolderEntries(run.Album("Sizes")), (std::vector<std::string>{"5k.jpg", "9k.jpg", "pic.zvk"}));
}

TEST_F(DownloadSiteTest, DemoMemberWithEveryOption) {
  SiteRun run(site(), AlbumSite::kDemoMember);
  run.rig.rule.nameSource = 0;
  run.rig.rule.options = OPT_FIX_FORMAT | OPT_FIX_ORDER | OPT_DESCRIPTION_FILE;
  run.rig.chosen = {0};
  run.rig.Run();
  const std::string folder = run.Album("春游 & 踏青");
  // The PNG served as ".jpg" is renamed by the format fix; the two "Sunset" pictures are told apart; the
  // picture without a description takes the album title.
  EXPECT_EQ(test::FolderEntries(folder),
            (std::vector<std::string>{"Sunset(1).jpg", "Sunset.jpg", "pic.zvk", "其实是PNG.png", "动图.gif",
                                      "春游 & 踏青.jpg", "春游 & 踏青.txt", "樱花.jpg", "湖边 & 柳树.png"}));
  auto demo = site().Member(AlbumSite::kDemoMember);
  EXPECT_EQ(test::ReadWholeFile(folder + "/其实是PNG.png"), site().PictureBytes("demo", demo->albums[0].id, 4, true));
  // The description file holds the descriptions as the page gave them, decoded from GBK.
  std::string expected = "\xFF\xFE";
  for (const char* d : {"樱花", "湖边 & 柳树", "动图", "其实是PNG", "Sunset", "Sunset", ""}) {
    for (char16_t c : T(std::string(d) + "\r\n")) {
      expected.push_back(static_cast<char>(c & 0xFF));
      expected.push_back(static_cast<char>(c >> 8));
    }
  }
  EXPECT_EQ(test::ReadWholeFile(folder + "/春游 & 踏青.txt"), expected);
}

// A picture that trickles a byte at a time is never silent, yet cannot hold the run: it fails as a
// time-out within about twice the time-out, and the other pictures are saved.
TEST_F(DownloadSiteTest, ATricklingPictureCannotHoldTheRun) {
  site().AddMember(test::MemberWith("slow", {u"Drip"}, 3, 3));
  auto member = site().Member("slow");
  SiteFault drip;
  drip.kind = SiteFaultKind::Slow;
  drip.chunkBytes = 1;
  drip.delayMs = 100;
  site().SetFault(AlbumSite::PicturePath("slow", member->albums[0], 2, true), drip);
  SiteRun run(site(), "slow");
  run.rig.plan.limits.timeoutSeconds = 1;
  const auto began = std::chrono::steady_clock::now();
  run.rig.Run();
  // Twice the time-out at most for the trickle, and the fetcher's pause of a second after each of its two
  // failed attempts (the address, then the empty alternative).
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::milliseconds(4500));
  ASSERT_EQ(run.rig.Tally().failures.size(), 1u);
  EXPECT_EQ(run.rig.Tally().failures[0].reason, u"time-out");
  EXPECT_EQ(run.rig.Tally().saved, 2);
}

}  // namespace
}  // namespace albatrix
