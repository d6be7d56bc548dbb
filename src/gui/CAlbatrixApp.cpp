#include "gui/CAlbatrixApp.h"

#include <cstdlib>

#include "MyCode/Console.h"
#include "MyCode/CookieJar.h"
#include "MyCode/SystemCookies.h"
#include "MyCode/URLSource2.h"
#include "app/DemoLogin.h"
#include "gui/CAlbatrixDlg.h"
#include "gui/CSplashScreenEx.h"
#include "gui/MainMenu.h"
#include "gui/ToolkitEnvironment.h"
#include "gui/WxLanguage.h"
#include "gui/WxText.h"
#include "site/DemoSite.h"

namespace albatrix {

CAlbatrixApp::CAlbatrixApp(WindowOptions options) : options_(std::move(options)) {}

CAlbatrixApp::~CAlbatrixApp() = default;

bool CAlbatrixApp::OnInit() {
  UseLanguageInWxDialogs();
  WindowSetup setup;
  setup.programFolder = options_.programFolderPath;
  setup.programFolderNamed = !options_.programFolder.empty();
  setup.desktop = SystemDesktop();
  // Logins kept by an earlier run's login browser ("下次自动登录"): the file is the browser's.
  CookieJar::Instance().Load();
  if (options_.demo) {
    demoSite_ = DemoSite::StartLoggedIn("albatrix", LogInToDemo);
    if (!demoSite_) return false;
    setup.profile = SiteProfile(Utf8ToText(demoSite_->BaseUrl()));
    setup.memberText = Utf8ToText(demoSite_->DemoMemberUrl());
  } else if (!options_.site.empty()) {
    setup.profile = SiteProfile(Utf8ToText(options_.site));
  }
  // Logins the system's cookie store kept from an earlier run's login browser (Windows).
  MergeSystemCookies(TextToUtf8(setup.profile.BaseAddress()) + "/");
  setup.startupDone = [this] { OnWindowReady(*window_); };
  PlugInSplash(setup, [this] { window_->Close(); });
  MenuActions menuActions = DesktopMenuActions(setup.desktop);
  window_ = new CAlbatrixDlg(std::move(setup));
  menuActions.openLogin = [window = window_](const Text& address) { window->OpenLoginBrowser(ToWx(address)); };
  menuActions.memberBox = [window = window_] { return window->MemberBox(); };
  InstallMainMenu(*window_, window_->Controller(), menuActions);
  window_->StartUp();
  return true;
}

int CAlbatrixApp::OnExit() {
  demoSite_.reset();  // the window and its threads are gone: nothing asks the site any more
  return wxApp::OnExit();
}

int RunAlbatrix(int argc, char** argv, std::function<CAlbatrixApp*(const WindowOptions&)> makeApp) {
  // Windows hands main() its arguments in the ANSI code page: a save path or site address with other
  // characters comes from the wide command line instead.
  WindowOptions options = ParseWindowArguments(Utf8Arguments(argc, argv), std::getenv("ALBATRIX_SITE"));
  if (options.error.empty() && !options.help) {
    ProgramFolder folder = TakeProgramFolder(options.programFolder);
    options.programFolderPath = std::move(folder.path);
    options.error = std::move(folder.error);
  }
  if (!options.error.empty()) {
    ShowProgramText("albatrix: " + options.error + "\nTry 'albatrix --help'.\n", true);
    return 2;
  }
  if (options.help) {
    ShowProgramText(WindowUsage(), false);
    return 0;
  }
  ChooseProxy(options.proxy);
  PrepareToolkitEnvironment();
  wxApp::SetInstance(makeApp ? makeApp(options) : new CAlbatrixApp(options));
  int noArguments = 1;  // ours are read already; GTK's own need not be passed through
  char* programOnly[] = {argv[0], nullptr};
  return wxEntry(noArguments, programOnly);
}

}  // namespace albatrix
