// A run with failures through the window, against the stand-in site: the summary and "查看失败" beside the
// status line, the outcome per album in the grid's "结果" column (and in the export), and the failure
// dialog opened by a real click, copying its list and starting a retry pass that saves the pictures.
#include <gtest/gtest.h>

#include <algorithm>

#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <filesystem>

#include "GuiHarness.h"
#include "GuiHelpers.h"
#include "gui/ControlIds.h"
#include "app/CsvExport.h"
#include "gui/CDlgFailures.h"
#include "gui/CMyGridCtrl.h"
#include "gui/WxMainView.h"
#include "gui/WxText.h"
#include "support/TestMembers.h"

namespace albatrix::test {
namespace {

using namespace std::chrono_literals;

class FailuresWindowTest : public WindowFixture {
 protected:
  // Lists two albums of three pictures, the second picture of the first answering 500, and downloads
  // both until the run has ended.
  void RunWithOneFailure() {
    site().AddMember(MemberWith("m", {u"first", u"second"}, 3, 3));
    SiteFault fault;
    fault.status = 500;
    site().SetFault(FailingPath(), fault);
    ASSERT_TRUE(ListAndChooseBoth());
    Press(IDC_DOWNLOAD);
    EXPECT_TRUE(window().Controller().Running());  // the press made the run busy at once
    ASSERT_TRUE(RunEnded());
  }
  bool ListAndChooseBoth() {
    if (!List("m", 2)) return false;
    Click(IDC_SELECT_ALL, true);
    return window().Grid()->ChosenAlbums().size() == 2;
  }
  std::string FailingPath() { return AlbumSite::PicturePath("m", site().Member("m")->albums[0], 2, true); }
  std::string FailingUrl() { return site().PictureUrl("m", site().Member("m")->albums[0], 2, true); }
  int SavedPictures() {
    const std::vector<std::string> saved = FolderEntries(dir.path(), true);
    return static_cast<int>(
        std::count_if(saved.begin(), saved.end(), [](const std::string& e) { return e.ends_with(".jpg"); }));
  }
};

TEST_F(FailuresWindowTest, SummaryLinkAndOutcomeColumnAfterARunWithFailures) {
  CAlbatrixDlg& w = window();
  CMyGridCtrl* grid = w.Grid();
  EXPECT_FALSE(w.Control(IDC_FAILURES_LINK)->IsShown());
  EXPECT_EQ(grid->GetColSize(4), 0);
  RunWithOneFailure();

  const wxString summary = U8("下载完毕：保存 5 张，跳过 0 张，失败 1 张");
  EXPECT_EQ(Label(IDC_STATUS), summary);
  wxWindow* link = w.Control(IDC_FAILURES_LINK);
  ASSERT_TRUE(link->IsShownOnScreen());
  EXPECT_EQ(link->GetLabel(), U8("查看失败"));
  // Laid out right of the status line, whole, on the window.
  const wxRect status = w.Control(IDC_STATUS)->GetRect();
  const wxRect at = link->GetRect();
  EXPECT_GT(at.GetLeft(), status.GetRight());
  EXPECT_GE(at.GetWidth(), link->GetBestSize().GetWidth());
  EXPECT_TRUE(link->GetParent()->GetClientRect().Contains(at));

  EXPECT_EQ(grid->GetColSize(4), grid->FromDIP(110));
  EXPECT_EQ(grid->GetColLabelValue(4), U8("结果"));
  EXPECT_EQ(grid->GetCellValue(0, 4), U8("失败 1/3"));
  EXPECT_EQ(grid->GetCellValue(1, 4), U8("完成 3"));
  // A window nobody is looking at tells the desktop how the run ended.
  const std::vector<wxString> expectedNotes =
      w.IsActive() ? std::vector<wxString>{} : std::vector<wxString>{U8(kProductTitle) + ": " + summary};
  EXPECT_EQ(desktop->notifications, expectedNotes);
  SaveScreenshot(&w, "failures-window");

  // The export writes the outcomes as the grid shows them.
  desktop->chosenFile = U8(dir.file("albums.csv").c_str());
  w.Export();
  EXPECT_EQ(ReadWholeFile(dir.file("albums.csv")),
            CsvLine({u"0001", u"first", u"   3", u"", u"失败 1/3", u""}) +
                CsvLine({u"0002", u"second", u"   3", u"", u"完成 3", u""}));

  // The column stays through a new listing; the link goes when the next run begins.
  ASSERT_TRUE(ListAndChooseBoth());
  EXPECT_EQ(grid->GetColSize(4), grid->FromDIP(110));
  Press(IDC_DOWNLOAD);
  EXPECT_TRUE(PumpUntil([&] { return !link->IsShown(); }));
  ASSERT_TRUE(RunEnded());
}

TEST_F(FailuresWindowTest, TheLinkListsTheFailuresAndTheirRetrySavesThem) {
  CAlbatrixDlg& w = window();
  RunWithOneFailure();
  ASSERT_EQ(SavedPictures(), 5);
  site().ClearFault(FailingPath());

  // The dialog's own loop runs the checks once it shows.
  bool checked = false;
  wxTimer poll;
  poll.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    CDlgFailures* dialog = nullptr;
    for (wxWindow* top : wxTopLevelWindows)
      if (auto* found = dynamic_cast<CDlgFailures*>(top); found && found->IsModal()) dialog = found;
    if (!dialog || checked) return;
    checked = true;
    poll.Stop();
    wxListCtrl* list = dialog->List();
    EXPECT_EQ(dialog->GetTitle(), U8("下载失败的图片"));
    EXPECT_EQ(list->GetItemCount(), 1);
    EXPECT_EQ(list->GetItemText(0, 0), U8("first"));
    EXPECT_EQ(list->GetItemText(0, 1), U8(FailingUrl().c_str()));
    EXPECT_EQ(list->GetItemText(0, 2), U8("HTTP 500"));
    test::Click(dialog, IDC_FAILURES_COPY);
    EXPECT_EQ(desktop->copied, U8(("first\t" + FailingUrl() + "\tHTTP 500\r\n").c_str()));
    EXPECT_TRUE(dialog->IsModal());  // "复制" leaves it open
    SaveScreenshot(dialog, "failures-dialog");
    test::Click(dialog, IDC_FAILURES_RETRY);
  });
  poll.Start(20);

