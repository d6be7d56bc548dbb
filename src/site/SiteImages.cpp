#include "site/SiteImages.h"

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>

namespace albatrix {
namespace {

// One RGB pixel of the picture drawn from `seed`: a soft gradient, so that the encoders have some work
// and each seed looks different.
std::array<unsigned char, 3> PixelAt(int x, int y, int width, int height, std::uint64_t seed) {
  unsigned s = static_cast<unsigned>(seed * 2654435761u);
  return {static_cast<unsigned char>(x * 255 / std::max(1, width - 1) + (s & 0xFF)),
          static_cast<unsigned char>(y * 255 / std::max(1, height - 1) + ((s >> 8) & 0xFF)),
          static_cast<unsigned char>((x + y) * 4 + ((s >> 16) & 0xFF))};
}

std::string EncodeJpeg(int width, int height, std::uint64_t seed) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 85, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < width; ++x) {
      auto p = PixelAt(x, y, width, height, seed);
      std::copy(p.begin(), p.end(), row.begin() + x * 3);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string bytes(reinterpret_cast<const char*>(out), outSize);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return bytes;
}

void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}

void FlushNothing(png_structp) {}

std::string EncodePng(int width, int height, std::uint64_t seed) {
  std::vector<std::vector<unsigned char>> rows(static_cast<std::size_t>(height),
                                               std::vector<unsigned char>(static_cast<std::size_t>(width) * 3));
  std::vector<png_bytep> rowPointers;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      auto p = PixelAt(x, y, width, height, seed);
      std::copy(p.begin(), p.end(), rows[y].begin() + x * 3);
    }
    rowPointers.push_back(rows[y].data());
  }
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return {};
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return {};
  }
  png_set_write_fn(png, &out, AppendPngBytes, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rowPointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

void AppendLe16(std::string& out, int value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

// A GIF whose LZW stream holds only literal codes: a clear code every 200 pixels keeps the code width
// at 9 bits, so no compression table is needed and every decoder reads it.
std::string EncodeGif(int width, int height, std::uint64_t seed) {
  std::string out = "GIF89a";
  AppendLe16(out, width);
  AppendLe16(out, height);
  out += std::string("\xF7\x00\x00", 3);  // 256-colour global table, background 0, square pixels
  for (int i = 0; i < 256; ++i) {
    unsigned s = static_cast<unsigned>(seed * 40503u);
    out.push_back(static_cast<char>(i & 0xF0));
    out.push_back(static_cast<char>((i & 0x0F) << 4));
    out.push_back(static_cast<char>((i * 7 + s) & 0xFF));
  }
  out.push_back(',');
  AppendLe16(out, 0);
  AppendLe16(out, 0);
  AppendLe16(out, width);
  AppendLe16(out, height);
  out.push_back('\0');
  out.push_back('\x08');  // LZW minimum code size

  std::string lzw;
  unsigned long bitBuffer = 0;
  int bitCount = 0;
  auto emit = [&](unsigned code) {
    bitBuffer |= static_cast<unsigned long>(code) << bitCount;
    bitCount += 9;
    while (bitCount >= 8) {
      lzw.push_back(static_cast<char>(bitBuffer & 0xFF));
      bitBuffer >>= 8;
      bitCount -= 8;
    }
  };
  const unsigned kClear = 256, kEnd = 257;
  int sinceClear = 200;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (sinceClear == 200) {
        emit(kClear);
        sinceClear = 0;
      }
      unsigned index = ((static_cast<unsigned>(x * 16 / width) << 4) | static_cast<unsigned>(y * 16 / height)) ^
                       static_cast<unsigned>(seed & 0xFF);
      emit(index & 0xFF);
      ++sinceClear;
    }
  }
  emit(kEnd);
  if (bitCount > 0) lzw.push_back(static_cast<char>(bitBuffer & 0xFF));
  for (std::size_t i = 0; i < lzw.size(); i += 255) {
    std::size_t n = std::min<std::size_t>(255, lzw.size() - i);
    out.push_back(static_cast<char>(n));
    out.append(lzw, i, n);
  }
  out.push_back('\0');
  out.push_back(';');
  return out;
}

// JPEG: COM segments (at most 65,537 bytes each) after the JFIF header. Fewer than 4 bytes of padding
// cannot form a segment and go after the end-of-image marker, where decoders never look.
PaddedPicture PadJpeg(const std::string& bare, std::size_t padding) {
  PaddedPicture result;
  if (padding < 4) {
    result.bytes = bare + std::string(padding, '\0');
    return result;
  }
  std::size_t insertAt = 2;
  if (bare.size() > 6 && static_cast<unsigned char>(bare[2]) == 0xFF && static_cast<unsigned char>(bare[3]) == 0xE0)
    insertAt = 4 + ((static_cast<unsigned char>(bare[4]) << 8) | static_cast<unsigned char>(bare[5]));
  std::string segments;
  std::size_t left = padding;
  while (left > 0) {
    std::size_t segment = std::min<std::size_t>(left, 65537);
    std::size_t rest = left - segment;
    if (rest > 0 && rest < 4) segment -= 4 - rest;
    if (segments.empty()) {
      result.stampAt = insertAt + 4;
      result.stampRoom = segment - 4;
    }
    std::size_t length = segment - 2;
    segments += '\xFF';
    segments += '\xFE';
    segments += static_cast<char>((length >> 8) & 0xFF);
    segments += static_cast<char>(length & 0xFF);
    segments.append(segment - 4, ' ');
    left -= segment;
  }
  result.bytes = bare.substr(0, insertAt) + segments + bare.substr(insertAt);
  return result;
}

