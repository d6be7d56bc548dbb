#include "support/Compress.h"

#include <zlib.h>

#include <stdexcept>

namespace albatrix::test {

std::string Compress(std::string_view plain, bool gzip) {
  z_stream zs{};
  if (deflateInit2(&zs, 9, Z_DEFLATED, gzip ? 31 : 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2 failed");
  std::string out(deflateBound(&zs, plain.size()) + 64, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  zs.avail_in = static_cast<uInt>(plain.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  int rc = deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  if (rc != Z_STREAM_END) throw std::runtime_error("deflate failed");
  return out;
}

}  // namespace albatrix::test
