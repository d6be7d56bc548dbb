// Decompression a piece at a time: the same output however the input is cut, nothing left inside zlib
// at the end, and the ways a stream stops.
#include "MyCode/StreamInflater.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Compress.h"

namespace albatrix {
namespace {

std::string Varied(std::size_t size) {
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) text += "line " + std::to_string(i * 7919 % 100003) + "\n";
  text.resize(size);
  return text;
}

TEST(StreamInflater, SameOutputHoweverTheInputIsCut) {
  // Highly compressible text: one input byte gives far more output than one output buffer holds.
  const std::string plain = Varied(300000) + std::string(2 << 20, 'z');
  for (bool gzip : {true, false}) {
    const std::string packed = test::Compress(plain, gzip);
    for (std::size_t cut : {std::size_t{1}, std::size_t{7}, std::size_t{4096}, packed.size()}) {
      StreamInflater inflater;
      std::string out;
      std::size_t calls = 0;
      auto take = [&](std::string_view piece) {
        out.append(piece);
        ++calls;
        return true;
      };
      StreamInflater::State state = StreamInflater::State::More;
      for (std::size_t at = 0; at < packed.size(); at += cut)
        state = inflater.Feed(std::string_view(packed).substr(at, cut), take);
      EXPECT_EQ(state, StreamInflater::State::End) << gzip << " " << cut;
      EXPECT_EQ(out.size(), plain.size()) << gzip << " " << cut;
      EXPECT_TRUE(out == plain) << gzip << " " << cut;
      EXPECT_EQ(inflater.produced(), plain.size());
      EXPECT_GT(calls, 1u);
      // Whatever follows the end of the stream is not decoded.
      EXPECT_EQ(inflater.Feed("trailing junk", take), StreamInflater::State::End);
      EXPECT_EQ(out.size(), plain.size());
    }
  }
}

TEST(StreamInflater, StopsWhenToldBrokenOnBadDataAndWaitsOnATruncatedStream) {
  const std::string packed = test::Compress(std::string(1 << 20, 'a'));
  {
    StreamInflater inflater;
    std::size_t got = 0;
    auto state = inflater.Feed(packed, [&](std::string_view piece) {
      got += piece.size();
      return got < 100000;
    });
    EXPECT_EQ(state, StreamInflater::State::Stopped);
    EXPECT_LT(got, 200000u);
    EXPECT_EQ(inflater.Feed(packed, [](std::string_view) { return true; }), StreamInflater::State::Stopped);
  }
  {
    StreamInflater inflater;
    EXPECT_EQ(inflater.Feed("this is not compressed", [](std::string_view) { return true; }),
              StreamInflater::State::Broken);
  }
  {
    StreamInflater inflater;
    std::string out;
    auto take = [&](std::string_view piece) {
      out.append(piece);
      return true;
    };
    EXPECT_EQ(inflater.Feed(std::string_view(packed).substr(0, packed.size() / 2), take),
              StreamInflater::State::More);
    EXPECT_EQ(inflater.Feed({}, take), StreamInflater::State::More);
    EXPECT_EQ(inflater.Feed(std::string_view(packed).substr(packed.size() / 2), take), StreamInflater::State::End);
    EXPECT_EQ(out, std::string(1 << 20, 'a'));
  }
}

}  // namespace
}  // namespace albatrix