void AppendBe32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// PNG: one tEXt chunk "Comment" before IEND; its 20 bytes of overhead mean that less padding goes after
// IEND instead.
PaddedPicture PadPng(const std::string& bare, std::size_t padding) {
  PaddedPicture result;
  const std::string keyword("Comment\0", 8);
  if (padding < 12 + keyword.size() || bare.size() < 12) {
    result.bytes = bare + std::string(padding, '\0');
    return result;
  }
  std::size_t dataLength = padding - 12;
  std::string chunk;
  AppendBe32(chunk, static_cast<std::uint32_t>(dataLength));
  std::string typeAndData = "tEXt" + keyword + std::string(dataLength - keyword.size(), ' ');
  chunk += typeAndData;
  AppendBe32(chunk, static_cast<std::uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(typeAndData.data()),
                                                      static_cast<uInt>(typeAndData.size()))));
  std::size_t insertAt = bare.size() - 12;  // IEND is always last
  result.bytes = bare.substr(0, insertAt) + chunk + bare.substr(insertAt);
  result.stampAt = insertAt + 8 + keyword.size();
  result.stampRoom = dataLength - keyword.size();
  return result;
}

// GIF: one comment extension before the trailer; its sub-blocks take any length from 1 to 255, so every
// padding of 5 bytes or more fits exactly.
PaddedPicture PadGif(const std::string& bare, std::size_t padding) {
  PaddedPicture result;
  if (padding < 5) {
    result.bytes = bare + std::string(padding, '\0');
    return result;
  }
  std::size_t blocks = (padding - 3 + 255) / 256;
  std::size_t data = padding - 3 - blocks;
  std::string extension = "\x21\xFE";
  std::size_t left = data;
  for (std::size_t b = 0; b < blocks; ++b) {
    std::size_t n = left / (blocks - b);  // spread evenly: every block gets 1..255 bytes
    extension.push_back(static_cast<char>(n));
    extension.append(n, ' ');
    left -= n;
  }
  extension.push_back('\0');
  std::size_t insertAt = bare.size() - 1;  // before the trailer
  result.bytes = bare.substr(0, insertAt) + extension + bare.substr(insertAt);
  // The stamp stays inside the first sub-block, so it never overwrites a block length.
  result.stampAt = insertAt + 3;
  result.stampRoom = data / blocks;
  return result;
}

}  // namespace

std::string EncodePicture(PictureKind kind, int width, int height, std::uint64_t seed) {
  switch (kind) {
    case PictureKind::Jpeg: return EncodeJpeg(width, height, seed);
    case PictureKind::Png: return EncodePng(width, height, seed);
    case PictureKind::Gif: return EncodeGif(width, height, seed);
  }
  return {};
}

std::string PictureCache::Picture(PictureKind kind, std::size_t bytes, std::uint64_t seed, std::string_view stamp) {
  auto key = std::make_tuple(static_cast<int>(kind), bytes, seed);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = padded_.find(key);
    if (found != padded_.end()) return Stamped(found->second, stamp);
  }
  static constexpr std::array<std::pair<int, int>, 3> kSizes{{{160, 120}, {64, 48}, {16, 12}}};
  const std::string* bare = nullptr;
  for (auto [width, height] : kSizes) {
    bare = &Bare(kind, width, height, seed);
    if (bare->size() <= bytes) break;
  }
  PaddedPicture padded = PadPicture(kind, *bare, bytes > bare->size() ? bytes - bare->size() : 0);
  std::lock_guard<std::mutex> lock(mutex_);
  return Stamped(padded_.emplace(key, std::move(padded)).first->second, stamp);
}

std::string PictureCache::Thumbnail(PictureKind kind, std::uint64_t seed) { return Bare(kind, 40, 30, seed); }

std::string PictureCache::Cover(std::uint64_t seed, std::string_view stamp) {
  // Each album's cover is drawn from a seed of its own (the stamp names the album), so a preview shows
  // albums apart; the same album always gets the same cover.
  std::uint64_t own = 14695981039346656037ull;  // FNV-1a over the stamp: the same on every platform
  for (unsigned char c : stamp) own = (own ^ c) * 1099511628211ull;
  return Stamped(PadPicture(PictureKind::Jpeg, Bare(PictureKind::Jpeg, 120, 90, seed ^ own), 68), stamp);
}

const std::string& PictureCache::Bare(PictureKind kind, int width, int height, std::uint64_t seed) {
  auto key = std::make_tuple(static_cast<int>(kind), width, height, seed);
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = bare_.find(key);
  if (found == bare_.end()) found = bare_.emplace(key, EncodePicture(kind, width, height, seed)).first;
  return found->second;  // map nodes never move, and entries are never removed
}

PaddedPicture PadPicture(PictureKind kind, const std::string& bare, std::size_t padding) {
  switch (kind) {
    case PictureKind::Png: return PadPng(bare, padding);
    case PictureKind::Gif: return PadGif(bare, padding);
    case PictureKind::Jpeg: break;
  }
  return PadJpeg(bare, padding);
}

std::string PictureCache::Stamped(const PaddedPicture& padded, std::string_view stamp) {
  std::string bytes = padded.bytes;
  std::size_t n = std::min(stamp.size(), padded.stampRoom);
  bytes.replace(padded.stampAt, n, stamp.substr(0, n));
  return bytes;
}

const char* PictureContentType(PictureKind kind) {
  switch (kind) {
    case PictureKind::Jpeg: return "image/jpeg";
    case PictureKind::Png: return "image/png";
    case PictureKind::Gif: return "image/gif";
  }
  return "application/octet-stream";
}

}  // namespace albatrix
