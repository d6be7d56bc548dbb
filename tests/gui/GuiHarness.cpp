#include "GuiHarness.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/evtloop.h>
#include <wx/hyperlink.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <cstdlib>
#include <thread>

#include "gui/CComboBox2.h"
#include "gui/CMyGridCtrl.h"
#include "gui/ControlIds.h"
#include "gui/MenuIds.h"
#include "gui/WxMainView.h"
#include "gui/WxText.h"
#include "support/SiteFixture.h"

namespace albatrix::test {

bool HaveDisplay() { return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"); }

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    wxTheApp->Yield(true);
    wxTheApp->ProcessPendingEvents();
    wxTheApp->ProcessIdle();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void PumpFor(std::chrono::milliseconds span) {
  auto until = std::chrono::steady_clock::now() + span;
  PumpUntil([until] { return std::chrono::steady_clock::now() >= until; }, span + std::chrono::seconds(1));
}

SiteOptions WindowFixture::Options() const {
  SiteOptions options;
  options.requireLogin = false;
  return options;
}

void WindowFixture::SetUp() {
  if (!HaveDisplay()) GTEST_SKIP() << "no display: run under xvfb-run";
  site_ = StartSite(Options());
  ASSERT_TRUE(site_);
  WindowSetup setup;
  setup.programFolder = dir.folder();
  setup.profile = SiteProfile(Utf8ToText(site_->BaseUrl()));
  std::shared_ptr<DesktopRecord> record = desktop;
  setup.desktop.openFolder = [record](const wxString& folder) { record->openedFolders.push_back(folder); };
  setup.desktop.openBrowser = [record](const wxString& page) { record->openedPages.push_back(page); };
  setup.desktop.chooseFolder = [record](wxWindow*, const wxString& title, const wxString&) {
    record->folderTitle = title;
    return record->chosenFolder;
  };
  setup.desktop.chooseSaveFile = [record](wxWindow*, const wxString& filter) {
    record->exportFilter = filter;
    return record->chosenFile;
  };
  setup.desktop.clipboardText = [record] { return record->clipboard; };
  setup.desktop.documentsFolder = [record] { return record->documents; };
  setup.desktop.copyText = [record](const wxString& text) { record->copied = text; };
  setup.desktop.notify = [record](wxWindow*, const wxString& title, const wxString& text) {
    record->notifications.push_back(title + ": " + text);
  };
  Prepare(setup);
  window_ = new CAlbatrixDlg(std::move(setup));
  window_->StartUp();
  ASSERT_TRUE(PumpUntil([this] { return window_->StartupFinished(); }));
  PumpFor(std::chrono::milliseconds(50));
}

void WindowFixture::TearDown() {
  if (window_) {  // a test may have closed it already
    window_->Close(true);
    EXPECT_TRUE(PumpUntil([this] { return !window_; })) << "the window was not destroyed";
  }
  site_.reset();
}

void WindowFixture::Press(int id) {
  wxWindow* button = window_->Control(id);
  ASSERT_TRUE(button);
  wxCommandEvent press(wxEVT_BUTTON, id);
  press.SetEventObject(button);
  button->ProcessWindowEvent(press);
}

void WindowFixture::TypeInto(int id, const wxString& text) {
  CComboBox2* box = window_->Combo(id);
  ASSERT_TRUE(box);
  box->Edit()->SetValue(text);  // raises the text event the user's typing raises
}

void WindowFixture::Click(int id, bool checked) {
  auto* box = dynamic_cast<wxCheckBox*>(window_->Control(id));
  ASSERT_TRUE(box);
  box->SetValue(checked);
  wxCommandEvent click(wxEVT_CHECKBOX, id);
  click.SetEventObject(box);
  click.SetInt(checked ? 1 : 0);
  box->ProcessWindowEvent(click);
}

wxString WindowFixture::Label(int id) {
  wxWindow* control = window_->Control(id);
  if (!control) return wxString("<no control>");
  if (CComboBox2* box = window_->Combo(id)) return box->GetValue();
  if (auto* labelled = dynamic_cast<wxControl*>(control)) return labelled->GetLabelText();
  return control->GetLabel();
}

bool WindowFixture::Enabled(int id) {
  wxWindow* control = window_->Control(id);
  return control && control->IsThisEnabled();
}

void WindowFixture::FollowLink(int id) {
  wxWindow* link = window_->Control(id);
  ASSERT_TRUE(link);
  wxHyperlinkEvent follow(link, id, wxString());
  link->ProcessWindowEvent(follow);
}

void WindowFixture::ChooseMenu(int commandId) {
  wxCommandEvent choose(wxEVT_MENU, MenuWxId(commandId));
  window_->HandleWindowEvent(choose);
}

bool WindowFixture::List(const std::string& member, int rows) {
  TypeInto(IDC_MEMBER, wxString::FromUTF8(site_->MemberUrl(member)));
  Press(IDC_GET_ALBUMS);
  AlbatrixController& controller = window_->Controller();
  if (!PumpUntil([&] {
        const int listed = window_->Grid()->AlbumRows();
        return !controller.Listing() && !controller.Filling() && (rows < 0 ? listed > 0 : listed == rows);
      }, std::chrono::seconds(30)))
    return false;
  window_->View().Flush();
  return true;
}

bool WindowFixture::RunEnded(std::chrono::milliseconds timeout) {
  if (!PumpUntil([this] { return !window_->Controller().Running(); }, timeout)) return false;
  window_->View().Flush();
  return true;
}

}  // namespace albatrix::test
