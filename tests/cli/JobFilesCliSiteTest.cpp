// Job files from the command line against the stand-in site: export-job and download --job over two
// members (chosen albums and every album), a damaged file among good ones, an album added between two
// runs of an "every album" job, and export-list's file byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/CliRun.h"
#include "support/SiteFixture.h"
#include "support/TestMembers.h"

namespace albatrix {
namespace {

class JobFilesCliSiteTest : public test::SiteFixture {
 protected:
  SiteOptions Options() const override {
    SiteOptions options;
    options.requireLogin = false;
    options.logRequests = true;
    return options;
  }
  void SetUp() override {
    test::SiteFixture::SetUp();
    site().AddMember(test::MemberWith("kobe", {u"Trip", u"A & B", u"Trip"}, 2, 3, 2));
    site().AddMember(test::MemberWith("yao", {u"Home", u"Away"}, 3, 2, 3));
  }
  test::CliRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--site", site().BaseUrl()});
    return test::RunCli(dir, args);
  }
  std::string Picture(const std::string& member, int album, int index) {
    return site().PictureBytes(member, site().Member(member)->albums[static_cast<std::size_t>(album)].id, index, true);
  }
  std::string PictureUrl(const std::string& member, int album, int index) {
    return site().PictureUrl(member, site().Member(member)->albums[static_cast<std::size_t>(album)], index, true);
  }
  // How often the site was asked for the pictures of `member`'s album.
  int PictureRequests(const std::string& member, int album) {
    int n = 0;
    const int pictures = static_cast<int>(site().Member(member)->albums[static_cast<std::size_t>(album)].pictures.size());
    for (int p = 1; p <= pictures; ++p) {
      const std::string url = PictureUrl(member, album, p);
      n += site().RequestCount(url.substr(site().BaseUrl().size()));
    }
    return n;
  }

  test::TempDir dir;
};

TEST_F(JobFilesCliSiteTest, ABatchOfTwoMembersRunsEachIntoItsFolderAndNamesTheFileThatCannot) {
  test::CliRun run = Cli({"export-job", site().MemberUrl("kobe"), "--save", "out", "--albums", "1,3", "--output", "kobe.albatrix"});
  ASSERT_EQ(run.status, 0) << run.err.back();
  run = Cli({"export-job", site().MemberUrl("yao"), "--save", "other", "--all", "--output", "yao.albatrix"});
  ASSERT_EQ(run.status, 0) << run.err.back();
  EXPECT_FALSE(test::PathExists(dir.file("out")));  // an export downloads nothing
  const std::string yao = test::ReadWholeFile(dir.file("yao.albatrix"));
  test::WriteWholeFile(dir.file("cut.albatrix"), yao.substr(0, 40));
  // A save path under a plain file cannot be made.
  test::WriteWholeFile(dir.file("plain"), "x");
  std::string blocked = yao;
  const std::string key = "\"savePath\": \"";  // the folder "other" meant where the export ran
  const std::size_t value = blocked.find(key) + key.size();
  blocked.replace(value, blocked.find('"', value) - value, "plain/x");
  test::WriteWholeFile(dir.file("blocked.albatrix"), blocked);
  SiteFault gone;  // 404
  site().SetFault(AlbumSite::PicturePath("yao", site().Member("yao")->albums[0], 1, true), gone);

  run = Cli({"download", "--job", "kobe.albatrix", "cut.albatrix", "blocked.albatrix", "yao.albatrix"});
  ASSERT_EQ(run.status, 3) << run.err.back();
  for (int p = 1; p <= 3; ++p) {
    EXPECT_EQ(test::ReadWholeFile(dir.file("out/kobe/Trip/p" + std::to_string(p) + ".jpg")), Picture("kobe", 0, p));
    EXPECT_EQ(test::ReadWholeFile(dir.file("out/kobe/Trip (1)/p" + std::to_string(p) + ".jpg")), Picture("kobe", 2, p));
  }
  EXPECT_FALSE(test::PathExists(dir.file("out/kobe/A & B")));
  EXPECT_EQ(test::FolderEntries(dir.file("other/yao")), (std::vector<std::string>{"Away/", "Home/"}));
  EXPECT_EQ(test::ReadWholeFile(dir.file("other/yao/Away/p2.jpg")), Picture("yao", 1, 2));
  EXPECT_TRUE(test::Said(run, "成员 1/4，正在下载第2/2个图集"));
  EXPECT_TRUE(test::Said(run, "成员 4/4，正在下载第1/2个图集"));
  auto names = [&](const std::string& text) {
    return std::any_of(run.err.begin(), run.err.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(names("cut.albatrix：不是可用的下载文件"));
  EXPECT_TRUE(names("blocked.albatrix：保存路径无法建立"));
  ASSERT_GE(run.err.size(), 2u);
  EXPECT_EQ(run.err[run.err.size() - 2], "4 albums, 10 pictures listed, 9 files saved, 0 left out by size limits, 1 failed");
  EXPECT_EQ(run.err.back().rfind(site().MemberUrl("yao") + " / Home\t" + PictureUrl("yao", 0, 1) + "\t", 0), 0u) << run.err.back();
}

TEST_F(JobFilesCliSiteTest, AnEveryAlbumJobFetchesAnAlbumAddedSinceAndNothingItHas) {
  ASSERT_EQ(Cli({"settings", "set", "skip-downloaded=on"}).status, 0);
  ASSERT_EQ(Cli({"export-job", site().MemberUrl("yao"), "--save", "out", "--all", "--output", "yao.albatrix"}).status, 0);
  ASSERT_EQ(Cli({"download", "--job", "yao.albatrix"}).status, 0);
  EXPECT_EQ(PictureRequests("yao", 0), 2);

  site().AddMember(test::MemberWith("yao", {u"Home", u"Away", u"Finals"}, 3, 2, 3));
  test::CliRun run = Cli({"download", "--job", "yao.albatrix"});
  ASSERT_EQ(run.status, 0) << run.err.back();
  EXPECT_EQ(test::ReadWholeFile(dir.file("out/yao/Finals/p1.jpg")), Picture("yao", 2, 1));
  EXPECT_EQ(PictureRequests("yao", 0), 2);  // nothing asked again for the albums it had
  EXPECT_EQ(PictureRequests("yao", 1), 2);
  EXPECT_EQ(PictureRequests("yao", 2), 2);
}

TEST_F(JobFilesCliSiteTest, UsageAndAPictureListByteForByte) {
  EXPECT_EQ(Cli({"download", "--job"}).status, 2);
  EXPECT_EQ(Cli({"download", "--job", "a.albatrix", "--save", "out"}).status, 2);
  EXPECT_EQ(Cli({"export-job", site().MemberUrl("yao"), "--save", "out", "--output", "x.albatrix"}).status, 2);
  EXPECT_EQ(Cli({"download", "--job", "missing.albatrix"}).status, 1);  // nothing could run

  test::CliRun run = Cli({"export-list", site().MemberUrl("kobe"), "--albums", "2-3", "--output", "kobe.lst"});
  ASSERT_EQ(run.status, 0) << run.err.back();
  std::string list;
  for (int album : {1, 2})
    for (int p = 1; p <= 3; ++p) list += PictureUrl("kobe", album, p) + "\r\n";
  EXPECT_EQ(test::ReadWholeFile(dir.file("kobe.lst")), list);
  EXPECT_FALSE(test::PathExists(dir.file("kobe")));  // no album folder was made
  EXPECT_EQ(PictureRequests("kobe", 1), 0);
}

}  // namespace
}  // namespace albatrix
