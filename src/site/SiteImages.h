// Real, decodable pictures for the album site, made once per distinct kind, pixel size and byte size and
// then copied. A picture is padded to an exact byte size with a comment that decoders skip (a JPEG COM
// segment, a PNG tEXt chunk, a GIF comment extension); the padding starts with a stamp, so that pictures
// of one size still differ and a test can tell which one landed in which file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "site/AlbumSite.h"

namespace albatrix {

// The bare picture: `width` x `height` pixels drawn from `seed`, nothing added.
std::string EncodePicture(PictureKind kind, int width, int height, std::uint64_t seed);

// A full picture of exactly `bytes` bytes, or of the smallest bare picture's size when `bytes` is less.
// The pixel size is the largest of 160x120, 64x48 and 16x12 whose bare picture fits. `stamp` (ASCII) is
// written at the start of the padding as far as the padding holds it.
std::string MakePicture(PictureKind kind, std::size_t bytes, std::uint64_t seed, std::string_view stamp);

// A small thumbnail of the kind: 40x30 pixels, no padding.
std::string MakeThumbnail(PictureKind kind, std::uint64_t seed);

// A 120x90 JPEG cover whose bytes carry `stamp` in a comment.
std::string MakeCover(std::uint64_t seed, std::string_view stamp);

const char* PictureContentType(PictureKind kind);

}  // namespace albatrix
