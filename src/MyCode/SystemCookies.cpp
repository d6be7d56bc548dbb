#include "MyCode/SystemCookies.h"

#include "MyCode/Trace.h"

namespace albatrix {

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string AddressHost(std::string_view address) {
  std::size_t scheme = address.find("://");
  if (scheme == std::string_view::npos) return {};
  std::string_view rest = address.substr(scheme + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  if (std::size_t at = rest.rfind('@'); at != std::string_view::npos) rest.remove_prefix(at + 1);
  if (!rest.empty() && rest.front() == '[') {
    rest = rest.substr(0, rest.find(']') + 1);  // an IPv6 literal keeps its colons
  } else {
    rest = rest.substr(0, rest.find(':'));
  }
  std::string host(rest);
  for (char& c : host)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return host;
}

std::vector<BrowserCookie> CookiesFromHeader(const std::string& host, std::string_view header) {
  std::vector<BrowserCookie> cookies;
  while (!header.empty()) {
    std::size_t end = header.find(';');
    std::string_view pair = Trimmed(header.substr(0, end));
    header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
    std::size_t equals = pair.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view name = Trimmed(pair.substr(0, equals));
    if (name.empty()) continue;
    BrowserCookie cookie;
    cookie.domain = host;
    cookie.name = std::string(name);
    cookie.value = std::string(Trimmed(pair.substr(equals + 1)));
    cookies.push_back(std::move(cookie));
  }
  return cookies;
}

std::size_t MergeSystemCookies(const std::string& address) {
  std::string host = AddressHost(address);
  if (host.empty()) return 0;
  std::optional<std::string> header = SystemCookieHeader(address);
  if (!header) return 0;
  std::vector<std::string> lines;
  for (const BrowserCookie& cookie : CookiesFromHeader(host, *header)) {
    std::string line = CookieLine(cookie);
    if (!line.empty()) lines.push_back(std::move(line));
  }
  std::size_t taken = CookieJar::Instance().Merge(lines);
  Trace("system cookies: " + std::to_string(taken) + " taken for " + host);
  return taken;
}

}  // namespace albatrix
