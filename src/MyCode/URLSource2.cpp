#include "MyCode/URLSource2.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "MyCode/CookieJar.h"
#include "MyCode/ReplyBody.h"
#include "MyCode/ReplyHead.h"
#include "MyCode/StreamInflater.h"
#include "MyCode/Trace.h"

namespace albatrix {

namespace {

using Clock = std::chrono::steady_clock;

// The read loop's pacing: a 10 ms breather per 102,399 bytes received keeps fifteen workers from
// saturating the link and the site.
constexpr std::size_t kReadPieceBytes = 102399;
constexpr auto kReadPause = std::chrono::milliseconds(10);

// How often the transfer loop looks at the abort flag and the stall clock when nothing happens.
constexpr int kPollMs = 10;

// Idle transfer engines the process keeps, each with the connections its last attempts left open: more
// than the attempts that ever run at once (at most 15 workers and the crawlers), so the next attempt finds
// one whatever ran before it.
constexpr std::size_t kKeptEngines = 32;

// The address as libcurl takes it: UTF-8, with bytes no URL may carry raw (controls, space, non-ASCII)
// percent-encoded, as a browser does when a page names a picture with such characters. Empty when the
// address is not http or https.
std::string WireUrl(TextView url) {
  std::string utf8 = TextToUtf8(url);
  if (!StartsWithNoCase(utf8, "http://") && !StartsWithNoCase(utf8, "https://")) return {};
  std::string out;
  out.reserve(utf8.size());
  for (unsigned char c : utf8) {
    if (c <= 0x20 || c >= 0x7F) {
      out += '%';
      AppendHex(out, c, 2);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// The hosts libcurl itself keeps off the proxy. Each request's route is chosen before it goes out (ProxyRoutes
// keeps loopback direct), so this list only matters for a redirect to another host, which libcurl follows
// on the route of the address asked: loopback never goes through a proxy, and while the system's settings
// are followed, neither does what the environment's no_proxy names.
constexpr const char* kLoopbackOnly = "127.0.0.0/8,localhost,::1";
const char* NoProxyList() {
  static const std::string list = [] {
    std::string s;
    const char* env = std::getenv("no_proxy");
    if (!env || !*env) env = std::getenv("NO_PROXY");
    if (env && *env) s = std::string(env) + ",";
    return s + kLoopbackOnly;
  }();
  return list.c_str();
}

#ifdef ALBATRIX_TEST_HOOKS
// For tests only: the certificate (a PEM file) that a stand-in site serving TLS was given, trusted in
// place of the system's authorities, so the https path is exercised with verification on. Null when
// ALBATRIX_TEST_CA_FILE is unset or empty: the system's authorities, as for every real site. A shipped
// build has no such hook: nothing in its environment can replace the authorities.
const char* TestCaFile() {
  static const std::string file = [] {
    const char* env = std::getenv("ALBATRIX_TEST_CA_FILE");
    return std::string(env ? env : "");
  }();
  return file.empty() ? nullptr : file.c_str();
}
#endif

std::uint64_t KiB(std::int32_t k) { return static_cast<std::uint64_t>(std::max(k, 0)) * 1024; }

// Everything one attempt tracks while libcurl runs it. Callbacks run on the fetching thread only.
struct Transfer {
  Transfer(const UrlRequest& req, UrlResponse& resp, const PictureAcceptance* accept)
      : request(req), response(resp), acceptance(accept), reader(req.body) {}

  const UrlRequest& request;
  UrlResponse& response;
  const PictureAcceptance* acceptance;
  RequestBodyReader reader;

  std::string block;          // the header block being collected
  bool collecting = false;
  bool replyHeadersIn = false;  // a final (non-1xx) header block has arrived
  std::string finalBlock;     // the last complete header block
  std::unique_ptr<ReplyBody> body;  // made when the final reply's body begins (or ends empty)
  bool endMarkerHit = false;
  std::size_t sincePause = 0;
  Clock::time_point lastActivity = Clock::now();
  // The span of the time-out now being watched for a trickle, and the bytes that arrived in it.
  Clock::time_point spanStart = Clock::now();
  std::uint64_t spanBytes = 0;
  FetchFailure failure = FetchFailure::None;  // our own reason to end the transfer
  std::string why;

  bool ToFile() const { return !request.targetFile.empty(); }
  bool Aborted() const { return request.abort && request.abort->load(std::memory_order_relaxed); }

  bool Stop(FetchFailure reason, std::string text) {
    failure = reason;
    why = std::move(text);
    return false;
  }

  // The allowed silence at this point of the exchange, 0 = unbounded.
  std::uint32_t SilenceLimitMs() const {
    return replyHeadersIn ? request.readTimeoutMs : request.connectTimeoutMs;
  }

  // Bytes arrived: they count for the silence and for the span being watched.
  void Arrived(std::size_t n) {
    lastActivity = Clock::now();
    spanBytes += n;
  }

  // A server that sends a byte now and then never falls silent, yet would hold the transfer for as long
  // as it likes: the reply fails too when fewer than kTrickleBytes arrived in a whole span of the
  // time-out. Spans follow each other from the moment the reply's headers are in.
  bool Trickling(Clock::time_point now) {
    const std::uint32_t limit = request.readTimeoutMs;
    if (!replyHeadersIn || limit == 0 || now - spanStart < std::chrono::milliseconds(limit)) return false;
    if (spanBytes < kTrickleBytes) return true;
    spanStart = now;
    spanBytes = 0;
    return false;
  }

  // Judges the final reply by its headers, before any body byte is kept, and makes the body's sink (which
  // judges a picture's first bytes).
  bool BeginBody();
};

bool Transfer::BeginBody() {
  const std::string_view head = finalBlock;
  const int status = StatusOf(head);
  if (ToFile() && (status < 200 || status > 299))
    return Stop(FetchFailure::HttpStatus, "HTTP status " + std::to_string(status) + " for a file");
  std::uint64_t announced = 0;
  const AnnouncedLength length = ContentLengthOf(head, announced);
  // Whichever length we believed, part of the body could be lost or another reply's bytes taken for it.
  if (length == AnnouncedLength::Conflicting) return Stop(FetchFailure::Network, "conflicting Content-Length values");
  PictureHead picture;
  picture.htmlType = ToFile() && IsHtmlContentType(head);
  // A compressed picture is judged by what it inflates to, as it inflates: its announced length is not
  // the picture's.
  picture.encoded = ToFile() && IsContentEncoded(head);
  if (length == AnnouncedLength::One && !picture.encoded) {
    std::uint64_t upper = ToFile() ? PictureLimitBytes(request)
                                   : (request.maxSizeK > 0 ? KiB(request.maxSizeK) : UINT64_MAX);
    picture.lengthOutside = announced < KiB(request.minSizeK) || announced > upper;
    // A picture the server calls a page is left out by its limits, a page is refused as one: which of the
    // two came waits for the first bytes.
    if (picture.lengthOutside && !picture.htmlType)
      return Stop(FetchFailure::SizeLimit, "announced length outside the size limits");
  }
  body = ToFile() ? MakePictureBody(request, response, picture, acceptance) : MakePageBody(request, response);
  return true;
}

extern "C" size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  std::string_view line(data, size * count);
  t.Arrived(line.size());
  if (line.substr(0, 5) == "HTTP/") {
    // Every reply (1xx, redirects, the final one) starts a new block; the last complete one stands.
    t.block.assign(line);
    t.collecting = true;
  } else if (t.collecting) {
    t.block.append(line);
    if (line == "\r\n" || line == "\n") {
      t.collecting = false;
      t.finalBlock = t.block;
      if (StatusOf(t.block) >= 200 && !t.replyHeadersIn) {
        t.replyHeadersIn = true;
        t.spanStart = Clock::now();
        t.spanBytes = 0;
      }
      t.response.rawHeaders = BytesToText(t.block, AnsiCodePage());
      t.response.gzip = t.block.find("gzip") != std::string::npos;
    }
  }
  // Trailer lines after a chunked body are not part of the block.
  return size * count;
}

extern "C" size_t OnBodyData(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  std::size_t n = size * count;
  t.Arrived(n);
  if (t.Aborted()) {
    t.Stop(FetchFailure::Cancelled, "aborted");
    return 0;
  }
  if (!t.body && !t.BeginBody()) return 0;
  if (!t.body->Take(std::string_view(data, n))) {
    if (t.body->EndMarkerReached())
      t.endMarkerHit = true;
    else
      t.Stop(t.body->failure(), t.body->why());
    return 0;
  }
  t.sincePause += n;
  while (t.sincePause >= kReadPieceBytes) {
    t.sincePause -= kReadPieceBytes;
    std::this_thread::sleep_for(kReadPause);
  }
  return n;
}

extern "C" size_t OnBodyNeeded(char* buffer, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  t.lastActivity = Clock::now();
  return t.reader.Next(buffer, size * count);
}

extern "C" int OnBodyRewind(void* user, curl_off_t offset, int origin) {
  if (offset != 0 || origin != SEEK_SET) return CURL_SEEKFUNC_CANTSEEK;
  static_cast<Transfer*>(user)->reader.Rewind();
  return CURL_SEEKFUNC_OK;
}

// The request's extra header lines for libcurl, plus the two blanks that keep libcurl from adding headers
// the caller did not ask for: "Expect: 100-continue" (a pause before the body) and a form Content-Type.
curl_slist* HeaderList(const UrlRequest& request) {
  curl_slist* list = nullptr;
  bool hasExpect = false;
  bool hasType = false;
  std::string all = TextToUtf8(request.extraHeaders);
  std::size_t pos = 0;
  while (pos <= all.size()) {
    std::size_t eol = all.find('\n', pos);
    if (eol == std::string::npos) eol = all.size();
    std::string line = all.substr(pos, eol - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) {
      hasExpect = hasExpect || StartsWithNoCase(line, "expect:");
      hasType = hasType || StartsWithNoCase(line, "content-type:");
      list = curl_slist_append(list, line.c_str());
    }
    pos = eol + 1;
  }
  if (!hasExpect) list = curl_slist_append(list, "Expect:");
  if (!request.body.empty() && !hasType) list = curl_slist_append(list, "Content-Type:");
  return list;
}

// The handles of one attempt, released on every way out.
// The process's open connections, kept as the system's internet stack keeps them: in the connection
// cache of the libcurl multi handle each attempt runs on. An attempt takes an idle multi handle for
// itself and gives it back when it ends, so the next attempt to that host, from whichever worker, goes out
// on the connection left open. A multi handle is only ever used by one thread at a time: libcurl's shared
// connection cache is not safe between threads, so connections are handed on, never shared. The pool
// lives as long as the process (threads may still fetch while it exits); the system closes what it
// holds then.
class TransferEngines {
 public:
  CURLM* Take() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (!idle_.empty()) {
        CURLM* multi = idle_.back();  // the last one given back: its connections are the freshest
        idle_.pop_back();
        return multi;
      }
    }
    return curl_multi_init();
  }
  void Give(CURLM* multi) {
    if (!multi) return;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (idle_.size() < kKeptEngines) {
        idle_.push_back(multi);
        return;
      }
    }
    curl_multi_cleanup(multi);
  }

