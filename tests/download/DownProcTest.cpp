#include "download/DownProc.h"

#include <gtest/gtest.h>

#include <thread>

#include "MyCode/FileTimes.h"
#include "download/AlbumFiles.h"
#include "download/RunFakes.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

using test::EngineRig;
using test::FakeAlbum;
using test::T;
using test::PlatformPath;
using test::TempDir;

struct RunRig : EngineRig {
  TempDir dir;
  explicit RunRig(int albumCount = 1, int picturesPerAlbum = 3) {
    for (int a = 1; a <= albumCount; ++a) {
      FakeAlbum album{"Album " + std::to_string(a), {}};
      for (int p = 1; p <= picturesPerAlbum; ++p) {
        std::string url = "http://h/" + std::to_string(a) + "/" + std::to_string(p) + ".jpg";
        album.pictures.push_back({url, "d" + std::to_string(p)});
        bodies[url] = "\xFF\xD8 picture " + std::to_string(a) + "/" + std::to_string(p);
      }
      albums.push_back(album);
    }
    ListAlbums();
    view.savePath = T(dir.path());  // no trailing separator: the run adds one
    for (int a = 0; a < albumCount; ++a) view.chosen.push_back(a);
    flags.runState = RUN_BUSY;
  }
  void Run() { DownloadRun(session); }
  std::string Base() const { return PlatformPath(dir.path() + "/"); }
};

TEST(DownloadRun, DownloadsEveryChosenAlbumIntoItsFolder) {
  RunRig rig(2, 3);
  rig.view.chosen = {1, 0};
  rig.Run();
  EXPECT_EQ(test::FolderEntries(rig.dir.path()), (std::vector<std::string>{"Album 1/", "Album 2/"}));
  for (const char* album : {"Album 1", "Album 2"}) {
    EXPECT_EQ(test::FolderEntries(rig.Base() + album), (std::vector<std::string>{"1.jpg", "2.jpg", "3.jpg", "pic.zvk"}));
  }
  EXPECT_EQ(test::ReadWholeFile(rig.Base() + PlatformPath("Album 2/3.jpg")), "\xFF\xD8 picture 2/3");
  EXPECT_EQ(ReadSkipMarker(T(rig.Base() + PlatformPath("Album 2/"))), u"http://h/2/1.jpg");
  EXPECT_EQ(rig.crawled, (std::vector<std::size_t>{1, 0}));
  EXPECT_EQ(rig.albumList.selectedCount.load(), 2);
  EXPECT_EQ(rig.view.Texts(kRunStatusLine), (std::vector<std::string>{"正在下载第1/2个图集", "正在下载第2/2个图集", "下载完毕"}));
  EXPECT_EQ(rig.view.Texts(kRunDownloadButton), (std::vector<std::string>{"终止下载", "下载"}));
  EXPECT_EQ(rig.view.LastText(kRunProgressLine), "");
  EXPECT_EQ(rig.flags.runState.load(), RUN_IDLE);
  EXPECT_TRUE(rig.view.Messages().empty());
  EXPECT_TRUE(rig.view.Opened().empty());  // OPT_OPEN_FOLDER is off
  EXPECT_TRUE(rig.session.started);
}

TEST(DownloadRun, ProgressTextsOfOneAlbum) {
  RunRig rig(1, 2);
  rig.limits.threads = 1;
  rig.Run();
  EXPECT_EQ(rig.view.Texts(kRunProgressLine),
            (std::vector<std::string>{"......", "已获取到1张图片信息", "已获取到2张图片信息", "已开始下载图片",
                                      "已下载1/2......", "已下载2/2......", ""}));
}

TEST(DownloadRun, BusyLookDisablesTheControlsAndTheEndEnablesThem) {
  RunRig rig;
  rig.Run();
  std::vector<std::pair<int, bool>> expected;
  for (bool enabled : {false, true}) {
    for (int id : {1002, 1004, 1007, 1001, 1000, 1027, 1028, 1029}) expected.push_back({id, enabled});
  }
  EXPECT_EQ(rig.view.Enables(), expected);
}

