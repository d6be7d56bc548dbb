// The user's proxy settings as Internet Options keeps them, written into the registry of the wine prefix
// that the Windows stage makes for itself (ALBATRIX_TEST_SYSTEM_PROXY=1; elsewhere the tests skip, since
// they would change the settings of the user running them): a request to another host goes through the
// proxy the settings name, a host of their bypass list goes directly, and such a proxy that cannot be
// reached fails the request, named.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <optional>

#include "MyCode/URLSource2.h"
#include "support/FetchKit.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"
#include "support/TestProxy.h"
#include "support/TestSocket.h"

namespace albatrix {
namespace {

using test::Respond;

constexpr wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
constexpr wchar_t kDefaultSettings[] = L"DefaultConnectionSettings";
constexpr const char* kMadeUpHost = "pics.proxy-test.invalid";

// Internet Options' record of a connection: a header (0x46, a counter, the kind bits: 1 direct, 2 a fixed
// proxy), then the proxy list, the bypass list and the configuration script's address, each a 32-bit
// length and its bytes, then room the system keeps for itself.
std::string ConnectionSettings(const std::string& proxy, const std::string& bypass) {
  std::string blob;
  auto dword = [&](std::size_t v) {
    for (int i = 0; i < 4; ++i) blob.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  dword(0x46);
  dword(0);
  dword(3);
  dword(proxy.size());
  blob += proxy;
  dword(bypass.size());
  blob += bypass;
  dword(0);
  blob.append(32, '\0');
  return blob;
}

class SystemProxyWindowsSiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("ALBATRIX_TEST_SYSTEM_PROXY")) GTEST_SKIP() << "would change this user's proxy settings";
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kConnections, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr),
              ERROR_SUCCESS);
    DWORD size = 0;
    if (::RegQueryValueExW(key_, kDefaultSettings, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
      std::string old(size, '\0');
      ::RegQueryValueExW(key_, kDefaultSettings, nullptr, nullptr, reinterpret_cast<BYTE*>(old.data()), &size);
      saved_ = old;
    }
  }
  void TearDown() override {
    if (!key_) return;
    if (saved_) {
      ::RegSetValueExW(key_, kDefaultSettings, 0, REG_BINARY, reinterpret_cast<const BYTE*>(saved_->data()),
                       static_cast<DWORD>(saved_->size()));
    } else {
      ::RegDeleteValueW(key_, kDefaultSettings);
    }
    ::RegCloseKey(key_);
    ChooseProxy({});
  }
  // The system's settings name `proxy` with `bypass`; the fetcher follows them from its next request.
  void SetSystemProxy(const std::string& proxy, const std::string& bypass) {
    const std::string blob = ConnectionSettings(proxy, bypass);
    ASSERT_EQ(::RegSetValueExW(key_, kDefaultSettings, 0, REG_BINARY, reinterpret_cast<const BYTE*>(blob.data()),
                               static_cast<DWORD>(blob.size())),
              ERROR_SUCCESS);
    ChooseProxy({});
  }
  std::string UrlAt(const char* host, const std::string& target) const {
    return std::string("http://") + host + ":" + std::to_string(site.Port()) + target;
  }
  bool FetchPicture(const std::string& url, UrlResponse& response) {
    UrlRequest request(Utf8ToText(url), Utf8ToText(dir.file("pic.jpg")), 5000);
    request.retryDelaySec = 0;
    return Fetch(request, response, 0);
  }

  HKEY key_ = nullptr;
  std::optional<std::string> saved_;
  test::ScriptedServer site;
  test::TempDir dir;
};

TEST_F(SystemProxyWindowsSiteTest, OtherHostsGoThroughTheProxyTheSettingsNameAndTheBypassListDirectly) {
  const Bytes picture = test::Pattern(20000);
  site.On("/pic.jpg", Respond(200, picture, {"Content-Type: image/jpeg"}));
  test::TestProxy proxy;
  proxy.Map(std::string(kMadeUpHost) + ":" + std::to_string(site.Port()), site.Port());
  SetSystemProxy("127.0.0.1:" + std::to_string(proxy.Port()), "*.direct-test.invalid;<local>");

  UrlResponse response;
  ASSERT_TRUE(FetchPicture(UrlAt(kMadeUpHost, "/pic.jpg"), response)) << TextToUtf8(DescribeFetchFailure(response));
  EXPECT_EQ(test::ReadWholeFile(dir.file("pic.jpg")), picture);
  EXPECT_EQ(proxy.Log(), std::vector<std::string>{"GET " + UrlAt(kMadeUpHost, "/pic.jpg")});

  // A host of the bypass list is looked up directly, and no one knows it.
  EXPECT_FALSE(FetchPicture(UrlAt("pics.direct-test.invalid", "/pic.jpg"), response));
  EXPECT_NE(response.failure, FetchFailure::Proxy);
  EXPECT_EQ(proxy.Log().size(), 1u);
  EXPECT_EQ(site.RequestCount(), 1u);
}

TEST_F(SystemProxyWindowsSiteTest, AProxyTheSettingsNameThatCannotBeReachedIsNamed) {
  int closedPort = 0;
  test::CloseSocket(test::ListenOnLoopback(closedPort));
  SetSystemProxy("127.0.0.1:" + std::to_string(closedPort), "");
  UrlResponse response;
  EXPECT_FALSE(FetchPicture(UrlAt(kMadeUpHost, "/pic.jpg"), response));
  EXPECT_EQ(response.failure, FetchFailure::Proxy);
  EXPECT_EQ(TextToUtf8(DescribeFetchFailure(response)), "cannot connect to the proxy http://127.0.0.1:" + std::to_string(closedPort));
  EXPECT_EQ(site.RequestCount(), 0u);
}

}  // namespace
}  // namespace albatrix
