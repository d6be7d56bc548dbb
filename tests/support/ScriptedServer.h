// A raw-socket HTTP server for tests of the fetcher: it listens on 127.0.0.1 (port 0), reads each request
// (request line, headers, body), records exactly what arrived, and replays a canned reply given as bytes
// and actions, broken ones included: closing before the announced length, bad chunking, a reset, stalls,
// an endless body. The connection is closed after the reply unless the reply keeps it open for the next
// request.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "support/Compress.h"
#include "support/LoopbackListener.h"

namespace albatrix::test {

// A reply as a script of actions on the connection.
class Reply {
 public:
  enum class Kind { Send, Pause, Stall, Reset, Endless, KeepOpen };
  struct Step {
    Kind kind;
    std::string bytes;  // Send: what to write; Endless: the piece written again and again
    int ms = 0;         // Pause
  };

  Reply& Send(std::string bytes);
  Reply& Pause(int ms);               // silence for a while (the bytes before it go out as their own write)
  Reply& Stall();                     // silence until the client leaves (or the server stops)
  Reply& Reset();                     // abort the connection with a TCP reset
  Reply& Endless(std::string piece);  // write `piece` until the client leaves
  Reply& KeepOpen();                  // the connection stays open for the client's next request

  const std::vector<Step>& steps() const { return steps_; }

 private:
  std::vector<Step> steps_;
};

// "HTTP/1.1 <status> <reason>" with the given header lines (no CRLF in them), "Connection: close", and
// the empty line. Content-Length is the caller's to add.
std::string HttpHead(int status, const std::vector<std::string>& headers = {});

// A complete, well-formed reply: HttpHead plus Content-Length and the body.
Reply Respond(int status, std::string body, std::vector<std::string> headers = {});
// The same reply without "Connection: close", so the client may send its next request on the connection
// (the server closes it all the same when the reply does not end in KeepOpen).
Reply RespondOpen(int status, std::string body, std::vector<std::string> headers = {});

// What arrived for one request, and how its connection ended.
struct RecordedRequest {
  std::string requestLine;  // "GET /path HTTP/1.1"
  std::string method;
  std::string target;       // path and query as sent
  std::string head;         // the header lines as received, each ending in CRLF
  std::string body;         // decoded when it came chunked
  bool chunked = false;     // the body came with Transfer-Encoding: chunked
  std::uint64_t bytesSent = 0;  // reply bytes the server managed to write
  bool clientLeft = false;  // the client closed or reset the connection before the reply was done
  bool done = false;        // the connection is finished
  std::size_t connection = 0;  // which connection carried it, numbered from 1 in the order they came

  // The value of the first header `name` (case-insensitive), "" when absent.
  std::string Header(std::string_view name) const;
  bool HasHeader(std::string_view name) const;
};

class ScriptedServer {
 public:
  ScriptedServer();  // listening once it returns; throws when it cannot
  // Destroying it stops every script in progress and closes every connection.
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int Port() const { return listener_.Port(); }
  std::string Url(std::string_view target) const;  // "http://127.0.0.1:<port>" + target

  // Replies for requests to `target` (path and query): the i-th request gets replies[i], the last one
  // repeating. A target without replies gets a 404 page.
  void On(std::string target, std::vector<Reply> replies);
  void On(std::string target, Reply reply) { On(std::move(target), std::vector<Reply>{std::move(reply)}); }

  std::vector<RecordedRequest> Requests() const;  // in order of arrival
  std::size_t RequestCount() const;
  std::size_t RequestCount(std::string_view target) const;
  // True once every connection accepted so far has ended.
  bool AllDone() const;

 private:
  struct Script {
    std::vector<Reply> replies;
    std::size_t served = 0;
  };

  void Serve(Socket s, std::size_t connection);
  // Plays `reply` on `s`; false when the connection is to be left (closed, or closed by a reset).
  bool Play(Socket s, const Reply& reply, RecordedRequest& record, bool& closed);
  bool ReadRequest(Socket s, RecordedRequest& out);
  Reply ReplyFor(const std::string& target);

  mutable std::mutex mutex_;
  std::unordered_map<std::string, Script> scripts_;
  std::vector<std::shared_ptr<RecordedRequest>> records_;
  LoopbackListener listener_;  // last: its connections use the members above until it has stopped
};

}  // namespace albatrix::test
