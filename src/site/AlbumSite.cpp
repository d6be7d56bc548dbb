#include "site/AlbumSite.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <regex>
#include <shared_mutex>
#include <thread>

#include "MyCode/Trace.h"
#include "site/SiteControl.h"
#include "site/SiteData.h"
#include "site/SiteGzip.h"
#include "site/SiteImages.h"
#include "site/SitePages.h"

namespace albatrix {
namespace {

// What a path answers before any fault is applied to it.
struct Reply {
  int status = 200;
  bool fullPicture = false;  // a picture's full bytes: paced by the options' picturesPerSecond
  std::string contentType;
  std::shared_ptr<const std::string> body = std::make_shared<const std::string>();
  httplib::Headers headers;
};

struct MemberEntry {
  SiteMember member;
  std::map<std::string, std::size_t> albumIndex;  // album id -> index in member.albums
};

constexpr std::size_t kWriteSlice = 64 * 1024;
// Headers httplib adds to a request it received; the client never sent them.
const char* const kServerNotes[] = {"REMOTE_ADDR", "REMOTE_PORT", "LOCAL_ADDR", "LOCAL_PORT"};
constexpr std::uint64_t kDefaultBombBytes = 1ull << 30;

bool AcceptsGzip(const httplib::Request& request) {
  std::string accepted = request.get_header_value("Accept-Encoding");
  std::transform(accepted.begin(), accepted.end(), accepted.begin(), [](unsigned char c) { return std::tolower(c); });
  return accepted.find("gzip") != std::string::npos;
}

// True when the Cookie header holds `name=value` as one of its pairs.
bool HasCookie(const httplib::Request& request, const std::string& pair) {
  std::string cookies = request.get_header_value("Cookie");
  std::size_t start = 0;
  while (start <= cookies.size()) {
    std::size_t end = cookies.find(';', start);
    if (end == std::string::npos) end = cookies.size();
    std::string item = cookies.substr(start, end - start);
    item.erase(0, item.find_first_not_of(' '));
    item.erase(item.find_last_not_of(' ') + 1);
    if (item == pair) return true;
    start = end + 1;
  }
  return false;
}

std::string PictureStamp(const std::string& member, const std::string& albumId, int index) {
  return "albatrix " + member + "/" + albumId + "/" + std::to_string(index);
}

// The session token of a site made from `seed`, after `resets` resets: a reset site does not take the
// logins of the site before it.
std::string SessionToken(std::uint64_t seed, std::uint64_t resets) {
  SeededNumbers numbers((seed ^ 0xA1BA7121ull) + resets * 0x9E3779B97F4A7C15ull);
  char token[40];
  std::snprintf(token, sizeof token, "%016llx%016llx", static_cast<unsigned long long>(numbers.Next()),
                static_cast<unsigned long long>(numbers.Next()));
  return token;
}

ControlRequest ToControlRequest(const httplib::Request& request) {
  ControlRequest control;
  control.command = request.path.substr(std::string_view(kControlPrefix).size());
  for (const auto& [name, value] : request.params) control.params[name] = value;
  control.body = request.body;
  return control;
}

}  // namespace

struct AlbumSite::Impl {
  AlbumSite* self = nullptr;
  // A reset replaces the options and the token while replies are being served: read them through
  // Options() and Token().
  mutable std::mutex optionsMutex;
  SiteOptions options;
  std::string token;
  std::uint64_t resets = 0;
  std::atomic<bool> control{false};
  std::unique_ptr<httplib::Server> server;  // an httplib::SSLServer when the site serves TLS
  std::string scheme = "http";
  std::thread thread;
  std::atomic<int> port{0};
  std::atomic<bool> running{false};
  std::atomic<bool> listenEnded{false};
  bool started = false;

  mutable std::shared_mutex dataMutex;
  std::map<std::string, MemberEntry> members;

  mutable std::mutex countMutex;
  std::map<std::string, int> counts;
  int total = 0;
  std::vector<SiteRequest> log;
  std::atomic<std::uint64_t> connections{0};

  std::mutex faultMutex;
  std::map<std::string, SiteFault> faults;

  std::atomic<bool> maintenance{false};

  PictureCache pictures;
  std::mutex bombMutex;
  std::map<std::uint64_t, std::shared_ptr<const std::string>> bombs;  // by inflated size