 private:
  std::mutex lock_;
  std::vector<CURLM*> idle_;
};

// What every fetch of the process shares: the transfer engines and the proxy routes of the run. It lives as
// long as the process, for the reason the pool does.
struct FetcherState {
  TransferEngines engines;
  ProxyRoutes routes;
  static FetcherState& Instance() {
    static auto* state = new FetcherState;
    return *state;
  }
};

struct Handles {
  CURL* easy = curl_easy_init();
  CURLM* multi = FetcherState::Instance().engines.Take();
  curl_slist* headers = nullptr;
  bool added = false;
  ~Handles() {
    // Removed from its engine, a finished transfer leaves its connection in the engine's cache; one
    // ended early (a cancel, a limit) has it closed by libcurl.
    if (added) curl_multi_remove_handle(multi, easy);
    if (easy) curl_easy_cleanup(easy);
    FetcherState::Instance().engines.Give(multi);
    curl_slist_free_all(headers);
  }
};

// `proxy` (empty: none) is the request's route, already chosen.
void SetUp(Handles& h, Transfer& t, const std::string& url, const std::string& proxy) {
  const UrlRequest& r = t.request;
  CURL* e = h.easy;
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  // Set always, "" for none: libcurl would otherwise read http_proxy and its kin itself, a second route
  // beside the one chosen, and on Windows a different one from the system's.
  curl_easy_setopt(e, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(e, CURLOPT_NOPROXY,
                   FetcherState::Instance().routes.FollowsSystem() ? NoProxyList() : kLoopbackOnly);
  curl_easy_setopt(e, CURLOPT_USERAGENT, kBrowserUserAgent);
#ifdef ALBATRIX_TEST_HOOKS
  if (const char* caFile = TestCaFile()) curl_easy_setopt(e, CURLOPT_CAINFO, caFile);
#endif
  // The body is kept exactly as the server sent it; callers decompress with GetText.
  curl_easy_setopt(e, CURLOPT_HTTP_CONTENT_DECODING, 0L);
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, static_cast<long>(kReadPieceBytes + 1));
  if (r.connectTimeoutMs > 0) curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(r.connectTimeoutMs));

