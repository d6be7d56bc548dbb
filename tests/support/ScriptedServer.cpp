#include "support/ScriptedServer.h"

#include <algorithm>

namespace albatrix::test {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 307: return "Temporary Redirect";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

}  // namespace

Reply& Reply::Send(std::string bytes) {
  steps_.push_back({Kind::Send, std::move(bytes), 0});
  return *this;
}
Reply& Reply::Pause(int ms) {
  steps_.push_back({Kind::Pause, {}, ms});
  return *this;
}
Reply& Reply::Stall() {
  steps_.push_back({Kind::Stall, {}, 0});
  return *this;
}
Reply& Reply::Reset() {
  steps_.push_back({Kind::Reset, {}, 0});
  return *this;
}
Reply& Reply::Endless(std::string piece) {
  steps_.push_back({Kind::Endless, std::move(piece), 0});
  return *this;
}
Reply& Reply::KeepOpen() {
  steps_.push_back({Kind::KeepOpen, {}, 0});
  return *this;
}

static std::string Head(int status, const std::vector<std::string>& headers, bool close) {
  std::string head = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n";
  for (const std::string& h : headers) head += h + "\r\n";
  return head + (close ? "Connection: close\r\n\r\n" : "\r\n");
}

std::string HttpHead(int status, const std::vector<std::string>& headers) { return Head(status, headers, true); }

Reply Respond(int status, std::string body, std::vector<std::string> headers) {
  headers.push_back("Content-Length: " + std::to_string(body.size()));
  return Reply().Send(HttpHead(status, headers) + body);
}

Reply RespondOpen(int status, std::string body, std::vector<std::string> headers) {
  headers.push_back("Content-Length: " + std::to_string(body.size()));
  return Reply().Send(Head(status, headers, false) + body);
}

// The value of the first header line named `name`; false when there is none.
static bool FindHeader(const std::string& head, std::string_view name, std::string& value) {
  std::size_t pos = 0;
  while (pos < head.size()) {
    std::size_t eol = head.find("\r\n", pos);
    if (eol == std::string::npos) eol = head.size();
    std::string_view line(head.data() + pos, eol - pos);
    std::size_t colon = line.find(':');
    if (colon != std::string_view::npos && SameNoCase(line.substr(0, colon), name)) {
      std::string_view v = line.substr(colon + 1);
      while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
      value.assign(v);
      return true;
    }
    pos = eol + 2;
  }
  return false;
}

std::string RecordedRequest::Header(std::string_view name) const {
  std::string value;
  FindHeader(head, name, value);
  return value;
}

bool RecordedRequest::HasHeader(std::string_view name) const {
  std::string value;
  return FindHeader(head, name, value);
}

ScriptedServer::ScriptedServer() : listener_([this](Socket s, std::size_t n) { Serve(s, n); }) {}

std::string ScriptedServer::Url(std::string_view target) const {
  return listener_.Url() + std::string(target);
}

void ScriptedServer::On(std::string target, std::vector<Reply> replies) {
  std::lock_guard<std::mutex> hold(mutex_);
  scripts_[std::move(target)] = Script{std::move(replies), 0};
}

std::vector<RecordedRequest> ScriptedServer::Requests() const {
  std::lock_guard<std::mutex> hold(mutex_);
  std::vector<RecordedRequest> out;
  for (const auto& r : records_) out.push_back(*r);
  return out;
}

std::size_t ScriptedServer::RequestCount() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return records_.size();
}

std::size_t ScriptedServer::RequestCount(std::string_view target) const {
  std::lock_guard<std::mutex> hold(mutex_);
  std::size_t n = 0;
  for (const auto& r : records_) n += r->target == target;
  return n;
}

bool ScriptedServer::AllDone() const { return listener_.AllEnded(); }