  std::mutex turnMutex;
  std::chrono::steady_clock::time_point nextPictureTurn{};  // when the next full picture may go out

  std::mutex wakeMutex;
  std::condition_variable wake;
  bool stopping = false;
  std::uint64_t stallGeneration = 0;
  std::uint64_t resetGeneration = 0;  // endless replies of the site before a reset end with it

  std::string Base() const {
    const std::string host = Options().hostName;
    return scheme + "://" + (host.empty() ? "127.0.0.1" : host) + ":" + std::to_string(port.load());
  }

  SiteOptions Options() const {
    std::lock_guard<std::mutex> lock(optionsMutex);
    return options;
  }

  std::string Token() const {
    std::lock_guard<std::mutex> lock(optionsMutex);
    return token;
  }

  // Takes `fresh` and its starting members, and a token no earlier login carries.
  void Renew(SiteOptions fresh) {
    auto starting = MakeStartingMembers(fresh);
    {
      std::lock_guard<std::mutex> lock(optionsMutex);
      token = SessionToken(fresh.seed, resets++);
      options = std::move(fresh);
    }
    {
      std::unique_lock<std::shared_mutex> lock(dataMutex);
      members.clear();
    }
    for (auto& member : starting) Add(std::move(member));
  }

  void Add(SiteMember member) {
    MemberEntry entry;
    for (std::size_t i = 0; i < member.albums.size(); ++i) entry.albumIndex[member.albums[i].id] = i;
    std::string key = member.key;
    entry.member = std::move(member);
    std::unique_lock<std::shared_mutex> lock(dataMutex);
    members[key] = std::move(entry);
  }

  bool IsControl(const httplib::Request& request) const {
    return control && request.path.rfind(kControlPrefix, 0) == 0;
  }

  void Count(const std::string& path) {
    std::lock_guard<std::mutex> lock(countMutex);
    ++counts[path];
    ++total;
  }

  // The fault for `path` if one applies to this request; uses up one of its `times`.
  std::optional<SiteFault> TakeFault(const std::string& path) {
    std::lock_guard<std::mutex> lock(faultMutex);
    auto found = faults.find(path);
    if (found == faults.end()) return std::nullopt;
    SiteFault fault = found->second;
    if (found->second.times > 0 && --found->second.times == 0) faults.erase(found);
    return fault;
  }

