#include "gui/BrowserCookies.h"

#include <wx/webview.h>

#include <string>
#include <vector>

#include "MyCode/CookieJar.h"
#include "MyCode/Trace.h"
#include "gui/WxText.h"

#if defined(__WXGTK__) && wxUSE_WEBVIEW_WEBKIT2
#define ALBATRIX_WEBKIT 1
#include <webkit2/webkit2.h>
#elif defined(__WXMSW__)
// The system's web engine keeps its cookies in the system's store, which is read after every page.
#define ALBATRIX_SYSTEM_STORE 1
#include "MyCode/SystemCookies.h"
#endif

namespace albatrix {

struct BrowserCookies::State {
  std::weak_ptr<State> self;
  std::string site;
  int merges = 0;
  std::size_t lastMerged = 0;
  bool reading = false;
  bool again = false;
  std::vector<std::function<void()>> current;  // to run when the read under way ends
  std::vector<std::function<void()>> next;     // to run after a read still to begin
#ifdef ALBATRIX_WEBKIT
  WebKitCookieManager* manager = nullptr;
  GCancellable* cancel = nullptr;
  gulong changedHandler = 0;
#endif

  void Request(std::function<void()> done) {
    next.push_back(std::move(done));
    if (reading)
      again = true;
    else
      Start();
  }

  void Start();

  void Finish(std::size_t merged) {
    reading = false;
    ++merges;
    lastMerged = merged;
    std::vector<std::function<void()>> done;
    done.swap(current);
    if (again) Start();
    for (auto& run : done)
      if (run) run();
  }
};

#ifdef ALBATRIX_WEBKIT

namespace {

// WebKit's cookie as a line of the store. libsoup marks a domain cookie with a leading "." on its domain;
// a cookie without an expiry date is a session cookie.
std::string LineOf(SoupCookie* cookie) {
  BrowserCookie taken;
  auto text = [](const char* s) { return std::string(s ? s : ""); };
  taken.domain = text(soup_cookie_get_domain(cookie));
  taken.path = text(soup_cookie_get_path(cookie));
  taken.name = text(soup_cookie_get_name(cookie));
  taken.value = text(soup_cookie_get_value(cookie));
  taken.secure = soup_cookie_get_secure(cookie);
  taken.httpOnly = soup_cookie_get_http_only(cookie);
  if (SoupDate* expires = soup_cookie_get_expires(cookie)) taken.expires = soup_date_to_time_t(expires);
  return CookieLine(taken);
}

void OnCookiesRead(GObject* source, GAsyncResult* result, gpointer data) {
  std::unique_ptr<std::weak_ptr<BrowserCookies::State>> owner(static_cast<std::weak_ptr<BrowserCookies::State>*>(data));
  GError* error = nullptr;
  GList* cookies = webkit_cookie_manager_get_cookies_finish(WEBKIT_COOKIE_MANAGER(source), result, &error);
  if (error) {
    bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
    if (!cancelled) Trace(std::string("login browser: its cookies could not be read: ") + error->message);
    g_error_free(error);
    if (cancelled) return;  // the dialog is gone
  }
  std::vector<std::string> lines;
  for (GList* item = cookies; item; item = item->next) {
    std::string line = LineOf(static_cast<SoupCookie*>(item->data));
    if (!line.empty()) lines.push_back(std::move(line));
  }
  g_list_free_full(cookies, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
  std::size_t merged = CookieJar::Instance().Merge(lines);
  if (std::shared_ptr<BrowserCookies::State> state = owner->lock()) state->Finish(merged);
}

void OnCookiesChanged(WebKitCookieManager*, gpointer data) {
  // Signals arrive on the interface thread's main loop, and the handler is disconnected before the state
  // goes, so the pointer is live here.
  static_cast<BrowserCookies::State*>(data)->Request(nullptr);
}

// The first login browser of the process points WebKit's persistent cookie store at the CookieJar's file
// (again only when the file changed): the cookies it keeps there are those albatrix-cli and the next start
// load. The folder is made private first, as WebKit creates the file readable by everyone.
void KeepCookiesInJarFile(WebKitCookieManager* manager) {
  static WebKitCookieManager* persistedBy = nullptr;
  static std::string persistedTo;
  CookieJar& jar = CookieJar::Instance();
  std::string file = TextToUtf8(jar.File());
  if (file.empty() || (file == persistedTo && manager == persistedBy)) return;
  if (!jar.PrepareFolder()) {
    Trace("login browser: cookies with an expiry stay in memory; no private folder for " + file);
    return;
  }
  webkit_cookie_manager_set_persistent_storage(manager, file.c_str(), WEBKIT_COOKIE_PERSISTENT_STORAGE_TEXT);
  persistedTo = file;
  persistedBy = manager;
}

}  // namespace

#endif  // ALBATRIX_WEBKIT

void BrowserCookies::State::Start() {
  reading = true;
  again = false;
  for (auto& run : next) current.push_back(std::move(run));
  next.clear();
#ifdef ALBATRIX_WEBKIT
  if (manager) {
    webkit_cookie_manager_get_cookies(manager, site.c_str(), cancel, OnCookiesRead, new std::weak_ptr<State>(self));
    return;
  }
#endif
#ifdef ALBATRIX_SYSTEM_STORE
  Finish(MergeSystemCookies(site));  // the store answers at once
#else
  Finish(0);  // nothing to read from
#endif
}

BrowserCookies::BrowserCookies([[maybe_unused]] wxWebView& browser, const wxString& siteAddress)
    : state_(std::make_shared<State>()) {
  state_->self = state_;
  state_->site = TextToUtf8(FromWx(siteAddress)) + "/";
#ifdef ALBATRIX_WEBKIT
  auto* view = static_cast<WebKitWebView*>(browser.GetNativeBackend());
  if (!view || !WEBKIT_IS_WEB_VIEW(view)) {
    Trace("login browser: not a WebKit view; its cookies are not read");
    return;
  }
  state_->manager = webkit_web_context_get_cookie_manager(webkit_web_view_get_context(view));
  state_->cancel = g_cancellable_new();
  KeepCookiesInJarFile(state_->manager);
  state_->changedHandler = g_signal_connect(state_->manager, "changed", G_CALLBACK(OnCookiesChanged), state_.get());
#endif
#ifdef ALBATRIX_SYSTEM_STORE
  // The store tells nobody when it changes; a page that finished loading is where a login lands.
  browser.Bind(wxEVT_WEBVIEW_LOADED, [weak = std::weak_ptr<State>(state_)](wxWebViewEvent& event) {
    if (std::shared_ptr<State> state = weak.lock()) state->Request(nullptr);
    event.Skip();
  });
#endif
}

BrowserCookies::~BrowserCookies() {
#ifdef ALBATRIX_WEBKIT
  if (state_->manager && state_->changedHandler) g_signal_handler_disconnect(state_->manager, state_->changedHandler);
  if (state_->cancel) {
    g_cancellable_cancel(state_->cancel);
    g_object_unref(state_->cancel);
  }
#endif
}

void BrowserCookies::Merge(std::function<void()> done) { state_->Request(std::move(done)); }

int BrowserCookies::Merges() const { return state_->merges; }
std::size_t BrowserCookies::LastMerged() const { return state_->lastMerged; }

}  // namespace albatrix
