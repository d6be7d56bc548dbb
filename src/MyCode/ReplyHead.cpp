#include "MyCode/ReplyHead.h"

namespace albatrix {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view Trimmed(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
    value.remove_suffix(1);
  return value;
}

bool EqualsNoCase(std::string_view text, std::string_view lower) {
  return text.size() == lower.size() && StartsWithNoCase(text, lower);
}

// Calls `take` with the value of every line named `lowerName`, in order.
template <typename Take>
void ForEachHeader(std::string_view block, std::string_view lowerName, Take take) {
  std::size_t pos = 0;
  while (pos < block.size()) {
    std::size_t eol = block.find('\n', pos);
    if (eol == std::string_view::npos) eol = block.size();
    std::string_view line = block.substr(pos, eol - pos);
    if (StartsWithNoCase(line, lowerName)) take(Trimmed(line.substr(lowerName.size())));
    pos = eol + 1;
  }
}

}  // namespace

bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
  if (text.size() < lowerPrefix.size()) return false;
  for (std::size_t i = 0; i < lowerPrefix.size(); ++i)
    if (Lower(text[i]) != lowerPrefix[i]) return false;
  return true;
}

std::string_view HeaderValue(std::string_view block, std::string_view lowerName) {
  std::string_view found;
  bool seen = false;
  ForEachHeader(block, lowerName, [&](std::string_view value) {
    if (!seen) found = value;
    seen = true;
  });
  return found;
}

int StatusOf(std::string_view block) {
  std::size_t space = block.find(' ');
  if (space == std::string_view::npos || block.substr(0, 5) != "HTTP/") return 0;
  int code = 0;
  for (std::size_t i = space + 1; i <= space + 3; ++i) {
    if (i >= block.size() || block[i] < '0' || block[i] > '9') return 0;
    code = code * 10 + (block[i] - '0');
  }
  return code;
}

AnnouncedLength ContentLengthOf(std::string_view block, std::uint64_t& length) {
  AnnouncedLength result = AnnouncedLength::None;
  length = 0;
  ForEachHeader(block, "content-length:", [&](std::string_view line) {
    while (!line.empty()) {
      std::size_t comma = line.find(',');
      std::string_view value = Trimmed(line.substr(0, comma));
      line = comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
      std::uint64_t n = 0;
      std::size_t digits = 0;
      bool overflow = false;
      while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9') {
        if (n > (UINT64_MAX - 9) / 10) overflow = true;
        n = n * 10 + static_cast<std::uint64_t>(value[digits] - '0');
        ++digits;
      }
      if (digits == 0) continue;
      // A number too large to hold is a value like no other.
      if (overflow || (result == AnnouncedLength::One && n != length)) {
        result = AnnouncedLength::Conflicting;
      } else if (result == AnnouncedLength::None) {
        result = AnnouncedLength::One;
        length = n;
      }
    }
  });
  return result;
}

bool IsContentEncoded(std::string_view block) {
  std::string_view coding = HeaderValue(block, "content-encoding:");
  return EqualsNoCase(coding, "gzip") || EqualsNoCase(coding, "x-gzip") || EqualsNoCase(coding, "deflate");
}

bool IsHtmlContentType(std::string_view block) {
  std::string_view type = HeaderValue(block, "content-type:");
  return EqualsNoCase(Trimmed(type.substr(0, type.find(';'))), "text/html");
}

}  // namespace albatrix
