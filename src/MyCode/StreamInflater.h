// gzip or zlib decompression a piece at a time, for replies that are decoded while they arrive: only the
// inflate window and one output buffer are held, however large the stream is or inflates to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace albatrix {

class StreamInflater {
 public:
  enum class State {
    More,     // the stream wants more input
    End,      // the stream ended properly; input after its end is ignored
    Stopped,  // the output consumer asked to stop
    Broken,   // the data is not a gzip or zlib stream, or it is corrupt
  };
  // Takes each piece of output in order; false stops the decoding (State::Stopped).
  using Consumer = std::function<bool(std::string_view)>;

  StreamInflater();  // the header (gzip or zlib) is recognised by itself
  ~StreamInflater();
  StreamInflater(const StreamInflater&) = delete;
  StreamInflater& operator=(const StreamInflater&) = delete;

  // Decodes `input`, handing every piece of output to `consume`. Once the state is not More, further
  // input is ignored and the state stays.
  State Feed(std::string_view input, const Consumer& consume);

  State state() const { return state_; }
  std::uint64_t produced() const { return produced_; }  // output bytes handed out so far

 private:
  struct Stream;
  std::unique_ptr<Stream> stream_;
  State state_ = State::More;
  std::uint64_t produced_ = 0;
};

}  // namespace albatrix
