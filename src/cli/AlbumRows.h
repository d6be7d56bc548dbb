// The album rows a command-line download takes: "all", or 1-based rows of the list such as "1,3-5".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace albatrix {

struct AlbumRows {
  bool all = false;
  std::vector<std::pair<std::size_t, std::size_t>> ranges;  // inclusive, first <= last, from 1
  std::size_t highest = 0;                                   // the highest row named

  bool Contains(std::size_t row) const;
};

// "all", or a comma-separated list of rows and ranges ("3", "3-5"); no blanks, no row 0, no range that
// runs backwards. Empty when the text is none of these.
std::optional<AlbumRows> ParseAlbumRows(const std::string& text);

}  // namespace albatrix
