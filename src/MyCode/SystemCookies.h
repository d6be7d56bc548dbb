// The cookies the system's own web stack keeps. On Windows the login browser runs on the system's web
// engine, which keeps its logins in the system's cookie store (WinINet), not in our CookieJar: they are
// read from there and merged, so a login in the browser reaches the program's own requests. On other
// systems there is no such store (the login browser's WebKit cookies are read by the browser itself).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MyCode/CookieJar.h"

namespace albatrix {

// The host of an address ("http://my.hupu.com:8080/x" gives "my.hupu.com"), lower-cased; empty when the
// address has no "scheme://" before a host.
std::string AddressHost(std::string_view address);

// The cookies of a Cookie header the store answers with ("a=1; b=2"), as session cookies of `host` with
// path "/". A pair without "=" or with an empty name is skipped; values keep their bytes.
std::vector<BrowserCookie> CookiesFromHeader(const std::string& host, std::string_view header);

// What the system's store would send to `address`, HttpOnly cookies included, as a Cookie header; nullopt
// when the system has no such store or it holds nothing for the address.
std::optional<std::string> SystemCookieHeader(const std::string& address);

// Reads the system store's cookies for `address` and merges them into the CookieJar as session cookies
// of its host. Returns how many were taken (0 where the system keeps no such store).
std::size_t MergeSystemCookies(const std::string& address);

}  // namespace albatrix
