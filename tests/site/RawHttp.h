// Test helper: one HTTP/1.1 exchange over a plain socket, so that a test sees exactly what the site sent
// (announced lengths, cut bodies, stalls) without a client library smoothing it over.
#pragma once

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "support/TestSocket.h"

namespace albatrix::test {

struct RawReply {
  int status = 0;
  std::string head;  // status line and headers, without the blank line
  std::string body;  // as sent (chunked bodies keep their framing)
  bool closed = false;    // the server closed the connection
  bool timedOut = false;  // nothing arrived for the time-out

  // The value of the first header `name` (case-insensitive); empty when absent.
  std::string Header(const std::string& name) const {
    std::string lowerHead = head, lowerName = name + ":";
    for (auto* s : {&lowerHead, &lowerName})
      std::transform(s->begin(), s->end(), s->begin(), [](unsigned char c) { return std::tolower(c); });
    auto at = lowerHead.find("\r\n" + lowerName);
    if (at == std::string::npos) return {};
    at += 2 + lowerName.size();
    auto end = head.find("\r\n", at);
    std::string value = head.substr(at, end == std::string::npos ? std::string::npos : end - at);
    value.erase(0, value.find_first_not_of(' '));
    return value;
  }
};

class RawConnection {
 public:
  explicit RawConnection(int port) : socket_(ConnectToLoopback(port)) {}
  ~RawConnection() {
    if (socket_ != kNoSocket) CloseSocket(socket_);
  }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  // A request this short fits the new connection's send buffer at once.
  bool Send(const std::string& method, const std::string& path, const std::string& extraHeaders = "") {
    std::string request = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" +
                          extraHeaders + "\r\n";
    return socket_ != kNoSocket &&
           SendSome(socket_, request.data(), request.size()) == static_cast<long>(request.size());
  }

  // Reads until `enough` holds for what arrived, the peer closes, or nothing comes for `timeoutMs`.
  void ReadUntil(const std::function<bool(const RawReply&)>& enough, int timeoutMs) {
    char buffer[65536];
    while (!reply_.closed && !enough(reply_)) {
      const long n = ReceiveSome(socket_, buffer, sizeof buffer);
      if (n > 0) {
        raw_.append(buffer, static_cast<std::size_t>(n));
        Split();
      } else if (n != kWouldBlock) {
        reply_.closed = true;
      } else if (!wait_.WaitFor(socket_, Readiness::Read, timeoutMs)) {
        reply_.timedOut = true;
        return;
      }
    }
  }

  void ReadToEnd(int timeoutMs) {
    ReadUntil([](const RawReply&) { return false; }, timeoutMs);
  }

  const RawReply& reply() const { return reply_; }

 private:
  void Split() {
    auto end = raw_.find("\r\n\r\n");
    if (end == std::string::npos) return;
    reply_.head = raw_.substr(0, end);
    reply_.body = raw_.substr(end + 4);
    auto space = reply_.head.find(' ');
    if (space != std::string::npos) reply_.status = std::atoi(reply_.head.c_str() + space + 1);
  }

  Socket socket_;
  StopSignal wait_;  // never raised: only its waits are used
  std::string raw_;
  RawReply reply_;
};

// One whole exchange: sends the request and reads until the server closes or `timeoutMs` of silence.
inline RawReply RawGet(int port, const std::string& path, const std::string& extraHeaders = "",
                       int timeoutMs = 5000) {
  RawConnection connection(port);
  connection.Send("GET", path, extraHeaders);
  connection.ReadToEnd(timeoutMs);
  return connection.reply();
}

}  // namespace albatrix::test
