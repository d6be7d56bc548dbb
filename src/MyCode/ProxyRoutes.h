// The way out to the network for the program's own requests: the system's proxy settings, which the login
// browser follows too (libproxy on Linux: the desktop's settings, and http_proxy, https_proxy and no_proxy;
// WinHTTP's view of the user's settings on Windows: a fixed proxy with its bypass list, a configuration
// script, or automatic detection), or the one --proxy chose in their place. A loopback host
// (127.0.0.0/8, ::1, localhost) never goes through a proxy, whatever either says.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace albatrix {

// What the program was told to use.
struct ProxyChoice {
  enum class Kind { System, None, Fixed };
  Kind kind = Kind::System;
  std::string proxy;  // Fixed: the proxy as libcurl takes it ("http://host:port", "socks5://host:port")
};

// --proxy's value read: "none", or a proxy address with one of the schemes libcurl speaks (http, https,
// socks4, socks4a, socks5, socks5h) and a host; a bare "host:port" is an http proxy.
struct ProxyOption {
  ProxyChoice choice;
  std::string error;  // why the value is neither; empty when `choice` holds
};
ProxyOption ParseProxyOption(const std::string& value);

// "scheme://host" of an http or https address, lower-cased, without user, port or path: what a route is
// remembered by. Empty when the address has no host.
std::string RouteKey(std::string_view url);

// The host of a RouteKey (without brackets for IPv6).
std::string RouteHost(std::string_view routeKey);

// 127.0.0.0/8 written as four numbers, ::1, localhost and names under .localhost (which resolve to
// loopback without asking anyone).
bool IsLoopbackHost(std::string_view host);

// What the system says about one address.
struct ProxyLookup {
  std::string proxy;    // as libcurl takes it; empty: connect directly
  std::string trouble;  // why the system's answer could not be had or used (then direct), for a trace
};

// libproxy's answer, proxies in the order to try: the first one libcurl can use; "direct://" is no proxy.
// An answer that names only proxies of kinds libcurl lacks (ftp://, a pac+ or wpad:// that was not
// resolved) is direct with the trouble said.
ProxyLookup FirstUsableProxy(const std::vector<std::string>& answers);

// WinHTTP's proxy list for a request of `scheme` ("http" or "https"): "host:port" serves every scheme;
// "http=host:port;https=host:port;socks=host:port" names one per scheme (socks for any scheme without
// its own, as SOCKS4, the kind the system means); entries are separated by ';' or white space and the
// first usable one stands. Empty when none serves `scheme`.
std::string ProxyFromWinHttpList(std::string_view list, std::string_view scheme);

// Whether WinHTTP's bypass list (entries separated by ';', ',' or white space; '*' matching any run of
// characters, case ignored; "<local>" for every host name without a dot) names `host`.
bool BypassedByList(std::string_view bypass, std::string_view host);

// The system's settings, asked one address at a time (the platform's half: ProxyRoutesPosix.cpp,
// ProxyRoutesWindows.cpp). An answer may take a while (a configuration script, a detection on the local
// network); the caller asks once per host and never from two threads at once.
class SystemProxies {
 public:
  SystemProxies();
  ~SystemProxies();
  SystemProxies(const SystemProxies&) = delete;
  SystemProxies& operator=(const SystemProxies&) = delete;
  ProxyLookup Lookup(const std::string& url);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The routes of one program run: each scheme and host is asked of the system once, at its first
// request, and the answer kept for the rest of the run. Any thread may ask.
class ProxyRoutes {
 public:
  ProxyRoutes();
  ~ProxyRoutes();
  // Replaces the choice and forgets every answer kept; the system's settings are read again at the next
  // request. The front ends call it before the first request.
  void Choose(ProxyChoice choice);
  // The proxy for `url` (as libcurl takes it); empty: direct.
  std::string ProxyFor(std::string_view url);
  // Whether `ProxyFor` follows the system (no --proxy in its place).
  bool FollowsSystem();
  ProxyChoice Choice();

 private:
  std::mutex lock_;        // the choice and the answers kept
  std::mutex askLock_;     // one question to the system at a time; cached answers never wait on it
  ProxyChoice choice_;
  std::map<std::string, std::string> known_;  // by RouteKey
  std::unique_ptr<SystemProxies> system_;     // made at the first question, kept for the run
};

}  // namespace albatrix
