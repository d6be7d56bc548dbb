// The album site's control interface: what a test does with an AlbumSite in its own process, done over
// HTTP to a site in another one (albatrix-site --control). Every command is BASE/_control/<command>, GET
// or POST alike, its arguments in the query, data in the body and the reply in the formats of
// site/SiteWire.h. A reply is 200 with the result, 400 for a malformed request, 404 for an unknown
// command or member.
//   reset          body: options        back to a fresh site made with them (AlbumSite::Reset)
//   add-member     body: member
//   member         ?key=                the member
//   member-keys                         a list
//   picture        ?member=&album=&index=&big=0|1    the bytes (empty when unknown)
//   cover          ?member=&album=      the bytes (empty when unknown)
//   request-count  ?path=               a number
//   total-requests                      a number
//   request-counts                      counts
//   reset-counts
//   maintenance    ?on=0|1
//   set-fault      ?path=  body: fault
//   clear-fault    ?path=
//   clear-faults
//   release-stalls
//   session-cookie                      "albatrix_sid=<token>"
#pragma once

#include <map>
#include <string>

#include "site/AlbumSite.h"

namespace albatrix {

constexpr const char* kControlPrefix = "/_control/";

struct ControlRequest {
  std::string command;  // the path after kControlPrefix
  std::map<std::string, std::string> params;
  std::string body;
};

struct ControlReply {
  int status = 200;
  std::string body;
};

ControlReply Control(AlbumSite& site, const ControlRequest& request);

}  // namespace albatrix
