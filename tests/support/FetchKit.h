// What the fetcher's loopback tests share: a request as the crawlers make it, and picture-like bytes.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "MyCode/URLSource2.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"

namespace albatrix::test {

// A page request to `url`, asking for gzip, with no pause between attempts.
inline UrlRequest PageRequest(const std::string& url) {
  UrlRequest request(Utf8ToText(url), u"", 20000);
  request.extraHeaders = kAcceptGzipHeader;
  request.retryDelaySec = 0;  // tests of the pause set it themselves
  return request;
}
inline UrlRequest PageRequest(const ScriptedServer& server, std::string_view target) {
  return PageRequest(server.Url(target));
}

// A request of `url` saving to `name` in `dir`, as a download worker makes it (no gzip asked).
inline UrlRequest PictureRequest(const std::string& url, const TempDir& dir, const std::string& name) {
  UrlRequest request = PageRequest(url);
  request.extraHeaders.clear();
  request.targetFile = Utf8ToText(dir.file(name));
  return request;
}
inline UrlRequest PictureRequest(const ScriptedServer& server, std::string_view target, const TempDir& dir,
                                 const std::string& name) {
  return PictureRequest(server.Url(target), dir, name);
}

// How long a fetch took, for the tests that bound its wait.
inline double SecondsSince(std::chrono::steady_clock::time_point began) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
}

// Bytes that compress poorly and show any shift or loss.
inline Bytes Pattern(std::size_t size) {
  Bytes bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

}  // namespace albatrix::test
