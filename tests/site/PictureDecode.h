// Test helpers: decode a picture with libjpeg / libpng / a small GIF decoder, to prove that the site's
// bytes are real pictures and not merely the right magic numbers.
#pragma once

#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "site/AlbumSite.h"

namespace albatrix::test {

struct DecodedPicture {
  bool ok = false;
  PictureKind kind = PictureKind::Jpeg;
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;  // RGB for JPEG and PNG, palette indices for GIF
};

namespace detail {

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

inline void JpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

inline DecodedPicture DecodeJpeg(const std::string& bytes) {
  DecodedPicture result;
  result.kind = PictureKind::Jpeg;
  jpeg_decompress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFail;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    return DecodedPicture{};
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  result.width = static_cast<int>(info.output_width);
  result.height = static_cast<int>(info.output_height);
  result.pixels.resize(static_cast<std::size_t>(result.width) * result.height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = result.pixels.data() + static_cast<std::size_t>(info.output_scanline) * result.width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  result.ok = true;
  return result;
}

inline DecodedPicture DecodePng(const std::string& bytes) {
  DecodedPicture result;
  result.kind = PictureKind::Png;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return result;
  image.format = PNG_FORMAT_RGB;
  result.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, result.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return result;
  }
  result.width = static_cast<int>(image.width);
  result.height = static_cast<int>(image.height);
  result.ok = true;
  return result;
}

// A plain GIF decoder: extensions skipped, one image, LZW with growing code widths, trailer required.
inline DecodedPicture DecodeGif(const std::string& s) {
  DecodedPicture result;
  result.kind = PictureKind::Gif;
  auto byte = [&](std::size_t i) -> int { return i < s.size() ? static_cast<unsigned char>(s[i]) : -1; };
  if (s.compare(0, 6, "GIF89a") != 0 && s.compare(0, 6, "GIF87a") != 0) return result;
  std::size_t pos = 13;
  if (byte(10) & 0x80) pos += 3u * (2u << (byte(10) & 7));
  bool haveImage = false;
  while (true) {
    int tag = byte(pos);
    if (tag == 0x3B) {
      result.ok = haveImage;
      return result;
    }
    if (tag == 0x21) {
      pos += 2;
      while (byte(pos) > 0) pos += 1 + static_cast<std::size_t>(byte(pos));
      if (byte(pos) < 0) return result;
      ++pos;
      continue;
    }
    if (tag != 0x2C || haveImage) return result;
    int width = byte(pos + 5) | (byte(pos + 6) << 8);
    int height = byte(pos + 7) | (byte(pos + 8) << 8);
    int flags = byte(pos + 9);
    pos += 10;
    if (flags & 0x80) pos += 3u * (2u << (flags & 7));
    int minimum = byte(pos++);
    if (minimum < 2 || minimum > 8) return result;
    std::string data;
    while (byte(pos) > 0) {
      data.append(s, pos + 1, static_cast<std::size_t>(byte(pos)));
      pos += 1 + static_cast<std::size_t>(byte(pos));
    }
    if (byte(pos) < 0) return result;
    ++pos;
    const int clear = 1 << minimum, end = clear + 1;
    std::vector<int> prefix(4096, -1), suffix(4096, 0);
    for (int c = 0; c < clear; ++c) suffix[c] = c;
    int codeWidth = minimum + 1, next = end + 1, previous = -1;
    std::size_t bit = 0;
    auto firstOf = [&](int code) {
      while (prefix[code] >= 0) code = prefix[code];
      return suffix[code];
    };
    auto emit = [&](int code) {
      std::vector<unsigned char> out;
      for (int c = code; c >= 0; c = prefix[c]) out.push_back(static_cast<unsigned char>(suffix[c]));
      result.pixels.insert(result.pixels.end(), out.rbegin(), out.rend());
    };
    while (true) {
      if (bit + codeWidth > data.size() * 8) return result;
      int code = 0;
      for (int b = 0; b < codeWidth; ++b, ++bit)
        code |= ((static_cast<unsigned char>(data[bit / 8]) >> (bit % 8)) & 1) << b;
      if (code == clear) {
        codeWidth = minimum + 1;
        next = end + 1;
        previous = -1;
        continue;
      }
      if (code == end) break;
      if (previous < 0) {
        if (code >= clear) return result;
        emit(code);
        previous = code;
        continue;
      }
      if (code > next) return result;
      int first = code == next ? firstOf(previous) : firstOf(code);
      if (next < 4096) {
        prefix[next] = previous;
        suffix[next] = first;
        ++next;
        if (next == (1 << codeWidth) && codeWidth < 12) ++codeWidth;
      }
      emit(code);
      previous = code;
    }
    if (result.pixels.size() != static_cast<std::size_t>(width) * height) return result;
    result.width = width;
    result.height = height;
    haveImage = true;
  }
}

}  // namespace detail

// Decodes by content, whatever the address said.
inline DecodedPicture DecodePicture(const std::string& bytes) {
  if (bytes.size() > 3 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xD8)
    return detail::DecodeJpeg(bytes);
  if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) return detail::DecodePng(bytes);
  if (bytes.compare(0, 3, "GIF") == 0) return detail::DecodeGif(bytes);
  return {};
}

}  // namespace albatrix::test