  wxRect link = w.Control(IDC_FAILURES_LINK)->GetScreenRect();
  wxUIActionSimulator mouse;
  mouse.MouseMove(link.GetLeft() + link.GetWidth() / 2, link.GetTop() + link.GetHeight() / 2);
  mouse.MouseClick();
  ASSERT_TRUE(PumpUntil([&] { return checked; }, 10s)) << "no failure dialog after a click on the link";
  poll.Stop();
  // The pass runs once the dialog has closed: the picture is saved, the failures are gone.
  ASSERT_TRUE(PumpUntil([&] { return w.Controller().Running(); }, 5s));
  // Meanwhile the user went to another window: the end comes as a notification.
  desktop->notifications.clear();
  wxFrame elsewhere(nullptr, wxID_ANY, "elsewhere");
  elsewhere.Show();
  elsewhere.Raise();
  elsewhere.SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return !w.IsActive(); }, 2s));
  ASSERT_TRUE(w.Controller().Running());  // the pass waits 2 s before it asks again
  ASSERT_TRUE(RunEnded());
  EXPECT_EQ(desktop->notifications,
            std::vector<wxString>{U8(kProductTitle) + ": " + U8("下载完毕：保存 1 张，跳过 0 张，失败 0 张")});
  EXPECT_EQ(Label(IDC_STATUS), U8("下载完毕"));
  EXPECT_FALSE(w.Control(IDC_FAILURES_LINK)->IsShown());
  EXPECT_EQ(SavedPictures(), 6);
  EXPECT_EQ(site().RequestCount(FailingPath()), 2);
}

}  // namespace
}  // namespace albatrix::test
