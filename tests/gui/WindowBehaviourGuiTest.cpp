// What a user feels first, through real keys and clicks sent to the X server: Escape that closes a menu
// keeps the window, the keys survive a listing started with Enter, a click chooses a thumbnail, and the
// member box's suggestion list follows the keys and never outlives its box.
#include <gtest/gtest.h>

#include <functional>

#include <wx/dnd.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/stockitem.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "GuiHarness.h"
#include "GuiHelpers.h"
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
  // Clicks at a point of the screen, then lets the window work until `done` holds (by default, until
  // the pointer stands there with its button up).
  bool ClickAt(wxPoint screen, std::function<bool()> done = {}, int modifiers = 0) {
    if (modifiers & wxMOD_CONTROL) input.KeyDown(WXK_CONTROL);
    input.MouseMove(screen);
    input.MouseClick();
    if (modifiers & wxMOD_CONTROL) input.KeyUp(WXK_CONTROL);
    if (!done) done = [screen] { return wxGetMousePosition() == screen && !wxGetMouseState().LeftIsDown(); };
    return PumpUntil(done);
  }
  bool ClickOn(wxWindow* control, int dx = -1, std::function<bool()> done = {}) {
    wxRect r = control->GetScreenRect();
    return ClickAt(wxPoint(dx < 0 ? r.x + r.width / 2 : r.x + dx, r.y + r.height / 2), std::move(done));
  }
  // A click into a text box, done when the box has the keys.
  bool Focus(wxWindow* edit, int dx) {
    return ClickOn(edit, dx, [edit] { return wxWindow::FindFocus() == edit; });
  }
  // Lists `count` albums of a new member, started with a real Enter in the member box.
  void ListWithEnter(int count) {
    site().AddMember(NumberedMember("m", count, 20));
    CComboBox2* box = window().Combo(IDC_MEMBER);
    TypeInto(IDC_MEMBER, wxString::FromUTF8(site().MemberUrl("m").c_str()));
    ASSERT_TRUE(Focus(box->Edit(), 5));
    input.Char(WXK_RETURN);
    ASSERT_TRUE(PumpUntil([&] {
      return !window().Controller().Listing() && window().Grid()->AlbumRows() > 0 && box->IsEnabled();
    }, 30s));
  }

  wxUIActionSimulator input;
};

TEST_F(WindowBehaviourTest, EscapeThatClosesAMenuKeepsTheWindow) {
  CAlbatrixDlg& w = window();
  InstallMainMenu(w, w.Controller(), DesktopMenuActions(Desktop{}));
  int menusOpen = 0;
  auto closedAt = std::chrono::steady_clock::now();
  w.Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& e) { ++menusOpen; e.Skip(); });
  w.Bind(wxEVT_MENU_CLOSE, [&](wxMenuEvent& e) {
    --menusOpen;
    closedAt = std::chrono::steady_clock::now();
    e.Skip();
  });
  ASSERT_TRUE(PumpUntil([&] { return w.GetMenuBar()->GetScreenRect().height > 0; }));
  ASSERT_TRUE(ClickOn(w.Control(IDC_STATUS)));
  wxRect bar = w.GetMenuBar()->GetScreenRect();
  ASSERT_TRUE(ClickAt(wxPoint(bar.x + 20, bar.y + bar.height / 2), [&] { return menusOpen > 0; }))
      << "\"<登录>\" did not open";
  input.Char(WXK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return menusOpen == 0 || !WindowAlive(); })) << "the menu stayed open";
  ASSERT_TRUE(PumpUntil([] { return true; }));  // whatever the Escape left queued runs now
  ASSERT_TRUE(WindowAlive()) << "the Escape that closed the menu closed the window";
  // The window itself still ends on Escape, once the span in which it counts an Escape as the closed
  // menu's (300 ms) is over.
  ASSERT_TRUE(PumpUntil([&] { return std::chrono::steady_clock::now() - closedAt > 300ms; }));
  ASSERT_TRUE(ClickOn(w.Control(IDC_STATUS)));
  input.Char(WXK_ESCAPE);
  EXPECT_TRUE(PumpUntil([this] { return !WindowAlive(); }));
}

