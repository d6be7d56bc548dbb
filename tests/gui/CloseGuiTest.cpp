// Closing the window with work in flight: the program itself runs as a child process (this test program
// with "--close-child", running the window's own app), presses "获取相册" (and "下载"), and closes the window
// while the listing or the download runs. The parent watches: exit status 0 within 3 seconds of the
// close, no temporary or partial file left, soft.dat still whole.
// The same child started with --program-folder shows where the window keeps soft.dat and its covers.
#include <gtest/gtest.h>

#include <wx/msgdlg.h>
#include <wx/testing.h>

#include <sys/wait.h>

#include <wx/checkbox.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <wx/gauge.h>
#include <wx/tooltip.h>
#include <wx/uiaction.h>

#include <filesystem>

#include "GuiHarness.h"
#include "GuiHelpers.h"
#include "gui/ControlIds.h"
#include "gui/CAlbatrixApp.h"
#include "gui/CAlbatrixDlg.h"
#include "gui/CMyGridCtrl.h"
#include "gui/WxMainView.h"
#include "model/PictureList.h"
#include "support/SiteFixture.h"
#include "support/TestMembers.h"

namespace albatrix::test {

namespace {

// The window's app, made to press the buttons itself: "listing" and "download" close the window once
// that work is under way, "preview" once the covers of the listed albums are in; "show-listing" lists, says where the window stands ("listed X Y W H") and
// stays open for a screenshot.
class ScriptedApp : public CAlbatrixApp {
 public:
  ScriptedApp(const WindowOptions& options, std::string phase, std::string member)
      : CAlbatrixApp(options), phase_(std::move(phase)), member_(std::move(member)) {}

 protected:
  void OnWindowReady(CAlbatrixDlg& window) override {
    window_ = &window;
    if (!member_.empty()) window.View().SetText(Control::Member, Utf8ToText(member_));
    Press(IDC_GET_ALBUMS);
    poll_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Step(); });
    poll_.Start(5);
  }

 private:
  void Press(int id) {
    wxCommandEvent press(wxEVT_BUTTON, id);
    window_->ProcessWindowEvent(press);
  }
  void Step() {
    AlbatrixController& controller = window_->Controller();
    if (phase_ == "show-preview" || phase_ == "preview") {
      // Listed first, then switched to thumbnails; shown once the last cover is in.
      if (controller.Listing() || window_->Grid()->GetNumberRows() == 0) return;
      if (!controller.PreviewMode()) {
        auto* box = dynamic_cast<wxCheckBox*>(window_->Control(IDC_PREVIEW));
        box->SetValue(true);
        wxCommandEvent click(wxEVT_CHECKBOX, IDC_PREVIEW);
        click.SetEventObject(box);
        click.SetInt(1);
        box->ProcessWindowEvent(click);
        return;
      }
      if (controller.Filling()) return;
      if (phase_ == "preview") return Close();
      phase_ = "show-tooltip";
      // Two thumbnails chosen, the pointer resting on the first: its title shows as the tooltip.
      CMyGridCtrl* grid = window_->Grid();
      grid->SelectBlock(0, 1, 0, 1);
      grid->SelectBlock(0, 3, 0, 3, true);
      wxToolTip::SetDelay(50);
      wxRect cell = grid->CellToRect(0, 1);
      wxUIActionSimulator().MouseMove(grid->GetGridWindow()->ClientToScreen(cell.GetPosition() + wxPoint(60, 70)));
      tooltipFrom_ = std::chrono::steady_clock::now();
      return;
    }
    if (phase_ == "show-tooltip") {
      if (std::chrono::steady_clock::now() - tooltipFrom_ < std::chrono::milliseconds(1200)) return;
      phase_ = "show-listing";
    }
    if (phase_ == "show-listing") {
      if (controller.Listing() || window_->Grid()->GetNumberRows() == 0) return;
      poll_.Stop();
      if (!controller.PreviewMode()) {
        window_->Grid()->SelectRow(1);
        window_->Grid()->SelectRow(3, true);
      }
      window_->Update();
      wxRect where = window_->GetScreenRect();
      std::printf("listed %d %d %d %d\n", where.x, where.y, where.width, where.height);
      std::fflush(stdout);
      return;
    }
    if (phase_ == "listing") {
      if (controller.Listing() && window_->Grid()->GetNumberRows() > 0) Close();
      return;
    }
    if (!pressedDownload_) {
      if (controller.Listing() || window_->Grid()->GetNumberRows() < 2) return;
      window_->Grid()->SelectEveryAlbum(true);
      Press(IDC_DOWNLOAD);
      pressedDownload_ = true;
      return;
    }
    if (phase_ == "show-download") {
      // Shown once the bar has moved and the pace is known: the picture of a download under way.
      auto* bar = dynamic_cast<wxGauge*>(window_->FindWindowByName(wxString::FromUTF8("下载进度")));
      if (!bar || bar->GetValue() < 3) return;
      wxWindow* pace = window_->Control(IDC_RATE);
      if (!pace || pace->GetLabel().empty()) return;
      poll_.Stop();
      window_->Update();
      wxRect where = window_->GetScreenRect();
      std::printf("listed %d %d %d %d\n", where.x, where.y, where.width, where.height);
      std::fflush(stdout);
      return;
    }
    if (controller.WorkersRunning()) Close();
  }
  void Close() {
    poll_.Stop();
    std::puts("closing");
    std::fflush(stdout);
    // During a download the window asks first; the user says "是".
    wxTEST_DIALOG(window_->Close(), wxExpectModal<wxMessageDialog>(wxID_YES).Optional());
  }

