#include "cli/DemoSite.h"

#include "MyCode/CookieJar.h"
#include "MyCode/Trace.h"
#include "MyCode/URLSource2.h"

namespace albatrix {

std::unique_ptr<AlbumSite> StartDemoSite() {
  auto site = std::make_unique<AlbumSite>();
  if (!site->Start(0)) return nullptr;
  return site;
}

bool LogInToDemo(const AlbumSite& site) {
  UrlRequest request(Utf8ToText(site.LoginUrl()), Text(), 20000);
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

}  // namespace albatrix