  // Sleeps until `when` unless the site stops first; false when it stopped.
  bool PauseUntil(std::chrono::steady_clock::time_point when) {
    std::unique_lock<std::mutex> lock(wakeMutex);
    return !wake.wait_until(lock, when, [&] { return stopping; });
  }
  bool Pause(int ms) {
    return PauseUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, ms)));
  }

  // Waits for the next free turn of a full picture, `perSecond` turns a second; false when the site
  // stopped meanwhile. A turn nobody took is not saved up: after a quiet spell the pace starts afresh.
  bool WaitPictureTurn(int perSecond) {
    const auto spacing = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(1.0 / perSecond));
    std::chrono::steady_clock::time_point turn;
    {
      std::lock_guard<std::mutex> lock(turnMutex);
      turn = std::max(nextPictureTurn, std::chrono::steady_clock::now());
      nextPictureTurn = turn + spacing;
    }
    return PauseUntil(turn);
  }

  // The connection that carries `request`, and whether this is its first request. httplib serves the
  // requests of a connection one after another on one thread of its pool, so a request from another
  // client port than that thread's last one came on a new connection.
  std::pair<std::uint64_t, bool> ConnectionOf(const httplib::Request& request) {
    struct Mark {
      const Impl* site = nullptr;
      int port = -1;
      std::uint64_t number = 0;
    };
    thread_local Mark mark;
    if (mark.site == this && mark.port == request.remote_port) return {mark.number, false};
    mark = Mark{this, request.remote_port, ++connections};
    return {mark.number, true};
  }

  void Log(const httplib::Request& request, std::uint64_t connection) {
    SiteRequest entry{connection, request.method, request.target, {}, std::chrono::steady_clock::now()};
    for (const auto& [name, value] : request.headers) {
      if (std::find(std::begin(kServerNotes), std::end(kServerNotes), name) == std::end(kServerNotes))
        entry.headers.emplace_back(name, value);
    }
    std::lock_guard<std::mutex> lock(countMutex);
    log.push_back(std::move(entry));
  }

  // What a request meets before its reply: the emulated network's delays and the connection rule.
  void Arrive(const httplib::Request& request, httplib::Response& response) {
    const SiteOptions now = Options();
    auto [connection, fresh] = ConnectionOf(request);
    if (now.logRequests) Log(request, connection);
    if (now.latencyMs > 0 && (!fresh || Pause(now.latencyMs))) Pause(now.latencyMs);
    if (!now.keepAlive) response.set_header("Connection", "close");
  }

  std::uint64_t ResetGeneration() {
    std::lock_guard<std::mutex> lock(wakeMutex);
    return resetGeneration;
  }

  // True once the site stops or is reset after `generation`.
  bool Ended(std::uint64_t generation) {
    std::lock_guard<std::mutex> lock(wakeMutex);
    return stopping || resetGeneration != generation;
  }

  Reply Page(const httplib::Request& request, const std::string& html, int status = 200) {
    Reply reply;
    reply.status = status;
    reply.contentType = "text/html; charset=GBK";
    Bytes gbk = TextToGbk(Utf8ToText(html));
    reply.headers.emplace("Vary", "Accept-Encoding");
    if (Options().gzip && AcceptsGzip(request)) {
      reply.headers.emplace("Content-Encoding", "gzip");
      reply.body = std::make_shared<const std::string>(GzipBytes(gbk));
    } else {
      reply.body = std::make_shared<const std::string>(std::move(gbk));
    }
    return reply;
  }

  Reply Binary(std::string bytes, const char* contentType) {
    Reply reply;
    reply.contentType = contentType;
    reply.body = std::make_shared<const std::string>(std::move(bytes));
    return reply;
  }

  Reply Redirect(const std::string& location) {
    Reply reply;
    reply.status = 302;
    reply.contentType = "text/html; charset=GBK";
    reply.headers.emplace("Location", location);
    return reply;
  }

  bool LoggedIn(const httplib::Request& request) const {
    return !Options().requireLogin || HasCookie(request, std::string(kCookieName) + "=" + Token());
  }

  const SiteAlbum* FindAlbum(const std::string& member, const std::string& albumId,
                             const SiteMember** owner = nullptr) const {
    auto m = members.find(member);
    if (m == members.end()) return nullptr;
    auto a = m->second.albumIndex.find(albumId);
    if (a == m->second.albumIndex.end()) return nullptr;
    if (owner) *owner = &m->second.member;
    return &m->second.member.albums[a->second];
  }

  std::string PictureBytes(const std::string& member, const std::string& albumId, int index, bool big) {
    std::shared_lock<std::shared_mutex> lock(dataMutex);
    const SiteAlbum* album = FindAlbum(member, albumId);
    if (!album || index < 1 || index > static_cast<int>(album->pictures.size())) return {};
    const SitePicture& picture = album->pictures[static_cast<std::size_t>(index - 1)];
    std::uint64_t seed = Options().seed;
    return big ? pictures.Picture(picture.kind, picture.bytes, seed, PictureStamp(member, albumId, index))
               : pictures.Thumbnail(picture.kind, seed);
  }

  // Everything the site answers, by path.
  Reply Resolve(const httplib::Request& request) {
    static const std::regex picturePath(R"(/pic/([^/]+)/(a\d+)/(big|small)\.(\d+)(\.[A-Za-z0-9]+))");
    static const std::regex coverPath(R"(/cover/([^/]+)/(a\d+)\.jpg)");
    static const std::regex listPath(R"(/([^/.]+)/photo-(\d+))");
    static const std::regex albumPath(R"(/([^/.]+)/photo/(a\d+)(?:-(\d+))?\.html)");
    static const std::regex memberPath(R"(/([^/.]+)(?:/|/photo/?)?)");
    const std::string& path = request.path;
    std::smatch m;

    if (path == "/login") {
      if (request.method != "POST") return Page(request, LoginPageHtml(""));
      if (request.get_param_value("user") != kUser || request.get_param_value("password") != kPassword)
        return Page(request, LoginPageHtml("用户名或密码错误"), 403);
      Reply reply = Page(request, LoginDonePageHtml(Base() + "/" + kDemoMember + "/photo-1"));
      // As real sites do: only "下次自动登录" makes the login outlive the browser; without it the cookie
      // is a session cookie, which a browser keeps in memory and never writes to its cookie file.
      std::string lifetime;
      if (!request.get_param_value("remember").empty()) lifetime = "; Max-Age=" + std::to_string(kRememberSeconds);
      reply.headers.emplace("Set-Cookie",
                            std::string(kCookieName) + "=" + Token() + "; Path=/" + lifetime + "; HttpOnly");
      return reply;
    }
    if (std::regex_match(path, m, picturePath)) {
      std::shared_lock<std::shared_mutex> lock(dataMutex);
      const SiteAlbum* album = FindAlbum(m[1], m[2]);
      int index = std::atoi(m[4].str().c_str());
      if (album && index >= 1 && index <= static_cast<int>(album->pictures.size()) &&
          album->pictures[static_cast<std::size_t>(index - 1)].extension == m[5].str()) {
        const SitePicture& picture = album->pictures[static_cast<std::size_t>(index - 1)];
        bool big = m[3] == "big";
        std::uint64_t seed = Options().seed;
        Reply reply = Binary(big ? pictures.Picture(picture.kind, picture.bytes, seed, PictureStamp(m[1], m[2], index))
                                 : pictures.Thumbnail(picture.kind, seed),
                             PictureContentType(picture.kind));
        reply.fullPicture = big;
        return reply;
      }
      return Page(request, ErrorPageHtml(404), 404);
    }
    if (std::regex_match(path, m, coverPath)) {
      std::shared_lock<std::shared_mutex> lock(dataMutex);
      if (FindAlbum(m[1], m[2])) return Binary(Cover(m[1], m[2]), "image/jpeg");
      return Page(request, ErrorPageHtml(404), 404);
    }
    if (path == "/") {
      return Page(request, IndexPageHtml(KeysLocked()));
    }
    bool isList = std::regex_match(path, m, listPath);
    bool isAlbum = !isList && std::regex_match(path, m, albumPath);
    if (isList || isAlbum) {
      if (maintenance) return Page(request, MaintenancePageHtml());
      std::shared_lock<std::shared_mutex> lock(dataMutex);
      auto member = members.find(m[1]);
      if (member != members.end()) {
        if (isList)
          return Page(request, ListPageHtml(member->second.member, std::atoi(m[2].str().c_str()), LoggedIn(request), Base()));
        const SiteMember* owner = nullptr;
        const SiteAlbum* album = FindAlbum(m[1], m[2], &owner);
        int page = m[3].matched ? std::atoi(m[3].str().c_str()) : 1;
        if (album) return Page(request, AlbumPageHtml(*owner, *album, page, Base()));
      }
      return Page(request, ErrorPageHtml(404), 404);
    }
    if (std::regex_match(path, m, memberPath)) {
      std::shared_lock<std::shared_mutex> lock(dataMutex);
      if (members.count(m[1])) return Redirect(Base() + "/" + m[1].str() + "/photo-1");
    }
    return Page(request, ErrorPageHtml(404), 404);
  }

  std::string Cover(const std::string& member, const std::string& albumId) {
    return pictures.Cover(Options().seed, "albatrix cover " + member + "/" + albumId);
  }

  std::shared_ptr<const std::string> Bomb(std::uint64_t inflatedBytes) {
    std::lock_guard<std::mutex> lock(bombMutex);
    auto& bomb = bombs[inflatedBytes];
    if (!bomb) bomb = std::make_shared<const std::string>(GzipBomb(inflatedBytes));
    return bomb;
  }

  std::vector<std::string> KeysLocked() const {
    std::shared_lock<std::shared_mutex> lock(dataMutex);
    std::vector<std::string> keys;
    for (const auto& entry : members) keys.push_back(entry.first);
    return keys;
  }

  static void Prepare(httplib::Response& response, const Reply& reply, int status) {
    response.status = status;
    for (const auto& header : reply.headers) response.set_header(header.first.c_str(), header.second);
  }

  // Sends `reply` as it is; its body at no more than `rateKbps` KiB a second unless that is 0.
  void Deliver(httplib::Response& response, const Reply& reply, int rateKbps = 0) {
    Prepare(response, reply, reply.status);
    auto body = reply.body;
    if (body->empty()) {
      response.set_content("", reply.contentType.c_str());
      return;
    }
    if (rateKbps <= 0) {
      response.set_content_provider(body->size(), reply.contentType,
                                    [body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                      return sink.write(body->data() + offset, std::min(length, kWriteSlice));
                                    });
      return;
    }
    const double bytesPerUs = rateKbps * 1024.0 / 1e6;
    // Slices of about 10 ms, so that the rate holds within a reply and not only over it.
    const auto slice = std::clamp<std::size_t>(static_cast<std::size_t>(bytesPerUs * 10000), 1024, kWriteSlice);
    auto start = std::make_shared<std::chrono::steady_clock::time_point>();
    response.set_content_provider(
        body->size(), reply.contentType,
        [this, body, slice, bytesPerUs, start](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          if (offset == 0) *start = std::chrono::steady_clock::now();
          std::size_t n = std::min(length, slice);
          // No byte leaves before the rate would have carried it.
          auto due = *start + std::chrono::microseconds(static_cast<long long>((offset + n) / bytesPerUs));
          return PauseUntil(due) && sink.write(body->data() + offset, n);
        });
  }

  // Sends `reply` spoiled the way `fault` says. `arrival` is the reset generation when the request came:
  // a reset after it ends a stall even when the stall had not begun waiting yet.
  void DeliverFault(httplib::Response& response, const Reply& reply, const SiteFault& fault, std::uint64_t arrival) {
    auto body = reply.body;
    switch (fault.kind) {
      case SiteFaultKind::Slow: {
        Prepare(response, reply, reply.status);
        std::size_t chunk = std::max<std::size_t>(1, fault.chunkBytes);
        int delay = fault.delayMs;
        response.set_content_provider(
            body->size(), reply.contentType,
            [this, body, chunk, delay](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
              if (offset > 0 && !Pause(delay)) return false;
              return sink.write(body->data() + offset, std::min(length, chunk));
            });
        return;
      }
      case SiteFaultKind::Stall: {
        Prepare(response, reply, reply.status);
        std::size_t head = std::min(fault.bytes, body->size());
        std::uint64_t generation;
        {
          std::lock_guard<std::mutex> lock(wakeMutex);
          generation = stallGeneration;
        }
        int limitMs = Options().stallLimitMs;
        response.set_content_provider(
            body->size(), reply.contentType,
            [this, body, head, generation, arrival, limitMs](std::size_t offset, std::size_t, httplib::DataSink& sink) {
              if (offset < head && !sink.write(body->data() + offset, head - offset)) return false;
              std::unique_lock<std::mutex> lock(wakeMutex);
              wake.wait_for(lock, std::chrono::milliseconds(limitMs), [&] {
                return stopping || stallGeneration != generation || resetGeneration != arrival;
              });
              return false;  // the connection is dropped: the rest never comes
            });
        return;
      }
      case SiteFaultKind::Truncate: {
        Prepare(response, reply, reply.status);
        std::size_t sent = body->empty() ? 0 : std::min(fault.bytes, body->size() - 1);
        response.set_content_provider(std::max<std::size_t>(1, body->size()), reply.contentType,
                                      [body, sent](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                        if (offset < sent) sink.write(body->data() + offset, sent - offset);
                                        return false;
                                      });
        return;
      }
      case SiteFaultKind::WrongLength: {
        Prepare(response, reply, reply.status);
        std::size_t announced = fault.bytes > 0 ? fault.bytes : std::max<std::size_t>(1, body->size() / 2);
        response.set_content_provider(announced, reply.contentType,
                                      [body](std::size_t, std::size_t, httplib::DataSink& sink) {
                                        sink.write(body->data(), body->size());
                                        return false;  // close, so the extra bytes never meet a next request
                                      });
        return;
      }
      case SiteFaultKind::Status: {
        Reply page;
        if (fault.body.empty()) {
          page = Page(httplib::Request(), ErrorPageHtml(fault.status), fault.status);
        } else {
          page.contentType = "text/html; charset=GBK";
          page.body = std::make_shared<const std::string>(fault.body);
        }
        page.status = fault.status;
        if (!fault.retryAfter.empty()) page.headers.emplace("Retry-After", fault.retryAfter);
        Deliver(response, page);
        return;
      }
      case SiteFaultKind::Redirect: {
        std::string location = !fault.location.empty() && fault.location[0] == '/' ? Base() + fault.location
                                                                                    : fault.location;
        Reply redirect = Redirect(location);
        if (fault.status >= 300 && fault.status < 400) redirect.status = fault.status;
        Deliver(response, redirect);
        return;
      }
      case SiteFaultKind::EndlessBody: {
        Prepare(response, reply, 200);
        response.headers.erase("Content-Encoding");
        auto piece = std::make_shared<const std::string>(body->empty() ? std::string(16384, '\0') : *body);
        response.set_chunked_content_provider(reply.contentType,
                                              [this, piece, arrival](std::size_t, httplib::DataSink& sink) {
                                                if (Ended(arrival)) return false;
                                                return sink.write(piece->data(), std::min(piece->size(), kWriteSlice));
                                              });
        return;
      }
      case SiteFaultKind::GzipBomb: {
        Reply bomb = reply;
        bomb.headers.erase("Content-Encoding");
        bomb.headers.emplace("Content-Encoding", "gzip");
        bomb.body = Bomb(fault.bytes > 0 ? fault.bytes : kDefaultBombBytes);
        Deliver(response, bomb);
        return;
      }
    }
  }

  void Handle(const httplib::Request& request, httplib::Response& response) {
    if (IsControl(request)) {
      ControlReply reply = Control(*self, ToControlRequest(request));
      response.status = reply.status;
      response.set_content(reply.body, "text/plain; charset=UTF-8");
      return;
    }
    // Taken before the fault: a reset clears the faults first and then moves the generation on.
    const std::uint64_t arrival = ResetGeneration();
    auto fault = TakeFault(request.path);
    Reply reply = Resolve(request);
    const int perSecond = Options().picturesPerSecond;
    if (reply.fullPicture && perSecond > 0 && !WaitPictureTurn(perSecond)) return;
    if (fault) {
      Trace("album site: fault on " + request.path);
      DeliverFault(response, reply, *fault, arrival);
    } else {
      Deliver(response, reply, Options().rateKbps);
    }
  }

  // The same site over either server: the routes, the counting and the connection rules.
  void Open(AlbumSite* site, SiteOptions first) {
    self = site;
    Renew(std::move(first));
    httplib::Server& server = *this->server;
    // Stalled and slow replies hold their worker; a big pool keeps them from starving everyone else.
    server.new_task_queue = [] { return new httplib::ThreadPool(64); };
    server.set_keep_alive_max_count(1000);
    // Stop waits for every connection: an idle kept-alive one, or a reply blocked on a client that stopped
    // reading, would otherwise hold it for the library's 5 s default.
    server.set_keep_alive_timeout(1);
    // Without it a reply on a kept-alive connection waits for the client's delayed acknowledgement
    // (about 40 ms a request), and clients that reuse connections would be timed on that.
    server.set_tcp_nodelay(true);
    server.set_write_timeout(2, 0);
    Impl* impl = this;
    // Counting comes first, so that every request is seen, whatever answers it; a form's body is read only
    // after this point, so the answers come from ordinary routes.
    server.set_pre_routing_handler([impl](const httplib::Request& request, httplib::Response& response) {
      if (!impl->IsControl(request)) {
        impl->Count(request.path);
        impl->Arrive(request, response);
      }
      return httplib::Server::HandlerResponse::Unhandled;
    });
    auto handle = [impl](const httplib::Request& request, httplib::Response& response) {
      impl->Handle(request, response);
    };
    server.Get(".*", handle);
    server.Post(".*", handle);
  }
};

