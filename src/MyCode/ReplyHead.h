// Reading an HTTP reply's header block (status line, header lines, each ending in CRLF or LF): what the
// fetcher needs to judge a reply before it keeps any of its body. Header names are matched without regard
// to case, as servers spell them as they like.
#pragma once

#include <cstdint>
#include <string_view>

namespace albatrix {

// True when `text` starts with `lowerPrefix` (given in lower case), ASCII letters compared without case.
bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix);

// The value of the first header `lowerName` (given in lower case with its colon, "content-length:"),
// leading blanks skipped, line end removed. Empty when absent.
std::string_view HeaderValue(std::string_view block, std::string_view lowerName);

// The status code of the block's status line ("HTTP/1.1 404 Not Found" gives 404); 0 when unreadable.
int StatusOf(std::string_view block);

enum class AnnouncedLength {
  None,         // no Content-Length, or none that reads as a number
  One,          // every Content-Length value is the same number
  Conflicting,  // two values differ: nobody can tell where the body ends
};
// The body length the block announces, over every Content-Length line and every comma-separated value in
// them (a value is decimal digits after leading blanks, read up to the first non-digit).
AnnouncedLength ContentLengthOf(std::string_view block, std::uint64_t& length);

// True when the reply's body is compressed (Content-Encoding gzip, x-gzip or deflate) and must be inflated
// to give what the server meant.
bool IsContentEncoded(std::string_view block);

// True when the reply says its body is an HTML page (Content-Type text/html, parameters ignored).
bool IsHtmlContentType(std::string_view block);

}  // namespace albatrix
