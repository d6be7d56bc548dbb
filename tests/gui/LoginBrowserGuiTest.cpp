// The login browser under a display: opening with a start address or the clipboard's text, the resize
// rule, five open and close cycles, a machine without a web view, the login on the stand-in site reaching
// the window's listing through the cookie store, WebKit's cookie file, and a program that used a login
// browser ending with status 0 (run as a child process, this test program with "--login-child").
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/webview.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "GuiHarness.h"
#include "GuiHelpers.h"
#include "MyCode/CookieJar.h"
#include "MyCode/URLSource2.h"
#include "app/MenuBar.h"
#include "gui/CAlbatrixApp.h"
#include "gui/CDlgWebOpen.h"
#include "gui/ControlIds.h"
#include "gui/CMyGridCtrl.h"
#include "gui/MenuIds.h"
#include "gui/WxText.h"
#include "support/SiteFixture.h"
#include "support/TestProxy.h"

namespace albatrix::test {

void PrepareBrowserEnvironment() {
  // A child of this program keeps its parent's folder, so both see one cookie file.
  if (!std::getenv("ALBATRIX_TEST_BROWSER_DATA")) {
    static TempDir data;
    ::setenv("ALBATRIX_TEST_BROWSER_DATA", data.path().c_str(), 1);
    ::setenv("XDG_DATA_HOME", data.file("data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", data.file("cache").c_str(), 1);
  }
  ::setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", 0);
  ::setenv("NO_AT_BRIDGE", "1", 0);
}

namespace {

// The session cookie line the store holds for `site`, or empty.
std::string HeldLogin(const AlbumSite& site) {
  std::string pair = site.SessionCookie();
  std::string field = "\t" + pair.substr(0, pair.find('=')) + "\t" + pair.substr(pair.find('=') + 1);
  for (const std::string& line : CookieJar::Instance().Cookies())
    if (line.size() >= field.size() && line.compare(line.size() - field.size(), field.size(), field) == 0) return line;
  return {};
}

// WebKit's page processes this program started that are still running: each web view has one.
int PageProcesses() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::string stat = ReadWholeFile(entry.path().string() + "/stat");
    std::size_t open = stat.find('('), close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    std::string name = stat.substr(open + 1, close - open - 1);
    long parent = std::atol(stat.c_str() + close + 4);  // ") S PPID"
    if (parent == ::getpid() && name.rfind("WebKitWebProces", 0) == 0) ++count;
  }
  return count;
}

// Fills the stand-in site's login form as demo/demo and sends it.
void SubmitLogin(wxWebView& browser, bool remember) {
  wxString script = "document.getElementsByName('user')[0].value='demo';"
                    "document.getElementsByName('password')[0].value='demo';";
  if (remember) script += "document.getElementsByName('remember')[0].checked=true;";
  script += "document.forms[0].submit();";
  browser.RunScriptAsync(script);
}

// The window on a stand-in site that shows albums only after a login. Each test's site has a seed of its
// own, so a login the browser kept from an earlier test is not this site's.
class LoginBrowserTest : public WindowFixture {
 protected:
  SiteOptions Options() const override {
    static std::atomic<std::uint64_t> seed{9000};
    SiteOptions options;
    options.seed = ++seed;
    return options;
  }
  void SetUp() override {
    CookieJar::Instance().Clear();
    WindowFixture::SetUp();
  }
  void TearDown() override {
    WindowFixture::TearDown();
    CookieJar::Instance().Clear();
  }