  h.headers = HeaderList(r);
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, h.headers);
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, OnHeaderLine);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnBodyData);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);

  std::string verb = TextToUtf8(r.verb);
  if (verb.empty()) verb = "GET";
  if (!r.body.empty()) {
    curl_easy_setopt(e, CURLOPT_POST, 1L);
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r.body.size()));
    curl_easy_setopt(e, CURLOPT_READFUNCTION, OnBodyNeeded);
    curl_easy_setopt(e, CURLOPT_READDATA, &t);
    // A 307/308 redirect sends the body again from its start.
    curl_easy_setopt(e, CURLOPT_SEEKFUNCTION, OnBodyRewind);
    curl_easy_setopt(e, CURLOPT_SEEKDATA, &t);
    if (verb != "POST") curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, verb.c_str());
  } else if (verb == "POST") {
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, "");
  } else if (verb == "HEAD") {
    curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
  } else if (verb != "GET") {
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, verb.c_str());
  }
  CookieJar::Instance().Attach(e);
}

// Runs the transfer to its end, watching the abort flag and the silence allowed at each stage. The
// result is libcurl's; `t.failure` tells when we ended it ourselves.
CURLcode Run(Handles& h, Transfer& t) {
  if (curl_multi_add_handle(h.multi, h.easy) != CURLM_OK) return CURLE_FAILED_INIT;
  h.added = true;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(h.multi, &running) != CURLM_OK) return CURLE_FAILED_INIT;
    if (!running) break;
    if (t.Aborted()) {
      t.Stop(FetchFailure::Cancelled, "aborted");
      return CURLE_ABORTED_BY_CALLBACK;
    }
    std::uint32_t limit = t.SilenceLimitMs();
    const Clock::time_point now = Clock::now();
    if (limit > 0 && now - t.lastActivity >= std::chrono::milliseconds(limit)) {
      t.Stop(FetchFailure::Timeout,
             t.replyHeadersIn ? "no data within the read time-out" : "no reply within the connect time-out");
      return CURLE_OPERATION_TIMEDOUT;
    }
    if (t.Trickling(now)) {
      t.Stop(FetchFailure::Timeout, "less than 1 KiB within the read time-out");
      return CURLE_OPERATION_TIMEDOUT;
    }
    curl_multi_poll(h.multi, nullptr, 0, kPollMs, nullptr);
  }
  int left = 0;
  while (CURLMsg* msg = curl_multi_info_read(h.multi, &left)) {
    if (msg->msg == CURLMSG_DONE) return msg->data.result;
  }
  return CURLE_FAILED_INIT;
}

