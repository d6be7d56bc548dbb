// The download button and "打开" on the controller, through the recording view, against the stand-in site.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "app/AlbatrixController.h"
#include "download/AlbumFiles.h"
#include "download/DownProc.h"
#include "model/DownloadJob.h"
#include "support/FakeView.h"
#include "support/ControllerSiteFixture.h"
#include "support/TempDir.h"
#include "support/TestMembers.h"
#include "support/WaitFor.h"

namespace albatrix {
namespace {

using test::FakeView;
using test::TempDir;

class ControllerDownloadSiteTest : public test::ControllerSiteFixture {
 protected:
  void SetUp() override {
    test::ControllerSiteFixture::SetUp();
    site().AddMember(test::MemberWith("kobe", {u"One", u"Two"}, 3, 3, 3));
    List(Utf8ToText(site().MemberUrl("kobe")));
    ASSERT_EQ(controller->Albums().size(), 2u);
    view.SetText(Control::SavePath, Utf8ToText(saveDir.path()));
  }
  // Makes picture `index` of album `album` hang until the site is told to let it go.
  void Stall(int album, int index) {
    auto member = site().Member("kobe");
    SiteFault stall;
    stall.kind = SiteFaultKind::Stall;
    site().SetFault(AlbumSite::PicturePath("kobe", member->albums[static_cast<std::size_t>(album)], index, true), stall);
  }

