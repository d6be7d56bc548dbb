// Which album site the program reads: the member host's base address, from which the host fragment that
// identifies the site in a typed address, and that fragment's top-level-domain ending, are derived.
#pragma once

#include "MyCode/StringCtrl.h"

namespace albatrix {

class SiteProfile {
 public:
  // The community's own host.
  SiteProfile();

  // Any other base address, e.g. "http://127.0.0.1:8123" for the stand-in site. A trailing "/" is dropped
  // so page addresses never get a double slash.
  explicit SiteProfile(TextView baseAddress);

  // "http://my.hupu.com": page templates put "/%s/photo-%d" and "/%s-%d.html" after it.
  const Text& BaseAddress() const { return base_; }

  // The host as typed addresses carry it, with "/": "hupu.com/" for the community (its registrable
  // domain, so every sub-host matches), "127.0.0.1:8123/" for a base given by number.
  const Text& HostFragment() const { return fragment_; }

  // The fragment's last dot and what follows: ".com/", ".1:8123/". The key of a single album's address
  // follows it.
  const Text& DomainEnding() const { return ending_; }

  // Where the login browser opens for this site: the community's passport page for the community's own
  // hosts, base + "/login" for any other base (the stand-in site's login form).
  const Text& LoginAddress() const { return login_; }

  // Album-list page `page` (from 1) of a member: base + "/<key>/photo-<page>".
  Text AlbumListPageAddress(TextView memberKey, int page) const;

  // Album page `page` (from 1) of an album: base + "/<albumPath>-<page>.html".
  Text AlbumPageAddress(TextView albumPath, int page) const;

 private:
  Text base_;
  Text fragment_;
  Text ending_;
  Text login_;
};

}  // namespace albatrix
