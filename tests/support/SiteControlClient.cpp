#include "support/SiteControlClient.h"

#include <gtest/gtest.h>

#include <charconv>

#include "site/SiteControl.h"
#include "site/SiteWire.h"
#include "support/LoopbackHttp.h"

namespace albatrix::test {

SiteControlClient::SiteControlClient(std::string base) : base_(std::move(base)) {}

std::optional<std::pair<long, std::string>> SiteControlClient::Call(const std::string& command, const Params& params,
                                                                    const std::string& body) {
  std::string url = base_ + kControlPrefix + command;
  char separator = '?';
  for (const auto& [name, value] : params) {
    url += separator + name + "=" + QueryEscape(value);
    separator = '&';
  }
  auto reply = HttpPost(url, body, "text/plain; charset=UTF-8");
  if (!reply) {
    ADD_FAILURE() << "the stand-in site at " << base_ << " did not answer " << command;
    return std::nullopt;
  }
  return std::make_pair(reply->status, std::move(reply->body));
}

std::string SiteControlClient::Expect200(const std::string& command, const Params& params, const std::string& body) {
  auto reply = Call(command, params, body);
  if (!reply) return {};
  if (reply->first != 200) {
    ADD_FAILURE() << "the stand-in site answered " << command << " with " << reply->first << ": " << reply->second;
    return {};
  }
  return std::move(reply->second);
}

int SiteControlClient::Number(const std::string& command, const Params& params) {
  std::string text = Expect200(command, params);
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    ADD_FAILURE() << command << " gave no number: " << text;
    return 0;
  }
  return value;
}

bool SiteControlClient::Reset(const SiteOptions& options) {
  auto reply = Call("reset", {}, WriteOptions(options));
  return reply && reply->first == 200;
}

void SiteControlClient::AddMember(const SiteMember& member) { Expect200("add-member", {}, WriteMember(member)); }

std::optional<SiteMember> SiteControlClient::Member(const std::string& key) {
  auto reply = Call("member", {{"key", key}});
  if (!reply || reply->first == 404) return std::nullopt;
  auto member = reply->first == 200 ? ReadMember(reply->second) : std::nullopt;
  if (!member) ADD_FAILURE() << "the stand-in site answered member " << key << " with " << reply->first;
  return member;
}

std::vector<std::string> SiteControlClient::MemberKeys() {
  auto keys = ReadList(Expect200("member-keys"));
  if (!keys) ADD_FAILURE() << "malformed member keys";
  return keys.value_or(std::vector<std::string>{});
}

std::string SiteControlClient::PictureBytes(const std::string& member, const std::string& albumId, int index,
                                            bool big) {
  return Expect200("picture", {{"member", member}, {"album", albumId}, {"index", std::to_string(index)},
                               {"big", big ? "1" : "0"}});
}

std::string SiteControlClient::CoverBytes(const std::string& member, const std::string& albumId) {
  return Expect200("cover", {{"member", member}, {"album", albumId}});
}

int SiteControlClient::RequestCount(const std::string& path) { return Number("request-count", {{"path", path}}); }
int SiteControlClient::TotalRequests() { return Number("total-requests"); }

std::map<std::string, int> SiteControlClient::RequestCounts() {
  auto counts = ReadCounts(Expect200("request-counts"));
  if (!counts) ADD_FAILURE() << "malformed request counts";
  return counts.value_or(std::map<std::string, int>{});
}

void SiteControlClient::ResetCounts() { Expect200("reset-counts"); }
void SiteControlClient::SetMaintenance(bool on) { Expect200("maintenance", {{"on", on ? "1" : "0"}}); }

void SiteControlClient::SetFault(const std::string& path, const SiteFault& fault) {
  Expect200("set-fault", {{"path", path}}, WriteFault(fault));
}

void SiteControlClient::ClearFault(const std::string& path) { Expect200("clear-fault", {{"path", path}}); }
void SiteControlClient::ClearFaults() { Expect200("clear-faults"); }
void SiteControlClient::ReleaseStalls() { Expect200("release-stalls"); }
std::string SiteControlClient::SessionCookie() { return Expect200("session-cookie"); }

}  // namespace albatrix::test
