// albatrix-cli download and settings run as processes against the stand-in site: the exact tree of files
// a run writes and their bytes, the site's faults, Ctrl-C, exit statuses and the settings file.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "download/AlbumFiles.h"
#include "download/RunFakes.h"
#include "model/Settings.h"
#include "cli/CliRun.h"
#include "support/ChildProcess.h"
#include "support/SiteFixture.h"
#include "support/TempDir.h"
#include "support/TestMembers.h"
#include "support/WaitFor.h"

namespace albatrix {
namespace {

using test::FileTree;

// albatrix-cli as a child process in the test's folder, its output in files there and a cookie store of
// its own.
class CliProcess : public test::ChildProcess {
 public:
  CliProcess(const test::TempDir& dir, const std::vector<std::string>& args)
      : ChildProcess(test::BuildProgram("albatrix-cli"), args,
                     {dir.path(), dir.file("out.txt"), dir.file("err.txt"), {{test::UserDataVariable(), dir.path()}}}),
        dir_(dir) {}
  std::string Err() const { return test::ReadWholeFile(dir_.file("err.txt")); }
  std::vector<std::string> ErrLines() const { return test::TextLines(Err()); }
  std::vector<std::string> OutLines() const { return test::TextLines(test::ReadWholeFile(dir_.file("out.txt"))); }

