// CAlbatrixApp: starts the window on the site the command line names (or the built-in demo site) and
// ends when the window has closed.
#pragma once

#include <wx/app.h>

#include <functional>
#include <memory>

#include "app/StartupRules.h"

namespace albatrix {

class DemoSite;
class CAlbatrixDlg;

class CAlbatrixApp : public wxApp {
 public:
  explicit CAlbatrixApp(WindowOptions options);
  ~CAlbatrixApp() override;

  bool OnInit() override;
  int OnExit() override;

 protected:
  // The window shows and takes input.
  virtual void OnWindowReady(CAlbatrixDlg&) {}

 private:
  WindowOptions options_;
  CAlbatrixDlg* window_ = nullptr;  // owned by wx; valid until it closes
  std::unique_ptr<DemoSite> demoSite_;  // --demo: served from this process until the end
};

// The program: reads the arguments, answers --help, runs `app` (made from the options) under wx.
int RunAlbatrix(int argc, char** argv,
                std::function<CAlbatrixApp*(const WindowOptions&)> makeApp = nullptr);

}  // namespace albatrix