AlbumSite::AlbumSite(SiteOptions options) : impl_(std::make_unique<Impl>()) {
  impl_->server = std::make_unique<httplib::Server>();
  impl_->Open(this, std::move(options));
}

AlbumSite::AlbumSite(SiteOptions options, const SiteTls& tls) : impl_(std::make_unique<Impl>()) {
  impl_->server = std::make_unique<httplib::SSLServer>(tls.certificateFile.c_str(), tls.keyFile.c_str());
  impl_->scheme = "https";
  impl_->Open(this, std::move(options));
}

AlbumSite::~AlbumSite() { Stop(); }

bool AlbumSite::Start(int port) {
  if (impl_->started) return false;
  if (!impl_->server->is_valid()) {
    Trace("album site: the TLS certificate or key could not be loaded");
    return false;
  }
  int bound = port == 0 ? impl_->server->bind_to_any_port("127.0.0.1")
                        : (impl_->server->bind_to_port("127.0.0.1", port) ? port : -1);
  if (bound <= 0) {
    Trace("album site: cannot bind 127.0.0.1:" + std::to_string(port));
    return false;
  }
  impl_->started = true;
  impl_->port = bound;
  impl_->running = true;
  // The socket listens from here on, so requests made before the thread runs simply queue.
  impl_->thread = std::thread([impl = impl_.get()] {
    impl->server->listen_after_bind();
    impl->listenEnded = true;
  });
  // The server only honours stop() once its loop runs: wait for that, so that an early Stop never hangs.
  while (!impl_->server->is_running() && !impl_->listenEnded) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  Trace("album site: serving " + BaseUrl());
  return true;
}

