#include "support/LoopbackListener.h"

#include <stdexcept>

namespace albatrix::test {

LoopbackListener::LoopbackListener(Serve serve) : serve_(std::move(serve)) {
  listener_ = ListenOnLoopback(port_);
  if (listener_ == kNoSocket) throw std::runtime_error("cannot listen on loopback");
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackListener::~LoopbackListener() {
  stop_.Raise();
  acceptThread_.join();
  // No thread is added once the accept loop has ended.
  for (std::thread& t : connections_) t.join();
  CloseSocket(listener_);
}

std::string LoopbackListener::Url() const { return "http://127.0.0.1:" + std::to_string(port_); }

bool LoopbackListener::AllEnded() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return ended_ == accepted_;
}

void LoopbackListener::AcceptLoop() {
  while (stop_.WaitFor(listener_, Readiness::Read)) {
    const Socket s = AcceptConnection(listener_);
    if (s == kNoSocket) continue;
    std::lock_guard<std::mutex> hold(mutex_);
    // Counted here, before its thread starts, so that AllEnded never misses a connection just accepted.
    connections_.emplace_back([this, s, n = ++accepted_] {
      serve_(s, n);
      std::lock_guard<std::mutex> ended(mutex_);
      ++ended_;
    });
  }
}

bool LoopbackListener::ReadMore(Socket s, std::string& data) const {
  char buffer[16384];
  for (;;) {
    const long n = ReceiveSome(s, buffer, sizeof buffer);
    if (n > 0) {
      data.append(buffer, static_cast<std::size_t>(n));
      return true;
    }
    if (n != kWouldBlock || !stop_.WaitFor(s, Readiness::Read)) return false;
  }
}

std::size_t LoopbackListener::ReadHead(Socket s, std::string& data) const {
  constexpr std::size_t kMaxHead = 1 << 20;
  std::size_t end;
  while ((end = data.find("\r\n\r\n")) == std::string::npos) {
    if (data.size() > kMaxHead || !ReadMore(s, data)) return std::string::npos;
  }
  return end;
}

bool LoopbackListener::SendAll(Socket s, std::string_view bytes, std::uint64_t* sent) const {
  while (!bytes.empty()) {
    const long n = SendSome(s, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      if (sent) *sent += static_cast<std::uint64_t>(n);
    } else if (n != kWouldBlock || !stop_.WaitFor(s, Readiness::Write)) {
      return false;
    }
  }
  return true;
}

}  // namespace albatrix::test