  TempDir saveDir;
};

TEST_F(ControllerDownloadSiteTest, PressStartsARunThatReturnsToIdle) {
  view.SetChosen({1});
  controller->Download(view.Request());
  controller->WaitForDownload();
  EXPECT_FALSE(controller->Running());
  EXPECT_EQ(view.TextsSetOn(Control::Download), (TextArray{u"终止下载", u"下载"}));
  EXPECT_EQ(view.GetText(Control::Status), u"下载完毕");
  EXPECT_TRUE(view.IsEnabled(Control::GetAlbums));
  EXPECT_TRUE(test::PathExists(saveDir.path() + "/kobe/Two/p3.jpg"));
  EXPECT_FALSE(test::PathExists(saveDir.path() + "/kobe/One"));
  RunTally summary = controller->LastDownload();
  EXPECT_TRUE(summary.started);
  EXPECT_EQ(summary.albums, 1);
  EXPECT_EQ(summary.listed, 3);
  EXPECT_EQ(summary.saved, 3);
  EXPECT_EQ(summary.failed, 0);

  // "打开" after the run opens the save path.
  controller->OpenSaveFolder(view.GetText(Control::SavePath));
  EXPECT_EQ(view.OpenedFolders(), TextArray{Utf8ToText(saveDir.path())});
}

TEST_F(ControllerDownloadSiteTest, SecondPressCancelsAndOpenShowsTheAlbumBeingDownloaded) {
  Stall(0, 2);
  view.SetChosen({0, 1});
  controller->Download(view.Request());
  ASSERT_TRUE(test::WaitFor([&] { return controller->WorkersRunning(); }));
  EXPECT_TRUE(controller->Running());
  EXPECT_FALSE(view.IsEnabled(Control::GetAlbums));
  // While the workers run, "打开" opens the album's folder rather than the save path.
  controller->OpenSaveFolder(view.GetText(Control::SavePath));
  EXPECT_EQ(view.OpenedFolders(), TextArray{Utf8ToText(saveDir.path() + test::PlatformPath("/kobe/One/"))});

  controller->Download(view.Request());  // the second press: a cancel, which the end below shows
  ASSERT_TRUE(test::WaitFor([&] { return !controller->Running(); }));
  controller->WaitForDownload();
  EXPECT_EQ(view.GetText(Control::Status), u"下载完毕");
  EXPECT_EQ(view.GetText(Control::Download), u"下载");
  EXPECT_FALSE(test::PathExists(saveDir.path() + "/kobe/One/pic.zvk"));
  EXPECT_FALSE(test::PathExists(saveDir.path() + "/kobe/Two"));
}

// A cancel ends the request in flight, whatever it is: an album page the site holds, or a picture.
TEST_F(ControllerDownloadSiteTest, CancelEndsAStalledPageOrPictureAtOnce) {
  auto member = site().Member("kobe");
  const std::string base = site().BaseUrl();
  const std::string albumPage = site().AlbumPageUrl("kobe", member->albums[0].id, 1).substr(base.size());
  const std::string picture = AlbumSite::PicturePath("kobe", member->albums[0], 1, true);
  for (const std::string& path : {albumPage, picture}) {
    SCOPED_TRACE(path);
    SiteFault stall;
    stall.kind = SiteFaultKind::Stall;
    stall.bytes = 10;
    site().ClearFaults();
    site().SetFault(path, stall);
    site().ResetCounts();
    view.SetChosen({0, 1});
    controller->Download(view.Request());
    ASSERT_TRUE(test::WaitFor([&] { return site().RequestCount(path) == 1; }));
    const auto pressed = std::chrono::steady_clock::now();
    ASSERT_TRUE(controller->CancelDownload());
    EXPECT_TRUE(test::WaitFor([&] { return !controller->Running(); },
                              std::chrono::seconds(1)));
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(1));
    controller->WaitForDownload();
    EXPECT_EQ(controller->LastDownload().albums, 1);  // the second album was never begun
    EXPECT_EQ(controller->LastDownload().failed, 0);
    EXPECT_FALSE(test::PathExists(saveDir.path() + "/kobe/Two"));
  }
  // The next run is not cut short by the last one's cancel.
  site().ClearFaults();
  view.SetChosen({1});
  controller->Download(view.Request());
  controller->WaitForDownload();
  EXPECT_EQ(controller->LastDownload().saved, 3);
}

// Listing and downloading keep apart: a listing would empty the album list under the run's thread, and
// a run would walk a list that a listing is emptying and refilling.
TEST_F(ControllerDownloadSiteTest, GetAlbumsIsRefusedWhileARunIsActive) {
  Stall(0, 1);
  view.SetChosen({0});
  controller->Download(view.Request());
  ASSERT_TRUE(test::WaitFor([&] { return controller->WorkersRunning(); }));
  const int resets = view.GridResets();
  site().ResetCounts();
  controller->GetAlbums(view.GetText(Control::Member));
  EXPECT_FALSE(controller->Listing());
  EXPECT_EQ(controller->Albums().size(), 2u);
  EXPECT_EQ(view.GridResets(), resets);
  controller->CancelDownload();
  controller->WaitForDownload();
  controller->WaitForListing();
  EXPECT_EQ(site().RequestCount("/kobe/photo-1"), 0);
  // Once the run is over the press lists again.
  controller->GetAlbums(view.GetText(Control::Member));
  controller->WaitForListing();
  EXPECT_EQ(site().RequestCount("/kobe/photo-1"), 1);
  EXPECT_EQ(controller->Albums().size(), 2u);
}

TEST_F(ControllerDownloadSiteTest, DownloadIsRefusedWhileAListingRuns) {
  SiteFault stall;
  stall.kind = SiteFaultKind::Stall;
  site().SetFault("/kobe/photo-1", stall);
  site().ResetCounts();
  view.SetChosen({0});
  controller->GetAlbums(view.GetText(Control::Member));
  ASSERT_TRUE(test::WaitFor([&] { return site().RequestCount("/kobe/photo-1") == 1; }));
  controller->Download(view.Request());
  EXPECT_FALSE(controller->Running());
  controller->WaitForDownload();
  EXPECT_TRUE(view.TextsSetOn(Control::Download).empty());
  site().ReleaseStalls();
  controller->WaitForListing();
  EXPECT_TRUE(std::filesystem::is_empty(saveDir.path()));
}

TEST_F(ControllerDownloadSiteTest, EmptySavePathIsRefusedAndTheNextPressStartsAgain) {
  view.SetChosen({0});
  view.SetText(Control::SavePath, u"   ");
  controller->Download(view.Request());
  controller->WaitForDownload();
  EXPECT_EQ(view.MessageTexts(), TextArray{u"请先设置保存路径"});
  EXPECT_FALSE(controller->Running());
  view.SetText(Control::SavePath, Utf8ToText(saveDir.path()));
  controller->Download(view.Request());
  controller->WaitForDownload();
  EXPECT_TRUE(test::PathExists(saveDir.path() + "/kobe/One/p1.jpg"));
}

// "重试失败的图片": one pass over the last run's failures, into the same folders and names, and the
// album's row and its skip marker follow: once all is saved, the marker is a clean run's.
TEST_F(ControllerDownloadSiteTest, RetryingTheFailuresSavesThemWhereTheyBelong) {
  auto member = site().Member("kobe");
  const Text albumFolder = Utf8ToText(saveDir.path() + test::PlatformPath("/kobe/Two/"));
  auto markerNames = [&](int picture) {
    const Text marker = ReadSkipMarker(albumFolder);
    const Text path = Utf8ToText(AlbumSite::PicturePath("kobe", member->albums[1], picture, true));
    return marker.size() >= path.size() && marker.compare(marker.size() - path.size(), path.size(), path) == 0;
  };
  SiteFault broken;
  broken.status = 500;
  site().SetFault(AlbumSite::PicturePath("kobe", member->albums[1], 2, true), broken);
  view.SetChosen({1});
  controller->Download(view.Request());
  controller->WaitForDownload();
  EXPECT_EQ(view.GetText(Control::Status), u"下载完毕：保存 2 张，跳过 0 张，失败 1 张");
  EXPECT_TRUE(view.IsVisible(Control::FailuresLink));
  ASSERT_TRUE(controller->ApplyFilter(u""));  // the rows shown afresh carry the outcomes
  EXPECT_EQ(view.Rows()[1].result, u"失败 1/3");
  EXPECT_TRUE(markerNames(3));  // the picture after the one that failed

  site().ClearFaults();
  controller->RetryFailures();
  controller->WaitForDownload();
  EXPECT_EQ(view.GetText(Control::Status), u"下载完毕");
  EXPECT_FALSE(view.IsVisible(Control::FailuresLink));
  EXPECT_TRUE(test::PathExists(saveDir.path() + "/kobe/Two/p2.jpg"));
  EXPECT_TRUE(controller->LastDownload().failures.empty());
  ASSERT_TRUE(controller->ApplyFilter(u""));  // the rows shown afresh carry the outcomes
  EXPECT_EQ(view.Rows()[1].result, u"完成 3");
  EXPECT_TRUE(markerNames(1));
}

// "终止下载" keeps the run's job file; the next start asks whether to go on, and "是" finishes the albums
// without asking the site again for a picture that is whole on disk. The question comes once per file.
TEST_F(ControllerDownloadSiteTest, AStoppedRunGoesOnAfterTheStartUpQuestion) {
  auto member = site().Member("kobe");
  auto path = [&](int album, int index) {
    return AlbumSite::PicturePath("kobe", member->albums[static_cast<std::size_t>(album)], index, true);
  };
  ASSERT_TRUE(controller->EditSettings([](SettingsBlock& block) { block.downloadLimits[15].threads = 1; }));
  Stall(0, 2);
  view.SetChosen({0, 1});
  controller->Download(view.Request());
  ASSERT_TRUE(test::WaitFor([&] { return site().RequestCount(path(0, 2)) == 1; }));
  ASSERT_TRUE(controller->CancelDownload());
  controller->WaitForDownload();
  site().ClearFaults();
  ASSERT_TRUE(test::PathExists(saveDir.path() + "/kobe/One/p1.jpg"));
  ASSERT_TRUE(test::PathExists(dir.file("job.albatrix")));

  // A new start of the program in the same folder.
  controller.reset();
  test::FakeView next;
  controller = std::make_unique<AlbatrixController>(next, dir.folder(), SiteProfile(Utf8ToText(site().BaseUrl())));
  controller->Initialize();
  controller->FinishStartup();
  next.SetAnswer(true);
  controller->OfferUnfinishedRun();
  ASSERT_EQ(next.MessageTexts(), TextArray{u"上次的下载没有完成（2 个相册，已保存 1 张图片）。是否继续？"});
  controller->WaitForDownload();
  EXPECT_FALSE(controller->Running());
  EXPECT_EQ(next.GetText(Control::SavePath), Utf8ToText(saveDir.path()));
  EXPECT_EQ(next.RowCount(), 2u);
  for (int album = 0; album < 2; ++album)
    for (int index = 1; index <= 3; ++index) {
      const std::string name = std::string(album == 0 ? "/kobe/One/p" : "/kobe/Two/p") + std::to_string(index) + ".jpg";
      EXPECT_EQ(test::ReadWholeFile(saveDir.path() + name), site().PictureBytes("kobe", member->albums[album].id, index, true));
    }
  EXPECT_EQ(site().RequestCount(path(0, 1)), 1) << "a picture whole on disk is not fetched again";
  EXPECT_FALSE(test::PathExists(dir.file("job.albatrix"))) << "a run that ended keeps no job file";
  controller->OfferUnfinishedRun();
  EXPECT_EQ(next.MessageTexts().size(), 1u);
  controller.reset();
}

TEST_F(ControllerDownloadSiteTest, AJobFileThatCannotGoOnIsSetAsideWithAMessage) {
  DownloadJob job;
  job.runId = u"r1";
  job.savePath = Utf8ToText(saveDir.path() + "/gone");
  job.albums.push_back(JobAlbum{controller->Albums()[0], JobAlbumState::Begun, Text(), {}});
  struct Case {
    std::string bytes;
    const char16_t* message;
  } const cases[] = {
      {"{\"format\": \"albatrix-job\", \"vers", u"上次的下载文件无法读取（not a job file (cut or not JSON)），已移到 "},
      {"{\"format\": \"albatrix-job\", \"version\": 9}", u"上次的下载文件无法读取（a job file of another version），已移到 "},
      {JobToJson(job), u"上次下载的保存路径已不存在："},
  };
  for (const Case& c : cases) {
    test::WriteWholeFile(dir.file("job.albatrix"), c.bytes);
    view.SetAnswer(true);
    const std::size_t before = view.MessageTexts().size();
    controller->OfferUnfinishedRun();
    ASSERT_EQ(view.MessageTexts().size(), before + 1);
    EXPECT_EQ(view.MessageTexts().back().rfind(c.message, 0), 0u) << TextToUtf8(view.MessageTexts().back());
    EXPECT_FALSE(controller->Running());
    EXPECT_FALSE(test::PathExists(dir.file("job.albatrix")));
    EXPECT_EQ(test::ReadWholeFile(dir.file("job.albatrix.bad")), c.bytes);
    EXPECT_FALSE(test::PathExists(saveDir.path() + "/gone"));
  }
}

}  // namespace
}  // namespace albatrix