TEST(DownloadRun, EmptySavePathEndsAtOnce) {
  RunRig rig;
  rig.view.savePath = u"  \t ";
  rig.Run();
  EXPECT_EQ(rig.view.Messages(), std::vector<std::string>{"请先设置保存路径"});
  EXPECT_EQ(rig.flags.runState.load(), RUN_IDLE);
  EXPECT_FALSE(rig.session.started);
  EXPECT_TRUE(rig.view.Enables().empty());
  EXPECT_TRUE(rig.crawled.empty());
}

TEST(DownloadRun, BaseFolderThatCannotBeMade) {
  RunRig rig;
  test::WriteWholeFile(rig.dir.file("file"), "in the way");
  rig.view.savePath = T(rig.dir.file(PlatformPath("file/sub")));
  rig.Run();
  EXPECT_EQ(rig.view.Messages(), (std::vector<std::string>{rig.dir.file("file"), "请检测设置的保存路径是否有误"}));
  EXPECT_EQ(rig.flags.runState.load(), RUN_IDLE);
  EXPECT_TRUE(rig.view.Enables().empty());
}

TEST(DownloadRun, BaseFolderTakesTheMemberKeyAndEveryMissingLevel) {
  RunRig rig;
  rig.view.savePath = T(" " + rig.dir.file(PlatformPath("x/y ")));
  rig.session.memberKey = PlatformPath(u"member/");
  rig.session.rule.options = OPT_OPEN_FOLDER;
  rig.rule.options = OPT_OPEN_FOLDER;
  rig.Run();
  EXPECT_EQ(test::FolderEntries(rig.Base() + PlatformPath("x/y/member/Album 1")),
            (std::vector<std::string>{"1.jpg", "2.jpg", "3.jpg", "pic.zvk"}));
  EXPECT_EQ(rig.view.Opened(), std::vector<std::string>{rig.Base() + PlatformPath("x/y/member/Album 1/")});
}

TEST(DownloadRun, MakeFolderPath) {
  TempDir dir;
  Text failed;
  EXPECT_TRUE(MakeFolderPath(T(dir.file(PlatformPath("a/b/c"))), &failed));
  EXPECT_TRUE(FolderExists(T(dir.file(PlatformPath("a/b/c")))));
  EXPECT_TRUE(MakeFolderPath(T(dir.file(PlatformPath("a/b/c/"))), &failed));
  test::WriteWholeFile(dir.file("f"), "");
  EXPECT_FALSE(MakeFolderPath(T(dir.file(PlatformPath("f/g/h"))), &failed));
  EXPECT_EQ(TextToUtf8(failed), dir.file("f"));
  EXPECT_EQ(RunBaseFolder(PlatformPath(u" /s "), PlatformPath(u"m/"), u""), PlatformPath(u"/s/m/"));
  EXPECT_EQ(RunBaseFolder(PlatformPath(u"/s/"), u"", u""), PlatformPath(u"/s/"));
}

TEST(DownloadRun, ListOnlyWritesListFilesAndNothingElse) {
  RunRig rig(3, 2);
  rig.rule.options = OPT_LIST_ONLY | OPT_FIX_ORDER | OPT_FIX_FORMAT;
  rig.Run();
  for (int a = 1; a <= 3; ++a) {
    std::string album = "Album " + std::to_string(a);
    EXPECT_EQ(test::FolderEntries(rig.Base() + album), std::vector<std::string>{album + ".lst"});
    EXPECT_EQ(test::ReadWholeFile(rig.Base() + PlatformPath(album + "/" + album + ".lst")),
              "http://h/" + std::to_string(a) + "/1.jpg\r\nhttp://h/" + std::to_string(a) + "/2.jpg\r\n");
  }
  EXPECT_TRUE(rig.FetchedUrls().empty());
  EXPECT_EQ(rig.view.LastText(kRunStatusLine), "下载完毕");
}