  std::string phase_, member_;
  std::chrono::steady_clock::time_point tooltipFrom_{};
  CAlbatrixDlg* window_ = nullptr;
  wxTimer poll_;
  bool pressedDownload_ = false;
};

// Every file under `folder` whose name marks it as temporary (".<pid>.<n>.part") or hidden.
std::vector<std::string> LeftOvers(const std::string& folder) {
  std::vector<std::string> found;
  for (const std::string& entry : FolderEntries(folder, true)) {
    const std::string name = entry.substr(entry.find_last_of('/', entry.size() - 2) + 1);
    if (name.front() == '.' || name.find(".part") != std::string::npos) found.push_back(entry);
  }
  return found;
}

class CloseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveDisplay()) GTEST_SKIP() << "no display: run under xvfb-run";
    SiteOptions options;
    options.requireLogin = false;
    site_ = StartSite(options);
    ASSERT_TRUE(site_);
  }

  // `programFolder`: given to the window with --program-folder; empty for the start folder.
  void CloseDuring(const std::string& phase, const std::string& programFolder = "") {
    std::vector<std::string> args = {"--close-child", phase, site_->BaseUrl(), site_->MemberUrl("m1")};
    if (!programFolder.empty()) args.push_back(programFolder);
    SelfChild child(dir.path(), args);
    ASSERT_TRUE(child.Started());
    std::string mapped;  // the child's memory map, last read before it began to close
    const bool closing = child.ReadUntil("closing\n", std::chrono::seconds(60), [&] {
      mapped = ReadWholeFile("/proc/" + std::to_string(child.Pid()) + "/maps");
    });
    auto closed = std::chrono::steady_clock::now();
    ASSERT_TRUE(closing) << "the child never closed its window";
    // Once the window drew its texts (a font is mapped), GTK had opened the display without mapping a GL
    // driver: with Mesa's, about 50 MB of LLVM in a window that draws only with cairo.
    EXPECT_NE(mapped.find("/fonts/"), std::string::npos) << "the child's memory map was not read in time";
    EXPECT_EQ(mapped.find("_dri.so"), std::string::npos) << "GTK loaded a GL driver";

    const bool ended = child.Ended(std::chrono::seconds(3));
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - closed);
    ASSERT_TRUE(ended) << "still running 3 s after the close";
    const int status = child.Status();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_LT(took.count(), 3000);
    EXPECT_EQ(LeftOvers(dir.path()), std::vector<std::string>{});
    const std::string settings = programFolder.empty() ? dir.file("soft.dat") : programFolder + "/soft.dat";
    EXPECT_EQ(ReadWholeFile(settings).size(), 19808u);
  }

  TempDir dir;
  std::unique_ptr<AlbumSite> site_;
};

TEST_F(CloseTest, DuringAListing) {
  // Twelve list pages, each a little slow: the close comes while pages are still being read.
  site_->AddMember(NumberedMember("m1", 36, 3));
  SiteFault slow;
  slow.kind = SiteFaultKind::Slow;
  slow.delayMs = 50;
  slow.chunkBytes = 100;
  for (int page = 2; page <= 12; ++page) site_->SetFault("/m1/photo-" + std::to_string(page), slow);
  CloseDuring("listing");
  EXPECT_EQ(site_->RequestCount("/m1/photo-12"), 0) << "the listing was not stopped";
}

TEST_F(CloseTest, DuringADownloadOfTwoAlbums) {
  SiteMember member = MemberWith("m1", {u"first", u"second"}, 3, 6);
  for (SiteAlbum& album : member.albums)
    for (SitePicture& picture : album.pictures) picture.bytes = 200 * 1024;
  site_->AddMember(member);
  // Pictures trickle in: every one is in flight when the window closes.
  SiteFault trickle;
  trickle.kind = SiteFaultKind::Slow;
  trickle.delayMs = 100;
  trickle.chunkBytes = 4096;
  for (const SiteAlbum& album : member.albums)
    for (int i = 1; i <= static_cast<int>(album.pictures.size()); ++i)
      site_->SetFault(AlbumSite::PicturePath("m1", album, i, true), trickle);
  CloseDuring("download");
}

TEST_F(CloseTest, AProgramFolderOnTheCommandLineTakesSettingsAndCovers) {
  site_->AddMember(MemberWith("m1", {u"first", u"second"}));
  TempDir elsewhere;
  const std::string programFolder = elsewhere.file("data/albatrix");  // its parent is missing too
  CloseDuring("preview", programFolder);
  EXPECT_EQ(ReadWholeFile(programFolder + "/tmp/0.jpg"), site_->CoverBytes("m1", "a1"));
  EXPECT_EQ(ReadWholeFile(programFolder + "/tmp/1.jpg"), site_->CoverBytes("m1", "a2"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "the start folder was written to";
}

}  // namespace

// --close-child PHASE BASE MEMBER [PROGRAM-FOLDER], or --close-child show-listing (or show-preview) --demo;
// show-download BASE MEMBER downloads every album and says where the window stands once its bar moved.
int RunCloseChild(int argc, char** argv) {
  if (argc < 4) return 2;
  std::string phase = argv[2];
  std::string site = argv[3];
  std::string member = argc > 4 ? argv[4] : "";
  std::vector<char*> args{argv[0]};
  if (site == "--demo") {
    args.push_back(const_cast<char*>("--demo"));
  } else {
    args.insert(args.end(), {const_cast<char*>("--site"), site.data()});
  }
  if (argc > 5) args.insert(args.end(), {const_cast<char*>("--program-folder"), argv[5]});
  args.push_back(nullptr);
  return RunAlbatrix(static_cast<int>(args.size()) - 1, args.data(), [&](const WindowOptions& options) {
    return new ScriptedApp(options, phase, member);
  });
}

}  // namespace albatrix::test
