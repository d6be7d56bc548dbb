#include "MyCode/CookieJar.h"

#include <cerrno>
#include <cstdlib>

#include "MyCode/FileSystem.h"
#include "MyCode/Trace.h"

namespace albatrix {

// libcurl's lock callbacks: one mutex per kind of shared data, so a thread reading cookies never waits for
// one that resolves a name, and the share's own bookkeeping has its own lock.
struct CookieJarLocking {
  static std::mutex* For(curl_lock_data data, void* user) {
    auto* jar = static_cast<CookieJar*>(user);
    auto index = static_cast<std::size_t>(data);
    return index < CURL_LOCK_DATA_LAST ? &jar->locks_[index] : &jar->locks_[0];
  }
  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* user) { For(data, user)->lock(); }
  static void Unlock(CURL*, curl_lock_data data, void* user) { For(data, user)->unlock(); }
};

namespace {

std::once_flag curlOnce;

bool IsFlag(std::string_view field) {
  return field == "TRUE" || field == "FALSE" || field == "true" || field == "false";
}

}  // namespace

void EnsureCurlInitialised() {
  std::call_once(curlOnce, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

std::string NetscapeCookieLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (line.empty()) return {};
  if (line[0] == '#' && line.substr(0, 10) != "#HttpOnly_") return {};
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (fields.size() < 7) {
    std::size_t tab = line.find('\t', pos);
    fields.push_back(line.substr(pos, tab == std::string_view::npos ? std::string_view::npos : tab - pos));
    if (tab == std::string_view::npos) break;
    pos = tab + 1;
  }
  // Six fields is a cookie with an empty value; anything past the seventh (SameSite) is ours to drop.
  if (fields.size() == 6) fields.emplace_back();
  if (fields.size() != 7 || fields[0].empty() || fields[5].empty()) return {};
  if (!IsFlag(fields[1]) || !IsFlag(fields[3])) return {};
  if (fields[4].empty() || fields[4].find_first_not_of("-0123456789") != std::string_view::npos) return {};
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += '\t';
    out += fields[i];
  }
  return out;
}

std::string CookieLine(const BrowserCookie& cookie) {
  std::string_view domain = cookie.domain;
  bool domainCookie = cookie.domainCookie;
  while (!domain.empty() && domain.front() == '.') {
    domain.remove_prefix(1);
    domainCookie = true;
  }
  std::string_view path = cookie.path.empty() ? std::string_view("/") : std::string_view(cookie.path);
  if (domain.empty() || cookie.name.empty()) return {};
  for (std::string_view field : {domain, path, std::string_view(cookie.name), std::string_view(cookie.value)})
    if (field.find_first_of("\t\r\n") != std::string_view::npos) return {};
  std::string line = cookie.httpOnly ? "#HttpOnly_" : "";
  if (domainCookie) line += '.';
  line += domain;
  line += domainCookie ? "\tTRUE\t" : "\tFALSE\t";
  line += path;
  line += cookie.secure ? "\tTRUE\t" : "\tFALSE\t";
  line += std::to_string(cookie.expires > 0 ? cookie.expires : 0);
  line += '\t';
  line += cookie.name;
  line += '\t';
  line += cookie.value;
  return line;
}

CookieJar& CookieJar::Instance() {
  // Never destroyed: worker threads may still be fetching while the process ends.
  static CookieJar* jar = new CookieJar;
  return *jar;
}

CookieJar::CookieJar() : file_(DefaultCookieFile()) {
  EnsureCurlInitialised();
  share_ = curl_share_init();
  curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, CookieJarLocking::Lock);
  curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, CookieJarLocking::Unlock);
  curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
  curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
}

void CookieJar::Attach(CURL* easy) {
  curl_easy_setopt(easy, CURLOPT_SHARE, share_);
  // Sharing the store does not switch the handle's cookie engine on; without it Set-Cookie replies
  // (the site's login) would never reach the store. "" reads no file.
  curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
}

void CookieJar::SetFile(Text path) {
  std::lock_guard<std::mutex> hold(fileLock_);
  file_ = std::move(path);
}

Text CookieJar::File() const {
  std::lock_guard<std::mutex> hold(fileLock_);
  return file_;
}

CURL* CookieJar::NewHandle() const {
  CURL* easy = curl_easy_init();
  if (easy) curl_easy_setopt(easy, CURLOPT_SHARE, share_);
  return easy;
}

void CookieJar::Commands(const std::vector<std::string>& commands) const {
  CURL* easy = NewHandle();
  if (!easy) return;
  for (const std::string& command : commands) curl_easy_setopt(easy, CURLOPT_COOKIELIST, command.c_str());
  curl_easy_cleanup(easy);
}

bool CookieJar::Load() {
  Text path = File();
  Bytes content;
  if (path.empty() || !ReadFileBytes(path, content, 16u << 20)) {
    Trace("cookie file cannot be read: " + TextToUtf8(path));
    return false;
  }
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < content.size()) {
    std::size_t eol = content.find('\n', pos);
    if (eol == Bytes::npos) eol = content.size();
    lines.emplace_back(content, pos, eol - pos);
    pos = eol + 1;
  }
  Merge(lines);
  return true;
}

bool CookieJar::PrepareFolder() const {
  Text path = File();
  std::size_t slash = path.find_last_of(kPathSep);
  if (slash == Text::npos || slash == 0) return false;
  TextView folder = TextView(path).substr(0, slash);
  if (!CreatePrivateFolder(folder)) {
    Trace("cookie folder cannot be made private: " + TextToUtf8(folder));
    return false;
  }
  return true;
}

bool CookieJar::Save() const {
  Text path = File();
  if (path.empty()) return false;
  std::size_t slash = path.find_last_of(kPathSep);
  if (slash != Text::npos && slash > 0 && !CreateFolders(TextView(path).substr(0, slash))) return false;
  std::string content = "# Netscape HTTP Cookie File\n";
  for (const std::string& line : Cookies()) content += line + "\n";
  if (WritePrivateFileReplacing(path, content)) return true;
  Trace("cookie file cannot be written: " + TextToUtf8(path));
  return false;
}

std::size_t CookieJar::Merge(const std::vector<std::string>& lines) {
  std::vector<std::string> taken;
  for (const std::string& line : lines) {
    std::string checked = NetscapeCookieLine(line);
    if (!checked.empty()) taken.push_back(std::move(checked));
  }
  Commands(taken);
  return taken.size();
}

void CookieJar::Clear() { Commands({"ALL"}); }

std::vector<std::string> CookieJar::Cookies() const {
  std::vector<std::string> out;
  CURL* easy = NewHandle();
  if (!easy) return out;
  curl_slist* list = nullptr;
  if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &list) == CURLE_OK) {
    for (curl_slist* item = list; item; item = item->next) out.emplace_back(item->data);
    curl_slist_free_all(list);
  }
  curl_easy_cleanup(easy);
  return out;
}

}  // namespace albatrix
