// The program's one way to the network: every page the crawlers read and every picture the workers save
// goes through Fetch. An attempt (FetchOnce) is self-contained: its own libcurl easy handle, nothing kept
// afterwards but the cookies in the process-wide cookie store (CookieJar.h) and its connection, left open
// in the process's pool for the next attempt to that host (the server may close it while it is idle: the
// next attempt then opens a new one, or sends its request again on a new one when the close crossed it;
// an attempt ended early, by a cancel or a limit, closes its connection). Pages come back as raw bytes
// in a UrlResponse and become text through GetText; a picture streams to its target file as it arrives
// (decoded on the fly when the server compressed it), so no whole picture is ever held in memory.
//
// Everything here may be called from any number of threads at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "MyCode/ProxyRoutes.h"
#include "MyCode/RequestPacer.h"
#include "MyCode/StringCtrl.h"

namespace albatrix {

// The browser identity every request carries.
inline constexpr const char* kBrowserUserAgent =
    "Mozilla/5.0 (Windows NT 5.1) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/33.0.1750.154 Safari/537.36";

// What the crawlers put into extraHeaders so the site may answer compressed.
inline constexpr char16_t kAcceptGzipHeader[] = u"Accept-Encoding: gzip, deflate";

// Bounds no server can push us past, whatever the request's own limits say. A page's text, as received and
// as decoded, never exceeds kPageCapBytes (a page that would fails as a broken reply; InflateBody stops
// there by default). A picture never exceeds kPictureCapBytes decoded: with maxSizeK 0 it is the only cap
// on its size, and a larger reply is left out as by a size limit (a compressed one that inflates as no
// picture does is refused long before; see FetchOnce).
inline constexpr std::size_t kPageCapBytes = 32u << 20;
inline constexpr std::uint64_t kPictureCapBytes = 4ull << 30;

// At most this many redirects are followed (http and https only).
inline constexpr long kMaxRedirects = 10;

// A reply that brings fewer bytes than this in any span of its read time-out fails as a time-out, as a
// silent one does.
inline constexpr std::uint64_t kTrickleBytes = 1024;

// Option bits of Fetch / FetchOnce. There is no cache of our own, so neither changes the transfer;
// FETCH_ALLOW_CACHE makes Fetch's acceptance check look at the decompressed body of a gzip reply.
constexpr unsigned FETCH_ALLOW_CACHE = 1;
constexpr unsigned FETCH_NO_RELOAD = 2;

// Option bits of GetText.
constexpr unsigned TEXT_GUNZIP = 0x01;     // decompress first when the reply is gzip
constexpr unsigned TEXT_UTF8 = 0x02;       // decode as code page 65001
constexpr unsigned TEXT_EUCKR = 0x04;      // decode as code page 51949
constexpr unsigned TEXT_BIG5 = 0x08;       // decode as code page 950
constexpr unsigned TEXT_AUTO_UTF8 = 0x10;  // 65001 when the bytes are well-formed UTF-8, otherwise ANSI

struct UrlRequest {
  // Both time-outs get `timeoutMs`. Callers construct with empty texts and 20000 ms and fill in the rest.
  UrlRequest(Text url, Text targetFile, std::uint32_t timeoutMs);

  Text url;            // absolute http:// or https:// address; anything else fails the attempt
  Text verb = u"GET";
  Text extraHeaders;   // extra request header lines, CRLF-separated, sent as they are
  Bytes startMarker;   // keep only what follows the last occurrence seen while reading
  Bytes endMarker;     // cut the body at its first occurrence and stop the transfer there
  Bytes retryMarker;   // Fetch: a body containing this counts as a failed attempt
  Text targetFile;     // absolute path that receives the (decoded) body of a successful attempt; empty =
                       // a page, kept in memory
  Bytes body;          // request body, sent with its Content-Length in 1024-byte pieces; empty = none

  // Bound on each wait for response data once the reply's headers are in: a server that sends nothing
  // for this long fails the attempt, however long the whole transfer takes. 0 = no bound.
  std::uint32_t readTimeoutMs;
  // Bound on connecting, sending the request and waiting for the reply's headers. 0 = no bound.
  std::uint32_t connectTimeoutMs;

