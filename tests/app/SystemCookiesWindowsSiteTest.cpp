// A login kept by the system's cookie store (where the login browser's engine keeps it on Windows) goes
// with the next listing: the stand-in site shows a member's albums only to a logged-in visitor.
#include <gtest/gtest.h>

#include "MyCode/SystemCookies.h"
#include "MyCode/Win32.h"
#include "support/ControllerSiteFixture.h"
#include "support/TestMembers.h"

#include <wininet.h>

namespace albatrix {
namespace {

class SystemCookiesSiteTest : public test::ControllerSiteFixture {
 protected:
  SiteOptions Options() const override { return {}; }  // album lists need a login
  void SetUp() override {
    test::ControllerSiteFixture::SetUp();
    CookieJar::Instance().SetFile(Utf8ToText(dir.file("cookies.txt")));
    CookieJar::Instance().Clear();
  }
  void TearDown() override {
    CookieJar::Instance().Clear();
    test::ControllerSiteFixture::TearDown();
  }
};

TEST_F(SystemCookiesSiteTest, AnHttpOnlyLoginInTheStoreReachesTheListing) {
  site().AddMember(test::MemberWith("kept", {u"Trip", u"Sea"}));
  const Text member = Utf8ToText(site().MemberUrl("kept"));
  List(member);
  ASSERT_TRUE(view.Rows().empty()) << "the site showed albums without a login";

  // The login as the browser's engine keeps it: an HttpOnly session cookie of the site's host.
  std::string login = test::LoginCookie(site());
  ASSERT_NE(login.find('='), std::string::npos);
  std::wstring url = WideText(Utf8ToText(site().BaseUrl() + "/"));
  std::wstring data = WideText(Utf8ToText(login + "; HttpOnly"));
  ASSERT_NE(::InternetSetCookieExW(url.c_str(), nullptr, data.c_str(), INTERNET_COOKIE_HTTPONLY, 0), 0u)
      << "error " << ::GetLastError();

  EXPECT_GE(MergeSystemCookies(site().BaseUrl() + "/"), 1u);
  List(member);
  EXPECT_EQ(view.Rows().size(), 2u);
}

}  // namespace
}  // namespace albatrix