  // Opens a login browser and counts its finished page loads.
  CDlgWebOpen* Open(const wxString& start) {
    CDlgWebOpen* dialog = window().OpenLoginBrowser(start);
    if (dialog && dialog->Browser())
      dialog->Browser()->Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent& event) {
        if (event.GetURL().StartsWith("http")) ++loads_;  // not the empty page a browser starts with
        event.Skip();
      });
    return dialog;
  }
  bool WaitLoads(int count, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    return PumpUntil([&] { return loads_ >= count; }, timeout);
  }
  // Closes the dialog as the close box does and waits until it is gone.
  static bool CloseAndWait(CDlgWebOpen* dialog) {
    wxWeakRef<CDlgWebOpen> alive(dialog);
    dialog->Close();
    return PumpUntil([&] { return !alive; }, std::chrono::seconds(5));
  }
  wxString LoginAddress() { return ToWx(window().Controller().Profile().LoginAddress()); }
  // "获取相册" on the demo member; the message box text when one came, else empty.
  std::string ListDemo() {
    TypeInto(IDC_MEMBER, wxString::FromUTF8(site().MemberUrl(AlbumSite::kDemoMember)));
    // The listing waits for its message box to be answered, so once it is idle any message has come.
    std::string message;
    bool done = false;
    wxTEST_DIALOG(
        {
          Press(IDC_GET_ALBUMS);
          done = PumpUntil([&] { return !window().Controller().Listing() && Enabled(IDC_SITE); });
        },
        ExpectMessage(&message).Optional());
    EXPECT_TRUE(done) << "the listing did not end";
    return message;
  }

  int loads_ = 0;
};

TEST_F(LoginBrowserTest, OpensAtTheStartAddressOverTheMainWindow) {
  window().Centre();  // room on every side, so centring over it is not cut by the screen's edge
  PumpFor(std::chrono::milliseconds(50));
  CDlgWebOpen* dialog = Open(LoginAddress());
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(dialog->Browser()) << "no web view: is WebKit installed?";
  EXPECT_EQ(LoginAddress(), wxString::FromUTF8(site().LoginUrl()));  // the stand-in's own login page
  EXPECT_EQ(dialog->GetTitle(), U8("登录成功后手动关闭对话框"));
  EXPECT_EQ(dialog->GetParent(), &window());
  EXPECT_TRUE(dialog->IsShown());
  EXPECT_FALSE(dialog->IsModal());
  EXPECT_EQ(dialog->GetClientSize(), dialog->ConvertDialogToPixels(wxSize(470, 381)));
  for (long flag : {wxRESIZE_BORDER, wxMINIMIZE_BOX, wxMAXIMIZE_BOX, wxCAPTION, wxSYSTEM_MENU})
    EXPECT_TRUE(dialog->HasFlag(flag)) << flag;
  EXPECT_EQ(dialog->OpenButton()->GetLabel(), U8("打开"));
  EXPECT_EQ(dialog->GetDefaultItem(), dialog->OpenButton());
  wxPoint centre = dialog->GetScreenRect().GetPosition() + dialog->GetSize() / 2;
  wxPoint parentCentre = window().GetScreenRect().GetPosition() + window().GetSize() / 2;
  EXPECT_LE(std::abs(centre.x - parentCentre.x), 2) << centre.x << " " << parentCentre.x;
  EXPECT_LE(std::abs(centre.y - parentCentre.y), 2) << centre.y << " " << parentCentre.y;

  EXPECT_EQ(dialog->AddressField()->GetValue(), LoginAddress());
  ASSERT_TRUE(WaitLoads(1));
  EXPECT_EQ(site().RequestCount("/login"), 1);
  EXPECT_EQ(dialog->Browser()->GetCurrentURL(), LoginAddress());
  EXPECT_TRUE(CloseAndWait(dialog));
}

TEST_F(LoginBrowserTest, WithoutAStartAddressShowsTheClipboardAndWaitsForOpen) {
  desktop->clipboard = wxString::FromUTF8(site().LoginUrl());
  CDlgWebOpen* dialog = Open(wxString());
  ASSERT_TRUE(dialog && dialog->Browser());
  EXPECT_EQ(dialog->AddressField()->GetValue(), desktop->clipboard);
  PumpFor(std::chrono::milliseconds(500));
  EXPECT_EQ(site().RequestCount("/login"), 0) << "loaded before 打开";

  test::Click(dialog, IDC_WEB_OPEN);
  ASSERT_TRUE(WaitLoads(1));
  EXPECT_EQ(site().RequestCount("/login"), 1);

  // Enter in the field opens what it holds, as typed.
  std::string typed = site().BaseUrl() + "/";
  dialog->AddressField()->ChangeValue(wxString::FromUTF8(typed));
  wxCommandEvent enter(wxEVT_TEXT_ENTER, IDC_WEB_ADDRESS);
  enter.SetEventObject(dialog->AddressField());
  dialog->AddressField()->ProcessWindowEvent(enter);
  ASSERT_TRUE(WaitLoads(2));
  EXPECT_EQ(site().RequestCount("/"), 1);
  EXPECT_TRUE(CloseAndWait(dialog));

  // An empty clipboard leaves the field empty; Escape closes the dialog as the close box does.
  desktop->clipboard.clear();
  dialog = Open(wxString());
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->AddressField()->GetValue(), wxString());
  wxWeakRef<CDlgWebOpen> alive(dialog);
  PressKey(dialog, WXK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !alive; }, std::chrono::seconds(5)));
}