 private:
  const test::TempDir& dir_;
};

class DownloadCliSiteTest : public test::SiteFixture {
 protected:
  SiteOptions Options() const override {
    SiteOptions options;
    options.requireLogin = false;
    options.stallLimitMs = 1500;  // a stalled reply ends (cut short) well within a test
    options.logRequests = true;
    return options;
  }
  void SetUp() override {
    test::SiteFixture::SetUp();
    site().AddMember(test::MemberWith("kobe", {u"Trip", u"A & B", u"Trip"}, 2, 3, 2));
  }
  int Cli(const std::vector<std::string>& args) {
    last_ = std::make_unique<CliProcess>(dir, args);
    return last_->Wait();
  }
  std::vector<std::string> DownloadArgs(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--site", site().BaseUrl(), "download", site().MemberUrl("kobe"), "--save", "out"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
  SiteAlbum Album(int album) { return site().Member("kobe")->albums[static_cast<std::size_t>(album)]; }
  std::string Picture(int album, int index) { return site().PictureBytes("kobe", Album(album).id, index, true); }
  std::string PictureUrl(int album, int index) { return site().PictureUrl("kobe", Album(album), index, true); }
  std::string PicturePath(int album, int index) { return AlbumSite::PicturePath("kobe", Album(album), index, true); }
  // An album's skip marker naming picture `index`: its address in UTF-16LE.
  std::string Marker(int album, int index = 1) {
    std::string bytes;
    for (char16_t c : Utf8ToText(PictureUrl(album, index))) {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
  }
  static SiteFault Fault(SiteFaultKind kind, std::size_t bytes = 0, int status = 404) {
    SiteFault fault;
    fault.kind = kind;
    fault.bytes = bytes;
    fault.status = status;
    return fault;
  }
  // The tree an uninterrupted run of every album saves.
  std::map<std::string, std::string> WholeTree() {
    std::map<std::string, std::string> whole = {{"kobe/", ""}};
    for (int a = 0; a < 3; ++a) {
      const std::string folder = std::string("kobe/") + kFolders[a];
      whole[folder + "/"] = "";
      for (int p = 1; p <= 3; ++p) whole[folder + "/p" + std::to_string(p) + ".jpg"] = Picture(a, p);
      whole[folder + "/pic.zvk"] = Marker(a);
    }
    return whole;
  }
  static constexpr const char* kFolders[] = {"Trip", "A & B", "Trip (1)"};

  test::TempDir dir;
  std::unique_ptr<CliProcess> last_;
};

TEST_F(DownloadCliSiteTest, DownloadsEveryAlbumIntoTheSavePath) {
  ASSERT_EQ(Cli(DownloadArgs()), 0) << last_->Err();
  EXPECT_EQ(FileTree(dir.path() + "/out"), WholeTree());
  EXPECT_EQ(last_->OutLines(), (std::vector<std::string>{"0001\tTrip\t   3\t", "0002\tA & B\t   3\t",
                                                         "0003\tTrip (1)\t   3\t"}));
  auto err = last_->ErrLines();
  ASSERT_GE(err.size(), 2u);
  EXPECT_EQ(err[err.size() - 2], "下载完毕");
  EXPECT_EQ(err.back(), "3 albums, 9 pictures listed, 9 files saved, 0 left out by size limits, 0 failed");
  EXPECT_NE(std::find(err.begin(), err.end(), "正在下载第3/3个图集"), err.end());
  EXPECT_NE(std::find(err.begin(), err.end(), "已下载3/3......"), err.end());
}

// A job file that cannot be written (a folder holds its name) is warned of once; every picture is saved.
TEST_F(DownloadCliSiteTest, AJobFileThatCannotBeWrittenIsWarnedOfOnce) {
  std::filesystem::create_directory(std::filesystem::u8path(dir.file("job.albatrix")));
  ASSERT_EQ(Cli(DownloadArgs()), 0) << last_->Err();
  EXPECT_EQ(FileTree(dir.path() + "/out"), WholeTree());
  const std::string err = last_->Err();
  const std::string warning = "albatrix-cli: warning: the job file ";
  EXPECT_EQ(err.find(warning), err.rfind(warning)) << err;
  EXPECT_NE(err.find(" cannot be written: after a stop this download cannot go on from where it stopped"),
            std::string::npos) << err;
}

TEST_F(DownloadCliSiteTest, ChosenRowsOnly) {
  ASSERT_EQ(Cli(DownloadArgs({"--albums", "3,2-2"})), 0) << last_->Err();
  EXPECT_EQ(test::FolderEntries(dir.path() + "/out/kobe"), (std::vector<std::string>{"A & B/", "Trip (1)/"}));
  EXPECT_EQ(last_->ErrLines().back(), "2 albums, 6 pictures listed, 6 files saved, 0 left out by size limits, 0 failed");
}

TEST_F(DownloadCliSiteTest, UsageErrorsAndNothingListed) {
  EXPECT_EQ(Cli({"--site", site().BaseUrl(), "download", site().MemberUrl("kobe")}), 2);
  EXPECT_EQ(Cli(DownloadArgs({"--albums", "2-1"})), 2);
  EXPECT_EQ(Cli(DownloadArgs({"--albums", "0"})), 2);
  EXPECT_EQ(Cli(DownloadArgs({"--albums", "4"})), 2);  // only three rows were listed
  EXPECT_EQ(Cli(DownloadArgs({"--colour", "red"})), 2);
  EXPECT_FALSE(test::PathExists(dir.path() + "/out"));
  EXPECT_EQ(Cli({"--site", site().BaseUrl(), "download", site().MemberUrl(AlbumSite::kEmptyMember), "--save", "out"}), 1);
  EXPECT_FALSE(test::PathExists(dir.path() + "/out"));
  // A save path that cannot be made is refused: status 1 as well.
  test::WriteWholeFile(dir.file("plain-file"), "x");
  EXPECT_EQ(Cli({"--site", site().BaseUrl(), "download", site().MemberUrl("kobe"), "--save", "plain-file/out"}), 1);
}

TEST_F(DownloadCliSiteTest, ListOnlyFromTheSettingsWritesListFiles) {
  ASSERT_EQ(Cli({"settings", "set", "list-only=on", "name-source=1"}), 0) << last_->Err();
  ASSERT_EQ(Cli(DownloadArgs({"--albums", "1"})), 0) << last_->Err();
  std::string list;
  for (int p = 1; p <= 3; ++p) list += PictureUrl(0, p) + "\r\n";
  EXPECT_EQ(FileTree(dir.path() + "/out"),
            (std::map<std::string, std::string>{{"kobe/", ""}, {"kobe/Trip/", ""}, {"kobe/Trip/Trip.lst", list}}));
  EXPECT_EQ(last_->ErrLines().back(), "1 albums, 3 pictures listed, 0 files saved, 0 left out by size limits, 0 failed");
}

// Faulty replies leave no partial file, each failed picture is reported with its album, address and
// reason after the summary, and the exit status says that some failed. Each album's marker names the
// picture after its last failure, so the next run fetches exactly the failed pictures again.
TEST_F(DownloadCliSiteTest, FaultsLeaveNoPartialFileAndAreReported) {
  site().SetFault(PicturePath(0, 1), Fault(SiteFaultKind::Stall, 1000));
  site().SetFault(PicturePath(0, 2), Fault(SiteFaultKind::Truncate, 1000));
  site().SetFault(PicturePath(1, 1), Fault(SiteFaultKind::EndlessBody));
  site().SetFault(PicturePath(1, 2), Fault(SiteFaultKind::Status, 0, 404));
  site().SetFault(PicturePath(1, 3), Fault(SiteFaultKind::Status, 0, 500));
  site().SetFault(PicturePath(2, 1), Fault(SiteFaultKind::WrongLength, 100000));
  ASSERT_EQ(Cli({"settings", "set", "max-kb=200", "name-source=1", "skip-downloaded=on"}), 0);
  auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(Cli(DownloadArgs()), 3) << last_->Err();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
  std::map<std::string, std::string> expected = {
      {"kobe/", ""},           {"kobe/Trip/", ""},   {"kobe/A & B/", ""},           {"kobe/Trip (1)/", ""},
      {"kobe/Trip/3.jpg", Picture(0, 3)},            {"kobe/Trip (1)/2.jpg", Picture(2, 2)},
      {"kobe/Trip (1)/3.jpg", Picture(2, 3)},
      {"kobe/Trip/pic.zvk", Marker(0, 3)},         {"kobe/Trip (1)/pic.zvk", Marker(2, 2)},
  };
  // No partial file, no temporary file; "A & B" lost its last picture, so it has no marker.
  EXPECT_EQ(FileTree(dir.path() + "/out"), expected);

  auto err = last_->ErrLines();
  const std::string summary = "3 albums, 9 pictures listed, 3 files saved, ";
  auto at = std::find_if(err.begin(), err.end(), [&](const std::string& line) { return line.rfind(summary, 0) == 0; });
  ASSERT_NE(at, err.end()) << last_->Err();
  // The endless reply is cut at max-kb, which leaves it out; the five others are lost, each with its reason
  // (the site closes a stalled reply after its stall limit, before the run's time-out).
  EXPECT_EQ(*at, summary + "1 left out by size limits, 5 failed");
  std::vector<std::string> reported(at + 1, err.end());
  std::vector<std::string> lost = {"Trip\t" + PictureUrl(0, 1) + "\tnetwork error",
                                   "Trip\t" + PictureUrl(0, 2) + "\tnetwork error",
                                   "A & B\t" + PictureUrl(1, 2) + "\tHTTP 404",
                                   "A & B\t" + PictureUrl(1, 3) + "\tHTTP 500",
                                   "Trip (1)\t" + PictureUrl(2, 1) + "\tnetwork error"};
  EXPECT_EQ(reported, lost);

  // With the faults gone the next run fetches exactly what is missing, and nothing fails.
  site().ClearFaults();
  ASSERT_EQ(Cli(DownloadArgs()), 0) << last_->Err();
  EXPECT_EQ(last_->ErrLines().back(), "3 albums, 6 pictures listed, 6 files saved, 0 left out by size limits, 0 failed");
  const auto tree = FileTree(dir.path() + "/out");
  for (int a = 0; a < 3; ++a)
    EXPECT_EQ(tree.at(std::string("kobe/") + kFolders[a] + "/pic.zvk"), Marker(a)) << kFolders[a];
}

// Ctrl-C during album 2 of 3 is the button's second press: album 2 stops without its marker, album 3 is
// never started, the run ends with "下载完毕" and the exit status is 130.
TEST_F(DownloadCliSiteTest, InterruptCancelsTheRun) {
  site().SetFault(PicturePath(1, 2), Fault(SiteFaultKind::Stall, 100));
  ASSERT_EQ(Cli({"settings", "set", "threads=1", "name-source=1"}), 0);
  CliProcess run(dir, DownloadArgs());
  // Picture 2 of album 2 hangs; the press comes while it does.
  ASSERT_TRUE(test::WaitFor([&] {
    const std::string err = run.Err();
    const std::size_t album2 = err.find("正在下载第2/3个图集");
    return album2 != std::string::npos && err.find("已下载1/3......", album2) != std::string::npos;
  }));
  run.Interrupt();
  EXPECT_EQ(run.Wait(), 130);
  auto err = run.ErrLines();
  ASSERT_GE(err.size(), 2u);
  EXPECT_EQ(err[err.size() - 2], "下载完毕");
  EXPECT_EQ(std::count(err.begin(), err.end(), "正在下载第3/3个图集"), 0);
  EXPECT_EQ(test::FolderEntries(dir.path() + "/out/kobe"), (std::vector<std::string>{"A & B/", "Trip/"}));
  EXPECT_EQ(test::FolderEntries(dir.path() + "/out/kobe/A & B"), std::vector<std::string>{"1.jpg"});
  // Only the albums begun count; the abandoned picture is no failure.
  EXPECT_EQ(err.back(), "2 albums, 6 pictures listed, 4 files saved, 0 left out by size limits, 0 failed");
}

// An album page that cannot be read leaves the album incomplete: its failure line names the page, the
// run exits 3 and writes no skip marker, so the next run (the page well again) fetches what was missing;
// a retry pass lists the album again and fetches only the pictures that were not whole on disk.
TEST_F(DownloadCliSiteTest, AnUnreadableAlbumPageIsAFailureAndNoMarker) {
  const std::string pageUrl = site().AlbumPageUrl("kobe", Album(0).id, 2);
  const std::string page = pageUrl.substr(site().BaseUrl().size());
  SiteFault fault = Fault(SiteFaultKind::Status, 0, 500);
  site().SetFault(page, fault);
  ASSERT_EQ(Cli({"settings", "set", "skip-downloaded=on"}), 0);
  ASSERT_EQ(Cli(DownloadArgs({"--albums", "1"})), 3) << last_->Err();
  auto err = last_->ErrLines();
  ASSERT_GE(err.size(), 2u);
  EXPECT_EQ(err[err.size() - 2], "1 albums, 2 pictures listed, 2 files saved, 0 left out by size limits, 1 failed");
  EXPECT_EQ(err.back(), "Trip\t" + pageUrl + "\t相册第2页读取失败: HTTP 500");
  EXPECT_EQ(test::FolderEntries(dir.path() + "/out/kobe/Trip"), (std::vector<std::string>{"p1.jpg", "p2.jpg"}));

  site().ClearFault(page);
  ASSERT_EQ(Cli(DownloadArgs({"--albums", "1"})), 0) << last_->Err();
  EXPECT_EQ(test::ReadWholeFile(dir.path() + "/out/kobe/Trip/p3.jpg"), Picture(0, 3));
  EXPECT_EQ(test::ReadWholeFile(dir.path() + "/out/kobe/Trip/pic.zvk"), Marker(0));

  // Once more from nothing, the page failing only once: the retry pass mends the album.
  std::filesystem::remove_all(std::filesystem::u8path(dir.path() + "/out"));
  site().ResetCounts();
  fault.times = 1;
  site().SetFault(page, fault);
  ASSERT_EQ(Cli(DownloadArgs({"--albums", "1", "--retries", "1"})), 0) << last_->Err();
  EXPECT_EQ(last_->ErrLines().back(), "1 albums, 3 pictures listed, 3 files saved, 0 left out by size limits, 0 failed");
  EXPECT_EQ(site().RequestCount(PicturePath(0, 1)), 1);
  EXPECT_EQ(site().RequestCount(PicturePath(0, 2)), 1);
  EXPECT_EQ(test::ReadWholeFile(dir.path() + "/out/kobe/Trip/p3.jpg"), Picture(0, 3));
  EXPECT_EQ(test::ReadWholeFile(dir.path() + "/out/kobe/Trip/pic.zvk"), Marker(0));
}

// A run killed outright at two moments (inside the first album, and at the start of the second): every
// file under a picture's name is whole, and download --resume saves exactly the tree an uninterrupted
// run saves, leaves no temporary file, and never asks again for a picture that was whole on disk.
TEST_F(DownloadCliSiteTest, AKilledRunGoesOnWithResume) {
  const std::string out = dir.path() + "/out";
  const test::TempDir elsewhere;
  std::map<std::string, std::string> whole = WholeTree();
  ASSERT_EQ(Cli({"settings", "set", "threads=1"}), 0);
  for (auto [album, index] : {std::pair{0, 2}, std::pair{1, 1}}) {
    std::filesystem::remove_all(std::filesystem::u8path(out));
    site().ResetCounts();
    const std::string held = PicturePath(album, index);
    site().SetFault(held, Fault(SiteFaultKind::Stall, 1500));  // of 2048: in the temporary when the kill comes
    {
      CliProcess run(dir, DownloadArgs());
      const std::string heldFolder = std::string("kobe/") + kFolders[album] + "/";
      ASSERT_TRUE(test::WaitFor([&] {
        if (site().RequestCount(held) != 1) return false;
        for (const auto& [name, bytes] : FileTree(out))  // (Windows lets no one else read a file in writing)
          if (name.rfind(heldFolder, 0) == 0 && name.find(".part") != std::string::npos) return true;
        return false;
      }));
      run.Kill();
      run.Wait();
    }
    site().ClearFaults();
    // What is there under a picture's name is a whole picture; remember what the site was asked for.
    const std::map<std::string, std::string> before = FileTree(out);
    int temporaries = 0;
    for (const auto& [name, bytes] : before) {
      if (name.find(".part") != std::string::npos) ++temporaries;
      if (name.back() == '/' || name.find(".part") != std::string::npos || name.find("pic.zvk") != std::string::npos)
        continue;
      ASSERT_EQ(bytes, whole[name]) << name;
    }
    EXPECT_EQ(temporaries, 1) << "the picture in flight when the run was killed";
    std::map<std::string, int> askedBefore;  // the pictures whole on disk, by their path on the site
    for (int a = 0; a < 3; ++a)
      for (int p = 1; p <= 3; ++p) {
        if (before.count(std::string("kobe/") + kFolders[a] + "/p" + std::to_string(p) + ".jpg"))
          askedBefore[PicturePath(a, p)] = site().RequestCount(PicturePath(a, p));
      }
    EXPECT_EQ(askedBefore.size(), album == 0 ? 1u : 3u);

    // Started from another folder: the job names the folder that "--save out" meant.
    last_ = std::make_unique<CliProcess>(elsewhere, std::vector<std::string>{"--program-folder", dir.path(), "--site",
                                                                             site().BaseUrl(), "download", "--resume"});
    ASSERT_EQ(last_->Wait(), 0) << last_->Err();
    EXPECT_EQ(FileTree(out), whole) << "moment " << album << "/" << index;
    for (const auto& [path, count] : askedBefore) EXPECT_EQ(site().RequestCount(path), count) << path << " was whole";
    EXPECT_FALSE(test::PathExists(dir.file("job.albatrix")));
  }
  // Nothing left to go on with: a clear message and status 1.
  EXPECT_EQ(Cli({"--site", site().BaseUrl(), "download", "--resume"}), 1);
  EXPECT_NE(last_->Err().find("no unfinished download"), std::string::npos) << last_->Err();
}

// Ctrl-C ends albatrix-cli within a second with exit status 130 in both phases, also while the site
// holds a page: the request in flight is cut short, not waited for.
class CliInterruptSiteTest : public DownloadCliSiteTest {
 protected:
  SiteOptions Options() const override {
    SiteOptions options = DownloadCliSiteTest::Options();
    options.stallLimitMs = 30000;  // far longer than a cancel may take
    return options;
  }
  std::string PathOf(const std::string& url) { return url.substr(site().BaseUrl().size()); }
  // Runs `args` with the site holding `url`, presses Ctrl-C once the site has seen the request for it,
  // and expects the process to end on its own, within a second of the press, with status 130.
  CliProcess& InterruptWhileStalled(const std::vector<std::string>& args, const std::string& url) {
    const std::string path = PathOf(url);
    site().SetFault(path, Fault(SiteFaultKind::Stall, 50));
    run_ = std::make_unique<CliProcess>(dir, args);
    EXPECT_TRUE(test::WaitFor([&] { return site().RequestCount(path) == 1; }));
    const auto pressed = std::chrono::steady_clock::now();
    run_->Interrupt();
    EXPECT_EQ(run_->Wait(), 130);
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(1));
    EXPECT_FALSE(run_->Signalled());
    return *run_;
  }
  std::unique_ptr<CliProcess> run_;
};

TEST_F(CliInterruptSiteTest, DuringAListPageOfList) {
  site().AddMember(test::NumberedMember("many", 7));  // three list pages of three
  CliProcess& run = InterruptWhileStalled({"--site", site().BaseUrl(), "list", site().MemberUrl("many")},
                                          site().ListPageUrl("many", 2));
  EXPECT_EQ(run.OutLines().size(), 3u);  // the albums of page 1 were listed
}

TEST_F(CliInterruptSiteTest, DuringAListPageOfDownload) {
  InterruptWhileStalled(DownloadArgs(), site().MemberUrl("kobe"));
  EXPECT_FALSE(test::PathExists(dir.path() + "/out/kobe"));
}

TEST_F(CliInterruptSiteTest, DuringAnAlbumPageOfDownload) {
  CliProcess& run = InterruptWhileStalled(DownloadArgs(), site().AlbumPageUrl("kobe", Album(1).id, 1));
  auto err = run.ErrLines();
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.back(), "2 albums, 3 pictures listed, 3 files saved, 0 left out by size limits, 0 failed");
  EXPECT_EQ(test::FolderEntries(dir.path() + "/out/kobe"), std::vector<std::string>{"Trip/"});
}

TEST_F(DownloadCliSiteTest, SettingsShowAndChange) {
  ASSERT_EQ(Cli({"settings"}), 0);
  auto shown = last_->OutLines();
  ASSERT_EQ(shown.size(), 21u);
  EXPECT_EQ(shown[0], "threads=5\t线程数(1~15)");
  EXPECT_EQ(shown[12], "list-only=off\t只生成迅雷下载列表");

  ASSERT_EQ(Cli({"settings", "set", "threads=15", "timeout=10", "prefix=?9_", "fix-order=on"}), 0);
  SettingsBlock block = ParseSettings(test::ReadWholeFile(dir.file("soft.dat")));
  EXPECT_EQ(block.downloadLimits[15].threads, 15);
  EXPECT_EQ(block.downloadLimits[15].timeoutSeconds, 10);
  EXPECT_EQ(RuleText(block.nameRules[15].prefix), u"?9_");
  EXPECT_EQ(block.nameRules[15].options & OPT_FIX_ORDER, OPT_FIX_ORDER);

  const std::string before = test::ReadWholeFile(dir.file("soft.dat"));
  EXPECT_EQ(Cli({"settings", "set", "prefix=x", "threads=16"}), 1);
  EXPECT_EQ(last_->ErrLines(), std::vector<std::string>{"参数错误"});
  EXPECT_EQ(Cli({"settings", "set", "timeout=9"}), 1);
  EXPECT_EQ(Cli({"settings", "set", "bogus=1"}), 2);
  EXPECT_EQ(Cli({"settings", "set"}), 2);
  EXPECT_EQ(Cli({"settings", "show"}), 2);
  EXPECT_EQ(test::ReadWholeFile(dir.file("soft.dat")), before);
}

// A site that asks for pauses: no request reaches it before the moment it named, the retry passes save
// what a retry may mend, and the 404 is asked for once and stays the one failure.
TEST_F(DownloadCliSiteTest, RetriesWaitForThePausesTheSiteAskedFor) {
  auto refusal = [](int status, const char* retryAfter) {
    SiteFault f = Fault(SiteFaultKind::Status, 0, status);
    f.retryAfter = retryAfter;
    f.times = 1;
    return f;
  };
  site().SetFault(PicturePath(0, 1), refusal(429, "2"));
  site().SetFault(PicturePath(0, 2), refusal(503, "1"));
  site().SetFault(PicturePath(1, 1), Fault(SiteFaultKind::Status, 0, 404));
  ASSERT_EQ(Cli({"settings", "set", "threads=1", "name-source=1"}), 0);
  ASSERT_EQ(Cli(DownloadArgs({"--retries", "2"})), 3) << last_->Err();

  const auto tree = FileTree(dir.path() + "/out");
  EXPECT_EQ(tree.at("kobe/Trip/1.jpg"), Picture(0, 1));
  EXPECT_EQ(tree.at("kobe/Trip/2.jpg"), Picture(0, 2));
  auto err = last_->ErrLines();
  ASSERT_GE(err.size(), 2u);
  EXPECT_EQ(err[err.size() - 2], "3 albums, 9 pictures listed, 8 files saved, 0 left out by size limits, 1 failed");
  EXPECT_EQ(err.back(), "A & B\t" + PictureUrl(1, 1) + "\tHTTP 404");

#if ALBATRIX_DEMO_SITE  // only a site in this process keeps its request log
  const std::vector<SiteRequest> log = site().RequestLog();
  auto asked = [&](const std::string& target) {
    std::vector<std::chrono::steady_clock::time_point> times;
    for (const SiteRequest& request : log)
      if (request.target == target) times.push_back(request.arrived);
    return times;
  };
  EXPECT_EQ(asked(PicturePath(1, 1)).size(), 1u);
  for (const auto& [target, pause] : {std::pair{PicturePath(0, 1), 2}, std::pair{PicturePath(0, 2), 1}}) {
    SCOPED_TRACE(target);
    const auto times = asked(target);
    ASSERT_EQ(times.size(), 2u);
    EXPECT_GE(times[1] - times[0], std::chrono::seconds(pause));
    // While the hold lasted nothing reached the site, from any worker or the page crawler.
    for (const SiteRequest& request : log) {
      EXPECT_FALSE(request.arrived > times[0] && request.arrived < times[0] + std::chrono::seconds(pause))
          << request.target;
    }
  }
#endif
}

}  // namespace
}  // namespace albatrix
