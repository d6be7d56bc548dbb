// What a user feels first, through real keys and clicks sent to the X server: Escape that closes a menu
// keeps the window, the keys survive a listing started with Enter, a click chooses a thumbnail, and a
// suggestion list never outlives its box.
#include <gtest/gtest.h>

#include <wx/dnd.h>
#include <wx/gauge.h>
#include <wx/hyperlink.h>
#include <wx/menu.h>
#include <wx/stockitem.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "GuiHarness.h"
#include "gui/ControlIds.h"
#include "gui/CComboBox2.h"
#include "gui/CDlgFind.h"
#include "gui/CMyGridCtrl.h"
#include "gui/MainMenu.h"
#include "gui/WxLanguage.h"
#include "gui/WxMainView.h"
#include "support/TestMembers.h"

namespace albatrix::test {
namespace {

using namespace std::chrono_literals;

class WindowBehaviourTest : public WindowFixture {
 protected:
  void ClickAt(wxPoint screen, int modifiers = 0) {
    if (modifiers & wxMOD_CONTROL) input.KeyDown(WXK_CONTROL);
    input.MouseMove(screen);
    input.MouseClick();
    if (modifiers & wxMOD_CONTROL) input.KeyUp(WXK_CONTROL);
    PumpFor(150ms);
  }
  void ClickOn(wxWindow* control, int dx = -1) {
    wxRect r = control->GetScreenRect();
    ClickAt(wxPoint(dx < 0 ? r.x + r.width / 2 : r.x + dx, r.y + r.height / 2));
  }
  void Key(int key) {
    input.Char(key);
    PumpFor(150ms);
  }
  // Lists `count` albums of a new member, started with a real Enter in the member box.
  void ListWithEnter(int count) {
    site().AddMember(NumberedMember("m", count, 20));
    CComboBox2* box = window().Combo(IDC_MEMBER);
    TypeInto(IDC_MEMBER, wxString::FromUTF8(site().MemberUrl("m").c_str()));
    ClickOn(box->Edit(), 5);
    ASSERT_EQ(wxWindow::FindFocus(), box->Edit());
    Key(WXK_RETURN);
    ASSERT_TRUE(PumpUntil([&] {
      return !window().Controller().Listing() && window().Grid()->AlbumRows() > 0;
    }, 30s));
    PumpFor(100ms);
  }

  wxUIActionSimulator input;
};

TEST_F(WindowBehaviourTest, EscapeThatClosesAMenuKeepsTheWindow) {
  CAlbatrixDlg& w = window();
  InstallMainMenu(w, w.Controller(), DesktopMenuActions(Desktop{}));
  PumpFor(200ms);
  ClickOn(w.Control(IDC_STATUS));
  wxRect bar = w.GetMenuBar()->GetScreenRect();
  ClickAt(wxPoint(bar.x + 20, bar.y + bar.height / 2));  // "<登录>" opens
  PumpFor(300ms);
  Key(WXK_ESCAPE);
  PumpFor(300ms);
  ASSERT_TRUE(WindowAlive()) << "the Escape that closed the menu closed the window";
  // The window itself still ends on Escape.
  ClickOn(w.Control(IDC_STATUS));
  Key(WXK_ESCAPE);
  EXPECT_TRUE(PumpUntil([this] { return !WindowAlive(); }));
}

TEST_F(WindowBehaviourTest, KeysSurviveAListingStartedWithEnter) {
  const int boxTop = window().Combo(IDC_MEMBER)->GetScreenPosition().y;
  ListWithEnter(4);
  CComboBox2* box = window().Combo(IDC_MEMBER);
  EXPECT_FALSE(window().Control(IDC_NOTICE)->IsShown());
  EXPECT_EQ(box->GetScreenPosition().y, boxTop) << "the hidden notice gave up its row";
  EXPECT_TRUE(box->IsEnabled());
  EXPECT_EQ(wxWindow::FindFocus(), box->Edit()) << "the member box did not take the keys back";
  Key(WXK_ESCAPE);
  EXPECT_TRUE(PumpUntil([this] { return !WindowAlive(); }));
}

TEST_F(WindowBehaviourTest, AClickChoosesAThumbnailAndCtrlAddsOne) {
  ListWithEnter(9);
  CMyGridCtrl* grid = window().Grid();
  Click(IDC_PREVIEW, true);
  ASSERT_TRUE(PumpUntil([&] { return !window().Controller().Filling() && grid->AlbumRows() == 2; }, 30s));
  PumpFor(200ms);
  auto cellCentre = [&](int row, int col) {
    wxRect cell = grid->CellToRect(row, col);
    int x = 0, y = 0;
    grid->CalcScrolledPosition(cell.x + cell.width / 2, cell.y + cell.height / 2, &x, &y);
    return grid->GetGridWindow()->ClientToScreen(wxPoint(x, y));
  };
  ClickAt(cellCentre(0, 1));
  EXPECT_EQ(window().Grid()->ChosenAlbums(), (std::vector<std::size_t>{1}));
  EXPECT_EQ(grid->GetGridWindow()->GetToolTipText(), "2.T2");  // the text the cell has no room for
  ClickAt(cellCentre(1, 2), wxMOD_CONTROL);
  EXPECT_EQ(window().Grid()->ChosenAlbums(), (std::vector<std::size_t>{1, 8}));
  ClickAt(cellCentre(1, 0));
  EXPECT_EQ(window().Grid()->ChosenAlbums(), (std::vector<std::size_t>{6}));
}

TEST_F(WindowBehaviourTest, ASuggestionListClosesWithItsBoxAndAClickElsewhereChangesNoBox) {
  CAlbatrixDlg& w = window();
  CComboBox2* member = w.Combo(IDC_MEMBER);
  CComboBox2* savePath = w.Combo(IDC_SAVE_PATH);
  for (const char16_t* candidate : {u"http://x/Pics", u"http://x/epic"}) w.View().AddCandidate(Control::Member, candidate);
  const wxString pathBefore = savePath->GetValue();
  ClickOn(member->Edit(), 5);
  input.Text("pic");
  ASSERT_TRUE(PumpUntil([&] { return member->IsListShown(); }));
  // A click on the save-path box, where the list could float: the list goes, both boxes keep their texts.
  ClickOn(savePath->Edit(), 20);
  EXPECT_FALSE(member->IsListShown());
  EXPECT_EQ(member->GetValue(), "pic");
  EXPECT_EQ(savePath->GetValue(), pathBefore);
  // A picked suggestion is the candidate's own text, not a lower-cased copy.
  ClickOn(member->Edit(), 5);
  member->ShowAllCandidates();
  member->Pick(0);
  EXPECT_EQ(member->GetValue(), "http://x/Pics");
  // A folder dropped on either box becomes the save path, as on the rest of the window.
  wxArrayString dropped;
  dropped.push_back(wxString::FromUTF8(dir.path()));
  auto* target = dynamic_cast<wxFileDropTarget*>(member->Edit()->GetDropTarget());
  ASSERT_TRUE(target);
  target->OnDropFiles(0, 0, dropped);
  EXPECT_EQ(savePath->GetValue(), wxString::FromUTF8(dir.file("")));
  ASSERT_TRUE(savePath->Edit()->GetDropTarget());
  // "获取相册" with the list open closes it.
  member->ShowAllCandidates();
  ASSERT_TRUE(member->IsListShown());
  Press(IDC_GET_ALBUMS);
  EXPECT_FALSE(member->IsListShown());
}

TEST_F(WindowBehaviourTest, TheFindWindowTakesTheKeysAndEscapeHidesOnlyIt) {
  ListWithEnter(3);
  wxHyperlinkEvent follow(window().Control(IDC_FIND), IDC_FIND, wxString());
  window().Control(IDC_FIND)->ProcessWindowEvent(follow);
  wxWindow* find = window().Control(IDD_FIND);
  ASSERT_TRUE(find);
  wxWindow* keyword = find->FindWindow(IDC_FIND_KEYWORD);
  ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == keyword; })) << "the keyword field has no keys";
  Key(WXK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !find->IsShown(); }));
  EXPECT_TRUE(WindowAlive());
}

