// Real, decodable pictures for the album site, made once per distinct kind, pixel size and byte size and
// then copied. A picture is padded to an exact byte size with a comment that decoders skip (a JPEG COM
// segment, a PNG tEXt chunk, a GIF comment extension); the padding starts with a stamp, so that pictures
// of one size still differ and a test can tell which one landed in which file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <tuple>

#include "site/AlbumSite.h"

namespace albatrix {

// The bare picture: `width` x `height` pixels drawn from `seed`, nothing added.
std::string EncodePicture(PictureKind kind, int width, int height, std::uint64_t seed);

// A picture padded to an exact size, and where a stamp may go in its padding and how much room it has.
struct PaddedPicture {
  std::string bytes;
  std::size_t stampAt = 0;
  std::size_t stampRoom = 0;
};

// `bare` grown by exactly `padding` bytes of comment that decoders skip; padding too small for a comment
// goes after the picture's end marker, where decoders never look.
PaddedPicture PadPicture(PictureKind kind, const std::string& bare, std::size_t padding);

// Pictures made once per distinct kind, seed and size and then copied: what the site serves. Safe to use
// from several threads.
class PictureCache {
 public:
  // A full picture of exactly `bytes` bytes, or of the smallest bare picture's size when `bytes` is less.
  // The pixel size is the largest of 160x120, 64x48 and 16x12 whose bare picture fits. `stamp` (ASCII) is
  // written at the start of the padding as far as the padding holds it.
  std::string Picture(PictureKind kind, std::size_t bytes, std::uint64_t seed, std::string_view stamp);

  // A small thumbnail of the kind: 40x30 pixels, no padding.
  std::string Thumbnail(PictureKind kind, std::uint64_t seed);

  // A 120x90 JPEG cover drawn from `seed` and `stamp` together (each stamp a picture of its own), whose
  // bytes carry `stamp` in a comment.
  std::string Cover(std::uint64_t seed, std::string_view stamp);

 private:
  const std::string& Bare(PictureKind kind, int width, int height, std::uint64_t seed);
  static std::string Stamped(const PaddedPicture& padded, std::string_view stamp);

  std::mutex mutex_;
  std::map<std::tuple<int, int, int, std::uint64_t>, std::string> bare_;
  std::map<std::tuple<int, std::size_t, std::uint64_t>, PaddedPicture> padded_;
};

const char* PictureContentType(PictureKind kind);

}  // namespace albatrix
