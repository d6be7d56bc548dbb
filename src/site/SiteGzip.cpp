#include "site/SiteGzip.h"

#include <zlib.h>


namespace albatrix {
namespace {

// Feeds `input` to a raw deflate stream with `flush` and returns what it produced.
std::string DeflateStep(z_stream& stream, std::string_view input, int flush) {
  std::string out;
  char buffer[16384];
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  do {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    deflate(&stream, flush);
    out.append(buffer, sizeof buffer - stream.avail_out);
  } while (stream.avail_out == 0 || stream.avail_in > 0);
  return out;
}

void AppendLe32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

const char kGzipHeader[] = {'\x1f', '\x8b', 8, 0, 0, 0, 0, 0, 0, 3};

}  // namespace

std::string GzipBytes(std::string_view data) {
  z_stream stream{};
  deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(kGzipHeader, sizeof kGzipHeader);
  out += DeflateStep(stream, data, Z_FINISH);
  deflateEnd(&stream);
  AppendLe32(out, static_cast<std::uint32_t>(
                      crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()))));
  AppendLe32(out, static_cast<std::uint32_t>(data.size()));
  return out;
}

std::string GzipBomb(std::uint64_t inflatedBytes) {
  // After a full flush the compressor starts afresh, so every further megabyte of zeros compresses to the
  // very same bytes: compress two, repeat the second, and finish the stream after them.
  const std::size_t kChunk = 1 << 20;
  const std::string zeros(kChunk, '\0');
  std::uint64_t chunks = inflatedBytes / kChunk;
  std::size_t rest = static_cast<std::size_t>(inflatedBytes % kChunk);
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  std::string out(kGzipHeader, sizeof kGzipHeader);
  uLong zeroCrc = crc32(0L, reinterpret_cast<const Bytef*>(zeros.data()), static_cast<uInt>(kChunk));
  uLong crc = crc32(0L, Z_NULL, 0);
  if (chunks > 0) {
    out += DeflateStep(stream, zeros, Z_FULL_FLUSH);
    crc = crc32_combine(crc, zeroCrc, kChunk);
  }
  if (chunks > 1) {
    std::string repeated = DeflateStep(stream, zeros, Z_FULL_FLUSH);
    for (std::uint64_t i = 1; i < chunks; ++i) {
      out += repeated;
      crc = crc32_combine(crc, zeroCrc, kChunk);
    }
  }
  out += DeflateStep(stream, std::string_view(zeros.data(), rest), Z_FINISH);
  deflateEnd(&stream);
  crc = crc32_combine(crc, crc32(0L, reinterpret_cast<const Bytef*>(zeros.data()), static_cast<uInt>(rest)),
                      static_cast<z_off_t>(rest));
  AppendLe32(out, static_cast<std::uint32_t>(crc));
  AppendLe32(out, static_cast<std::uint32_t>(inflatedBytes & 0xFFFFFFFFu));
  return out;
}

}  // namespace albatrix
