#include "site/DemoSite.h"

#include "site/AlbumSite.h"

namespace albatrix {

namespace {

class InProcessSite : public DemoSite {
 public:
  bool Start() { return site_.Start(0); }
  std::string BaseUrl() const override { return site_.BaseUrl(); }
  std::string DemoMemberUrl() const override { return site_.MemberUrl(AlbumSite::kDemoMember); }

  bool LogIn(DemoLogIn logIn) const override {
    const std::string form = std::string("user=") + AlbumSite::kUser + "&password=" + AlbumSite::kPassword;
    return logIn(site_.LoginUrl(), form, AlbumSite::kCookieName);
  }

 private:
  AlbumSite site_;
};

}  // namespace

std::unique_ptr<DemoSite> DemoSite::Start() {
  auto site = std::make_unique<InProcessSite>();
  if (!site->Start()) return nullptr;
  return site;
}

}  // namespace albatrix
