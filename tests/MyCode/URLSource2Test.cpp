// The fetcher's parts that need no network: decompression, the marker filters, the request body pieces,
// text decoding of a response, and the requests that must fail before any connection.
#include "MyCode/URLSource2.h"

#include <gtest/gtest.h>

#include <chrono>

#include "site/SiteGzip.h"
#include "support/Compress.h"

namespace albatrix {
namespace {

Bytes SamplePage() {
  Bytes page;
  for (int i = 0; i < 3000; ++i) page += "<li>entry " + std::to_string(i) + "</li>\n";
  return page;
}

TEST(InflateBody, GzipAndZlibStreamsAppendToOutput) {
  Bytes plain = SamplePage();
  for (bool gzip : {true, false}) {
    Bytes packed = test::Compress(plain, gzip);
    Bytes out = "kept:";
    EXPECT_TRUE(InflateBody(packed.data(), packed.size(), out)) << gzip;
    EXPECT_EQ(out, "kept:" + plain) << gzip;
  }
}

TEST(InflateBody, TruncatedOrCorruptStreamFailsKeepingWhatWasProduced) {
  Bytes plain = SamplePage();
  Bytes packed = test::Compress(plain);

  Bytes out;
  EXPECT_FALSE(InflateBody(packed.data(), packed.size() / 2, out));
  EXPECT_FALSE(out.empty());
  EXPECT_LT(out.size(), plain.size());
  EXPECT_EQ(plain.compare(0, out.size(), out), 0);  // a true prefix, nothing invented

  Bytes corrupt = packed;
  corrupt[corrupt.size() / 2] ^= 0x55;
  corrupt[corrupt.size() / 2 + 1] ^= 0x55;
  Bytes out2;
  EXPECT_FALSE(InflateBody(corrupt.data(), corrupt.size(), out2));

  Bytes notCompressed = "<html>plain</html>";
  Bytes out3;
  EXPECT_FALSE(InflateBody(notCompressed.data(), notCompressed.size(), out3));
  Bytes out4;
  EXPECT_FALSE(InflateBody(nullptr, 0, out4));
  EXPECT_TRUE(out4.empty());
}

TEST(InflateBody, GzipBombStopsAtTheOutputLimit) {
  Bytes bomb = GzipBomb(4u << 20);  // 4 MiB of zeros in a few KiB
  ASSERT_LT(bomb.size(), 64u * 1024);
  Bytes out;
  EXPECT_FALSE(InflateBody(bomb.data(), bomb.size(), out, 1000000));
  EXPECT_EQ(out.size(), 1000000u);
  EXPECT_EQ(out.find_first_not_of('\0'), Bytes::npos);

  // Exactly at the limit is still a complete stream.
  Bytes small = test::Compress(Bytes(5000, 'x'));
  Bytes out2;
  EXPECT_TRUE(InflateBody(small.data(), small.size(), out2, 5000));
  EXPECT_EQ(out2.size(), 5000u);

  // Without a limit of the caller's, a page's cap holds.
  Bytes beyond = GzipBomb(kPageCapBytes + (1u << 20));
  Bytes out3;
  EXPECT_FALSE(InflateBody(beyond.data(), beyond.size(), out3));
  EXPECT_EQ(out3.size(), kPageCapBytes);
}

struct MarkerCase {
  const char* name;
  Bytes text;
  Bytes start;
  Bytes end;
  Bytes expected;
  bool endFound;
};

TEST(ApplyMarkers, WholeTextAndByteByByteAgree) {
  const MarkerCase cases[] = {
      {"no markers", "abc", "", "", "abc", false},
      {"start kept after", "head<S>body", "<S>", "", "body", false},
      {"start twice: after the last", "a<S>b<S>c", "<S>", "", "c", false},
      {"start absent: untouched", "abc", "<S>", "", "abc", false},
      {"end cuts, marker dropped", "body<E>tail", "", "<E>", "body", true},
      {"end absent", "body", "", "<E>", "body", false},
      {"start then end", "x<S>mid<E>y", "<S>", "<E>", "mid", true},
      {"the last of several starts counts", "x<S>mid<E>y<S>z", "<S>", "", "z", false},
      {"overlapping start text", "<S<S>x", "<S>", "", "x", false},
      {"marker at the very end", "abc<S>", "<S>", "", "", false},
  };
  for (const MarkerCase& c : cases) {
    Bytes whole = c.text;
    std::size_t checked = 0;
    EXPECT_EQ(ApplyMarkers(whole, c.start, c.end, checked), c.endFound) << c.name;
    EXPECT_EQ(whole, c.expected) << c.name;

    // As the read loop sees it: one byte per network read, so every marker is split across reads.
    Bytes grown;
    std::size_t grownChecked = 0;
    bool stopped = false;
    for (char ch : c.text) {
      grown += ch;
      if (ApplyMarkers(grown, c.start, c.end, grownChecked)) {
        stopped = true;
        break;
      }
    }
    EXPECT_EQ(stopped, c.endFound) << c.name;
    EXPECT_EQ(grown, c.expected) << c.name;
  }
}

TEST(RequestBodyReader, HandsOutPiecesOf1024Bytes) {
  struct Case {
    std::size_t size;
    std::size_t room;
    std::vector<std::size_t> pieces;
  };
  const Case cases[] = {
      {2500, 65536, {1024, 1024, 452}},
      {2048, 65536, {1024, 1024}},
      {1, 16384, {1}},
      {0, 16384, {}},
      {2500, 1000, {1000, 1000, 500}},  // libcurl offering less room than a piece
  };
  for (const Case& c : cases) {
    Bytes body;
    for (std::size_t i = 0; i < c.size; ++i) body += static_cast<char>('a' + i % 26);
    RequestBodyReader reader(body);
    std::vector<char> buffer(c.room);
    std::vector<std::size_t> pieces;
    Bytes sent;
    for (std::size_t n; (n = reader.Next(buffer.data(), buffer.size())) > 0;) {
      pieces.push_back(n);
      sent.append(buffer.data(), n);
      ASSERT_LT(pieces.size(), 100u);
    }
    EXPECT_EQ(pieces, c.pieces) << c.size;
    EXPECT_EQ(sent, body) << c.size;
    reader.Rewind();
    EXPECT_EQ(reader.Next(buffer.data(), buffer.size()), std::min<std::size_t>({c.size, c.room, 1024}));
  }
}

UrlResponse MakeResponse(Text headers, Bytes body, bool gzip) {
  UrlResponse r;
  r.rawHeaders = std::move(headers);
  r.body = std::move(body);
  r.gzip = gzip;
  return r;
}

TEST(GetText, ChoosesTheDecodingFromHeadersThenOptions) {
  const Bytes gbk = "\xD6\xD0\xCE\xC4";       // "中文" in GBK
  const Bytes utf8 = "\xE4\xB8\xAD\xE6\x96\x87";  // "中文" in UTF-8
  const Text plainHeaders = u"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
  const Text gbkHeaders = u"HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=GBK\r\n\r\n";
  struct Case {
    const char* name;
    Text headers;
    Bytes body;
    unsigned options;
    Text expected;
  };
  const Case cases[] = {
      {"ANSI by default", plainHeaders, gbk, 0, u"中文"},
      {"UTF-8 on request", plainHeaders, utf8, TEXT_UTF8, u"中文"},
      {"charset=GBK beats TEXT_UTF8", gbkHeaders, gbk, TEXT_UTF8, u"中文"},
      {"auto: UTF-8 bytes", plainHeaders, utf8, TEXT_AUTO_UTF8, u"中文"},
      {"auto: GBK bytes fall back to ANSI", plainHeaders, gbk, TEXT_AUTO_UTF8, u"中文"},
      {"entities decoded", plainHeaders, "a&amp;b&lt;c&gt;", 0, u"a&b<c>"},
      {"ANSI stops at a NUL byte", plainHeaders, Bytes("ab\0cd", 5), 0, u"ab"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetText(MakeResponse(c.headers, c.body, false), c.options), c.expected) << c.name;
  }
}

TEST(GetText, GzipBodyIsUnpackedAndThenFiltered) {
  const Text headers = u"HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n\r\n";
  UrlResponse r = MakeResponse(headers, test::Compress("junk<S>old<S>wanted &amp; kept<E>rest"), true);
  r.startMarker = "<S>";
  r.endMarker = "<E>";
  EXPECT_EQ(GetText(r, TEXT_GUNZIP), u"wanted & kept");

  // A body that is not gzip was filtered while reading already: the markers are not applied again.
  UrlResponse plain = MakeResponse(u"HTTP/1.1 200 OK\r\n\r\n", "a<S>b", false);
  plain.startMarker = "<S>";
  EXPECT_EQ(GetText(plain, TEXT_GUNZIP), u"a<S>b");
}

// Requests that fail before any connection: an address that is not http(s), or no attempt at all.
TEST(Fetch, NoRequestForAnAddressThatIsNotHttpOrForNoAttempt) {
  for (const char16_t* url : {u"", u"ftp://127.0.0.1/file", u"file:///etc/passwd", u"127.0.0.1/page",
                              u"javascript:alert(1)"}) {
    UrlRequest request(url, u"", 20000);
    request.retryDelaySec = 0;
    UrlResponse response;
    response.rawHeaders = u"earlier";
    auto began = std::chrono::steady_clock::now();
    EXPECT_FALSE(Fetch(request, response, 0));
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(1));
    EXPECT_EQ(response.rawHeaders, u"earlier");  // no reply, so the old headers stay
  }
  UrlRequest request(u"http://127.0.0.1:1/", u"", 20000);
  request.attempts = 0;
  UrlResponse response;
  response.body = "untouched";
  EXPECT_FALSE(Fetch(request, response, 0));
  EXPECT_EQ(response.body, "untouched");
}

}  // namespace
}  // namespace albatrix
