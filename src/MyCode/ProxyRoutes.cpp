#include "MyCode/ProxyRoutes.h"

#include <algorithm>
#include <cctype>

#include "MyCode/Trace.h"

namespace albatrix {

namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The pieces of `text` between any of `separators`, blanks trimmed, empty ones left out.
std::vector<std::string> Pieces(std::string_view text, std::string_view separators) {
  std::vector<std::string> pieces;
  std::string piece;
  auto flush = [&] {
    if (!piece.empty()) pieces.push_back(piece);
    piece.clear();
  };
  for (char c : text) {
    if (separators.find(c) != std::string_view::npos || IsBlank(c))
      flush();
    else
      piece += c;
  }
  flush();
  return pieces;
}

// The kinds of proxy libcurl speaks, by the scheme that names them.
bool CurlSpeaks(std::string_view scheme) {
  static const char* const kinds[] = {"http", "https", "socks4", "socks4a", "socks5", "socks5h"};
  return std::find(std::begin(kinds), std::end(kinds), scheme) != std::end(kinds);
}

// `proxy` ("scheme://host[:port][/]") as libcurl takes it: the scheme lower-cased, a trailing '/' dropped.
// "socks://", the desktop's word for a SOCKS proxy of no stated version, is SOCKS5. Empty when libcurl
// cannot use it or it names no host.
std::string CurlProxy(std::string_view proxy) {
  const std::size_t colon = proxy.find("://");
  if (colon == std::string_view::npos) return {};
  std::string scheme = Lower(proxy.substr(0, colon));
  if (scheme == "socks") scheme = "socks5";
  std::string rest(proxy.substr(colon + 3));
  while (!rest.empty() && rest.back() == '/') rest.pop_back();
  if (!CurlSpeaks(scheme) || rest.empty() || rest.front() == ':' || rest.find('/') != std::string::npos) return {};
  return scheme + "://" + rest;
}

// Whether `text` matches `pattern`, in which '*' stands for any run of characters; case ignored.
bool WildcardMatch(std::string_view pattern, std::string_view text) {
  std::size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() &&
               std::tolower(static_cast<unsigned char>(pattern[p])) == std::tolower(static_cast<unsigned char>(text[t]))) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

ProxyOption ParseProxyOption(const std::string& value) {
  ProxyOption option;
  if (Lower(value) == "none") {
    option.choice.kind = ProxyChoice::Kind::None;
    return option;
  }
  const std::string proxy = CurlProxy(value.find("://") == std::string::npos ? "http://" + value : value);
  if (value.empty() || proxy.empty()) {
    option.error = "--proxy needs none or a proxy address such as http://host:port, not '" + value + "'";
    return option;
  }
  option.choice = {ProxyChoice::Kind::Fixed, proxy};
  return option;
}

std::string RouteKey(std::string_view url) {
  const std::size_t colon = url.find("://");
  if (colon == std::string_view::npos) return {};
  std::string_view authority = url.substr(colon + 3);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  std::string_view host = authority;
  if (!host.empty() && host.front() == '[')
    host = host.substr(0, host.find(']') == std::string_view::npos ? host.size() : host.find(']') + 1);
  else
    host = host.substr(0, host.find(':'));
  if (host.empty()) return {};
  return Lower(url.substr(0, colon)) + "://" + Lower(host);
}

std::string RouteHost(std::string_view routeKey) {
  const std::size_t colon = routeKey.find("://");
  std::string_view host = colon == std::string_view::npos ? routeKey : routeKey.substr(colon + 3);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  return std::string(host);
}

bool IsLoopbackHost(std::string_view host) {
  std::string name = Lower(host);
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
  if (name == "localhost" || name == "::1") return true;
  if (name.size() > 10 && name.compare(name.size() - 10, 10, ".localhost") == 0) return true;
  // Four decimal numbers, the first 127.
  const std::vector<std::string> parts = Pieces(name, ".");
  if (parts.size() != 4 || name.front() == '.' || name.back() == '.' || name.find("..") != std::string::npos)
    return false;
  for (const std::string& part : parts) {
    if (part.empty() || part.size() > 3 || !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return false;
    if (std::stoi(part) > 255) return false;
  }
  return parts[0] == "127";
}

ProxyLookup FirstUsableProxy(const std::vector<std::string>& answers) {
  ProxyLookup lookup;
  for (const std::string& answer : answers) {
    if (Lower(answer).rfind("direct://", 0) == 0) return lookup;
    if (std::string proxy = CurlProxy(answer); !proxy.empty()) {
      lookup.proxy = proxy;
      return lookup;
    }
    if (!lookup.trouble.empty()) lookup.trouble += ", ";
    lookup.trouble += "cannot use the proxy '" + answer + "'";
  }
  if (answers.empty()) lookup.trouble = "no answer";
  return lookup;
}

std::string ProxyFromWinHttpList(std::string_view list, std::string_view scheme) {
  std::string forScheme, forAll, socks;
  const std::string wanted = Lower(scheme);
  for (const std::string& entry : Pieces(list, ";")) {
    const std::size_t equals = entry.find('=');
    const std::string key = equals == std::string::npos ? std::string() : Lower(entry.substr(0, equals));
    const std::string value = equals == std::string::npos ? entry : entry.substr(equals + 1);
    if (value.empty()) continue;
    // A proxy for https requests is still spoken to in plain http (a CONNECT tunnel), as for http ones.
    const std::string proxy = CurlProxy(value.find("://") == std::string::npos ? "http://" + value : value);
    if (proxy.empty()) continue;
    if (equals == std::string::npos) {
      if (forAll.empty()) forAll = proxy;
    } else if (key == wanted) {
      if (forScheme.empty()) forScheme = proxy;
    } else if (key == "socks" && socks.empty()) {
      const std::size_t colon = value.find("://");
      socks = CurlProxy("socks4://" + (colon == std::string::npos ? value : value.substr(colon + 3)));
    }
  }
  if (!forScheme.empty()) return forScheme;
  if (!forAll.empty()) return forAll;
  return socks;
}

bool BypassedByList(std::string_view bypass, std::string_view host) {
  for (std::string entry : Pieces(bypass, ";,")) {
    if (Lower(entry) == "<local>") {
      if (host.find('.') == std::string_view::npos && host.find(':') == std::string_view::npos) return true;
      continue;
    }
    if (const std::size_t colon = entry.find("://"); colon != std::string::npos) entry.erase(0, colon + 3);
    if (WildcardMatch(entry, host)) return true;
  }
  return false;
}

ProxyRoutes::ProxyRoutes() = default;
ProxyRoutes::~ProxyRoutes() = default;

void ProxyRoutes::Choose(ProxyChoice choice) {
  // The system's settings are read afresh after a choice: what was read before may have changed since.
  std::lock_guard<std::mutex> asking(askLock_);
  system_.reset();
  std::lock_guard<std::mutex> hold(lock_);
  switch (choice.kind) {
    case ProxyChoice::Kind::System: Trace("proxy: the system's settings, asked once per host"); break;
    case ProxyChoice::Kind::None: Trace("proxy: none, every request goes directly (--proxy none)"); break;
    case ProxyChoice::Kind::Fixed: Trace("proxy: every request but to loopback goes through " + choice.proxy + " (--proxy)"); break;
  }
  choice_ = std::move(choice);
  known_.clear();
}

bool ProxyRoutes::FollowsSystem() {
  std::lock_guard<std::mutex> hold(lock_);
  return choice_.kind == ProxyChoice::Kind::System;
}

ProxyChoice ProxyRoutes::Choice() {
  std::lock_guard<std::mutex> hold(lock_);
  return choice_;
}

std::string ProxyRoutes::ProxyFor(std::string_view url) {
  const std::string key = RouteKey(url);
  if (key.empty() || IsLoopbackHost(RouteHost(key))) return {};
  auto known = [&]() -> const std::string* {
    auto it = known_.find(key);
    return it == known_.end() ? nullptr : &it->second;
  };
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (choice_.kind == ProxyChoice::Kind::None) return {};
    if (choice_.kind == ProxyChoice::Kind::Fixed) return choice_.proxy;
    if (const std::string* proxy = known()) return *proxy;
  }
  std::lock_guard<std::mutex> asking(askLock_);
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (const std::string* proxy = known()) return *proxy;  // answered while this one waited its turn
  }
  if (!system_) system_ = std::make_unique<SystemProxies>();
  const ProxyLookup answer = system_->Lookup(std::string(url));
  if (!answer.trouble.empty()) Trace("proxy: the system's settings for " + key + ": " + answer.trouble);
  Trace("proxy: " + key + (answer.proxy.empty() ? " goes directly" : " goes through " + answer.proxy) +
        " (the system's settings)");
  std::lock_guard<std::mutex> hold(lock_);
  known_[key] = answer.proxy;
  return answer.proxy;
}

}  // namespace albatrix
