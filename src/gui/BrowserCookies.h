// The login browser's cookies reaching the program's own requests. The browser and the program do not
// share one cookie store. On Windows the browser is the system's web engine, whose cookies live in the
// system's store (SystemCookies): they are read from there after every page it loads and when the dialog
// closes. On Linux: WebKit keeps cookies with an expiry in the cookie store's file (so a login
// with "下次自动登录" survives a restart and albatrix-cli sees it), but session cookies only in its memory.
// So the browser's cookies for the site are read from its cookie manager whenever they change, and once
// more when the login dialog closes, and merged into the process-wide CookieJar. WebKit stays the only
// writer of the file.
#pragma once

#include <wx/string.h>

#include <functional>
#include <memory>

class wxWebView;

namespace albatrix {

class BrowserCookies {
 public:
  // Watches the cookies `browser` holds for `siteAddress` (the member host's base address). The browser's
  // persistent cookies go to the CookieJar's file, its folder made private first. Everything runs on the
  // interface thread. With the system's engine on Windows it reads the system's store after each page;
  // with any other backend it watches nothing and merges nothing.
  BrowserCookies(wxWebView& browser, const wxString& siteAddress);
  // Stops watching; a read still under way is cancelled and merges nothing.
  ~BrowserCookies();
  BrowserCookies(const BrowserCookies&) = delete;
  BrowserCookies& operator=(const BrowserCookies&) = delete;

  // Reads the browser's cookies for the site and merges them into the CookieJar; then runs `done` (also
  // when the read failed, never when this object is gone by then). Reads asked for while one is under way
  // are joined into one more read after it, so `done` always follows a read that began after the call.
  void Merge(std::function<void()> done = {});

  // Reads merged so far, and cookies taken by the last one.
  int Merges() const;
  std::size_t LastMerged() const;

  struct State;  // the watch's state, shared with WebKit's callbacks

 private:
  std::shared_ptr<State> state_;
};

}  // namespace albatrix
