// How the fuzz targets read their input, and how they report a broken invariant.
//
// An input is a mode byte followed by fields separated by 0x01 bytes; the last field takes the rest of
// the input, separators included. Bit 7 of the mode byte says how a field becomes text: set, the field is
// raw little-endian UTF-16 code units (so lone surrogates and every other unit are reachable); clear, it
// is GBK, the encoding of the site's pages (so the stored corpus can hold readable page snippets).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "MyCode/StringCtrl.h"

#define FUZZ_CHECK(condition)                                                                       \
  do {                                                                                              \
    if (!(condition)) {                                                                             \
      std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__);       \
      std::abort();                                                                                 \
    }                                                                                               \
  } while (0)

namespace albatrix::fuzz {

constexpr unsigned kRawUtf16 = 0x80;

struct FuzzInput {
  unsigned mode = 0;
  std::vector<std::string_view> fields;  // always exactly the number asked for; missing ones are empty
};

inline FuzzInput SplitFuzzInput(const std::uint8_t* data, std::size_t size, std::size_t fieldCount) {
  FuzzInput input;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  if (!rest.empty()) {
    input.mode = static_cast<unsigned char>(rest[0]);
    rest.remove_prefix(1);
  }
  while (input.fields.size() + 1 < fieldCount) {
    std::size_t cut = rest.find('\x01');
    input.fields.push_back(rest.substr(0, cut));
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  input.fields.push_back(rest);
  return input;
}

inline Text FuzzText(std::string_view bytes, unsigned mode) {
  if (!(mode & kRawUtf16)) return BytesToText(bytes, CP_GBK);
  Text text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return text;
}

}  // namespace albatrix::fuzz
