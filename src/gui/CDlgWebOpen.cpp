#include "gui/CDlgWebOpen.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/webview.h>
#ifdef __WXMSW__
#include <wx/log.h>
#include <wx/msw/registry.h>
#include <wx/msw/webview_ie.h>
#include <wininet.h>
#include <urlmon.h>
#endif

#if defined(__WXGTK__) && wxUSE_WEBVIEW_WEBKIT2
#define ALBATRIX_WEBKIT 1
#include <webkit2/webkit2.h>
#endif

#include <string>
#include <string_view>

#include "MyCode/Trace.h"
#include "MyCode/URLSource2.h"
#include "gui/BrowserCookies.h"
#include "gui/WxText.h"

namespace albatrix {

const char* const kLoginBrowserTitle = "登录成功后手动关闭对话框";
const char* const kNoBrowserMessage =
    "无法创建内置浏览器：本机缺少 WebKit 网页组件（libwebkit2gtk-4.0）。请安装后重新打开登录窗口；"
    "主窗口的其他功能不受影响。";

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

// A close that waits this long for the last cookie read goes on without it.
constexpr int kLastMergeWaitMs = 2000;

#ifdef __WXMSW__
// The IE control renders as IE 7 unless the program asks for the newest engine, and today's login pages
// need it: a setting of this program's own under the user's registry key. wx refuses (with a message box
// of its own) where the key that holds such settings is missing, as on a new user profile: it is made
// first, and a refusal is traced, never shown.
bool AskForNewestEngine() {
  wxLogNull quiet;
  wxRegKey key(wxRegKey::HKCU,
               "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION");
  if (!key.Exists() && !key.Create(false)) return false;
  return wxWebViewIE::MSWSetEmulationLevel(wxWEBVIEWIE_EMU_IE11);
}

// The IE control asks through the process's URL session, which follows the system's settings unless told
// otherwise before its first page: a --proxy is handed to it in WinINet's words ("host:port" for every
// scheme, "socks=host:port" for a SOCKS proxy), loopback kept direct as for the program's own requests;
// --proxy none makes it connect directly.
void RouteBrowser(const ProxyChoice& choice) {
  std::string proxy;
  INTERNET_PROXY_INFO info{};
  info.dwAccessType = INTERNET_OPEN_TYPE_DIRECT;
  if (choice.kind == ProxyChoice::Kind::Fixed) {
    std::string_view address = choice.proxy;
    const std::size_t schemeEnd = address.find("://");
    const std::string_view scheme = schemeEnd == std::string_view::npos ? "http" : address.substr(0, schemeEnd);
    if (schemeEnd != std::string_view::npos) address.remove_prefix(schemeEnd + 3);
    if (const std::size_t at = address.rfind('@'); at != std::string_view::npos) address.remove_prefix(at + 1);
    if (const std::size_t slash = address.find('/'); slash != std::string_view::npos) address = address.substr(0, slash);
    proxy = (scheme.starts_with("socks") ? "socks=" : "") + std::string(address);
    info.dwAccessType = INTERNET_OPEN_TYPE_PROXY;
  }
  static const char kDirect[] = "localhost;*.localhost;127.*;[::1]";
  // The session reads the structure's two texts as ANSI strings, whatever the structure's declared type.
  info.lpszProxy = reinterpret_cast<decltype(info.lpszProxy)>(proxy.empty() ? nullptr : proxy.c_str());
  info.lpszProxyBypass = reinterpret_cast<decltype(info.lpszProxyBypass)>(proxy.empty() ? nullptr : kDirect);
  const HRESULT result = ::UrlMkSetSessionOption(INTERNET_OPTION_PROXY, &info, sizeof info, 0);
  const std::string way = proxy.empty() ? "no proxy (--proxy none)" : "through " + proxy + " (--proxy)";
  if (SUCCEEDED(result))
    Trace("login browser: " + way);
  else
    Trace("login browser: the URL session refused " + way + " (" + std::to_string(static_cast<long>(result)) +
          "); it keeps the system's proxy settings");
}
#endif

#ifdef ALBATRIX_WEBKIT
// WebKit follows the system's proxy settings by itself; a --proxy in their place is handed to its context
// (the process's one, shared by every login dialog), loopback kept direct as for the program's requests.
void RouteBrowser(wxWebView& browser, const ProxyChoice& choice) {
  auto* view = static_cast<WebKitWebView*>(browser.GetNativeBackend());
  if (!view || !WEBKIT_IS_WEB_VIEW(view)) {
    Trace("login browser: not a WebKit view; --proxy does not reach it");
    return;
  }
  WebKitWebContext* context = webkit_web_view_get_context(view);
  if (choice.kind == ProxyChoice::Kind::None) {
    webkit_web_context_set_network_proxy_settings(context, WEBKIT_NETWORK_PROXY_MODE_NO_PROXY, nullptr);
    Trace("login browser: no proxy (--proxy none)");
    return;
  }
  const char* const direct[] = {"localhost", "127.0.0.0/8", "::1", nullptr};
  WebKitNetworkProxySettings* settings = webkit_network_proxy_settings_new(choice.proxy.c_str(), direct);
  webkit_web_context_set_network_proxy_settings(context, WEBKIT_NETWORK_PROXY_MODE_CUSTOM, settings);
  webkit_network_proxy_settings_free(settings);
  Trace("login browser: through " + choice.proxy + " (--proxy)");
}
#endif

wxWebView* MakeSystemBrowser(wxWindow* parent, int id, const wxString& address) {
  if (!CanMakeBrowser()) return nullptr;
  const ProxyChoice proxy = ChosenProxy();
#ifdef __WXMSW__
  static const bool newestEngine = AskForNewestEngine();
  if (!newestEngine) Trace("login browser: the newest engine could not be asked for; pages may render as IE 7");
  // Once for the process: every login dialog's control shares the session.
  static const bool routed = proxy.kind != ProxyChoice::Kind::System && (RouteBrowser(proxy), true);
  (void)routed;
#endif
#ifdef ALBATRIX_WEBKIT
  if (proxy.kind != ProxyChoice::Kind::System) {
    // The route is set before the first page is asked for.
    wxWebView* browser = wxWebView::New(parent, id, wxWebViewDefaultURLStr);
    if (browser) {
      RouteBrowser(*browser, proxy);
      browser->LoadURL(address);
    }
    return browser;
  }
#endif
  return wxWebView::New(parent, id, address);
}

}  // namespace

