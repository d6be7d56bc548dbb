// albatrix-cli against the stand-in site serving TLS, as a browser gives its addresses: an https base and
// an https member address, with the site's certificate trusted through ALBATRIX_TEST_CA_FILE and no other
// way, so the run shows that the fetcher verifies what it talks to.
#include <gtest/gtest.h>

#include "cli/CliRun.h"
#include "support/TempDir.h"
#include "support/TestCertificate.h"
#include "support/TestMembers.h"

namespace albatrix {
namespace {

class TlsCliSiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SiteTls tls{dir.file("site.pem"), dir.file("site.key")};
    ASSERT_TRUE(test::WriteLoopbackCertificate(tls.certificateFile, tls.keyFile));
    SiteOptions options;
    options.requireLogin = false;
    site = std::make_unique<AlbumSite>(options, tls);
    ASSERT_TRUE(site->Start(0));
    site->AddMember(test::MemberWith("kobe", {u"Trip", u"Sea"}, 1, 3, 2));
  }

  // Runs albatrix-cli in the test's folder; `caFile` is what ALBATRIX_TEST_CA_FILE holds ("" for unset).
  test::CliRun Cli(const std::vector<std::string>& args, const std::string& caFile) {
    return test::RunCli(dir, args, {{"ALBATRIX_TEST_CA_FILE", caFile}});
  }

  test::TempDir dir;
  std::unique_ptr<AlbumSite> site;
};

TEST_F(TlsCliSiteTest, DownloadsOverHttpsOnlyFromASiteItTrusts) {
  ASSERT_EQ(site->BaseUrl().rfind("https://", 0), 0u);
  const std::vector<std::string> args = {"--site", site->BaseUrl(), "download", site->MemberUrl("kobe"),
                                         "--save", "out"};

  // The system's authorities do not know the site's certificate: no page is served, nothing is listed.
  EXPECT_EQ(Cli(args, "").status, 1);
  EXPECT_EQ(site->TotalRequests(), 0);
  EXPECT_FALSE(test::PathExists(dir.file("out/kobe")));

  const test::CliRun trusted = Cli(args, dir.file("site.pem"));
  ASSERT_EQ(trusted.status, 0) << test::ReadWholeFile(dir.file("err.txt"));
  EXPECT_EQ(trusted.out, (std::vector<std::string>{"0001\tTrip\t   3\t", "0002\tSea\t   3\t"}));
  EXPECT_EQ(site->RequestCount("/kobe/photo-2"), 1);  // both list pages came over TLS
  const char* folders[] = {"Trip", "Sea"};
  for (int album = 0; album < 2; ++album) {
    for (int p = 1; p <= 3; ++p) {
      std::string file = dir.file("out/kobe/" + std::string(folders[album]) + "/p" + std::to_string(p) + ".jpg");
      EXPECT_EQ(test::ReadWholeFile(file), site->PictureBytes("kobe", "a" + std::to_string(album + 1), p, true))
          << file;
    }
  }
}

}  // namespace
}  // namespace albatrix
