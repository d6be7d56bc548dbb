#include "support/SiteFixture.h"

#include "support/LoopbackHttp.h"

namespace albatrix::test {

std::unique_ptr<AlbumSite> StartSite(const SiteOptions& options) {
  auto site = std::make_unique<AlbumSite>(options);
  if (!site->Start(0)) {
    ADD_FAILURE() << "the album site did not start";
    return nullptr;
  }
  return site;
}

SiteOptions OpenSiteOptions() {
  SiteOptions options;
  options.requireLogin = false;
  return options;
}

std::string LoginCookie(const AlbumSite& site) {
  auto reply = HttpPost(site.LoginUrl(), "user=demo&password=demo");
  if (!reply || reply->setCookies.empty()) return {};
  const std::string& cookie = reply->setCookies.front();
  return cookie.substr(0, cookie.find(';'));
}

void SiteFixture::SetUp() {
  site_ = StartSite(Options());
  ASSERT_NE(site_, nullptr);
}

void SiteFixture::TearDown() {
  if (site_) site_->Stop();
  site_.reset();
}

}  // namespace albatrix::test