bool CanMakeBrowser() { return wxWebView::IsBackendAvailable(wxWebViewBackendDefault); }

CDlgWebOpen::CDlgWebOpen(wxWindow* parent, WebOpenSetup setup)
    : wxDialog(parent, wxID_ANY, U8(kLoginBrowserTitle), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMINIMIZE_BOX | wxMAXIMIZE_BOX),
      setup_(std::move(setup)) {
  BuildControls();
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OpenAddress(); }, IDC_WEB_OPEN);
  Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { OpenAddress(); }, IDC_WEB_ADDRESS);
  Bind(wxEVT_CLOSE_WINDOW, &CDlgWebOpen::OnClose, this);
  Bind(wxEVT_CHAR_HOOK, &CDlgWebOpen::OnCharHook, this);
  lastMergeWait_.SetOwner(this);
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
    Trace("login browser: the last cookie read took too long; closing without it");
    Destroy();
  });

  SetClientSize(ConvertDialogToPixels(wxSize(470, 381)));
  CentreOnParent();
  if (!setup_.startAddress.empty())
    address_->ChangeValue(setup_.startAddress);
  else
    address_->ChangeValue(setup_.clipboardText ? setup_.clipboardText() : wxString());
  Show();
}

CDlgWebOpen::~CDlgWebOpen() = default;

// The address row over the browser. The sizers hold the resize rule: the browser keeps its left and top
// edges and reaches the client's right and bottom; "打开" keeps its height and width with its right edge on
// the client's; the field keeps its left edge and height and ends 5 pixels left of the button.
void CDlgWebOpen::BuildControls() {
  const int gap = ConvertDialogToPixels(wxSize(3, 0)).x;
  address_ = new wxTextCtrl(this, IDC_WEB_ADDRESS, wxString(), wxDefaultPosition, wxDefaultSize,
                            wxTE_PROCESS_ENTER);
  address_->SetName(U8("网址"));
  open_ = new wxButton(this, IDC_WEB_OPEN, U8("打开"));
  open_->SetDefault();

  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(this, wxID_ANY, U8("网址：")),
           wxSizerFlags().CenterVertical().Border(wxLEFT | wxRIGHT, gap));
  row->Add(address_, wxSizerFlags(1).CenterVertical());
  row->AddSpacer(5);
  row->Add(open_, wxSizerFlags().CenterVertical());

  // With a start address the page loads at once; without one the browser shows an empty page.
  wxString first = setup_.startAddress.empty() ? wxString(wxWebViewDefaultURLStr) : setup_.startAddress;
  browser_ = setup_.createBrowser ? setup_.createBrowser(this, IDC_WEB_BROWSER, first)
                                  : MakeSystemBrowser(this, IDC_WEB_BROWSER, first);
  if (browser_) {
    browserArea_ = browser_;
    cookies_ = std::make_unique<BrowserCookies>(*browser_, setup_.siteAddress);
  } else {
    Trace("login browser: no web view could be made");
    auto* message = new wxStaticText(this, IDC_WEB_BROWSER, U8(kNoBrowserMessage));
    message->Wrap(ConvertDialogToPixels(wxSize(400, 0)).x);
    browserArea_ = message;
  }

  auto* all = new wxBoxSizer(wxVERTICAL);
  all->Add(row, wxSizerFlags().Expand().Border(wxTOP | wxBOTTOM, gap));
  all->Add(browserArea_, wxSizerFlags(1).Expand().Border(browser_ ? 0 : wxALL, 4 * gap));
  SetSizer(all);
  SetMinSize(ClientToWindowSize(ConvertDialogToPixels(wxSize(160, 80))));
}

void CDlgWebOpen::OpenAddress() {
  if (browser_) browser_->LoadURL(address_->GetValue());
}

void CDlgWebOpen::OnCharHook(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_ESCAPE) {
    Close();
    return;
  }
  event.Skip();
}

// Hidden at once; destroyed once the browser's cookies are merged a last time (or the read took too long),
// so the login reaches the program's requests and no browser is left running.
void CDlgWebOpen::OnClose(wxCloseEvent&) {
  if (closing_) return;
  closing_ = true;
  Hide();
  if (!cookies_) {
    Destroy();
    return;
  }
  lastMergeWait_.StartOnce(kLastMergeWaitMs);
  cookies_->Merge([this] {
    lastMergeWait_.Stop();
    Destroy();
  });
}

}  // namespace albatrix