  std::int32_t minSizeK = 0;   // smallest accepted body, in KiB (a picture's decoded size)
  std::int32_t maxSizeK = 0;   // largest accepted body, in KiB (a picture's decoded size); 0 = no limit of
                               // the caller's (kPageCapBytes, kPictureCapBytes still hold)
  std::uint32_t minBodyLength = 0;  // Fetch: the examined body must be longer than this
  std::uint8_t attempts = 1;        // Fetch: number of attempts
  std::uint8_t retryDelaySec = 1;   // Fetch: pause after every failed attempt

  // When set and it becomes true, a transfer in flight ends within a few milliseconds and Fetch's pause
  // between attempts wakes at once; the fetch then fails. The flag must outlive the call.
  const std::atomic<bool>* abort = nullptr;

  // When set, the attempt waits for its host's turn before it goes out (the abort flag ends the wait,
  // failing the attempt as cancelled) and tells the pacer how the site answered. Must outlive the call.
  RequestPacer* pacer = nullptr;
};

// Why a fetch failed, so a run can tell a picture left out by its size limits from one that is lost.
enum class FetchFailure : std::uint8_t {
  None,         // the fetch succeeded (or has not been tried)
  SizeLimit,    // the announced or the actual (decoded) length lies outside [minSizeK, maxSizeK], or a
                // picture is beyond kPictureCapBytes: left out, not lost
  HttpStatus,   // a picture's final reply had a status outside 2xx (httpStatus says which)
  Network,      // no connection, a reset, a transfer that ended early, a broken or lying reply (two
                // Content-Length values that differ, a page beyond kPageCapBytes), a bad address, a page
                // refused by Fetch's acceptance check
  Timeout,      // no reply or a stall longer than the request's time-outs
  NotPicture,   // the reply cannot be a whole picture: an HTML page, an empty body, compressed data that
                // does not decode or inflates as no picture does, a reply refused by Fetch's acceptance
                // check
  CannotWrite,  // the target file could not be written
  Cancelled,    // the request's abort flag was raised
  Proxy,        // the proxy the request went through could not be found or reached, gave no answer,
                // refused the tunnel or asked for a password: UrlResponse::detail says which. The
                // request is never sent directly instead.
};

// A short English name for the reason ("size limit", "HTTP 404", "time-out", ...), for reports.
Text DescribeFetchFailure(FetchFailure failure, long httpStatus);

struct UrlResponse {
  FetchFailure failure = FetchFailure::None;  // why the last attempt failed; None after a success
  long httpStatus = 0;                        // the final reply's status code; 0 when none arrived
  // The pause the final reply asked for (its Retry-After, in seconds, capped); -1 when it named none.
  std::int64_t retryAfterSeconds = -1;
  // The header block of the final reply (after redirects): status line and header lines, each ending in
  // CRLF, then the empty line. Left as it was when an attempt gets no reply at all.
  Text rawHeaders;
  Bytes body;          // a page's body as received (never decompressed), after the marker filters; always
                       // empty for a picture, which went to its file
  Bytes startMarker;   // the request's markers, copied at the start of each attempt for GetText
  Bytes endMarker;
  bool gzip = false;   // rawHeaders contains "gzip"
  // The failure in more words, naming what failed, when the fetcher knows it: the proxy, for
  // FetchFailure::Proxy ("cannot connect to the proxy http://host:port"), a host name that could not be
  // resolved ("cannot find the host example.invalid"), a host that took no connection ("cannot connect
  // to 127.0.0.1:9"), or a full disk for FetchFailure::CannotWrite ("cannot write the file: the disk is
  // full"); empty otherwise.
  Text detail;
};

// The reason of the response's failure: its detail when it has one, else DescribeFetchFailure's words.
Text DescribeFetchFailure(const UrlResponse& response);

// The way out for every request of the process from now on: the system's proxy settings (the default),
// none, or one fixed proxy (--proxy). Loopback addresses always go directly. The front ends call it
// before their first request.
void ChooseProxy(const ProxyChoice& choice);
// What ChooseProxy was last given (the system's settings before it is called).
ProxyChoice ChosenProxy();

// Up to `attempts` attempts of FetchOnce, each judged: a successful attempt is accepted when minBodyLength
// is 0 and retryMarker is empty, or when the examined body is longer than minBodyLength and does not
// contain retryMarker. A page's examined body is decompressed with FETCH_ALLOW_CACHE and a gzip reply; a
// picture is examined as it is written (decoded) and a refused one is never put in place. After every
// failed attempt, the last included, Fetch pauses retryDelaySec seconds (cut short by the abort flag).
// attempts 0 = false without any request. The response keeps what the last attempt left; on false its
// `failure` says why (Cancelled when the abort flag ended it).
bool Fetch(UrlRequest& request, UrlResponse& response, unsigned options);

// A fetch as its callers make it: Fetch, unless a test puts a fake in that replays replies as data.
using FetchFn = std::function<bool(UrlRequest& request, UrlResponse& response, unsigned options)>;

// One attempt; `response.failure` says why it failed (None after a success), `httpStatus` what the final
// reply's status was. Fails on: a bad address; no connection or no reply within connectTimeoutMs; a stall
// of readTimeoutMs, or fewer than kTrickleBytes in a span of readTimeoutMs once the reply's headers are in; a transfer that ends early (closed before its Content-Length, broken chunking, reset);
// two Content-Length values that differ; an announced Content-Length outside [minSizeK, maxSizeK] KiB (no
// body byte is kept then); a body that grows past maxSizeK KiB; a final body under minSizeK KiB; more than
// kMaxRedirects redirects; the abort flag. An end marker ending the transfer is not a failure.
// Page fetches (no targetFile) do not judge the HTTP status: an error page is read like any other and the
// body of a failed attempt stays in the response; beyond kPageCapBytes of text (as received, or as a gzip
// page inflates) a page fails. With a targetFile the attempt also fails on a final status outside 2xx, a
// body that is no picture by its first (decoded) bytes (SniffContent: the beginning of an HTML page, or
// of no known picture format under a Content-Type of text/html; a known picture format is kept whatever
// the Content-Type says), an empty body, compressed data that does not decode or that inflates far beyond
// what it came as (as no picture does), and when the file cannot be written. A picture streams to a temporary name beside its target as it arrives, inflated on
// the way when the reply says Content-Encoding gzip or deflate (its size limits are judged on the decoded
// bytes), and is renamed into place only when the whole of it arrived and was judged good: the file is
// complete or absent, and the response's body stays empty either way.
// The marker filters run while reading only for a non-gzip reply without a targetFile.
bool FetchOnce(UrlResponse& response, const UrlRequest& request, unsigned options);

// The text of the response's body: decompressed first with TEXT_GUNZIP when the reply is gzip; for a
// gzip reply the marker copies are applied now (they could not be while reading); decoded as ANSI when
// the headers say "charset=GBK", else by the option bits (ANSI by default); entities decoded.
Text GetText(const UrlResponse& response, unsigned options);

// gzip or zlib decompression (recognised by the header), appending to `out`. True only when the stream
// ends properly; a truncated or corrupt stream, or more than `maxOutput` bytes of output, gives false with
// what was produced (at most `maxOutput` bytes) left in `out`.
bool InflateBody(const char* bytes, std::size_t length, Bytes& out, std::size_t maxOutput = kPageCapBytes);

// Applies the marker filters to `bytes` as the read loop does: while `startMarker` occurs, drop everything
// through its first occurrence; then cut at the first `endMarker` (dropping it too). `checkedUpTo` says how
// many leading bytes were already filtered before (a marker cannot lie wholly inside them), so repeated
// calls on a growing buffer cost only the new bytes; it is updated for the next call. True when the end
// marker was found.
bool ApplyMarkers(Bytes& bytes, std::string_view startMarker, std::string_view endMarker,
                  std::size_t& checkedUpTo);

// Hands out a request body the way it goes on the wire: pieces of at most 1024 bytes, in order.
class RequestBodyReader {
 public:
  static constexpr std::size_t kPieceBytes = 1024;
  explicit RequestBodyReader(const Bytes& body) : body_(body) {}
  // Copies the next piece (at most min(room, kPieceBytes) bytes) into `buffer`; 0 when all was handed out.
  std::size_t Next(char* buffer, std::size_t room);
  // Starts over from the first byte (a redirect that keeps the method sends the body again).
  void Rewind() { offset_ = 0; }

 private:
  const Bytes& body_;
  std::size_t offset_ = 0;
};

}  // namespace albatrix
