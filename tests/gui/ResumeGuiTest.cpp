// The window at start with the job file of a run that was killed in the program folder: the question,
// and "是" going on with the run into the same tree an uninterrupted run saves, with every album chosen
// in the grid and no picture that was whole on disk fetched again.
#include <gtest/gtest.h>

#include <wx/msgdlg.h>

#include <chrono>
#include <filesystem>

#include "GuiHarness.h"
#include "GuiHelpers.h"
#include "gui/ControlIds.h"
#include "gui/CMyGridCtrl.h"
#include "gui/WxMainView.h"
#include "MyCode/FileSystem.h"
#include "model/DownloadJob.h"
#include "support/TestMembers.h"

namespace albatrix::test {
namespace {

using namespace std::chrono_literals;

class ResumeWindowTest : public WindowFixture {
 protected:
  // Before the window starts: a member of two albums, and the job file of a run over both that was
  // killed after the first picture of the first album.
  void Prepare(WindowSetup&) override {
    site().AddMember(MemberWith("kobe", {u"One", u"Two"}, 3, 3, 3));
    member = *site().Member("kobe");
    DownloadJob job;
    job.runId = u"killed";
    job.memberAddress = Utf8ToText(site().MemberUrl("kobe"));
    job.savePath = Utf8ToText(save.path());
    job.memberKey = Utf8ToText("kobe") + Text(1, kPathSep);
    job.listedAlbums = 2;
    for (int a = 0; a < 2; ++a) {
      JobAlbum album;
      album.record.title = member.albums[a].title;
      album.record.albumPath = Utf8ToText(AlbumSite::AlbumKey("kobe", member.albums[a].id));
      album.record.pictureCount = 3;
      album.record.ordinal = a;
      job.albums.push_back(album);
    }
    job.albums[0].state = JobAlbumState::Begun;
    job.albums[0].folder = Utf8ToText(PlatformPath(save.path() + "/kobe/One/"));
    const std::string first = site().PictureBytes("kobe", member.albums[0].id, 1, true);
    std::filesystem::create_directories(std::filesystem::u8path(save.path() + "/kobe/One"));
    WriteWholeFile(save.path() + "/kobe/One/p1.jpg", first);
    job.albums[0].saved.push_back({Utf8ToText(site().PictureUrl("kobe", member.albums[0], 1, true)), u"p1.jpg", first.size(), Text()});
    ASSERT_TRUE(WriteJobFile(dir.folder(), job));
  }
  void SetUp() override { wxTEST_DIALOG(WindowFixture::SetUp(), ExpectMessage(&question, wxID_YES)); }

  TempDir save;
  SiteMember member;
  std::string question;
};

TEST_F(ResumeWindowTest, YesGoesOnWithTheRunThatWasKilled) {
  EXPECT_EQ(question, "上次的下载没有完成（2 个相册，已保存 1 张图片）。是否继续？");
  EXPECT_TRUE(Enabled(IDC_DOWNLOAD)) << "the run that goes on can be stopped";
  ASSERT_TRUE(RunEnded(30s));
  EXPECT_EQ(window().Grid()->AlbumRows(), 2);
  EXPECT_EQ(window().Grid()->ChosenAlbums(), (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(Utf8(Label(IDC_STATUS)), "下载完毕");
  EXPECT_TRUE(Enabled(IDC_DOWNLOAD)) << "the list is there to download again";
  for (int a = 0; a < 2; ++a)
    for (int p = 1; p <= 3; ++p) {
      const std::string file = save.path() + "/kobe/" + (a == 0 ? "One" : "Two") + "/p" + std::to_string(p) + ".jpg";
      EXPECT_EQ(ReadWholeFile(file), site().PictureBytes("kobe", member.albums[a].id, p, true)) << file;
    }
  EXPECT_EQ(site().RequestCount(AlbumSite::PicturePath("kobe", member.albums[0], 1, true)), 0);
  EXPECT_FALSE(PathExists(dir.file("job.albatrix")));
}

}  // namespace
}  // namespace albatrix::test