TEST(WxLanguageTest, WxsOwnTextsSpeakTheSystemsLanguage) {
  ASSERT_TRUE(UseLanguageInWxDialogs(wxLANGUAGE_CHINESE_SIMPLIFIED)) << "wx's Chinese catalog (wx3.2-i18n) is missing";
  EXPECT_EQ(wxGetStockLabel(wxID_CANCEL, wxSTOCK_NOFLAGS), wxString::FromUTF8("取消"));
  EXPECT_FALSE(UseLanguageInWxDialogs(wxLANGUAGE_ENGLISH));  // English needs no catalog: wx's own texts
  EXPECT_EQ(wxGetStockLabel(wxID_CANCEL, wxSTOCK_NOFLAGS), "Cancel");
}

// Answers the question a close asks during a download, keeping its text.
class AnswerQuestion : public wxExpectModalBase<wxMessageDialog, AnswerQuestion> {
 public:
  AnswerQuestion(int answer, wxString* asked) : answer_(answer), asked_(asked) {}

 protected:
  int OnInvoked(wxMessageDialog* dialog) const override {
    *asked_ = dialog->GetMessage();
    return answer_;
  }

 private:
  int answer_;
  wxString* asked_;
};

TEST_F(WindowBehaviourTest, TheBarFollowsTheAlbumAndACloseDuringADownloadAsksFirst) {
  site().AddMember(MemberWith("kobe", {u"Trip"}, 3, 4));
  SiteFault stall;
  stall.kind = SiteFaultKind::Stall;
  site().SetFault(AlbumSite::PicturePath("kobe", site().Member("kobe")->albums[0], 3, true), stall);
  TypeInto(IDC_MEMBER, wxString::FromUTF8(site().MemberUrl("kobe").c_str()));
  Press(IDC_GET_ALBUMS);
  ASSERT_TRUE(PumpUntil([&] { return window().Grid()->AlbumRows() == 1 && Enabled(IDC_DOWNLOAD); }, 30s));
  window().Grid()->SelectEveryAlbum(true);
  Press(IDC_DOWNLOAD);
  // Three of four pictures end; the fourth hangs, and the bar stands at three quarters.
  auto* bar = dynamic_cast<wxGauge*>(window().FindWindowByName(wxString::FromUTF8("下载进度")));
  ASSERT_TRUE(bar);
  ASSERT_TRUE(PumpUntil([&] { return bar->GetRange() == 4 && bar->GetValue() == 3; }, 30s))
      << bar->GetValue() << "/" << bar->GetRange();

  wxString asked;
  wxTEST_DIALOG(window().Close(), AnswerQuestion(wxID_NO, &asked));
  EXPECT_EQ(asked, wxString::FromUTF8("正在下载，确定要退出吗？"));
  PumpFor(100ms);
  ASSERT_TRUE(WindowAlive()) << "\"否\" closed the window";
  EXPECT_EQ(Label(IDC_DOWNLOAD), wxString::FromUTF8("终止下载"));  // the run goes on

  wxTEST_DIALOG(window().Close(), AnswerQuestion(wxID_YES, &asked));
  EXPECT_TRUE(PumpUntil([this] { return !WindowAlive(); }, 10s));
}

}  // namespace
}  // namespace albatrix::test
