// A small logging HTTP forward proxy on loopback for tests of the way out: it takes requests in absolute
// form ("GET http://albums.proxy-test.invalid:8123/path HTTP/1.1"), logs each, and forwards it in origin
// form to the loopback port its host is mapped to, so a made-up host name that nothing else resolves
// reaches a server of the test's through this proxy alone. One upstream connection per request, asked to
// close after its reply; the reply goes back as it came, and the client's connection closes with it.
// An unmapped host gets 502.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "support/LoopbackListener.h"

namespace albatrix::test {

class TestProxy {
 public:
  TestProxy();  // listening on 127.0.0.1, a port the system picks; throws when it cannot
  // Destroying it stops, ending every forwarding in progress.
  TestProxy(const TestProxy&) = delete;
  TestProxy& operator=(const TestProxy&) = delete;

  int Port() const { return listener_.Port(); }
  std::string Url() const { return listener_.Url(); }  // "http://127.0.0.1:<port>"

  // Requests for `host` ("name:port" as the request's address has it) go to 127.0.0.1:`port`.
  void Map(const std::string& host, int port);

  // "METHOD absolute-address" for every request, in the order they came.
  std::vector<std::string> Log() const;
  void ClearLog();

 private:
  void Serve(Socket client);

  mutable std::mutex mutex_;
  std::map<std::string, int> hosts_;
  std::vector<std::string> log_;
  LoopbackListener listener_;  // last: its connections use the members above until it has stopped
};

}  // namespace albatrix::test
