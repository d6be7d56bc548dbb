#include "app/DemoLogin.h"

#include "MyCode/CookieJar.h"
#include "MyCode/Trace.h"
#include "MyCode/URLSource2.h"

namespace albatrix {

bool LogInToDemo(const std::string& loginUrl, const std::string& form, const std::string& cookieName) {
  UrlRequest request(Utf8ToText(loginUrl), Text(), 20000);
  request.verb = u"POST";
  request.extraHeaders = u"Content-Type: application/x-www-form-urlencoded";
  request.body = form;
  UrlResponse response;
  if (!Fetch(request, response, 0)) {
    Trace("demo: the login request failed");
    return false;
  }
  for (const std::string& cookie : CookieJar::Instance().Cookies())
    if (cookie.find(cookieName) != std::string::npos) return true;
  Trace("demo: the site set no session cookie");
  return false;
}

}  // namespace albatrix