void TraceFailure(const UrlRequest& request, std::string_view why) {
  if (!TraceEnabled()) return;
  Trace("fetch " + TextToUtf8(request.url) + " failed: " + std::string(why));
}

}  // namespace

UrlRequest::UrlRequest(Text u, Text target, std::uint32_t timeoutMs)
    : url(std::move(u)), targetFile(std::move(target)), readTimeoutMs(timeoutMs), connectTimeoutMs(timeoutMs) {}

std::size_t RequestBodyReader::Next(char* buffer, std::size_t room) {
  std::size_t n = std::min({room, kPieceBytes, body_.size() - offset_});
  std::memcpy(buffer, body_.data() + offset_, n);
  offset_ += n;
  return n;
}

bool ApplyMarkers(Bytes& bytes, std::string_view startMarker, std::string_view endMarker,
                  std::size_t& checkedUpTo) {
  // A marker of m bytes found now must end among the unchecked bytes, so it starts at most m - 1 bytes
  // before them.
  auto searchFrom = [&](std::size_t markerSize) {
    std::size_t back = markerSize > 0 ? markerSize - 1 : 0;
    return checkedUpTo > back ? checkedUpTo - back : 0;
  };
  if (!startMarker.empty()) {
    std::size_t p;
    while ((p = bytes.find(startMarker, searchFrom(startMarker.size()))) != Bytes::npos) {
      std::size_t cut = p + startMarker.size();
      bytes.erase(0, cut);
      checkedUpTo = checkedUpTo > cut ? checkedUpTo - cut : 0;
    }
  }
  if (!endMarker.empty()) {
    std::size_t p = bytes.find(endMarker, searchFrom(endMarker.size()));
    if (p != Bytes::npos) {
      bytes.resize(p);
      checkedUpTo = bytes.size();
      return true;
    }
  }
  checkedUpTo = bytes.size();
  return false;
}

