// CAlbatrixDlg: the main window. A wxFrame (a dialog cannot carry a menu bar on every platform) holding
// the controls of ControlIds.h with those numbers as their wx ids, laid out with sizers. It shows the
// controller and forwards the user's commands to it; what the commands decide lives in app/.
//
// Plug-in points: the menu bar goes in with SetMenuBar (menu items take MenuWxId ids); the splash shows
// through WindowSetup's hooks.
#pragma once

#include <wx/frame.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "app/AlbatrixController.h"
#include "app/MenuCommands.h"
#include "discovery/SiteProfile.h"
#include "gui/Desktop.h"
#include "gui/MainWindowControls.h"

class wxBoxSizer;
class wxPanel;

class wxGauge;

namespace albatrix {

class CComboBox2;
class CDlgFind;
class CDlgWebOpen;
class CMyGridCtrl;
class WxMainView;

// The product title: names the site the program reads.
extern const char* const kProductTitle;
// The maker's web page behind link 1032.
extern const char* const kMakerPage;

struct WindowSetup {
  Text programFolder;        // ends with the separator; soft.dat lives here
  // The program folder was named on the command line (an installed program keeps its settings in the
  // user's data folder, out of sight): pictures go to the documents folder, as from a temporary folder.
  bool programFolderNamed = false;
  SiteProfile profile;       // the member host
  Desktop desktop;           // openers, choosers, clipboard
  std::optional<Text> memberText;  // put into the member box after the clipboard's text (the demo member)
  // The splash: shown while the start-up step is pending, hidden before the window shows.
  std::function<void()> showSplash;
  std::function<void()> hideSplash;
  // Called once the window shows and takes input.
  std::function<void()> startupDone;
};

class CAlbatrixDlg : public wxFrame, public MainWindowControls {
 public:
  explicit CAlbatrixDlg(WindowSetup setup);
  ~CAlbatrixDlg() override;

  // Start-up: the clipboard's address, the program folder, the settings; then, as the next step of the
  // event loop, the site selector and input; the window shows then. The frame stays hidden until then.
  void StartUp();
  bool StartupFinished() const { return startupFinished_; }

  AlbatrixController& Controller() { return *controller_; }
  // What the member box and the sub-type selector hold now (for the login commands).
  MemberBoxState MemberBox() const;
  // What "下载" would take now: the grid's chosen albums and the save-path box's text.
  DownloadRequest CurrentDownloadRequest() const;
  WxMainView& View() { return *view_; }

  // MainWindowControls
  wxTopLevelWindow& Frame() override { return *this; }
  wxWindow* Control(int id) const override;
  CComboBox2* Combo(int id) const override;
  CMyGridCtrl* Grid() const override { return grid_; }
  void EnableControl(int id, bool enabled) override;
  void Relayout() override;
  void PlaceMemberBox(MemberBoxPlace place) override;
  void OpenFolder(const wxString& folder) override;
  void ShowProgress(std::int32_t done, std::size_t total) override;
  void ShowFailureList(const std::vector<FailedPicture>& failures) override;
  void NotifyRunEnded(const wxString& summary) override;

  // Closes both boxes' suggestion lists, their texts kept.
  void CloseSuggestionLists();

  // A new login browser over this window at `startAddress` (empty: the field shows the clipboard's text and
  // nothing loads), its cookies for this window's site going with the program's requests. The menu's
  // login items open theirs here; earlier ones stay open.
  CDlgWebOpen* OpenLoginBrowser(const wxString& startAddress);

  // Files dropped on the window: the first path leads the save path.
  void DropFiles(const wxArrayString& paths);
  // "导出": the file chooser, then the grid's rows to the chosen file.
  void Export();
  // "查找": the find window, made on the first use and only hidden afterwards.
  void Find();
  // "筛选": the keyword prompt, then the filter; nothing while the grid is being filled.
  void Filter();
  // The find window, once "查找" has made it; null before.
  CDlgFind* FindDialog() const;

 private:
  void BuildControls();
  void BindEvents();
  void FinishStartUp();
  void ChooseSaveFolder();
  void UseSavePath(const Text& path);
  void OnCharHook(wxKeyEvent& event);
  void OnClose(wxCloseEvent& event);

  WindowSetup setup_;
  std::unique_ptr<WxMainView> view_;
  std::unique_ptr<AlbatrixController> controller_;
  wxPanel* panel_ = nullptr;
  wxBoxSizer* memberRow_ = nullptr;
  CComboBox2* memberBox_ = nullptr;
  CComboBox2* savePathBox_ = nullptr;
  wxGauge* progressBar_ = nullptr;
  int menusOpen_ = 0;  // menus of the menu bar now open
  std::chrono::steady_clock::time_point menuClosedAt_{};
  // How long after a menu closed an Escape still counts as the menu's.
  static constexpr std::chrono::milliseconds kMenuEscapeWindow{300};
  int focusOwner_ = 0;               // the control whose disabling took the keys away, 0 for none
  wxWindow* focusParked_ = nullptr;  // where the keys went then
  CMyGridCtrl* grid_ = nullptr;
  bool startupFinished_ = false;
  bool closing_ = false;
};

}  // namespace albatrix
