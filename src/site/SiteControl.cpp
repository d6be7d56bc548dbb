#include "site/SiteControl.h"

#include <charconv>
#include <functional>

#include "site/SiteWire.h"

namespace albatrix {
namespace {

ControlReply Ok(std::string body = {}) { return ControlReply{200, std::move(body)}; }
ControlReply BadRequest(const std::string& why) { return ControlReply{400, why + "\n"}; }

// A request's argument, and whether it was there.
const std::string* Param(const ControlRequest& request, const char* name) {
  auto found = request.params.find(name);
  return found == request.params.end() ? nullptr : &found->second;
}

bool IntParam(const ControlRequest& request, const char* name, int& value) {
  const std::string* text = Param(request, name);
  if (!text || text->empty()) return false;
  auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  return error == std::errc() && end == text->data() + text->size();
}

bool FlagParam(const ControlRequest& request, const char* name, bool& value) {
  int number = 0;
  if (!IntParam(request, name, number) || (number != 0 && number != 1)) return false;
  value = number == 1;
  return true;
}

using Command = std::function<ControlReply(AlbumSite&, const ControlRequest&)>;

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {
      {"reset",
       [](AlbumSite& site, const ControlRequest& request) {
         auto options = ReadOptions(request.body);
         if (!options) return BadRequest("malformed options");
         site.Reset(*options);
         return Ok();
       }},
      {"add-member",
       [](AlbumSite& site, const ControlRequest& request) {
         auto member = ReadMember(request.body);
         if (!member) return BadRequest("malformed member");
         site.AddMember(std::move(*member));
         return Ok();
       }},
      {"member",
       [](AlbumSite& site, const ControlRequest& request) {
         const std::string* key = Param(request, "key");
         if (!key) return BadRequest("no key");
         auto member = site.Member(*key);
         return member ? Ok(WriteMember(*member)) : ControlReply{404, "no such member\n"};
       }},
      {"member-keys", [](AlbumSite& site, const ControlRequest&) { return Ok(WriteList(site.MemberKeys())); }},
      {"picture",
       [](AlbumSite& site, const ControlRequest& request) {
         const std::string* member = Param(request, "member");
         const std::string* album = Param(request, "album");
         int index = 0;
         bool big = true;
         if (!member || !album || !IntParam(request, "index", index) || !FlagParam(request, "big", big))
           return BadRequest("picture needs member, album, index and big");
         return Ok(site.PictureBytes(*member, *album, index, big));
       }},
      {"cover",
       [](AlbumSite& site, const ControlRequest& request) {
         const std::string* member = Param(request, "member");
         const std::string* album = Param(request, "album");
         if (!member || !album) return BadRequest("cover needs member and album");
         return Ok(site.CoverBytes(*member, *album));
       }},
      {"request-count",
       [](AlbumSite& site, const ControlRequest& request) {
         const std::string* path = Param(request, "path");
         if (!path) return BadRequest("no path");
         return Ok(std::to_string(site.RequestCount(*path)));
       }},
      {"total-requests",
       [](AlbumSite& site, const ControlRequest&) { return Ok(std::to_string(site.TotalRequests())); }},
      {"request-counts", [](AlbumSite& site, const ControlRequest&) { return Ok(WriteCounts(site.RequestCounts())); }},
      {"reset-counts",
       [](AlbumSite& site, const ControlRequest&) {
         site.ResetCounts();
         return Ok();
       }},
      {"maintenance",
       [](AlbumSite& site, const ControlRequest& request) {
         bool on = false;
         if (!FlagParam(request, "on", on)) return BadRequest("maintenance needs on=0 or on=1");
         site.SetMaintenance(on);
         return Ok();
       }},
      {"set-fault",
       [](AlbumSite& site, const ControlRequest& request) {
         const std::string* path = Param(request, "path");
         auto fault = ReadFault(request.body);
         if (!path || !fault) return BadRequest("set-fault needs a path and a fault");
         site.SetFault(*path, std::move(*fault));
         return Ok();
       }},
      {"clear-fault",
       [](AlbumSite& site, const ControlRequest& request) {
         const std::string* path = Param(request, "path");
         if (!path) return BadRequest("no path");
         site.ClearFault(*path);
         return Ok();
       }},
      {"clear-faults",
       [](AlbumSite& site, const ControlRequest&) {
         site.ClearFaults();
         return Ok();
       }},
      {"release-stalls",
       [](AlbumSite& site, const ControlRequest&) {
         site.ReleaseStalls();
         return Ok();
       }},
      {"session-cookie", [](AlbumSite& site, const ControlRequest&) { return Ok(site.SessionCookie()); }},
  };
  return commands;
}

}  // namespace

ControlReply Control(AlbumSite& site, const ControlRequest& request) {
  auto command = Commands().find(request.command);
  if (command == Commands().end()) return ControlReply{404, "unknown command\n"};
  return command->second(site, request);
}

}  // namespace albatrix
