#include "support/SiteFixture.h"

#include <httplib.h>

namespace albatrix::test {

std::unique_ptr<AlbumSite> StartSite(const SiteOptions& options) {
  auto site = std::make_unique<AlbumSite>(options);
  if (!site->Start(0)) {
    ADD_FAILURE() << "the album site did not start";
    return nullptr;
  }
  return site;
}

std::string LoginCookie(const AlbumSite& site) {
  httplib::Client client("127.0.0.1", site.Port());
  auto reply = client.Post("/login", "user=demo&password=demo", "application/x-www-form-urlencoded");
  if (!reply) return {};
  std::string cookie = reply->get_header_value("Set-Cookie");
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
