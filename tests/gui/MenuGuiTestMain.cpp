// One wx application for the whole test program; the tests run inside its event loop, from its first
// turn, as a window program's code does.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/image.h>
#include <wx/log.h>

namespace {

class GuiTestApp : public wxApp {
 public:
  bool OnInit() override {
    SetAppDisplayName("Albatrix");
    wxInitAllImageHandlers();
    CallAfter([this] {
      result_ = RUN_ALL_TESTS();
      ExitMainLoop();
    });
    return true;
  }
  int OnRun() override {
    wxApp::OnRun();
    return result_;
  }
  // A wx assertion is a test failure, not a dialog nobody answers.
  void OnAssertFailure(const wxChar* file, int line, const wxChar* func, const wxChar* cond,
                       const wxChar* msg) override {
    ADD_FAILURE_AT(wxString(file).utf8_str(), line)
        << "wx assertion in " << wxString(func).utf8_str() << ": " << wxString(cond).utf8_str() << " "
        << wxString(msg).utf8_str();
  }

 private:
  int result_ = 1;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    std::fputs("test_gui: no display; run it under xvfb-run\n", stderr);
    testing::GTEST_FLAG(filter) = "-*";
    return RUN_ALL_TESTS();
  }
  wxLog::EnableLogging(false);  // GTK's theme chatter under Xvfb is no test result
  wxApp::SetInstance(new GuiTestApp);
  return wxEntry(argc, argv);
}
