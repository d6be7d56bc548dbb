// The cookie store: one process-wide libcurl share that every fetch attempt uses, so the session cookies
// the user got by logging in (the login browser's cookie file) go with the program's own requests, and
// cookies the site sets are kept for the next request. The same share (an easy handle takes only one)
// holds the process's name lookups. It lives until the process ends (never torn down, so threads still
// fetching while the program exits do not touch a freed share).
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// libcurl's process-wide initialisation, done once whichever thread comes first.
void EnsureCurlInitialised();

// The per-user cookie file: $XDG_DATA_HOME/albatrix/cookies.txt, or ~/.local/share/albatrix/cookies.txt
// when XDG_DATA_HOME is unset, empty or relative; "%APPDATA%\Albatrix\cookies.txt" on Windows. Empty
// when the system names no such folder. (Made by the platform's half of UserFolders.)
Text DefaultCookieFile();

// One cookie line of a Netscape/Mozilla cookie file in the 7-field form libcurl takes (domain, subdomain
// flag, path, secure flag, expiry, name, value, tab-separated; "#HttpOnly_" before the domain kept). Extra
// columns (WebKit writes an eighth, SameSite) are dropped. Empty for comments, blank and malformed lines.
std::string NetscapeCookieLine(std::string_view line);

// One cookie as the login browser holds it.
struct BrowserCookie {
  std::string domain;          // the host it came from, or the domain it is for ("example.com", ".example.com")
  bool domainCookie = false;   // also sent to every host under `domain`; a leading "." on `domain` says so too
  std::string path = "/";
  std::string name;
  std::string value;
  bool secure = false;
  bool httpOnly = false;
  std::int64_t expires = 0;    // seconds since 1970; 0 for a session cookie, which lasts as long as the program
};

// The cookie as one line the store takes (the 7-field Netscape form): a session cookie gets expiry 0, an
// HttpOnly one the "#HttpOnly_" prefix, a domain cookie the leading "." and the subdomain flag TRUE.
// Empty when the cookie cannot be written as one line: no domain or name, or a tab or line break in any
// field (a page may set such a value; written out, it would forge further fields or cookies).
std::string CookieLine(const BrowserCookie& cookie);

class CookieJar {
 public:
  // "The cookie store" of the process. Its file starts as DefaultCookieFile(); nothing is loaded until
  // Load is called.
  static CookieJar& Instance();

  // Makes `easy` send and keep cookies through this store, and look names up through the process's cache.
  void Attach(CURL* easy);

  void SetFile(Text path);
  Text File() const;

  // Makes the file's folder private (created with mode 0700, or narrowed to it) before the login browser
  // keeps its cookies in the file: the browser creates the file readable by everyone, and it holds logins.
  // False when there is no file or its folder cannot be made private.
  bool PrepareFolder() const;

  // Adds every cookie of the file (merging: a cookie with the same domain, path and name is replaced).
  // May be called again at any time to pick up what the login browser wrote. False when the file cannot
  // be read; cookies already held stay.
  bool Load();
  // Writes every cookie held to the file in Netscape format, mode 0600, through a temporary file renamed
  // into place (creating the folder when missing). False when it cannot be written.
  bool Save() const;
  // Adds the login browser's cookies, one Netscape line each (CookieLine): a cookie with the same name,
  // domain and path as one held replaces it, whether the site or the file set that one. Malformed lines
  // are skipped. Returns how many lines were taken. The file is not touched: the browser writes it.
  std::size_t Merge(const std::vector<std::string>& lines);
  // Forgets every cookie held (the file is not touched).
  void Clear();

  // The cookies held, one Netscape line each (for inspection and tests).
  std::vector<std::string> Cookies() const;

  CookieJar(const CookieJar&) = delete;
  CookieJar& operator=(const CookieJar&) = delete;

 private:
  CookieJar();
  ~CookieJar() = default;  // never run: the store lives as long as the process
  // Runs CURLOPT_COOKIELIST commands ("ALL", "Set-Cookie: ...", Netscape lines) against the store.
  void Commands(const std::vector<std::string>& commands) const;
  // A bare easy handle on the store, for commands and listing; the caller cleans it up.
  CURL* NewHandle() const;

  CURLSH* share_;
  std::mutex locks_[CURL_LOCK_DATA_LAST];  // one per kind of data libcurl locks (share, cookie, DNS)
  mutable std::mutex fileLock_;
  Text file_;

  friend struct CookieJarLocking;
};

}  // namespace albatrix
