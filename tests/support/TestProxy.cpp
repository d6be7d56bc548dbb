#include "support/TestProxy.h"

#include <cctype>
#include <string_view>

namespace albatrix::test {

namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

TestProxy::TestProxy() : listener_([this](Socket s, std::size_t) { Serve(s); }) {}

void TestProxy::Map(const std::string& host, int port) {
  std::lock_guard<std::mutex> hold(mutex_);
  hosts_[Lower(host)] = port;
}

std::vector<std::string> TestProxy::Log() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return log_;
}

void TestProxy::ClearLog() {
  std::lock_guard<std::mutex> hold(mutex_);
  log_.clear();
}

void TestProxy::Serve(Socket client) {
  std::string data;
  const std::size_t headEnd = listener_.ReadHead(client, data);
  if (headEnd == std::string::npos) {
    CloseSocket(client);
    return;
  }
  const std::size_t lineEnd = data.find("\r\n");
  const std::string line = data.substr(0, lineEnd);
  const std::size_t sp1 = line.find(' ');
  const std::size_t sp2 = line.find(' ', sp1 + 1);
  const std::string method = line.substr(0, sp1);
  const std::string target = line.substr(sp1 + 1, sp2 - sp1 - 1);
  const std::string version = line.substr(sp2 + 1);

  // The head for the server: origin form, the hop's own headers replaced by one asking to close.
  const std::size_t hostStart = target.find("://") == std::string::npos ? 0 : target.find("://") + 3;
  const std::size_t pathStart = target.find('/', hostStart);
  const std::string host = Lower(target.substr(hostStart, pathStart - hostStart));
  std::string head = method + " " + (pathStart == std::string::npos ? "/" : target.substr(pathStart)) + " " + version + "\r\n";
  std::size_t bodyLength = 0;
  for (std::size_t pos = lineEnd + 2; pos < headEnd + 2;) {
    const std::size_t eol = data.find("\r\n", pos);
    const std::string header = data.substr(pos, eol - pos);
    pos = eol + 2;
    const std::string name = Lower(header.substr(0, header.find(':')));
    if (name == "proxy-connection" || name == "connection" || name == "keep-alive") continue;
    if (name == "content-length") bodyLength = std::stoul(header.substr(header.find(':') + 1));
    head += header + "\r\n";
  }
  head += "Connection: close\r\n\r\n";
  std::string body = data.substr(headEnd + 4);
  while (body.size() < bodyLength && listener_.ReadMore(client, body)) {
  }

  int port = 0;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    log_.push_back(method + " " + target);
    auto it = hosts_.find(host);
    if (it != hosts_.end()) port = it->second;
  }
  const Socket server = port ? ConnectToLoopback(port) : kNoSocket;
  if (server == kNoSocket) {
    listener_.SendAll(client, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    CloseGracefully(client);
    return;
  }
  if (listener_.SendAll(server, head + body)) {
    // The reply, as it comes, until the server closes.
    std::string piece;
    while (listener_.ReadMore(server, piece)) {
      if (!listener_.SendAll(client, piece)) break;
      piece.clear();
    }
  }
  CloseSocket(server);
  CloseGracefully(client);
}

}  // namespace albatrix::test