TEST_F(LoginBrowserTest, ResizingKeepsTheRule) {
  CDlgWebOpen* dialog = Open(wxString());
  ASSERT_TRUE(dialog && dialog->Browser());
  PumpFor(std::chrono::milliseconds(100));
  const wxRect field0 = dialog->AddressField()->GetRect();
  const wxRect button0 = dialog->OpenButton()->GetRect();
  const wxRect browser0 = dialog->Browser()->GetRect();
  const wxSize start = dialog->GetClientSize();

  for (wxSize size : {start + wxSize(240, 160), start - wxSize(200, 150), start}) {
    dialog->SetClientSize(size);
    PumpFor(std::chrono::milliseconds(100));
    wxSize client = dialog->GetClientSize();
    ASSERT_EQ(client, size);
    wxRect field = dialog->AddressField()->GetRect();
    wxRect button = dialog->OpenButton()->GetRect();
    wxRect browser = dialog->Browser()->GetRect();
    SCOPED_TRACE(testing::Message() << "client " << client.x << "x" << client.y);
    EXPECT_EQ(browser.GetTopLeft(), browser0.GetTopLeft());
    EXPECT_EQ(browser.x + browser.width, client.x);
    EXPECT_EQ(browser.y + browser.height, client.y);
    EXPECT_EQ(button.y, button0.y);
    EXPECT_EQ(button.GetSize(), button0.GetSize());
    EXPECT_EQ(button.x + button.width, client.x);
    EXPECT_EQ(field.GetTopLeft(), field0.GetTopLeft());
    EXPECT_EQ(field.height, field0.height);
    EXPECT_EQ(field.x + field.width, button.x - 5);
  }
  EXPECT_TRUE(CloseAndWait(dialog));
}

TEST_F(LoginBrowserTest, FiveOpenAndCloseCyclesLeaveNoWindowBehind) {
  const std::size_t windows = wxTopLevelWindows.GetCount();
  // Browsers of earlier tests may still be ending.
  PumpUntil([] { return PageProcesses() == 0; }, std::chrono::seconds(5));
  const int processes = PageProcesses();
  for (int cycle = 1; cycle <= 5; ++cycle) {
    CDlgWebOpen* dialog = Open(LoginAddress());
    ASSERT_TRUE(dialog && dialog->Browser());
    ASSERT_TRUE(WaitLoads(cycle)) << "cycle " << cycle;
    EXPECT_EQ(wxTopLevelWindows.GetCount(), windows + 1);
    EXPECT_GT(PageProcesses(), processes);
    ASSERT_TRUE(CloseAndWait(dialog)) << "cycle " << cycle;
    EXPECT_EQ(wxTopLevelWindows.GetCount(), windows) << "cycle " << cycle;
  }
  // Each closed browser's page process ends with it.
  EXPECT_TRUE(PumpUntil([&] { return PageProcesses() <= processes; }, std::chrono::seconds(5)))
      << PageProcesses() << " page processes, " << processes << " before";
  EXPECT_EQ(site().RequestCount("/login"), 5);
  EXPECT_TRUE(window().IsShown());
}

TEST_F(LoginBrowserTest, WithoutAWebViewSaysSoAndTheWindowGoesOn) {
  WebOpenSetup setup;
  setup.startAddress = LoginAddress();
  setup.siteAddress = wxString::FromUTF8(site().BaseUrl());
  setup.createBrowser = [](wxWindow*, int, const wxString&) -> wxWebView* { return nullptr; };
  auto* dialog = new CDlgWebOpen(&window(), setup);
  EXPECT_FALSE(dialog->Browser());
  EXPECT_FALSE(dialog->Cookies());
  auto* message = dynamic_cast<wxStaticText*>(dialog->BrowserArea());
  ASSERT_TRUE(message);
  EXPECT_EQ(message->GetLabel(), U8(kNoBrowserMessage));
  EXPECT_EQ(dialog->AddressField()->GetValue(), LoginAddress());
  dialog->OpenAddress();  // nothing to load into: no crash
  EXPECT_TRUE(CloseAndWait(dialog));

  EXPECT_EQ(ListDemo(), TextToUtf8(kLoginFirstMessage));  // the window still lists
}