namespace {

// When the attempt failed at the proxy `proxy`: what happened there, naming it; empty when it did not (the
// failure, if any, lies beyond the proxy). The request is never sent again without it.
std::string ProxyTrouble(CURL* easy, CURLcode rc, const Transfer& t, long httpStatus, const std::string& proxy) {
  if (rc == CURLE_COULDNT_RESOLVE_PROXY) return "cannot find the proxy " + proxy;
  // With a proxy set, the only connection libcurl makes itself is the one to the proxy.
  if (rc == CURLE_COULDNT_CONNECT) return "cannot connect to the proxy " + proxy;
  long tunnel = 0;
  curl_easy_getinfo(easy, CURLINFO_HTTP_CONNECTCODE, &tunnel);
  if (tunnel >= 300) return "the proxy " + proxy + " refused the tunnel (HTTP " + std::to_string(tunnel) + ")";
  if (rc == CURLE_PROXY) return "the proxy " + proxy + " failed the request";
  // No site sends 407: that reply is the proxy's own.
  if (httpStatus == 407) return "the proxy " + proxy + " asks for a password (HTTP 407)";
  curl_off_t connected = 0;
  if (!t.replyHeadersIn && (rc == CURLE_OPERATION_TIMEDOUT || t.failure == FetchFailure::Timeout) &&
      curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connected) == CURLE_OK && connected == 0)
    return "no answer from the proxy " + proxy + " within the time-out";
  return {};
}

// libcurl's own ways of failing, in our words.
FetchFailure FailureOf(CURLcode rc) {
  return rc == CURLE_OPERATION_TIMEDOUT ? FetchFailure::Timeout : FetchFailure::Network;
}

