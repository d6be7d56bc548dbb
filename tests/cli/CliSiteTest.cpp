// albatrix-cli run as a process against the stand-in site: exit statuses, the album rows on stdout and
// the status lines and messages on stderr.
#include <gtest/gtest.h>

#include <sstream>

#include "app/AlbatrixController.h"
#include "discovery/AlbumListCrawler.h"
#include "discovery/SiteRecognition.h"
#include "model/Settings.h"
#include "cli/CliRun.h"
#include "support/SiteFixture.h"
#include "support/TempDir.h"
#include "support/TestMembers.h"
#include "support/TestSocket.h"

namespace albatrix {
namespace {

using test::CliRun;

class CliSiteTest : public test::SiteFixture {
 protected:
  SiteOptions Options() const override {
    SiteOptions options;
    options.requireLogin = requireLogin_;
    return options;
  }

  CliRun Cli(const std::vector<std::string>& args) { return test::RunCli(dir, args); }

  std::string Base() { return site().BaseUrl(); }

  bool requireLogin_ = false;
  test::TempDir dir;
};

std::string Utf8(TextView text) { return TextToUtf8(text); }

TEST_F(CliSiteTest, ListsAMembersAlbumsAsTheGridShowsThem) {
  site().AddMember(test::MemberWith("kobe", {u"Trip", u"A & B", u"Trip", u"x/y"}, 3, 2));
  CliRun run = Cli({"--site", Base(), "list", site().MemberUrl("kobe")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, (std::vector<std::string>{"0001\tTrip\t   2\t", "0002\tA & B\t   2\t", "0003\tTrip (1)\t   2\t",
                                               "0004\txy\t   2\t"}));
  EXPECT_EQ(run.err, (std::vector<std::string>{"相册列表", "正在获取相册列表，请稍等...", "相册列表(共4个)",
                                               "获取相册列表完成，共4个"}));
  // The start folder is the program folder: the settings were written there, with the member remembered.
  std::string settings = test::ReadWholeFile(dir.file("soft.dat"));
  ASSERT_EQ(settings.size(), kSettingsFileSize);
  EXPECT_EQ(Utf8(SlotText(ParseSettings(settings).memberHistory[0])), site().MemberUrl("kobe"));
}

TEST_F(CliSiteTest, AProgramFolderOnTheCommandLineKeepsTheSettingsOutOfTheStartFolder) {
  site().AddMember(test::NumberedMember("kobe", 2));
  // Relative, as typed in the start folder, with a parent that does not exist yet.
  CliRun run = Cli({"--program-folder", "data/albatrix", "--site", Base(), "list", site().MemberUrl("kobe")});
  EXPECT_EQ(run.status, 0);
  std::string settings = test::ReadWholeFile(dir.file(test::PlatformPath("data/albatrix/soft.dat")));
  ASSERT_EQ(settings.size(), kSettingsFileSize);
  EXPECT_EQ(Utf8(SlotText(ParseSettings(settings).memberHistory[0])), site().MemberUrl("kobe"));
  EXPECT_FALSE(test::PathExists(dir.file("soft.dat")));

  // The settings command reads and writes the same file.
  EXPECT_EQ(Cli({"--program-folder=data/albatrix", "settings", "set", "threads=7"}).status, 0);
  EXPECT_EQ(ParseSettings(test::ReadWholeFile(dir.file(test::PlatformPath("data/albatrix/soft.dat"))))
                .downloadLimits[SITE_CODE_HUPU].threads, 7);
  EXPECT_FALSE(test::PathExists(dir.file("soft.dat")));
}

TEST_F(CliSiteTest, NothingFoundIsStatusOneAfterTheMessage) {
  CliRun run = Cli({"--site", Base(), "list", site().MemberUrl(AlbumSite::kEmptyMember)});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(run.err, (std::vector<std::string>{"相册列表", "正在获取相册列表，请稍等...", Utf8(kLoginFirstMessage),
                                               "相册列表(共0个)", "获取相册列表完成，共0个"}));
  EXPECT_EQ(test::ReadWholeFile(dir.file("soft.dat")).size(), kSettingsFileSize);  // written at every start
}

TEST_F(CliSiteTest, WithoutAnAddressTheMemberBoxIsEmpty) {
  CliRun run = Cli({"--site", Base(), "list"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, std::vector<std::string>{Utf8(kNeedAddressMessage)});
  EXPECT_EQ(site().TotalRequests(), 0);
}

TEST_F(CliSiteTest, TheDemoServesLogsInAndListsTheDemoMember) {
  if (!ALBATRIX_DEMO_SITE) GTEST_SKIP() << "this build has no stand-in site to serve --demo";
  CliRun run = Cli({"--demo", "list"});
  EXPECT_EQ(run.status, 0);
  ASSERT_EQ(run.out.size(), 7u);
  EXPECT_EQ(run.out[0], "0001\t春游 & 踏青\t   7\t");
  EXPECT_EQ(run.out[5], "0006\t没有张数\t   0\t");
  EXPECT_EQ(run.err.back(), "获取相册列表完成，共7个");
}

class CliLoginSiteTest : public CliSiteTest {
 protected:
  CliLoginSiteTest() { requireLogin_ = true; }
};

TEST_F(CliLoginSiteTest, ACookieFileCarriesTheLogin) {
  site().AddMember(test::NumberedMember("kobe", 2));
  CliRun anonymous = Cli({"--site", Base(), "list", site().MemberUrl("kobe")});
  EXPECT_EQ(anonymous.status, 1);
  EXPECT_TRUE(test::Said(anonymous, Utf8(kLoginFirstMessage)));

  std::string cookie = site().SessionCookie();
  std::size_t equals = cookie.find('=');
  test::WriteWholeFile(dir.file("cookies.txt"), "# Netscape HTTP Cookie File\n127.0.0.1\tFALSE\t/\tFALSE\t0\t" +
                                                    cookie.substr(0, equals) + "\t" + cookie.substr(equals + 1) +
                                                    "\tLax\n");
  CliRun loggedIn = Cli({"--cookies", dir.file("cookies.txt"), "--site", Base(), "list", site().MemberUrl("kobe")});
  EXPECT_EQ(loggedIn.status, 0);
  EXPECT_EQ(loggedIn.out, (std::vector<std::string>{"0001\tT1\t   0\t", "0002\tT2\t   0\t"}));
}

TEST_F(CliSiteTest, CommandLineMistakesAreStatusTwo) {
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const Case cases[] = {
      {{}, "no command given"},
      {{"--bogus", "list"}, "unknown option '--bogus'"},
      {{"list", "--site"}, "--site needs a value"},
      {{"--cookies"}, "--cookies needs a value"},
      {{"fetch"}, "unknown command 'fetch'"},
      {{"list", "a", "b"}, "list takes at most one address"},
      {{"list", "http://x/kobe", "--bogus"}, "list: unknown option '--bogus'"},
      {{"--site", "ftp://x", "list"}, "--site needs an http:// or https:// address"},
      {{"--demo", "--site", "http://x", "list"}, "--demo and --site cannot be used together"},
      {{"--cookies", "/nonexistent/cookies.txt", "list"}, "cannot read the cookie file"},
      {{"--program-folder=", "list"}, "--program-folder needs a folder"},
      {{"list", "--program-folder"}, "--program-folder needs a value"},
      {{"--program-folder", "a-file", "list"}, "the program folder 'a-file' is a file, not a folder"},
      {{"--program-folder", "a-file/sub", "settings"}, "the program folder 'a-file/sub' cannot be created"},
  };
  test::WriteWholeFile(dir.file("a-file"), "");
  for (const Case& c : cases) {
    CliRun run = Cli(c.args);
    EXPECT_EQ(run.status, 2) << c.says;
    ASSERT_FALSE(run.err.empty()) << c.says;
    EXPECT_NE(run.err[0].find(c.says), std::string::npos) << run.err[0];
    EXPECT_TRUE(run.out.empty()) << c.says;
  }
  EXPECT_EQ(site().TotalRequests(), 0);
  EXPECT_FALSE(test::PathExists(dir.file("soft.dat"))) << "a command ran";
}

// A site that is down is named in the message, rather than taken for a login the user still owes.
TEST_F(CliSiteTest, ASiteThatTakesNoConnectionIsNamed) {
  int closedPort = 0;
  test::CloseSocket(test::ListenOnLoopback(closedPort));
  const std::string base = "http://127.0.0.1:" + std::to_string(closedPort);
  CliRun run = Cli({"--site", base, "list", base + "/kobe"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(test::Said(run, "相册列表第1页读取失败: cannot connect to 127.0.0.1:" + std::to_string(closedPort)))
      << (run.err.empty() ? "" : run.err.back());
}

TEST_F(CliSiteTest, HelpNamesEveryOption) {
  CliRun run = Cli({"list", "--help"});
  EXPECT_EQ(run.status, 0);
  std::string help;
  for (const std::string& line : run.out) help += line + "\n";
  for (const char* word : {"--site URL", "--cookies FILE", "--demo", "--help", "list [ADDRESS]", "soft.dat",
                           "N albums, P pictures listed, S files saved, L left out by size limits, F failed",
                           "4 GiB", "3 some pictures failed", "130 cancelled", "http:// and https:// are\nboth accepted"})
    EXPECT_NE(help.find(word), std::string::npos) << word;
  EXPECT_FALSE(test::PathExists(dir.file("soft.dat")));  // help alone starts nothing
}

}  // namespace
}  // namespace albatrix
