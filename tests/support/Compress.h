// Compressed bodies for tests of what the program decodes: built with zlib, as a server would send them.
#pragma once

#include <string>
#include <string_view>

namespace albatrix::test {

// `plain` compressed as a server would send it: with a gzip wrapper, or a zlib one when `gzip` is false.
std::string Compress(std::string_view plain, bool gzip = true);

}  // namespace albatrix::test