// One attempt; with `acceptance`, a picture is also judged by Fetch's acceptance check before it is put
// in place, so a refused reply never replaces the file that was there.
bool Attempt(UrlResponse& response, const UrlRequest& request, const PictureAcceptance* acceptance) {
  response.body.clear();
  response.startMarker = request.startMarker;
  response.endMarker = request.endMarker;
  response.gzip = false;
  response.failure = FetchFailure::None;
  response.httpStatus = 0;
  response.retryAfterSeconds = -1;
  response.detail.clear();

  auto fail = [&](FetchFailure failure, std::string_view why) {
    TraceFailure(request, why);
    response.failure = failure;
    return false;
  };

  std::string url = WireUrl(request.url);
  if (url.empty()) return fail(FetchFailure::Network, "not an http or https address");
  if (request.abort && request.abort->load()) return fail(FetchFailure::Cancelled, "aborted");
  const std::string host = request.pacer ? HostOf(url) : std::string();
  if (request.pacer && !request.pacer->WaitTurn(host, request.abort)) return fail(FetchFailure::Cancelled, "aborted");

  EnsureCurlInitialised();
  Handles handles;
  if (!handles.easy || !handles.multi) return fail(FetchFailure::Network, "libcurl could not start a transfer");
  Transfer t(request, response, acceptance);
  const std::string proxy = FetcherState::Instance().routes.ProxyFor(url);
  SetUp(handles, t, url, proxy);

  CURLcode rc = Run(handles, t);
  if (t.replyHeadersIn) {
    curl_easy_getinfo(handles.easy, CURLINFO_RESPONSE_CODE, &response.httpStatus);
    const std::string_view asked = HeaderValue(t.finalBlock, "retry-after:");
    if (auto pause = RetryAfterPause(asked, std::chrono::system_clock::now())) response.retryAfterSeconds = pause->count();
  }
  if (request.pacer) request.pacer->Replied(host, response.httpStatus, t.finalBlock);
  if (t.failure == FetchFailure::Cancelled) return fail(t.failure, t.why);
  if (!proxy.empty()) {
    if (std::string trouble = ProxyTrouble(handles.easy, rc, t, response.httpStatus, proxy); !trouble.empty()) {
      response.detail = Utf8ToText(trouble);
      return fail(FetchFailure::Proxy, rc == CURLE_OK ? trouble : trouble + " (" + curl_easy_strerror(rc) + ")");
    }
  }
  if (t.failure != FetchFailure::None) return fail(t.failure, t.why);
  if (rc == CURLE_COULDNT_RESOLVE_HOST) {
    const std::string host = RouteHost(RouteKey(url));
    response.detail = Utf8ToText("cannot find the host " + host);
    return fail(FetchFailure::Network, "cannot find the host " + host);
  }
  // A site that is down says so in the listing's message, not as a login to try.
  if (rc == CURLE_COULDNT_CONNECT) {
    response.detail = Utf8ToText("cannot connect to " + HostOf(url));
    return fail(FetchFailure::Network, "cannot connect to " + HostOf(url));
  }
  if (rc != CURLE_OK && !(rc == CURLE_WRITE_ERROR && t.endMarkerHit))
    return fail(FailureOf(rc), curl_easy_strerror(rc));
  // A reply without a single body byte is judged now.
  if (!t.body && !t.BeginBody()) return fail(t.failure, t.why);
  if (!t.body->Finish()) return fail(t.body->failure(), t.body->why());
  return true;
}

}  // namespace

bool FetchOnce(UrlResponse& response, const UrlRequest& request, unsigned /*options*/) {
  return Attempt(response, request, nullptr);
}

