// What the fetcher's loopback tests share: a request as the crawlers make it, the names in a folder, and
// picture-like bytes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

#include "MyCode/URLSource2.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"

namespace albatrix::test {

// A page request to `target` on `server`, asking for gzip, with no pause between attempts.
inline UrlRequest PageRequest(const ScriptedServer& server, std::string_view target) {
  UrlRequest request(Utf8ToText(server.Url(target)), u"", 20000);
  request.extraHeaders = kAcceptGzipHeader;
  request.retryDelaySec = 0;  // tests of the pause set it themselves
  return request;
}

// The same request saving to `name` in `dir`, as a download worker would (no gzip asked).
inline UrlRequest PictureRequest(const ScriptedServer& server, std::string_view target, const TempDir& dir,
                                 const std::string& name) {
  UrlRequest request = PageRequest(server, target);
  request.extraHeaders.clear();
  request.targetFile = Utf8ToText(dir.file(name));
  return request;
}

inline std::vector<std::string> NamesIn(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.push_back(entry.path().filename().string());
  return names;
}

// A gzip stream that inflates to `megabytes` MiB of zeros, built without holding the plain data.
inline Bytes GzipBomb(std::size_t megabytes) {
  z_stream zs{};
  deflateInit2(&zs, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  Bytes zeros(1 << 20, '\0');
  Bytes out;
  char buffer[65536];
  for (std::size_t i = 0; i < megabytes; ++i) {
    zs.next_in = reinterpret_cast<Bytef*>(zeros.data());
    zs.avail_in = static_cast<uInt>(zeros.size());
    int flush = i + 1 == megabytes ? Z_FINISH : Z_NO_FLUSH;
    do {
      zs.next_out = reinterpret_cast<Bytef*>(buffer);
      zs.avail_out = sizeof buffer;
      deflate(&zs, flush);
      out.append(buffer, sizeof buffer - zs.avail_out);
    } while (zs.avail_out == 0);
  }
  deflateEnd(&zs);
  return out;
}

// Bytes that compress poorly and show any shift or loss.
inline Bytes Pattern(std::size_t size) {
  Bytes bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

}  // namespace albatrix::test
