// Judging a reply by its header block: the announced length (and its conflicts), the content type and
// coding, and the status.
#include "MyCode/ReplyHead.h"

#include <gtest/gtest.h>

#include <string>

namespace albatrix {
namespace {

std::string Block(const std::string& lines) { return "HTTP/1.1 200 OK\r\n" + lines + "\r\n"; }

TEST(ReplyHead, ContentLengthAndItsConflicts) {
  struct Case {
    const char* lines;
    AnnouncedLength kind;
    std::uint64_t length;
  };
  const Case cases[] = {
      {"", AnnouncedLength::None, 0},
      {"Content-Length: 6000\r\n", AnnouncedLength::One, 6000},
      {"content-LENGTH:   42 \r\n", AnnouncedLength::One, 42},
      {"Content-Length: 6000\r\nContent-Length: 6000\r\n", AnnouncedLength::One, 6000},
      {"Content-Length: 3000\r\nX-Other: 1\r\nContent-Length: 6000\r\n", AnnouncedLength::Conflicting, 0},
      {"Content-Length: 6000, 6000\r\n", AnnouncedLength::One, 6000},
      {"Content-Length: 6000, 3000\r\n", AnnouncedLength::Conflicting, 0},
      {"Content-Length: 99999999999999999999999\r\n", AnnouncedLength::Conflicting, 0},
      {"Content-Length: abc\r\n", AnnouncedLength::None, 0},
      {"X-Content-Length: 5\r\nContent-Length: 7\r\n", AnnouncedLength::One, 7},
  };
  for (const Case& c : cases) {
    std::uint64_t length = 1;
    AnnouncedLength kind = ContentLengthOf(Block(c.lines), length);
    EXPECT_EQ(kind, c.kind) << c.lines;
    if (kind == AnnouncedLength::One) {
      EXPECT_EQ(length, c.length) << c.lines;
    }
  }
}

TEST(ReplyHead, TypeCodingAndStatus) {
  struct Case {
    const char* lines;
    bool html;
    bool encoded;
  };
  const Case cases[] = {
      {"Content-Type: text/html\r\n", true, false},
      {"Content-Type: TEXT/HTML; charset=GBK\r\n", true, false},
      {"content-type:text/html ;charset=utf-8\r\n", true, false},
      {"Content-Type: image/jpeg\r\n", false, false},
      {"Content-Type: text/htmlx\r\n", false, false},
      {"Content-Type: application/xhtml+xml\r\n", false, false},
      {"Content-Encoding: gzip\r\n", false, true},
      {"Content-Encoding: X-GZIP\r\n", false, true},
      {"Content-Encoding: deflate\r\n", false, true},
      {"Content-Encoding: identity\r\nX-Note: gzip\r\n", false, false},
      {"Content-Encoding: br\r\n", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsHtmlContentType(Block(c.lines)), c.html) << c.lines;
    EXPECT_EQ(IsContentEncoded(Block(c.lines)), c.encoded) << c.lines;
  }
  EXPECT_EQ(StatusOf("HTTP/1.1 404 Not Found\r\n\r\n"), 404);
  EXPECT_EQ(StatusOf("HTTP/2 200\r\n\r\n"), 200);
  EXPECT_EQ(StatusOf("HTTP/1.1 20\r\n"), 0);
  EXPECT_EQ(StatusOf("hello there 200\r\n"), 0);
}

}  // namespace
}  // namespace albatrix
