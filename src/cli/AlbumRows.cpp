#include "cli/AlbumRows.h"

#include <charconv>

namespace albatrix {
namespace {

bool ParseRow(const std::string& text, std::size_t& row) {
  if (text.empty()) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), row);
  return error == std::errc() && end == text.data() + text.size() && row >= 1;
}

}  // namespace

bool AlbumRows::Contains(std::size_t row) const {
  if (all) return true;
  for (const auto& [first, last] : ranges)
    if (row >= first && row <= last) return true;
  return false;
}

std::optional<AlbumRows> ParseAlbumRows(const std::string& text) {
  AlbumRows rows;
  if (text == "all") {
    rows.all = true;
    return rows;
  }
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    std::size_t dash = item.find('-');
    std::size_t first = 0, last = 0;
    if (dash == std::string::npos) {
      if (!ParseRow(item, first)) return std::nullopt;
      last = first;
    } else if (!ParseRow(item.substr(0, dash), first) || !ParseRow(item.substr(dash + 1), last) || last < first) {
      return std::nullopt;
    }
    rows.ranges.push_back({first, last});
    rows.highest = std::max(rows.highest, last);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return rows;
}

}  // namespace albatrix