TEST_F(LoginBrowserTest, LoginInTheBrowserReachesTheWindowsListing) {
  // Not logged in: the listing asks for a login first.
  EXPECT_EQ(ListDemo(), TextToUtf8(kLoginFirstMessage));
  EXPECT_EQ(window().Grid()->GetNumberRows(), 0);

  // "虎扑" in the login menu: the site's login page in a login browser.
  CDlgWebOpen* dialog = Open(LoginAddress());
  ASSERT_TRUE(dialog && dialog->Browser());
  ASSERT_TRUE(WaitLoads(1));
  wxWeakRef<CDlgWebOpen> alive(dialog);
  SubmitLogin(*dialog->Browser(), false);
  ASSERT_TRUE(PumpUntil([&] { return !HeldLogin(site()).empty(); }, std::chrono::seconds(2)))
      << "the jar did not get the session cookie within 2 s";
  ASSERT_TRUE(alive);
  EXPECT_TRUE(dialog->IsShown());
  EXPECT_FALSE(dialog->Closing());
  // A session cookie, HttpOnly, for the site's host only.
  EXPECT_EQ(HeldLogin(site()).rfind("#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t0\t", 0), 0u) << HeldLogin(site());

  int listPages = site().RequestCount("/demo/photo-1");
  EXPECT_EQ(ListDemo(), "");
  EXPECT_EQ(window().Grid()->GetNumberRows(), static_cast<int>(site().Member(AlbumSite::kDemoMember)->albums.size()));
  EXPECT_EQ(site().RequestCount("/demo/photo-1"), listPages + 1);
  EXPECT_TRUE(CloseAndWait(dialog));
}

// --proxy reaches the login browser too: a host only the test's proxy knows loads through it.
TEST_F(LoginBrowserTest, TheProxyOptionTakesTheBrowserThroughTheProxy) {
  TestProxy proxy;
  const std::string host = "login.proxy-test.invalid:" + std::to_string(site().Port());
  proxy.Map(host, site().Port());
  ChooseProxy({ProxyChoice::Kind::Fixed, proxy.Url()});
  CDlgWebOpen* dialog = Open(wxString::FromUTF8("http://" + host + "/login"));
  const bool loaded = dialog && dialog->Browser() && WaitLoads(1);
  ChooseProxy({});
  ASSERT_TRUE(loaded);
  EXPECT_EQ(proxy.Log(), std::vector<std::string>{"GET http://" + host + "/login"});
  EXPECT_EQ(site().RequestCount("/login"), 1);
  EXPECT_TRUE(CloseAndWait(dialog));
}

TEST_F(LoginBrowserTest, OnlyARememberedLoginGoesToTheCookieFile) {
  const std::string file = TextToUtf8(CookieJar::Instance().File());
  ASSERT_EQ(file.rfind(std::getenv("ALBATRIX_TEST_BROWSER_DATA"), 0), 0u) << "not the test's own file: " << file;
  std::string token = site().SessionCookie().substr(site().SessionCookie().find('=') + 1);

  CDlgWebOpen* dialog = Open(LoginAddress());
  ASSERT_TRUE(dialog && dialog->Browser());
  ASSERT_TRUE(WaitLoads(1));
  struct stat st {};
  std::string folder = std::filesystem::path(file).parent_path().string();
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  SubmitLogin(*dialog->Browser(), false);
  ASSERT_TRUE(PumpUntil([&] { return !HeldLogin(site()).empty(); }, std::chrono::seconds(5)));
  PumpFor(std::chrono::milliseconds(300));
  EXPECT_EQ(ReadWholeFile(file).find(token), std::string::npos) << "a session cookie in the file";

  ASSERT_TRUE(WaitLoads(2));
  dialog->Browser()->LoadURL(LoginAddress());
  ASSERT_TRUE(WaitLoads(3));
  SubmitLogin(*dialog->Browser(), true);
  ASSERT_TRUE(PumpUntil([&] { return ReadWholeFile(file).find(token) != std::string::npos; }, std::chrono::seconds(5)))
      << ReadWholeFile(file);
  ASSERT_TRUE(PumpUntil([&] { return HeldLogin(site()).find("\tFALSE\t0\t") == std::string::npos; },
                        std::chrono::seconds(5)))
      << "the jar still holds the session cookie: " << HeldLogin(site());
  EXPECT_TRUE(CloseAndWait(dialog));

  // What the next start (or albatrix-cli) loads from the file: the remembered login.
  CookieJar::Instance().Clear();
  ASSERT_TRUE(CookieJar::Instance().Load());
  EXPECT_FALSE(HeldLogin(site()).empty());
}

