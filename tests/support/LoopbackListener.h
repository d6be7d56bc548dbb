// The listening half that the tests' raw-socket servers share: a socket on 127.0.0.1 on a port the system
// picks, an accept loop on a thread of its own, one thread per connection, and a stop that cuts every wait
// short and joins every thread. What a connection carries is the owner's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/TestSocket.h"

namespace albatrix::test {

class LoopbackListener {
 public:
  // Runs on a thread of its own for each connection, numbered from 1 in the order they came; it owns the
  // socket and closes it.
  using Serve = std::function<void(Socket, std::size_t connection)>;

  // Listening once it returns; throws when the system refuses. An owner whose `serve` reaches into its
  // other members declares the listener after them, so that it stops before they go.
  explicit LoopbackListener(Serve serve);
  ~LoopbackListener();  // raises the stop signal and waits for every connection's thread
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  int Port() const { return port_; }
  std::string Url() const;  // "http://127.0.0.1:<port>"
  const StopSignal& Stop() const { return stop_; }
  // True once every connection accepted so far has ended (its serve has returned).
  bool AllEnded() const;

  // Appends what `s` holds to `data`, waiting until something comes; false when the peer closed, the
  // connection failed or the stop signal came.
  bool ReadMore(Socket s, std::string& data) const;
  // Reads into `data` until it holds an HTTP head's closing blank line, and returns where that line's
  // "\r\n\r\n" starts; npos when the connection ends first or the head passes 1 MiB.
  std::size_t ReadHead(Socket s, std::string& data) const;
  // Writes all of `bytes`, waiting while the socket is full; `sent` (when given) counts what went out.
  // False when the peer left or the stop signal came.
  bool SendAll(Socket s, std::string_view bytes, std::uint64_t* sent = nullptr) const;

 private:
  void AcceptLoop();

  Serve serve_;
  StopSignal stop_;
  Socket listener_ = kNoSocket;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::vector<std::thread> connections_;
  std::size_t accepted_ = 0;
  std::size_t ended_ = 0;
  std::thread acceptThread_;
};

}  // namespace albatrix::test