bool ScriptedServer::ReadRequest(Socket s, RecordedRequest& out) {
  std::string data;
  auto readMore = [&] { return listener_.ReadMore(s, data); };
  const std::size_t headEnd = listener_.ReadHead(s, data);
  if (headEnd == std::string::npos) return false;
  std::size_t lineEnd = data.find("\r\n");
  out.requestLine = data.substr(0, lineEnd);
  out.head = data.substr(lineEnd + 2, headEnd + 2 - (lineEnd + 2));
  std::size_t sp1 = out.requestLine.find(' ');
  std::size_t sp2 = out.requestLine.find(' ', sp1 + 1);
  out.method = out.requestLine.substr(0, sp1);
  out.target = out.requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
  std::string rest = data.substr(headEnd + 4);

  out.chunked = out.Header("Transfer-Encoding").find("chunked") != std::string::npos;
  if (out.chunked) {
    // Decode chunk by chunk until the zero-length one.
    data = rest;
    std::size_t pos = 0;
    for (;;) {
      std::size_t eol;
      while ((eol = data.find("\r\n", pos)) == std::string::npos)
        if (!readMore()) return false;
      std::size_t size = std::stoul(data.substr(pos, eol - pos), nullptr, 16);
      while (data.size() < eol + 2 + size + 2)
        if (!readMore()) return false;
      out.body.append(data, eol + 2, size);
      pos = eol + 2 + size + 2;
      if (size == 0) break;
    }
    return true;
  }
  std::string length = out.Header("Content-Length");
  std::size_t want = length.empty() ? 0 : std::stoul(length);
  data = rest;
  while (data.size() < want)
    if (!readMore()) return false;
  out.body = data.substr(0, want);
  return true;
}

Reply ScriptedServer::ReplyFor(const std::string& target) {
  std::lock_guard<std::mutex> hold(mutex_);
  auto it = scripts_.find(target);
  if (it == scripts_.end() || it->second.replies.empty()) return Respond(404, "no such page");
  Script& s = it->second;
  std::size_t i = std::min(s.served++, s.replies.size() - 1);
  return s.replies[i];
}

bool ScriptedServer::Play(Socket s, const Reply& reply, RecordedRequest& record, bool& closed) {
  const StopSignal& stop = listener_.Stop();
  std::uint64_t sent = 0;
  bool left = false;
  bool keepOpen = false;
  for (const Reply::Step& step : reply.steps()) {
    if (stop.Raised()) break;
    if (step.kind == Reply::Kind::Send) {
      if (!listener_.SendAll(s, step.bytes, &sent)) {
        left = !stop.Raised();
        break;
      }
    } else if (step.kind == Reply::Kind::Pause) {
      stop.Sleep(step.ms);
    } else if (step.kind == Reply::Kind::Stall) {
      // Silent until the client hangs up; whatever else it sends is dropped.
      char sink[4096];
      while (stop.WaitFor(s, Readiness::Read)) {
        long n = ReceiveSome(s, sink, sizeof sink);
        if (n == 0 || n == kSocketFailed) {
          left = true;
          break;
        }
      }
      break;
    } else if (step.kind == Reply::Kind::Reset) {
      CloseWithReset(s);
      closed = true;
      break;
    } else if (step.kind == Reply::Kind::Endless) {
      while (!stop.Raised() && listener_.SendAll(s, step.bytes, &sent)) {
      }
      left = !stop.Raised();
      break;
    } else if (step.kind == Reply::Kind::KeepOpen) {
      keepOpen = true;
    }
  }
  std::lock_guard<std::mutex> hold(mutex_);
  record.bytesSent = sent;
  record.clientLeft = left;
  return keepOpen && !left && !closed;
}

void ScriptedServer::Serve(Socket s, std::size_t connection) {
  std::vector<std::shared_ptr<RecordedRequest>> served;
  bool closed = false;
  for (;;) {
    auto record = std::make_shared<RecordedRequest>();
    record->connection = connection;
    if (!ReadRequest(s, *record)) break;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      records_.push_back(record);
    }
    served.push_back(record);
    if (!Play(s, ReplyFor(record->target), *record, closed)) break;
  }
  if (!closed) CloseGracefully(s);
  std::lock_guard<std::mutex> hold(mutex_);
  for (auto& record : served) record->done = true;
}

}  // namespace albatrix::test
