// The cookie store: one process-wide libcurl share that every fetch attempt uses, so the session cookies
// the user got by logging in (the login browser's cookie file) go with the program's own requests, and
// cookies the site sets are kept for the next request. It lives until the process ends (never torn down,
// so threads still fetching while the program exits do not touch a freed share).
#pragma once

#include <curl/curl.h>

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

class CookieJar {
 public:
  // "The cookie store" of the process. Its file starts as DefaultCookieFile(); nothing is loaded until
  // Load is called.
  static CookieJar& Instance();

  // Makes `easy` send and keep cookies through this store.
  void Attach(CURL* easy);

  void SetFile(Text path);
  Text File() const;

  // Adds every cookie of the file (merging: a cookie with the same domain, path and name is replaced).
  // May be called again at any time to pick up what the login browser wrote. False when the file cannot
  // be read; cookies already held stay.
  bool Load();
  // Writes every cookie held to the file in Netscape format, mode 0600, through a temporary file renamed
  // into place (creating the folder when missing). False when it cannot be written.
  bool Save() const;
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
  std::mutex locks_[CURL_LOCK_DATA_LAST];  // one per kind of data libcurl locks (share, cookie, ...)
  mutable std::mutex fileLock_;
  Text file_;

  friend struct CookieJarLocking;
};

}  // namespace albatrix
