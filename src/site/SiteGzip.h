// gzip for the album site's replies: pages for clients that accept it, and the gzip bomb fault.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace albatrix {

// `data` as one complete gzip member.
std::string GzipBytes(std::string_view data);

// A valid gzip member that inflates to `inflatedBytes` zero bytes. Built from one compressed block
// repeated, so it costs about a thousandth of that size in time and memory.
std::string GzipBomb(std::uint64_t inflatedBytes);

}  // namespace albatrix