TEST_F(WindowBehaviourTest, KeysSurviveAListingStartedWithEnter) {
  const int boxTop = window().Combo(IDC_MEMBER)->GetScreenPosition().y;
  ListWithEnter(4);
  CComboBox2* box = window().Combo(IDC_MEMBER);
  EXPECT_FALSE(window().Control(IDC_NOTICE)->IsShown());
  EXPECT_EQ(box->GetScreenPosition().y, boxTop) << "the hidden notice gave up its row";
  EXPECT_TRUE(box->IsEnabled());
  EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == box->Edit(); }))
      << "the member box did not take the keys back";
  input.Char(WXK_ESCAPE);
  EXPECT_TRUE(PumpUntil([this] { return !WindowAlive(); }));
}

TEST_F(WindowBehaviourTest, AClickChoosesAThumbnailAndCtrlAddsOne) {
  ListWithEnter(9);
  CMyGridCtrl* grid = window().Grid();
  Click(IDC_PREVIEW, true);
  ASSERT_TRUE(PumpUntil([&] { return !window().Controller().Filling() && grid->AlbumRows() == 2; }, 30s));
  auto cellCentre = [&](int row, int col) {
    wxRect cell = grid->CellToRect(row, col);
    int x = 0, y = 0;
    grid->CalcScrolledPosition(cell.x + cell.width / 2, cell.y + cell.height / 2, &x, &y);
    return grid->GetGridWindow()->ClientToScreen(wxPoint(x, y));
  };
  // The thumbnails' rows are laid out and on screen before any click aims at them.
  ASSERT_TRUE(PumpUntil([&] {
    return grid->GetGridWindow()->GetScreenRect().Contains(cellCentre(1, 2)) && grid->GetRowSize(1) > 40;
  }));
  auto chosen = [&](std::vector<std::size_t> albums) {
    return [this, albums] { return window().Grid()->ChosenAlbums() == albums; };
  };
  EXPECT_TRUE(ClickAt(cellCentre(0, 1), chosen({1})));
  EXPECT_EQ(grid->GetGridWindow()->GetToolTipText(), "2.T2");  // the text the cell has no room for
  EXPECT_TRUE(ClickAt(cellCentre(1, 2), chosen({1, 8}), wxMOD_CONTROL));
  EXPECT_TRUE(ClickAt(cellCentre(1, 0), chosen({6})));
}

// Real keys: the list opens on "p" and follows "i" and "c" while every key stays in the text box;
// Escape cancels it, a click on another box closes it, and neither box loses its text.
TEST_F(WindowBehaviourTest, TheSuggestionListFollowsRealKeysAndClosesWithItsBox) {
  CAlbatrixDlg& w = window();
  CComboBox2* member = w.Combo(IDC_MEMBER);
  CComboBox2* savePath = w.Combo(IDC_SAVE_PATH);
  for (const char16_t* candidate : {u"http://x/Pics", u"http://x/photos", u"http://x/epic"})
    w.View().AddCandidate(Control::Member, candidate);
  int edits = 0;
  auto recognize = member->onEdited;
  member->onEdited = [&] {
    ++edits;
    recognize();
  };
  const wxString pathBefore = savePath->GetValue();
  ASSERT_TRUE(Focus(member->Edit(), 5));
  const char* typed[] = {"p", "pi", "pic"};
  for (int i = 0; i < 3; ++i) {
    input.Char(typed[2][i]);
    ASSERT_TRUE(PumpUntil([&] { return member->GetValue() == typed[i]; }, 5s))
        << "after key " << i << " the box reads '" << member->GetValue() << "'";
    EXPECT_TRUE(member->IsListShown());
  }
  EXPECT_EQ(edits, 3);
  EXPECT_EQ(member->Edit()->GetInsertionPoint(), 3);
  const wxArrayString shown = member->VisibleItems();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "http://x/Pics");  // matched ignoring case, shown as remembered
  EXPECT_EQ(shown[1], "http://x/epic");

  // Escape cancels the list and keeps the text (and the window).
  input.Char(WXK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return !member->IsListShown(); }));
  EXPECT_TRUE(member->VisibleItems().empty());
  EXPECT_EQ(member->GetValue(), "pic");
  EXPECT_TRUE(w.IsShown());

  // A click on the save-path box, where the list could float: the list goes, both boxes keep their texts.
  input.Char('s');
  ASSERT_TRUE(PumpUntil([&] { return member->IsListShown(); }));
  ASSERT_TRUE(Focus(savePath->Edit(), 20));
  EXPECT_TRUE(PumpUntil([&] { return !member->IsListShown(); }));
  EXPECT_EQ(member->GetValue(), "pics");
  EXPECT_EQ(savePath->GetValue(), pathBefore);

  // The arrow shows every candidate as it was added; a picked one is its own text, not a lower-cased copy.
  ASSERT_TRUE(ClickOn(member->Edit(), 5));
  member->ShowAllCandidates();
  ASSERT_EQ(member->VisibleItems().size(), 3u);
  EXPECT_EQ(member->VisibleItems()[2], "http://x/epic");
  member->Pick(0);
  EXPECT_EQ(member->GetValue(), "http://x/Pics");
  EXPECT_FALSE(member->IsListShown());
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
  FollowLink(IDC_FIND);
  wxWindow* find = window().Control(IDD_FIND);
  ASSERT_TRUE(find);
  wxWindow* keyword = find->FindWindow(IDC_FIND_KEYWORD);
  ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == keyword; })) << "the keyword field has no keys";
  input.Char(WXK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !find->IsShown(); }));
  EXPECT_TRUE(WindowAlive());
}

