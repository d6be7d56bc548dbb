#include "site/DemoSite.h"

#include "MyCode/CookieJar.h"
#include "MyCode/Trace.h"
#include "MyCode/URLSource2.h"
#include "site/AlbumSite.h"

namespace albatrix {

namespace {

class InProcessSite : public DemoSite {
 public:
  bool Start() { return site_.Start(0); }
  std::string BaseUrl() const override { return site_.BaseUrl(); }
  std::string DemoMemberUrl() const override { return site_.MemberUrl(AlbumSite::kDemoMember); }

  bool LogIn() const override {
    UrlRequest request(Utf8ToText(site_.LoginUrl()), Text(), 20000);
    request.verb = u"POST";
    request.extraHeaders = u"Content-Type: application/x-www-form-urlencoded";
    request.body = std::string("user=") + AlbumSite::kUser + "&password=" + AlbumSite::kPassword;
    UrlResponse response;
    if (!Fetch(request, response, 0)) {
      Trace("demo: the login request failed");
      return false;
    }
    for (const std::string& cookie : CookieJar::Instance().Cookies())
      if (cookie.find(AlbumSite::kCookieName) != std::string::npos) return true;
    Trace("demo: the site set no session cookie");
    return false;
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
