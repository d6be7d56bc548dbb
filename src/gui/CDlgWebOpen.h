// CDlgWebOpen: the login browser. The user logs in to the site by hand in an embedded web view; its
// cookies then go with the program's own requests (BrowserCookies). A modeless, resizable dialog over the
// main window: "网址：", the address field, the default button "打开" and the browser filling the rest.
// Closing it (close box or Escape) merges the browser's cookies once more and then destroys it, so no
// browser process outlives its login.
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <functional>
#include <memory>

class wxButton;
class wxTextCtrl;
class wxWebView;

namespace albatrix {

class BrowserCookies;

// The dialog's own control ids.
constexpr int IDC_WEB_ADDRESS = 1001;  // the address field
constexpr int IDC_WEB_BROWSER = 1025;  // the browser
constexpr int IDC_WEB_OPEN = 1026;     // "打开"

// The title tells the user what to do.
extern const char* const kLoginBrowserTitle;
// Shown in the browser's place when no web view can be made.
extern const char* const kNoBrowserMessage;

struct WebOpenSetup {
  wxString startAddress;  // loads at once; when empty the field shows the clipboard's text and nothing loads
  wxString siteAddress;   // the member host's base address: its cookies are merged into the CookieJar
  std::function<wxString()> clipboardText;
  // Makes the browser control showing `address`, or null when none can be made. Empty: wxWebView's own
  // backend.
  std::function<wxWebView*(wxWindow* parent, int id, const wxString& address)> createBrowser;
};

class CDlgWebOpen : public wxDialog {
 public:
  // Builds the dialog centred over `parent` and shows it, modeless. The parent destroys it at the latest.
  CDlgWebOpen(wxWindow* parent, WebOpenSetup setup);
  ~CDlgWebOpen() override;

  // "打开": loads the field's text as typed.
  void OpenAddress();

  wxWebView* Browser() const { return browser_; }  // null when none could be made
  wxTextCtrl* AddressField() const { return address_; }
  wxButton* OpenButton() const { return open_; }
  wxWindow* BrowserArea() const { return browserArea_; }  // the browser, or the message in its place
  // The cookie watch; null without a browser.
  BrowserCookies* Cookies() const { return cookies_.get(); }
  // True once closing has begun: the last merge is under way or done, destruction follows.
  bool Closing() const { return closing_; }

 private:
  void BuildControls();
  void OnClose(wxCloseEvent& event);
  void OnCharHook(wxKeyEvent& event);

  WebOpenSetup setup_;
  wxTextCtrl* address_ = nullptr;
  wxButton* open_ = nullptr;
  wxWebView* browser_ = nullptr;
  wxWindow* browserArea_ = nullptr;
  std::unique_ptr<BrowserCookies> cookies_;
  wxTimer lastMergeWait_;
  bool closing_ = false;
};

// True when this build can make a web view at all (WebKit present).
bool CanMakeBrowser();

}  // namespace albatrix