TEST(WxLanguageTest, WxsOwnTextsSpeakTheSystemsLanguage) {
  ASSERT_TRUE(UseLanguageInWxDialogs(wxLANGUAGE_CHINESE_SIMPLIFIED)) << "wx's Chinese catalog (wx3.2-i18n) is missing";
  EXPECT_EQ(wxGetStockLabel(wxID_CANCEL, wxSTOCK_NOFLAGS), wxString::FromUTF8("取消"));
  EXPECT_FALSE(UseLanguageInWxDialogs(wxLANGUAGE_ENGLISH));  // English needs no catalog: wx's own texts
  EXPECT_EQ(wxGetStockLabel(wxID_CANCEL, wxSTOCK_NOFLAGS), "Cancel");
}

TEST_F(WindowBehaviourTest, TheBarFollowsTheRunAndACloseDuringADownloadAsksFirst) {
  site().AddMember(MemberWith("kobe", {u"Trip", u"Home"}, 3, 4));
  SiteFault stall;
  stall.kind = SiteFaultKind::Stall;
  site().SetFault(AlbumSite::PicturePath("kobe", site().Member("kobe")->albums[0], 3, true), stall);
  ASSERT_TRUE(List("kobe", 2));
  window().Grid()->SelectEveryAlbum(true);
  Press(IDC_DOWNLOAD);
  // Three of the first album's four pictures end; the fourth hangs, and the bar stands at three of the
  // run's eight.
  auto* bar = dynamic_cast<wxGauge*>(window().FindWindowByName(wxString::FromUTF8("下载进度")));
  ASSERT_TRUE(bar);
  ASSERT_TRUE(PumpUntil([&] { return bar->GetRange() == 8 && bar->GetValue() == 3; }, 30s))
      << bar->GetValue() << "/" << bar->GetRange();

  std::string asked;
  wxTEST_DIALOG(window().Close(), ExpectMessage(&asked, wxID_NO));
  EXPECT_EQ(asked, "正在下载，确定要退出吗？");
  ASSERT_TRUE(PumpUntil([] { return true; }));  // whatever the answer left queued runs now
  ASSERT_TRUE(WindowAlive()) << "\"否\" closed the window";
  EXPECT_EQ(Label(IDC_DOWNLOAD), wxString::FromUTF8("终止下载"));  // the run goes on

  wxTEST_DIALOG(window().Close(), ExpectMessage(&asked, wxID_YES));
  EXPECT_TRUE(PumpUntil([this] { return !WindowAlive(); }, 10s));
}

}  // namespace
}  // namespace albatrix::test
