// The window's tests: one wxApp for the whole program, as wx's own test programs have. Without a display
// every test skips itself; run them under xvfb-run. "--close-child" runs the program's own app for the
// closing tests, which watch it from outside (CloseGuiTest.cpp).
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/evtloop.h>

#include <cstring>

#include "GuiHarness.h"
#include "gui/ToolkitEnvironment.h"

namespace albatrix::test {
int RunCloseChild(int argc, char** argv);
int RunLoginChild(int argc, char** argv);
// Points the cookie file and WebKit's data at a folder of this run, never the user's own; sets what
// WebKit needs under Xvfb where the environment does not say otherwise. Children inherit both.
void PrepareBrowserEnvironment();
}

namespace {

// A wx assertion fails the running test instead of opening a dialog nobody answers.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
  ADD_FAILURE() << "wx assertion in " << func << " (" << file << ":" << line << "): " << cond << " " << msg;
}

}  // namespace

int main(int argc, char** argv) {
  albatrix::test::PrepareBrowserEnvironment();
  if (argc >= 2 && std::strcmp(argv[1], "--close-child") == 0) return albatrix::test::RunCloseChild(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "--login-child") == 0) return albatrix::test::RunLoginChild(argc, argv);
  // The children above run the program's own start, which prepares the toolkit; these tests do as it does.
  albatrix::PrepareToolkitEnvironment();
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests) || !albatrix::test::HaveDisplay()) return RUN_ALL_TESTS();

  wxSetAssertHandler(FailOnAssert);
  wxApp::SetInstance(new wxApp);
  int wxArgc = 1;
  char* wxArgv[] = {argv[0], nullptr};
  if (!wxEntryStart(wxArgc, wxArgv) || !wxTheApp->CallOnInit()) {
    std::fputs("test_gui: wx could not start\n", stderr);
    return 1;
  }
  int result;
  {
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    result = RUN_ALL_TESTS();
  }
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
