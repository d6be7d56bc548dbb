// Drives a stand-in site that runs in another process through its control interface
// (site/SiteControl.h): the same calls a test makes on an AlbumSite of its own. A call the site does not
// answer as asked records a test failure and gives the empty result.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "site/AlbumSite.h"

namespace albatrix::test {

class SiteControlClient {
 public:
  explicit SiteControlClient(std::string base);  // "http://127.0.0.1:PORT"

  bool Reset(const SiteOptions& options);
  void AddMember(const SiteMember& member);
  std::optional<SiteMember> Member(const std::string& key);
  std::vector<std::string> MemberKeys();
  std::string PictureBytes(const std::string& member, const std::string& albumId, int index, bool big);
  std::string CoverBytes(const std::string& member, const std::string& albumId);
  int RequestCount(const std::string& path);
  int TotalRequests();
  std::map<std::string, int> RequestCounts();
  void ResetCounts();
  void SetMaintenance(bool on);
  void SetFault(const std::string& path, const SiteFault& fault);
  void ClearFault(const std::string& path);
  void ClearFaults();
  void ReleaseStalls();
  std::string SessionCookie();

 private:
  using Params = std::vector<std::pair<std::string, std::string>>;
  // The reply's status and body; nothing (and a test failure) when the site did not answer.
  std::optional<std::pair<long, std::string>> Call(const std::string& command, const Params& params = {},
                                                   const std::string& body = {});
  // The body of a 200 reply; empty (and a test failure) otherwise.
  std::string Expect200(const std::string& command, const Params& params = {}, const std::string& body = {});
  int Number(const std::string& command, const Params& params = {});

  std::string base_;
};

}  // namespace albatrix::test
