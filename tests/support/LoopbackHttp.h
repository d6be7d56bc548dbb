// One plain HTTP request to a server on loopback, for the tests' own use (logging in, driving a site in
// another process), independent of the fetcher under test.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace albatrix::test {

struct HttpReply {
  long status = 0;
  std::string body;
  std::vector<std::string> setCookies;  // every Set-Cookie value, in order
};

// POSTs `body` (as `contentType`) to `url`, never through a proxy; nothing when no reply came.
std::optional<HttpReply> HttpPost(const std::string& url, const std::string& body,
                                  const std::string& contentType = "application/x-www-form-urlencoded");

// `text` escaped for a query string.
std::string QueryEscape(const std::string& text);

}  // namespace albatrix::test