void AlbumSite::Stop() {
  if (!impl_->running.exchange(false)) return;
  {
    std::lock_guard<std::mutex> lock(impl_->wakeMutex);
    impl_->stopping = true;
  }
  impl_->wake.notify_all();
  impl_->server->stop();
  if (impl_->thread.joinable()) impl_->thread.join();
}

bool AlbumSite::Running() const { return impl_->running; }
int AlbumSite::Port() const { return impl_->port; }
std::string AlbumSite::BaseUrl() const { return impl_->Base(); }
std::string AlbumSite::SessionCookie() const { return std::string(kCookieName) + "=" + impl_->Token(); }

void AlbumSite::ServeControl() { impl_->control = true; }

void AlbumSite::Reset(SiteOptions options) {
  impl_->Renew(std::move(options));
  ResetCounts();
  ClearFaults();
  SetMaintenance(false);
  {
    std::lock_guard<std::mutex> lock(impl_->wakeMutex);
    ++impl_->resetGeneration;
  }
  ReleaseStalls();
}

void AlbumSite::AddMember(SiteMember member) { impl_->Add(std::move(member)); }

std::optional<SiteMember> AlbumSite::Member(const std::string& key) const {
  std::shared_lock<std::shared_mutex> lock(impl_->dataMutex);
  auto found = impl_->members.find(key);
  if (found == impl_->members.end()) return std::nullopt;
  return found->second.member;
}

