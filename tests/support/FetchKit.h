// What the fetcher's loopback tests share: a request as the crawlers make it, and picture-like bytes.
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

// A gzip stream that inflates to `megabytes` MiB of zeros, made without compressing them all: after a
// full flush the deflate blocks of one MiB of zeros refer to nothing before them, so the stream is those
// bytes repeated between a gzip header and a trailer whose checksum is combined arithmetically.
inline Bytes GzipBomb(std::size_t megabytes) {
  const Bytes zeros(1 << 20, '\0');
  z_stream zs{};
  deflateInit2(&zs, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);  // raw deflate: we write the wrapper
  auto squeeze = [&](const char* in, std::size_t size, int flush) {
    Bytes out;
    char buffer[65536];
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in));
    zs.avail_in = static_cast<uInt>(size);
    do {
      zs.next_out = reinterpret_cast<Bytef*>(buffer);
      zs.avail_out = sizeof buffer;
      deflate(&zs, flush);
      out.append(buffer, sizeof buffer - zs.avail_out);
    } while (zs.avail_out == 0);
    return out;
  };
  const Bytes block = squeeze(zeros.data(), zeros.size(), Z_FULL_FLUSH);
  const Bytes last = squeeze(nullptr, 0, Z_FINISH);
  deflateEnd(&zs);

  const uLong blockCrc = crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), static_cast<uInt>(zeros.size()));
  uLong crc = crc32(0, nullptr, 0);
  Bytes out("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10);
  out.reserve(10 + block.size() * megabytes + last.size() + 8);
  for (std::size_t i = 0; i < megabytes; ++i) {
    out += block;
    crc = crc32_combine(crc, blockCrc, static_cast<z_off_t>(zeros.size()));
  }
  out += last;
  const std::uint32_t size = static_cast<std::uint32_t>((static_cast<std::uint64_t>(megabytes) << 20) & 0xFFFFFFFFu);
  for (std::uint32_t word : {static_cast<std::uint32_t>(crc), size})
    for (int i = 0; i < 4; ++i) out += static_cast<char>((word >> (8 * i)) & 0xFF);
  return out;
}

// Bytes that compress poorly and show any shift or loss.
inline Bytes Pattern(std::size_t size) {
  Bytes bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

}  // namespace albatrix::test
