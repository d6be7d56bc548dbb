// The stand-in album site for a test: started in-process on a free loopback port, stopped afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "site/AlbumSite.h"

namespace albatrix::test {

// Starts a site with `options` on port 0; null (with a test failure recorded) when it cannot start.
std::unique_ptr<AlbumSite> StartSite(const SiteOptions& options = {});

// The default options but that album lists need no login.
SiteOptions OpenSiteOptions();

// Logs in with the demo account through POST /login; returns the Cookie header value ("name=token"),
// empty when the site refused.
std::string LoginCookie(const AlbumSite& site);

// Fixture: `site()` is running from SetUp to TearDown. Override Options() to change how it is made.
class SiteFixture : public ::testing::Test {
 protected:
  virtual SiteOptions Options() const { return {}; }
  void SetUp() override;
  void TearDown() override;
  AlbumSite& site() { return *site_; }

 private:
  std::unique_ptr<AlbumSite> site_;
};

}  // namespace albatrix::test