std::vector<std::string> AlbumSite::MemberKeys() const { return impl_->KeysLocked(); }

std::string AlbumSite::PictureBytes(const std::string& member, const std::string& albumId, int index,
                                    bool big) const {
  return impl_->PictureBytes(member, albumId, index, big);
}

std::string AlbumSite::CoverBytes(const std::string& member, const std::string& albumId) const {
  std::shared_lock<std::shared_mutex> lock(impl_->dataMutex);
  if (!impl_->FindAlbum(member, albumId)) return {};
  return impl_->Cover(member, albumId);
}

int AlbumSite::RequestCount(const std::string& path) const {
  std::lock_guard<std::mutex> lock(impl_->countMutex);
  auto found = impl_->counts.find(path);
  return found == impl_->counts.end() ? 0 : found->second;
}

int AlbumSite::TotalRequests() const {
  std::lock_guard<std::mutex> lock(impl_->countMutex);
  return impl_->total;
}

std::map<std::string, int> AlbumSite::RequestCounts() const {
  std::lock_guard<std::mutex> lock(impl_->countMutex);
  return impl_->counts;
}

std::vector<SiteRequest> AlbumSite::RequestLog() const {
  std::lock_guard<std::mutex> lock(impl_->countMutex);
  return impl_->log;
}

void AlbumSite::ResetCounts() {
  std::lock_guard<std::mutex> lock(impl_->countMutex);
  impl_->counts.clear();
  impl_->total = 0;
  impl_->log.clear();
}

void AlbumSite::SetMaintenance(bool on) { impl_->maintenance = on; }

void AlbumSite::SetFault(const std::string& path, SiteFault fault) {
  std::lock_guard<std::mutex> lock(impl_->faultMutex);
  if (fault.times == 0) {
    impl_->faults.erase(path);
    return;
  }
  impl_->faults[path] = std::move(fault);
}

void AlbumSite::ClearFault(const std::string& path) {
  std::lock_guard<std::mutex> lock(impl_->faultMutex);
  impl_->faults.erase(path);
}

void AlbumSite::ClearFaults() {
  std::lock_guard<std::mutex> lock(impl_->faultMutex);
  impl_->faults.clear();
}

void AlbumSite::ReleaseStalls() {
  {
    std::lock_guard<std::mutex> lock(impl_->wakeMutex);
    ++impl_->stallGeneration;
  }
  impl_->wake.notify_all();
}

}  // namespace albatrix
