// AlbumSite for builds without the site itself (Windows): the tests' site is a native albatrix-site
// --control on loopback, whose base address ALBATRIX_TEST_SITE names ("http://127.0.0.1:PORT"). Start
// attaches to it and resets it to this object's options, so every test still begins with a fresh site;
// Stop only detaches, and the one site serves test after test.
#include <gtest/gtest.h>

#include <cstdlib>

#include "site/AlbumSite.h"
#include "support/SiteControlClient.h"

namespace albatrix {

struct AlbumSite::Impl {
  SiteOptions options;
  std::string base;
  int port = 0;
  bool running = false;
  std::unique_ptr<test::SiteControlClient> control;

  test::SiteControlClient& Control() const {
    if (!control) {
      ADD_FAILURE() << "the stand-in site is used before Start";
      static test::SiteControlClient nowhere("http://127.0.0.1:0");
      return nowhere;
    }
    return *control;
  }
};

namespace {

// The port of "http://127.0.0.1:PORT"; 0 when the address is not of that form.
int LoopbackPort(const std::string& base) {
  const std::string prefix = "http://127.0.0.1:";
  if (base.rfind(prefix, 0) != 0 || base.size() == prefix.size()) return 0;
  int port = 0;
  for (char c : base.substr(prefix.size())) {
    if (c < '0' || c > '9' || port > 65535) return 0;
    port = port * 10 + (c - '0');
  }
  return port <= 65535 ? port : 0;
}

}  // namespace

AlbumSite::AlbumSite(SiteOptions options) : impl_(std::make_unique<Impl>()) { impl_->options = std::move(options); }

AlbumSite::~AlbumSite() { Stop(); }

bool AlbumSite::Start(int port) {
  if (impl_->running) return false;
  const char* base = std::getenv("ALBATRIX_TEST_SITE");
  int sitePort = base ? LoopbackPort(base) : 0;
  if (sitePort == 0) {
    ADD_FAILURE() << "ALBATRIX_TEST_SITE does not name a stand-in site (http://127.0.0.1:PORT)";
    return false;
  }
  if (port != 0 && port != sitePort) return false;  // the one site has the port it has
  auto control = std::make_unique<test::SiteControlClient>(base);
  if (!control->Reset(impl_->options)) return false;
  impl_->base = base;
  impl_->port = sitePort;
  impl_->control = std::move(control);
  impl_->running = true;
  return true;
}

void AlbumSite::Stop() {
  if (!impl_->running) return;
  // What the site's own Stop does for replies in flight: nothing stays stalled for the next test.
  impl_->control->ReleaseStalls();
  impl_->running = false;
}

bool AlbumSite::Running() const { return impl_->running; }
int AlbumSite::Port() const { return impl_->port; }
std::string AlbumSite::BaseUrl() const { return impl_->base; }

void AlbumSite::Reset(SiteOptions options) {
  impl_->options = options;
  if (impl_->running && !impl_->control->Reset(options)) ADD_FAILURE() << "the stand-in site did not reset";
}

// The site this object drives serves the control interface already.
void AlbumSite::ServeControl() {}

std::string AlbumSite::SessionCookie() const { return impl_->Control().SessionCookie(); }
void AlbumSite::AddMember(SiteMember member) { impl_->Control().AddMember(member); }
std::optional<SiteMember> AlbumSite::Member(const std::string& key) const { return impl_->Control().Member(key); }
std::vector<std::string> AlbumSite::MemberKeys() const { return impl_->Control().MemberKeys(); }

std::string AlbumSite::PictureBytes(const std::string& member, const std::string& albumId, int index,
                                    bool big) const {
  return impl_->Control().PictureBytes(member, albumId, index, big);
}

std::string AlbumSite::CoverBytes(const std::string& member, const std::string& albumId) const {
  return impl_->Control().CoverBytes(member, albumId);
}

int AlbumSite::RequestCount(const std::string& path) const { return impl_->Control().RequestCount(path); }
int AlbumSite::TotalRequests() const { return impl_->Control().TotalRequests(); }
std::map<std::string, int> AlbumSite::RequestCounts() const { return impl_->Control().RequestCounts(); }
void AlbumSite::ResetCounts() { impl_->Control().ResetCounts(); }
void AlbumSite::SetMaintenance(bool on) { impl_->Control().SetMaintenance(on); }
void AlbumSite::SetFault(const std::string& path, SiteFault fault) { impl_->Control().SetFault(path, fault); }
void AlbumSite::ClearFault(const std::string& path) { impl_->Control().ClearFault(path); }
void AlbumSite::ClearFaults() { impl_->Control().ClearFaults(); }
void AlbumSite::ReleaseStalls() { impl_->Control().ReleaseStalls(); }

}  // namespace albatrix