// The program used a login browser, then its window closed: the process ends with status 0.
TEST(LoginBrowserExit, TheProgramEndsCleanlyAfterALogin) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display: run under xvfb-run";
  SiteOptions options;
  options.seed = 8999;
  std::unique_ptr<AlbumSite> site = StartSite(options);
  ASSERT_TRUE(site);
  TempDir dir;
  SelfChild child(dir.path(), {"--login-child", site->BaseUrl()});
  ASSERT_TRUE(child.Started());
  ASSERT_TRUE(child.Ended(std::chrono::seconds(60))) << "the child did not end; it said: " << child.Said();
  const std::string& said = child.Said();
  const int status = child.Status();
  EXPECT_NE(said.find("logged in\n"), std::string::npos) << said;
  EXPECT_NE(said.find("closing\n"), std::string::npos) << said;
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_GE(site->RequestCount("/login"), 2);  // the form, and its answer
}

// The child: logs in through a login browser, opens a second one, closes the first, then closes the
// window with the second still open.
class LoginChildApp : public CAlbatrixApp {
 public:
  explicit LoginChildApp(const WindowOptions& options) : CAlbatrixApp(options) {}

 protected:
  void OnWindowReady(CAlbatrixDlg& window) override {
    window_ = &window;
    CookieJar::Instance().Clear();  // only this login counts, not one an earlier test left in the file
    // The way a user opens it: "虎扑" in the login menu.
    wxCommandEvent choose(wxEVT_MENU, MenuWxId(ID_LOGIN_HUPU));
    window.ProcessWindowEvent(choose);
    for (wxWindow* top : wxTopLevelWindows) {
      if (auto* dialog = dynamic_cast<CDlgWebOpen*>(top)) first_ = dialog;
    }
    if (!first_) {
      std::puts("the menu opened no login browser");
      window.Close();
      return;
    }
    if (!first_->Browser()) {
      std::puts("no browser");
      window.Close();
      return;
    }
    first_->Browser()->Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent& event) {
      if (!submitted_ && event.GetURL().StartsWith("http")) {
        submitted_ = true;
        SubmitLogin(*first_->Browser(), false);
      }
      event.Skip();
    });
    poll_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Step(); });
    poll_.Start(10);
  }

 private:
  void Step() {
    bool loggedIn = false;
    for (const std::string& line : CookieJar::Instance().Cookies())
      if (line.find(AlbumSite::kCookieName) != std::string::npos) loggedIn = true;
    if (!loggedIn) return;
    poll_.Stop();
    std::puts("logged in");
    CDlgWebOpen* second = window_->OpenLoginBrowser(ToWx(window_->Controller().Profile().LoginAddress()));
    first_->Close();
    second->Browser()->Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent& event) {
      if (!event.GetURL().StartsWith("http")) return;
      std::puts("closing");
      std::fflush(stdout);
      window_->CallAfter([this] { window_->Close(); });
      event.Skip();
    });
    std::fflush(stdout);
  }

  CAlbatrixDlg* window_ = nullptr;
  CDlgWebOpen* first_ = nullptr;
  bool submitted_ = false;
  wxTimer poll_;
};

}  // namespace

// --login-child BASE
int RunLoginChild(int argc, char** argv) {
  if (argc < 3) return 2;
  std::string site = argv[2];
  char* args[] = {argv[0], const_cast<char*>("--site"), site.data(), nullptr};
  return RunAlbatrix(3, args, [](const WindowOptions& options) { return new LoginChildApp(options); });
}

}  // namespace albatrix::test