// A description of 100 CJK characters: the name is cut to fit one name's limit, and the picture is
// really saved under it (the write's temporary name must fit as well).
TEST(DownloadRun, PictureWithALongDescriptionIsSaved) {
  RunRig rig(1, 1);
  std::string description;
  for (int i = 0; i < 100; ++i) description += "图";
  rig.albums[0].pictures[0].second = description;
  rig.rule.nameSource = 0;
  rig.Run();
  const std::string name = description.substr(0, 83 * 3) + ".jpg";
  EXPECT_EQ(test::FolderEntries(rig.Base() + "Album 1"), (std::vector<std::string>{"pic.zvk", name}));
  EXPECT_EQ(test::ReadWholeFile(rig.Base() + PlatformPath("Album 1/") + name), "\xFF\xD8 picture 1/1");
  EXPECT_EQ(rig.session.picturesSaved, 1);
}

// The marker says "done from here on down": it names the picture after the last one that failed, so the
// next run fetches every failed picture again and stops where nothing is missing. A picture left out by
// the size limits is done. When the last picture failed, the marker is left as it was.
TEST(DownloadRun, SkipMarkerNamesThePictureAfterTheLastFailure) {
  constexpr FetchFailure ok = FetchFailure::None;
  constexpr FetchFailure lost = FetchFailure::HttpStatus;
  constexpr FetchFailure cut = FetchFailure::SizeLimit;
  struct Case {
    const char* what;
    std::vector<FetchFailure> pictures;  // how each of the four pictures' fetch ends
    const char* olderMarker;             // a marker an earlier run left, or null
    const char* marker;                  // the marker afterwards, or null for none
    std::size_t listedNext;              // pictures the next run lists
  } const cases[] = {
      {"all saved", {ok, ok, ok, ok}, nullptr, "http://h/1/1.jpg", 0},
      {"2 is lost, 3 cut off in transfer", {ok, lost, FetchFailure::Network, ok}, nullptr, "http://h/1/4.jpg", 3},
      {"2 is lost, 3 left out by the size limits", {ok, lost, cut, ok}, nullptr, "http://h/1/3.jpg", 2},
      {"the first left out by the size limits", {cut, ok, ok, ok}, nullptr, "http://h/1/1.jpg", 0},
      {"every picture left out", {cut, cut, cut, cut}, nullptr, "http://h/1/1.jpg", 0},
      {"the first lost", {lost, ok, ok, ok}, nullptr, "http://h/1/2.jpg", 1},
      {"a time-out in the middle", {ok, FetchFailure::Timeout, ok, ok}, nullptr, "http://h/1/3.jpg", 2},
      {"the last lost", {ok, ok, ok, lost}, nullptr, nullptr, 4},
      {"everything lost", {lost, lost, lost, lost}, nullptr, nullptr, 4},
      {"the last lost keeps an older marker", {ok, ok, ok, lost}, "http://h/1/old.jpg", "http://h/1/old.jpg", 4},
      {"an older marker is replaced", {ok, ok, ok, ok}, "http://h/1/old.jpg", "http://h/1/1.jpg", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunRig rig(1, 4);
    rig.rule.options = OPT_SKIP_DOWNLOADED;
    for (std::size_t i = 0; i < c.pictures.size(); ++i) {
      if (c.pictures[i] != ok) rig.refusals["http://h/1/" + std::to_string(i + 1) + ".jpg"] = c.pictures[i];
    }
    if (c.olderMarker) {
      ASSERT_TRUE(MakeFolderPath(T(rig.Base() + PlatformPath("Album 1/"))));
      ASSERT_TRUE(WriteSkipMarker(T(c.olderMarker), T(rig.Base() + PlatformPath("Album 1/"))));
    }
    rig.Run();
    EXPECT_EQ(test::PathExists(rig.Base() + PlatformPath("Album 1/pic.zvk")), c.marker != nullptr);
    if (c.marker) {
      EXPECT_EQ(ReadSkipMarker(T(rig.Base() + PlatformPath("Album 1/"))), T(c.marker));
    }

    // The next run, with every picture there, lists down to the marked one and marks the album done.
    rig.refusals.clear();
    rig.flags.runState = RUN_BUSY;
    rig.Run();
    EXPECT_EQ(rig.pictures.size(), c.listedNext);
    if (c.listedNext > 0) {
      EXPECT_EQ(ReadSkipMarker(T(rig.Base() + PlatformPath("Album 1/"))), u"http://h/1/1.jpg");
    }
  }
}

// Pictures left out by the size limits are counted apart from failed ones; each failed picture keeps
// its album's title, its address and the reason.
TEST(DownloadRun, CountsLeftOutApartFromFailedAndKeepsEachFailure) {
  RunRig rig(2, 3);
  rig.refusals["http://h/1/1.jpg"] = FetchFailure::HttpStatus;
  rig.refusals["http://h/1/3.jpg"] = FetchFailure::SizeLimit;
  rig.refusals["http://h/2/2.jpg"] = FetchFailure::Timeout;
  rig.refusals["http://h/2/3.jpg"] = FetchFailure::NotPicture;
  rig.Run();
  EXPECT_EQ(rig.session.albumsBegun, 2);
  EXPECT_EQ(rig.session.totalListed, 6);
  EXPECT_EQ(rig.session.picturesSaved, 2);
  EXPECT_EQ(rig.session.picturesLeftOut, 1);
  EXPECT_EQ(rig.session.picturesFailed, 3);
  std::vector<std::string> failures;
  for (const FailedPicture& f : rig.session.failures) {
    failures.push_back(TextToUtf8(f.albumTitle + u" | " + f.url + u" | " + f.reason));
  }
  EXPECT_EQ(failures, (std::vector<std::string>{"Album 1 | http://h/1/1.jpg | HTTP 404",
                                                "Album 2 | http://h/2/2.jpg | time-out",
                                                "Album 2 | http://h/2/3.jpg | not a picture"}));
  // A second run starts its counts afresh.
  rig.refusals.clear();
  rig.flags.runState = RUN_BUSY;
  rig.Run();
  EXPECT_EQ(rig.session.picturesSaved, 6);
  EXPECT_EQ(rig.session.picturesFailed, 0);
  EXPECT_TRUE(rig.session.failures.empty());
}

// Prefix, suffix and the 255-byte cap can give two albums with different titles one folder, and titles
// that differ only in case are one folder where case is ignored: a later album gets " (k)", within the
// cap, and no album's pictures overwrite another's.
TEST(DownloadRun, EveryAlbumOfARunGetsAFolderOfItsOwn) {
  const std::string cjk79 = [] {
    std::string s;
    for (int i = 0; i < 79; ++i) s += "图";
    return s;
  }();
  const std::string prefix(38, 'p');
  const std::string sharedName = prefix + cjk79.substr(0, 72 * 3);  // 254 bytes: the cap cuts both here
  RunRig rig(4, 1);
  rig.albumList.SetTitle(0, T(cjk79 + "A"));
  rig.albumList.SetTitle(1, T(cjk79 + "B"));
  rig.albumList.SetTitle(2, u"Trip");
  rig.albumList.SetTitle(3, u"trip");
  SetRuleText(rig.rule.albumPrefix, T(prefix));
  rig.Run();
  const std::string numbered = prefix + cjk79.substr(0, 71 * 3) + " (1)";  // 255 bytes
  std::vector<std::string> folders = {numbered + "/", sharedName + "/", prefix + "Trip/", prefix + "trip (1)/"};
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ(test::FolderEntries(rig.dir.path()), folders);
  EXPECT_EQ(test::ReadWholeFile(rig.Base() + sharedName + "/1.jpg"), "\xFF\xD8 picture 1/1");
  EXPECT_EQ(test::ReadWholeFile(rig.Base() + numbered + "/1.jpg"), "\xFF\xD8 picture 2/1");
  EXPECT_EQ(test::ReadWholeFile(rig.Base() + prefix + "trip (1)/1.jpg"), "\xFF\xD8 picture 4/1");

  // The next run gives every album the same folder again.
  rig.flags.runState = RUN_BUSY;
  rig.Run();
  EXPECT_EQ(test::FolderEntries(rig.dir.path()).size(), 4u);
}

TEST(DownloadRun, AlbumWithoutPicturesLeavesNothingAndOpensNothing) {
  RunRig rig(1, 0);
  rig.rule.options = OPT_LIST_ONLY | OPT_OPEN_FOLDER;
  rig.Run();
  EXPECT_EQ(test::FolderEntries(rig.dir.path()), std::vector<std::string>{});
  EXPECT_TRUE(rig.view.Opened().empty());
  EXPECT_EQ(rig.view.LastText(kRunStatusLine), "下载完毕");
}

TEST(DownloadRun, NoAlbumChosen) {
  RunRig rig;
  rig.view.chosen.clear();
  rig.Run();
  EXPECT_EQ(rig.view.Messages(), std::vector<std::string>{"请先选择要下载的相册"});
  EXPECT_EQ(rig.view.Texts(kRunStatusLine), std::vector<std::string>{"下载完毕"});
  EXPECT_EQ(rig.flags.runState.load(), RUN_IDLE);
  EXPECT_EQ(rig.albumList.selectedCount.load(), 0);
}

TEST(DownloadRun, SiteCodes) {
  {
    RunRig rig(2, 1);
    rig.session.siteCode = 17;
    rig.Run();
    EXPECT_EQ(rig.view.Messages(), (std::vector<std::string>{"Error ListType Code.", "Error ListType Code."}));
    EXPECT_TRUE(rig.crawled.empty());
  }
  {
    RunRig rig(2, 1);
    rig.session.siteCode = 3;
    rig.Run();
    EXPECT_TRUE(rig.view.Messages().empty());
    EXPECT_TRUE(rig.crawled.empty());
    EXPECT_EQ(test::FolderEntries(rig.dir.path()), std::vector<std::string>{});
  }
}

TEST(DownloadRun, SecondRunStopsAtTheMarkedPicture) {
  RunRig rig(1, 3);
  rig.rule.options = OPT_SKIP_DOWNLOADED;
  rig.Run();
  ASSERT_EQ(ReadSkipMarker(T(rig.Base() + PlatformPath("Album 1/"))), u"http://h/1/1.jpg");

  // Two new pictures appear in front of the album; the next run lists only those.
  auto& pictures = rig.albums[0].pictures;
  pictures.insert(pictures.begin(), {{"http://h/1/new2.jpg", ""}, {"http://h/1/new1.jpg", ""}});
  rig.bodies["http://h/1/new1.jpg"] = "n1";
  rig.bodies["http://h/1/new2.jpg"] = "n2";
  rig.flags.runState = RUN_BUSY;
  rig.Run();
  EXPECT_EQ(rig.pictures.urls(), (TextArray{u"http://h/1/new2.jpg", u"http://h/1/new1.jpg"}));
  EXPECT_EQ(ReadSkipMarker(T(rig.Base() + PlatformPath("Album 1/"))), u"http://h/1/new2.jpg");
  EXPECT_EQ(rig.FetchedUrls().size(), 5u);
  EXPECT_EQ(rig.flags.runState.load(), RUN_IDLE);

  // A third run meets the marker at the first picture: nothing is listed or fetched.
  rig.flags.runState = RUN_BUSY;
  rig.Run();
  EXPECT_EQ(rig.pictures.size(), 0u);
  EXPECT_EQ(rig.FetchedUrls().size(), 5u);
}

// The button pressed while album 2 of 5 downloads: album 2 stops, gets no marker but its fixes, and
// albums 3 to 5 are never touched.
TEST(DownloadRun, CancelDuringTheSecondOfFiveAlbums) {
  RunRig rig(5, 4);
  rig.limits.threads = 1;
  rig.rule.options = OPT_FIX_ORDER | OPT_FIX_FORMAT;
  rig.bodies["http://h/2/2.jpg"] = "\x89PNG";  // a PNG in a .jpg: the format fix must still see it
  auto inner = rig.session.fetch;
  rig.session.fetch = [&](UrlRequest& request, UrlResponse& response, unsigned options) {
    if (request.url != u"http://h/2/3.jpg") return inner(request, response, options);
    // The button is pressed while this picture hangs; only the abandoning of the fetch ends it.
    rig.flags.RequestCancel();
    while (!request.abort->load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    response.body.clear();
    return false;
  };
  rig.Run();
  EXPECT_EQ(rig.crawled, (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(rig.session.albumsBegun, 2);
  EXPECT_EQ(rig.session.picturesFailed, 0);  // the abandoned picture is no failure
  EXPECT_EQ(test::FolderEntries(rig.dir.path()), (std::vector<std::string>{"Album 1/", "Album 2/"}));
  EXPECT_EQ(test::FolderEntries(rig.Base() + "Album 1"),
            (std::vector<std::string>{"1.jpg", "2.jpg", "3.jpg", "4.jpg", "pic.zvk"}));
  // Album 2: what was fetched before the cancel stays, the format fix renamed the PNG, no marker.
  auto album2 = test::FolderEntries(rig.Base() + "Album 2");
  EXPECT_EQ(std::count(album2.begin(), album2.end(), "pic.zvk"), 0);
  EXPECT_EQ(std::count(album2.begin(), album2.end(), "2.png"), 1);
  EXPECT_EQ(std::count(album2.begin(), album2.end(), "1.jpg"), 1);
  std::int64_t first = 0, second = 0;
  ASSERT_TRUE(GetFileWriteTime(T(rig.Base() + PlatformPath("Album 2/1.jpg")), first));
  ASSERT_TRUE(GetFileWriteTime(T(rig.Base() + PlatformPath("Album 2/2.png")), second));
  EXPECT_EQ(first - second, 60);
  EXPECT_EQ(rig.view.LastText(kRunStatusLine), "下载完毕");
  EXPECT_EQ(rig.view.LastText(kRunDownloadButton), "下载");
  EXPECT_EQ(rig.flags.runState.load(), RUN_IDLE);
}

TEST(DownloadRun, OrderFixStampsAMinuteApart) {
  RunRig rig(1, 3);
  rig.rule.options = OPT_FIX_ORDER;
  rig.session.now = [] { return std::chrono::system_clock::time_point(std::chrono::seconds(1650000000)); };
  rig.Run();
  for (int p = 1; p <= 3; ++p) {
    std::int64_t t = 0;
    ASSERT_TRUE(GetFileWriteTime(T(rig.Base() + PlatformPath("Album 1/") + std::to_string(p) + ".jpg"), t));
    EXPECT_EQ(t, 1650000000 - 60 * (p - 1));
  }
}

TEST(DownloadRun, RequestCancelOnlyDuringARun) {
  RunFlags flags;
  EXPECT_FALSE(flags.RequestCancel());
  EXPECT_FALSE(flags.cancelRequested.load());
  flags.runState = RUN_ALBUM_STOP;
  EXPECT_TRUE(flags.RequestCancel());
  EXPECT_EQ(flags.runState.load(), RUN_CANCEL);
  EXPECT_TRUE(flags.cancelRequested.load());
}

}  // namespace
}  // namespace albatrix
