#include "MyCode/StreamInflater.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace albatrix {

namespace {
constexpr std::size_t kOutputPiece = 65536;
}

struct StreamInflater::Stream {
  z_stream zs{};
  bool ready = false;
  char output[kOutputPiece];
};

StreamInflater::StreamInflater() : stream_(std::make_unique<Stream>()) {
  // 15 + 32: a zlib or a gzip header is recognised by itself.
  stream_->ready = inflateInit2(&stream_->zs, 47) == Z_OK;
  if (!stream_->ready) state_ = State::Broken;
}

StreamInflater::~StreamInflater() {
  if (stream_->ready) inflateEnd(&stream_->zs);
}

StreamInflater::State StreamInflater::Feed(std::string_view input, const Consumer& consume) {
  z_stream& zs = stream_->zs;
  // A call that filled the output buffer may have more output pending inside zlib, even with no input.
  bool outputFull = false;
  while (state_ == State::More) {
    if (zs.avail_in == 0 && !input.empty()) {
      std::size_t piece = std::min<std::size_t>(input.size(), UINT_MAX);
      zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
      zs.avail_in = static_cast<uInt>(piece);
      input.remove_prefix(piece);
    }
    if (zs.avail_in == 0 && !outputFull) break;  // all of this input is decoded
    zs.next_out = reinterpret_cast<Bytef*>(stream_->output);
    zs.avail_out = kOutputPiece;
    int rc = inflate(&zs, Z_NO_FLUSH);
    std::size_t n = kOutputPiece - zs.avail_out;
    outputFull = zs.avail_out == 0;
    if (n > 0) {
      produced_ += n;
      if (!consume(std::string_view(stream_->output, n))) state_ = State::Stopped;
    }
    if (state_ != State::More) break;
    if (rc == Z_STREAM_END)
      state_ = State::End;
    else if (rc == Z_BUF_ERROR && zs.avail_in == 0)
      outputFull = false;  // nothing was pending after all; wait for more input
    else if (rc != Z_OK)
      state_ = State::Broken;
  }
  return state_;
}

}  // namespace albatrix
