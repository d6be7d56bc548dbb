#include "MyCode/URLSource2.h"

#include <curl/curl.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "MyCode/CookieJar.h"
#include "MyCode/FileSystem.h"
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

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// The address as libcurl takes it: UTF-8, with bytes no URL may carry raw (controls, space, non-ASCII)
// percent-encoded, as a browser does when a page names a picture with such characters. Empty when the
// address is not http or https.
std::string WireUrl(TextView url) {
  std::string utf8 = TextToUtf8(url);
  if (!StartsWithNoCase(utf8, "http://") && !StartsWithNoCase(utf8, "https://")) return {};
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size());
  for (unsigned char c : utf8) {
    if (c <= 0x20 || c >= 0x7F) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// Loopback never goes through a proxy, whatever the environment says about other hosts.
const char* NoProxyList() {
  static const std::string list = [] {
    std::string s;
    const char* env = std::getenv("no_proxy");
    if (!env || !*env) env = std::getenv("NO_PROXY");
    if (env && *env) s = std::string(env) + ",";
    return s + "127.0.0.1,localhost,::1";
  }();
  return list.c_str();
}

// The value of header `name` (given in lower case with its colon) in a header block, matched without
// regard to case, as servers spell header names as they like. Empty when absent.
std::string_view HeaderValue(std::string_view block, std::string_view name) {
  std::size_t pos = 0;
  while (pos < block.size()) {
    std::size_t eol = block.find('\n', pos);
    if (eol == std::string_view::npos) eol = block.size();
    std::string_view line = block.substr(pos, eol - pos);
    if (StartsWithNoCase(line, name)) {
      std::string_view value = line.substr(name.size());
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
      return value;
    }
    pos = eol + 1;
  }
  return {};
}

// The announced body length: leading blanks skipped, decimal digits up to the first non-digit.
bool ParseLength(std::string_view value, std::uint64_t& length) {
  std::size_t i = 0;
  length = 0;
  while (i < value.size() && value[i] >= '0' && value[i] <= '9') {
    if (length > (UINT64_MAX - 9) / 10) return false;
    length = length * 10 + static_cast<std::uint64_t>(value[i] - '0');
    ++i;
  }
  return i > 0;
}

// Everything one attempt tracks while libcurl runs it. Callbacks run on the fetching thread only.
struct Transfer {
  Transfer(const UrlRequest& req, UrlResponse& resp) : request(req), response(resp), reader(req.body) {}

  const UrlRequest& request;
  UrlResponse& response;
  RequestBodyReader reader;

  std::uint64_t minBytes = 0;
  std::uint64_t maxBytes = kBodyCapBytes;
  bool filter = false;  // marker filters while reading (decided when the body begins)

  std::string block;          // the header block being collected
  bool collecting = false;
  bool replyHeadersIn = false;  // a final (non-1xx) header block has arrived
  std::string finalBlock;     // the last complete header block
  bool bodyStarted = false;
  std::size_t checkedUpTo = 0;
  bool endMarkerHit = false;
  std::size_t sincePause = 0;
  Clock::time_point lastActivity = Clock::now();
  const char* failure = nullptr;  // our own reason to end the transfer

  bool Aborted() const { return request.abort && request.abort->load(std::memory_order_relaxed); }

  // The allowed silence at this point of the exchange, 0 = unbounded.
  std::uint32_t SilenceLimitMs() const {
    return replyHeadersIn ? request.readTimeoutMs : request.connectTimeoutMs;
  }
};

int StatusOf(std::string_view statusLine) {
  std::size_t space = statusLine.find(' ');
  if (space == std::string_view::npos) return 0;
  int code = 0;
  for (std::size_t i = space + 1; i < statusLine.size() && i <= space + 3; ++i) {
    if (statusLine[i] < '0' || statusLine[i] > '9') return 0;
    code = code * 10 + (statusLine[i] - '0');
  }
  return code;
}

extern "C" size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  std::string_view line(data, size * count);
  t.lastActivity = Clock::now();
  if (line.substr(0, 5) == "HTTP/") {
    // Every reply (1xx, redirects, the final one) starts a new block; the last complete one stands.
    t.block.assign(line);
    t.collecting = true;
  } else if (t.collecting) {
    t.block.append(line);
    if (line == "\r\n" || line == "\n") {
      t.collecting = false;
      t.finalBlock = t.block;
      if (StatusOf(t.block) >= 200) t.replyHeadersIn = true;
      t.response.rawHeaders = BytesToText(t.block, AnsiCodePage());
      t.response.gzip = t.block.find("gzip") != std::string::npos;
    }
  }
  // Trailer lines after a chunked body are not part of the block.
  return size * count;
}