bool Fetch(UrlRequest& request, UrlResponse& response, unsigned options) {
  if (request.attempts == 0) {
    response.failure = FetchFailure::Network;
    return false;
  }
  const bool judged = request.minBodyLength > 0 || !request.retryMarker.empty();
  const bool toFile = !request.targetFile.empty();
  const PictureAcceptance acceptance{request.minBodyLength, request.retryMarker};
  for (unsigned attempt = 1; attempt <= request.attempts; ++attempt) {
    if (request.abort && request.abort->load()) {
      response.failure = FetchFailure::Cancelled;
      return false;
    }
    if (Attempt(response, request, toFile && judged ? &acceptance : nullptr)) {
      if (toFile || !judged) return true;
      Bytes inflated;
      bool unpack = (options & FETCH_ALLOW_CACHE) && response.gzip;
      if (unpack) InflateBody(response.body.data(), response.body.size(), inflated);
      const Bytes& check = unpack ? inflated : response.body;
      if (check.size() > request.minBodyLength &&
          (request.retryMarker.empty() || check.find(request.retryMarker) == Bytes::npos))
        return true;
      TraceFailure(request, "reply not accepted (too short or retry marker found)");
      response.failure = FetchFailure::Network;
    }
    PauseUnlessRaised(std::chrono::seconds(request.retryDelaySec), request.abort);  // cut short by the abort flag
  }
  return false;
}

Text DescribeFetchFailure(FetchFailure failure, long httpStatus) {
  switch (failure) {
    case FetchFailure::None: return u"no failure";
    case FetchFailure::SizeLimit: return u"left out by size limits";
    case FetchFailure::HttpStatus: return Utf8ToText("HTTP " + std::to_string(httpStatus));
    case FetchFailure::Network: return u"network error";
    case FetchFailure::Timeout: return u"time-out";
    case FetchFailure::NotPicture: return u"not a picture";
    case FetchFailure::CannotWrite: return u"cannot write the file";
    case FetchFailure::Cancelled: return u"cancelled";
    case FetchFailure::Proxy: return u"proxy failure";
  }
  return u"unknown failure";
}

Text DescribeFetchFailure(const UrlResponse& response) {
  if (response.failure != FetchFailure::None && !response.detail.empty()) return response.detail;
  return DescribeFetchFailure(response.failure, response.httpStatus);
}

void ChooseProxy(const ProxyChoice& choice) { FetcherState::Instance().routes.Choose(choice); }
ProxyChoice ChosenProxy() { return FetcherState::Instance().routes.Choice(); }

Text GetText(const UrlResponse& response, unsigned options) {
  // A plain body is read where it lies: a page near the page limit is not held twice.
  Bytes unpacked;
  if (response.gzip) {
    if (options & TEXT_GUNZIP)
      InflateBody(response.body.data(), response.body.size(), unpacked);
    else
      unpacked = response.body;
    std::size_t checked = 0;
    ApplyMarkers(unpacked, response.startMarker, response.endMarker, checked);
  }
  const Bytes& work = response.gzip ? unpacked : response.body;

  Text text;
  if (response.rawHeaders.find(u"charset=GBK") != Text::npos)
    text = AnsiToText(work.c_str());
  else if (options & TEXT_UTF8)
    text = BytesToText(work, CP_UTF8);
  else if (options & TEXT_EUCKR)
    text = BytesToText(work, CP_EUCKR);
  else if (options & TEXT_BIG5)
    text = BytesToText(work, CP_BIG5);
  else if ((options & TEXT_AUTO_UTF8) && IsUtf8Text(work.data(), work.size()))
    text = BytesToText(work, CP_UTF8);
  else
    text = AnsiToText(work.c_str());
  DecodeEntities(text);
  return text;
}

bool InflateBody(const char* bytes, std::size_t length, Bytes& out, std::size_t maxOutput) {
  std::size_t room = maxOutput;
  StreamInflater inflater;
  auto take = [&](std::string_view piece) {
    std::size_t kept = std::min(piece.size(), room);
    out.append(piece.data(), kept);
    room -= kept;
    return kept == piece.size();
  };
  StreamInflater::State state = inflater.Feed(std::string_view(bytes, length), take);
  if (state == StreamInflater::State::Stopped) Trace("InflateBody: output larger than the limit, stopped");
  return state == StreamInflater::State::End;
}

}  // namespace albatrix
