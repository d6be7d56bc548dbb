// The Windows half: the WinINet store, where the system's web engine (the login browser) keeps cookies.
#include "MyCode/SystemCookies.h"

#include "MyCode/Win32.h"

#include <wininet.h>

namespace albatrix {

std::optional<std::string> SystemCookieHeader(const std::string& address) {
  std::wstring url = WideText(Utf8ToText(address));
  // HttpOnly cookies are the login's own (the session cookie is one); without the flag the store leaves
  // them out, as it does for a page's scripts.
  DWORD size = 0;
  if (!::InternetGetCookieExW(url.c_str(), nullptr, nullptr, &size, INTERNET_COOKIE_HTTPONLY, nullptr) || size == 0)
    return std::nullopt;
  // `size` is in bytes on some systems and characters on others: bytes is the larger reading.
  std::wstring cookies(size / sizeof(wchar_t) + size + 1, L'\0');
  DWORD capacity = static_cast<DWORD>(cookies.size());
  if (!::InternetGetCookieExW(url.c_str(), nullptr, cookies.data(), &capacity, INTERNET_COOKIE_HTTPONLY, nullptr))
    return std::nullopt;
  cookies.resize(wcsnlen(cookies.c_str(), cookies.size()));
  if (cookies.empty()) return std::nullopt;
  return TextToUtf8(FromWide(cookies.data(), cookies.size()));
}

}  // namespace albatrix
