// The Windows half: the user's proxy settings as WinHTTP reads them (the ones Internet Options shows and
// the system's web engine, the login browser's, follows): automatic detection, a configuration script,
// a fixed proxy with its bypass list, tried in that order as the system's own programs do.
#include "MyCode/ProxyRoutes.h"

#include "MyCode/Win32.h"

#include <winhttp.h>

namespace albatrix {

namespace {

std::string Utf8(const wchar_t* text) {
  if (!text) return {};
  return TextToUtf8(FromWide(text, wcslen(text)));
}

std::string SystemError(const char* what) {
  return std::string(what) + " failed (error " + std::to_string(::GetLastError()) + ")";
}

}  // namespace

struct SystemProxies::Impl {
  bool read = false;          // the user's settings were read (once per run)
  std::string readTrouble;    // why they could not be
  bool autoDetect = false;
  std::wstring script;        // the configuration script's address
  std::string fixed;          // the fixed proxy list and its bypass list
  std::string bypass;
  bool detectFailed = false;  // no configuration was found on the network: not looked for again
  HINTERNET session = nullptr;

  ~Impl() {
    if (session) ::WinHttpCloseHandle(session);
  }

  void Read() {
    if (read) return;
    read = true;
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    if (!::WinHttpGetIEProxyConfigForCurrentUser(&config)) {
      readTrouble = SystemError("WinHttpGetIEProxyConfigForCurrentUser");
      return;
    }
    autoDetect = config.fAutoDetect;
    if (config.lpszAutoConfigUrl) script = config.lpszAutoConfigUrl;
    fixed = Utf8(config.lpszProxy);
    bypass = Utf8(config.lpszProxyBypass);
    for (wchar_t* text : {config.lpszAutoConfigUrl, config.lpszProxy, config.lpszProxyBypass})
      if (text) ::GlobalFree(text);
  }

  // The script's (or the detected script's) answer for `url`: true with `lookup` filled when there was
  // one, false with the trouble added when there was none.
  bool Automatic(const std::wstring& url, const std::string& scheme, bool detect, ProxyLookup& lookup) {
    if (!session) session = ::WinHttpOpen(L"Albatrix", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                          WINHTTP_NO_PROXY_BYPASS, 0);
    auto trouble = [&](const std::string& why) {
      lookup.trouble += (lookup.trouble.empty() ? "" : "; ") + why;
      return false;
    };
    if (!session) return trouble(SystemError("WinHttpOpen"));
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (detect) {
      options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
      options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    } else {
      options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
      options.lpszAutoConfigUrl = script.c_str();
    }
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info{};
    if (!::WinHttpGetProxyForUrl(session, url.c_str(), &options, &info))
      return trouble(SystemError(detect ? "automatic proxy detection" : "the proxy configuration script"));
    const std::string list = Utf8(info.lpszProxy);
    const std::string scriptBypass = Utf8(info.lpszProxyBypass);
    for (wchar_t* text : {info.lpszProxy, info.lpszProxyBypass})
      if (text) ::GlobalFree(text);
    lookup.proxy.clear();
    if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && !BypassedByList(scriptBypass, HostOf(url)))
      lookup.proxy = ProxyFromWinHttpList(list, scheme);
    return true;
  }

  static std::string HostOf(const std::wstring& url) { return RouteHost(RouteKey(Utf8(url.c_str()))); }
};

SystemProxies::SystemProxies() : impl_(std::make_unique<Impl>()) {}
SystemProxies::~SystemProxies() = default;

ProxyLookup SystemProxies::Lookup(const std::string& url) {
  Impl& s = *impl_;
  s.Read();
  ProxyLookup lookup;
  if (!s.readTrouble.empty()) return {{}, s.readTrouble};
  const std::string key = RouteKey(url);
  const std::string scheme = key.substr(0, key.find("://"));
  const std::wstring wide = WideText(Utf8ToText(url));
  if (s.autoDetect && !s.detectFailed) {
    if (s.Automatic(wide, scheme, true, lookup)) return lookup;
    s.detectFailed = true;
  }
  if (!s.script.empty() && s.Automatic(wide, scheme, false, lookup)) return lookup;
  if (!s.fixed.empty() && !BypassedByList(s.bypass, RouteHost(key))) lookup.proxy = ProxyFromWinHttpList(s.fixed, scheme);
  return lookup;
}

}  // namespace albatrix
