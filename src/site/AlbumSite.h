// The stand-in album site: a real HTTP server on loopback that serves a member-photo community the way the
// crawlers expect it, deterministic from a seed, with a login, a maintenance switch, gzip and scripted
// faults. Tests start it in-process on port 0; albatrix-site serves it as a program.
//
// Addresses (BASE = BaseUrl(), e.g. "http://127.0.0.1:40123", "https://" when it serves TLS):
//   BASE/<member>/photo-<n>                  album-list page n (from 1) of a member, GBK
//   BASE/<member>                            redirects to page 1
//   BASE/<member>/photo/<album>.html         a single album's own page (same as its page 1)
//   BASE/<member>/photo/<album>-<n>.html     album page n (from 1), GBK
//   BASE/pic/<member>/<album>/big.<i><ext>   picture i (from 1) of an album, the full picture
//   BASE/pic/<member>/<album>/small.<i><ext> its small thumbnail (same kind, few pixels)
//   BASE/cover/<member>/<album>.jpg          the album's cover, a small JPEG
//   BASE/login  GET: a form; POST user=demo&password=demo: sets the session cookie, a session cookie
//                unless the form's "下次自动登录" box (remember=1) asks for one kept kRememberSeconds
//   BASE/                                    an index of the members
// An album's key (the text a list entry's href carries before ".html", and that album pages are named
// after) is "<member>/photo/<album>"; the list pages carry <base href="/"> so that the relative hrefs
// also work in a browser. Album ids are "a" followed by digits, member keys never contain "-".
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "MyCode/StringCtrl.h"

namespace albatrix {

enum class PictureKind { Jpeg, Png, Gif };

struct SitePicture {
  PictureKind kind = PictureKind::Jpeg;
  std::string extension = ".jpg";  // the address's extension; may disagree with `kind` on purpose
  std::size_t bytes = 4096;        // exact size of the full picture (never less than the bare image)
  Text description;                // the title attribute on the album page (written HTML-escaped)
};

// Value of SiteAlbum::statedCount.
constexpr int kCountActual = -1;  // "(共N张)" with N = the number of pictures
constexpr int kCountNone = -2;    // the entry states no count at all

struct SiteAlbum {
  std::string id;  // "a" + digits
  Text title;      // written HTML-escaped: "&" as &amp;, '"' as &quot;, "'" as &#39;, "<" ">" as &lt; &gt;
  int statedCount = kCountActual;  // or a number of its own, which the pages then state instead
  std::vector<SitePicture> pictures;
};

struct SiteMember {
  std::string key;  // no "/", "-", "&", "*", "?", "#"
  std::vector<SiteAlbum> albums;
  int listPageSize = 3;   // albums per album-list page
  int albumPageSize = 3;  // pictures per album page
};

// A generated member of uniform albums, for benchmarks.
struct MemberShape {
  int albums = 5;
  int pictures = 10;  // per album
  int pictureKb = 20; // every full picture is exactly this many KiB (JPEG)
  int listPageSize = 20;
  int albumPageSize = 20;
};

enum class SiteFaultKind {
  Slow,         // the body in chunks of `chunkBytes` with `delayMs` between them
  Stall,        // headers and the first `bytes` of the body, then nothing until ReleaseStalls, Stop or
                // the options' stall limit; then the connection is closed
  Truncate,     // the full Content-Length is announced, `bytes` are sent (one short of the whole at most),
                // the connection is closed
  WrongLength,  // Content-Length announces `bytes` (half the real size when 0) while the whole real body is
                // sent; then the connection is closed
  Status,       // `status` (e.g. 404, 500) with `body` (a small HTML page when empty)
  Redirect,     // `status` (302 when not 3xx) to `location` (a path is taken relative to BaseUrl())
  EndlessBody,  // 200 without Content-Length, chunked, never ends while the client reads
  GzipBomb,     // Content-Encoding: gzip whatever was asked; inflates to `bytes` of zeros (1 GiB when 0)
};

struct SiteFault {
  SiteFaultKind kind = SiteFaultKind::Status;
  int delayMs = 0;
  std::size_t chunkBytes = 1024;
  std::size_t bytes = 0;
  int status = 404;
  std::string body;
  std::string location;
  int times = -1;  // applies to this many requests of the path, then the path behaves normally; -1 always
  std::string retryAfter;  // Status: the value of a Retry-After header sent with it (none when empty)
};

struct SiteOptions {
  std::uint64_t seed = 1;
  bool requireLogin = true;  // without the session cookie a member's list pages show no albums
  bool gzip = true;          // pages are gzipped when the request accepts gzip
  std::optional<MemberShape> demoShape;  // replaces the hand-made demo member by a generated one
  int stallLimitMs = 60000;
  // An emulated network, for timing clients as a real one would: a new connection waits latencyMs before
  // its first request is answered (its handshake), and every reply waits latencyMs before its first byte
  // (the round trip); the body of a reply goes out at no more than rateKbps KiB a second (a connection
  // carries one reply at a time, so that is the connection's rate). 0 = none.
  int latencyMs = 0;
  int rateKbps = 0;
  // Full pictures go out no faster than this many a second over the whole site, however many
  // connections ask: each waits for its turn, the turns evenly spaced, so a client downloading pictures
  // sees a known pace. 0 = none.
  int picturesPerSecond = 0;
  bool keepAlive = true;     // false: every reply says "Connection: close", as a server that keeps none
  bool logRequests = false;  // keep every request in RequestLog()
  // The host name the site's addresses and pages call it by ("127.0.0.1" when empty). It listens on
  // 127.0.0.1 all the same, so another name reaches it only through something that knows where it is,
  // such as a test's proxy.
  std::string hostName;
};

// One request as it arrived, for RequestLog().
struct SiteRequest {
  // The connection that carried it: numbered from 1 in the order connections brought their first request.
  std::uint64_t connection = 0;
  std::string method;
  std::string target;  // path and query as sent
  std::vector<std::pair<std::string, std::string>> headers;  // as sent, ordered by name
  std::chrono::steady_clock::time_point arrived;  // when the site read it
};

// A certificate and its private key (PEM files) with which the site serves HTTPS instead of HTTP.
struct SiteTls {
  std::string certificateFile;
  std::string keyFile;
};

class AlbumSite {
 public:
  static constexpr const char* kDemoMember = "demo";    // a few tricky albums over 3 list pages
  static constexpr const char* kEmptyMember = "empty";  // no albums at all
  static constexpr const char* kBenchMember = "bench";  // MemberShape{} generated
  static constexpr const char* kHostileMember = "hostile";  // names Windows refuses or changes
  static constexpr const char* kUser = "demo";
  static constexpr const char* kPassword = "demo";
  static constexpr const char* kCookieName = "albatrix_sid";
  static constexpr int kRememberSeconds = 30 * 24 * 3600;  // "下次自动登录": the cookie's Max-Age
  static constexpr const char* kMaintenanceText = "当前页面正在维护中";  // UTF-8; the pages carry it in GBK