// Judges the announced length before the first body byte is kept.
bool LengthAcceptable(const Transfer& t) {
  std::string_view value = HeaderValue(t.finalBlock, "content-length:");
  std::uint64_t length = 0;
  if (value.empty() || !ParseLength(value, length)) return true;
  return length >= t.minBytes && length <= t.maxBytes;
}

extern "C" size_t OnBodyData(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  std::size_t n = size * count;
  t.lastActivity = Clock::now();
  if (t.Aborted()) {
    t.failure = "aborted";
    return 0;
  }
  Bytes& body = t.response.body;
  if (!t.bodyStarted) {
    t.bodyStarted = true;
    t.filter = !t.response.gzip && t.request.targetFile.empty() &&
               (!t.request.startMarker.empty() || !t.request.endMarker.empty());
    if (!LengthAcceptable(t)) {
      t.failure = "announced length outside the size limits";
      return 0;
    }
  }
  if (t.filter) {
    body.append(data, n);
    if (ApplyMarkers(body, t.request.startMarker, t.request.endMarker, t.checkedUpTo)) {
      t.endMarkerHit = true;
      return 0;  // the rest of the reply is not wanted
    }
    if (body.size() > t.maxBytes) {
      t.failure = "body larger than the size limit";
      return 0;
    }
  } else {
    if (body.size() + n > t.maxBytes) {
      t.failure = "body larger than the size limit";
      return 0;
    }
    body.append(data, n);
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
struct Handles {
  CURL* easy = curl_easy_init();
  CURLM* multi = curl_multi_init();
  curl_slist* headers = nullptr;
  bool added = false;
  ~Handles() {
    if (added) curl_multi_remove_handle(multi, easy);
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
    curl_slist_free_all(headers);
  }
};

void SetUp(Handles& h, Transfer& t, const std::string& url) {
  const UrlRequest& r = t.request;
  CURL* e = h.easy;
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_NOPROXY, NoProxyList());
  curl_easy_setopt(e, CURLOPT_USERAGENT, kBrowserUserAgent);
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
      t.failure = "aborted";
      return CURLE_ABORTED_BY_CALLBACK;
    }
    std::uint32_t limit = t.SilenceLimitMs();
    if (limit > 0 && Clock::now() - t.lastActivity >= std::chrono::milliseconds(limit)) {
      t.failure = t.replyHeadersIn ? "no data within the read time-out" : "no reply within the connect time-out";
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

// The pause after a failed attempt, cut short by the abort flag.
void PauseUnlessAborted(const UrlRequest& request, std::chrono::milliseconds pause) {
  auto until = Clock::now() + pause;
  while (Clock::now() < until) {
    if (request.abort && request.abort->load()) return;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(kPollMs)));
  }
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

// A server may compress a picture that nobody asked it to compress. Saved as received, the file would
// hold a gzip stream under a picture's name: a file's body is therefore decoded when the final reply
// says "Content-Encoding: gzip" (or deflate), within the same size limit as any body. False when it does
// not decode.
static bool EqualsNoCase(std::string_view text, std::string_view lower) {
  return text.size() == lower.size() && StartsWithNoCase(text, lower);
}

static bool DecodeContentEncoding(Transfer& t) {
  std::string_view coding = HeaderValue(t.finalBlock, "content-encoding:");
  while (!coding.empty() && (coding.back() == '\r' || coding.back() == ' ')) coding.remove_suffix(1);
  if (!EqualsNoCase(coding, "gzip") && !EqualsNoCase(coding, "x-gzip") && !EqualsNoCase(coding, "deflate"))
    return true;
  Bytes decoded;
  if (!InflateBody(t.response.body.data(), t.response.body.size(), decoded, t.maxBytes + 1)) return false;
  if (decoded.size() > t.maxBytes) return false;
  t.response.body = std::move(decoded);
  return true;
}

bool FetchOnce(UrlResponse& response, const UrlRequest& request, unsigned /*options*/) {
  response.body.clear();
  response.startMarker = request.startMarker;
  response.endMarker = request.endMarker;
  response.gzip = false;

  const bool toFile = !request.targetFile.empty();
  auto fail = [&](std::string_view why) {
    TraceFailure(request, why);
    if (toFile) response.body.clear();  // no file, so no body: callers may judge by the body alone
    return false;
  };

  std::string url = WireUrl(request.url);
  if (url.empty()) return fail("not an http or https address");
  if (request.abort && request.abort->load()) return fail("aborted");

  EnsureCurlInitialised();
  Handles handles;
  if (!handles.easy || !handles.multi) return fail("libcurl could not start a transfer");
  Transfer t(request, response);
  t.minBytes = static_cast<std::uint64_t>(std::max(request.minSizeK, 0)) * 1024;
  if (request.maxSizeK > 0)
    t.maxBytes = std::min<std::uint64_t>(static_cast<std::uint64_t>(request.maxSizeK) * 1024, kBodyCapBytes);
  SetUp(handles, t, url);

  CURLcode rc = Run(handles, t);
  if (t.failure) return fail(t.failure);
  if (rc != CURLE_OK && !(rc == CURLE_WRITE_ERROR && t.endMarkerHit)) return fail(curl_easy_strerror(rc));

  if (toFile) {
    long status = 0;
    curl_easy_getinfo(handles.easy, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) return fail("HTTP status " + std::to_string(status) + " for a file");
  }
  if (response.body.size() < t.minBytes) return fail("body smaller than the size limit");
  if (toFile && !DecodeContentEncoding(t)) return fail("a content-encoded file that does not decode");
  // An empty picture file would only be mistaken for a picture later.
  if (toFile && response.body.empty()) return fail("empty body for a file");
  if (toFile && !WriteFileReplacing(request.targetFile, response.body))
    return fail("cannot write " + TextToUtf8(request.targetFile));
  return true;
}

bool Fetch(UrlRequest& request, UrlResponse& response, unsigned options) {
  for (unsigned attempt = 1; attempt <= request.attempts; ++attempt) {
    if (request.abort && request.abort->load()) return false;
    if (FetchOnce(response, request, options)) {
      if (request.minBodyLength == 0 && request.retryMarker.empty()) return true;
      Bytes inflated;
      bool unpack = (options & FETCH_ALLOW_CACHE) && response.gzip;
      if (unpack) InflateBody(response.body.data(), response.body.size(), inflated);
      const Bytes& check = unpack ? inflated : response.body;
      if (check.size() > request.minBodyLength &&
          (request.retryMarker.empty() || check.find(request.retryMarker) == Bytes::npos))
        return true;
      TraceFailure(request, "reply not accepted (too short or retry marker found)");
      if (!request.targetFile.empty()) {
        // The attempt wrote its file before it was judged; a rejected reply leaves no file, as any failure.
        RemoveFile(request.targetFile);
        response.body.clear();
      }
    }
    PauseUnlessAborted(request, std::chrono::seconds(request.retryDelaySec));
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
  }
  return u"unknown failure";
}

Text GetText(const UrlResponse& response, unsigned options) {
  Bytes work;
  if ((options & TEXT_GUNZIP) && response.gzip)
    InflateBody(response.body.data(), response.body.size(), work);
  else
    work = response.body;
  if (response.gzip) {
    std::size_t checked = 0;
    ApplyMarkers(work, response.startMarker, response.endMarker, checked);
  }

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
  z_stream zs{};
  // 15 + 32: a zlib or a gzip header is recognised by itself.
  if (inflateInit2(&zs, 47) != Z_OK) return false;
  char buffer[8192];
  std::size_t produced = 0;
  bool ok = false;
  for (;;) {
    if (zs.avail_in == 0 && length > 0) {
      std::size_t piece = std::min<std::size_t>(length, UINT_MAX);
      zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
      zs.avail_in = static_cast<uInt>(piece);
      bytes += piece;
      length -= piece;
    }
    zs.next_out = reinterpret_cast<Bytef*>(buffer);
    zs.avail_out = sizeof buffer;
    int rc = inflate(&zs, Z_NO_FLUSH);
    std::size_t n = sizeof buffer - zs.avail_out;
    if (produced + n > maxOutput) {
      out.append(buffer, maxOutput - produced);
      Trace("InflateBody: output larger than the limit, stopped");
      break;
    }
    out.append(buffer, n);
    produced += n;
    if (rc == Z_STREAM_END) {
      ok = true;
      break;
    }
    if (rc != Z_OK) break;  // truncated (Z_BUF_ERROR) or corrupt data
  }
  inflateEnd(&zs);
  return ok;
}

}  // namespace albatrix
