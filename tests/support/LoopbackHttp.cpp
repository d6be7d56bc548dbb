#include "support/LoopbackHttp.h"

#include <curl/curl.h>

#include <cctype>
#include <memory>

#include "MyCode/StringCtrl.h"

namespace albatrix::test {
namespace {

std::size_t KeepBody(char* data, std::size_t size, std::size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

std::size_t KeepCookie(char* data, std::size_t size, std::size_t count, void* target) {
  std::string line(data, size * count);
  const std::string name = "set-cookie:";
  if (line.size() > name.size()) {
    std::string head = line.substr(0, name.size());
    for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (head == name) {
      std::string value = line.substr(name.size());
      value.erase(0, value.find_first_not_of(' '));
      value.erase(value.find_last_not_of("\r\n") + 1);
      static_cast<std::vector<std::string>*>(target)->push_back(value);
    }
  }
  return size * count;
}

}  // namespace

std::optional<HttpReply> HttpPost(const std::string& url, const std::string& body, const std::string& contentType) {
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) return std::nullopt;
  HttpReply reply;
  std::string type = "Content-Type: " + contentType;
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(curl_slist_append(nullptr, type.c_str()),
                                                                       curl_slist_free_all);
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(handle, CURLOPT_POST, 1L);
  curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, 60L);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, KeepBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &reply.body);
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, KeepCookie);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &reply.setCookies);
  if (curl_easy_perform(handle) != CURLE_OK) return std::nullopt;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &reply.status);
  return reply;
}

std::string QueryEscape(const std::string& text) {
  std::string escaped;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      escaped += static_cast<char>(c);
    } else {
      escaped += '%';
      AppendHex(escaped, c, 2);
    }
  }
  return escaped;
}

}  // namespace albatrix::test