  explicit AlbumSite(SiteOptions options = {});
  // Serves HTTPS with `tls`: BaseUrl() and every address the pages carry start with "https://". Start
  // fails when the certificate or the key cannot be loaded.
  AlbumSite(SiteOptions options, const SiteTls& tls);
  ~AlbumSite();  // stops
  AlbumSite(const AlbumSite&) = delete;
  AlbumSite& operator=(const AlbumSite&) = delete;

  // Binds 127.0.0.1:`port` (0 = any free port) and serves on a thread of its own. False when it cannot
  // bind or is already running.
  bool Start(int port = 0);
  // Ends stalled and endless replies, stops serving and waits for the server thread. Idempotent.
  void Stop();
  bool Running() const;
  int Port() const;

  // Back to a fresh site made from `options`, on the same port: the starting members, no counts, faults
  // or maintenance, a new session token (earlier logins no longer count); stalled and endless replies end.
  void Reset(SiteOptions options);
  // Also serves the control interface (site/SiteControl.h) under "/_control/", for tests that drive the
  // site from another process. Its requests are never counted, faulted, or behind login or maintenance.
  void ServeControl();

  std::string BaseUrl() const;       // "http://127.0.0.1:PORT" (or https, or the options' host name), no trailing "/"
  std::string HostFragment() const;  // "127.0.0.1:PORT/" (or the host name's)
  std::string MemberUrl(const std::string& member) const;  // its album-list page 1
  std::string ListPageUrl(const std::string& member, int page) const;
  static std::string AlbumKey(const std::string& member, const std::string& albumId);  // "m/photo/aN"
  std::string AlbumUrl(const std::string& member, const std::string& albumId) const;   // its own page
  std::string AlbumPageUrl(const std::string& member, const std::string& albumId, int page) const;
  // Path (no base) of picture `index` (from 1); `big` false gives the thumbnail's.
  static std::string PicturePath(const std::string& member, const SiteAlbum& album, int index, bool big);
  std::string PictureUrl(const std::string& member, const SiteAlbum& album, int index, bool big) const;
  static std::string CoverPath(const std::string& member, const std::string& albumId);
  std::string LoginUrl() const;
  // "albatrix_sid=<token>": what a Cookie header carries after a login.
  std::string SessionCookie() const;

  // The data. Members may be added or replaced at any time (same key replaces).
  void AddMember(SiteMember member);
  std::optional<SiteMember> Member(const std::string& key) const;
  std::vector<std::string> MemberKeys() const;
  static SiteMember GenerateMember(const std::string& key, const MemberShape& shape, std::uint64_t seed);

  // Exactly the bytes the site serves for a picture or cover without a fault; empty when unknown.
  std::string PictureBytes(const std::string& member, const std::string& albumId, int index, bool big) const;
  std::string CoverBytes(const std::string& member, const std::string& albumId) const;

  // Requests received per path (without the query), counted before any fault or routing.
  int RequestCount(const std::string& path) const;
  int TotalRequests() const;
  std::map<std::string, int> RequestCounts() const;
  // Every request since the last reset of the counts, in order of arrival, control requests left out;
  // empty unless the options' logRequests is set.
  std::vector<SiteRequest> RequestLog() const;
  void ResetCounts();  // the log too

  void SetMaintenance(bool on);
  void SetFault(const std::string& path, SiteFault fault);
  void ClearFault(const std::string& path);
  void ClearFaults();
  void ReleaseStalls();  // ends every reply stalled at this moment; later stalls stall again

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace albatrix
