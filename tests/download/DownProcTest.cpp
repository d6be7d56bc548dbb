#include "download/DownProc.h"

#include <gtest/gtest.h>

#include <thread>

#include "MyCode/FileTimes.h"
#include "app/JobPlans.h"
#include "download/AlbumFiles.h"
#include "download/RunFakes.h"
#include "support/DiskFull.h"
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
    savePath = T(dir.path());  // no trailing separator: the run adds one
    for (int a = 0; a < albumCount; ++a) chosen.push_back(a);
  }
  std::string Base() const { return PlatformPath(dir.path() + "/"); }
};

TEST(DownloadRun, DownloadsEveryChosenAlbumIntoItsFolder) {
  RunRig rig(2, 3);
  rig.chosen = {1, 0};
  rig.Run();
  EXPECT_EQ(test::FolderEntries(rig.dir.path()), (std::vector<std::string>{"Album 1/", "Album 2/"}));
  for (const char* album : {"Album 1", "Album 2"}) {
    EXPECT_EQ(test::FolderEntries(rig.Base() + album), (std::vector<std::string>{"1.jpg", "2.jpg", "3.jpg", "pic.zvk"}));
  }
  EXPECT_EQ(test::ReadWholeFile(rig.Base() + PlatformPath("Album 2/3.jpg")), "\xFF\xD8 picture 2/3");
  EXPECT_EQ(ReadSkipMarker(T(rig.Base() + PlatformPath("Album 2/"))), u"http://h/2/1.jpg");
  EXPECT_EQ(rig.crawled, (std::vector<std::int32_t>{1, 0}));
  EXPECT_EQ(rig.events.Lines("album "), (std::vector<std::string>{"album 1/2", "album ended 1 saved 3 failed 0",
                                                                   "album 2/2", "album ended 2 saved 3 failed 0"}));
  EXPECT_EQ(rig.Session().Flags().State(), RUN_IDLE);
  EXPECT_TRUE(rig.Tally().started);
  EXPECT_EQ(rig.Tally().lastFolder, T(rig.Base() + PlatformPath("Album 1/")));
}

TEST(DownloadRun, EventsOfOneAlbum) {
  RunRig rig(1, 2);
  rig.plan.limits.threads = 1;
  rig.Run();
  EXPECT_EQ(rig.events.Lines(), (std::vector<std::string>{"begun 1", "album 1/1", "listed 1", "listed 2", "download 2",
                                                           "ended 1/2", "ended 2/2", "album ended 1 saved 2 failed 0",
                                                           "run ended"}));
  EXPECT_EQ(rig.events.Folders(), std::vector<std::string>{rig.Base() + PlatformPath("Album 1/")});
}

TEST(DownloadRun, EmptySavePathEndsAtOnce) {
  RunRig rig;
  rig.savePath = u"  \t ";
  rig.Run();
  EXPECT_EQ(rig.events.Lines(), std::vector<std::string>{"refused no save path "});
  EXPECT_EQ(rig.Session().Flags().State(), RUN_IDLE);
  EXPECT_FALSE(rig.Tally().started);
  EXPECT_TRUE(rig.crawled.empty());
}

TEST(DownloadRun, BaseFolderThatCannotBeMade) {
  RunRig rig;
  test::WriteWholeFile(rig.dir.file("file"), "in the way");
  rig.savePath = T(rig.dir.file(PlatformPath("file/sub")));
  rig.Run();
  EXPECT_EQ(rig.events.Lines(), std::vector<std::string>{"refused folder " + rig.dir.file("file")});
  EXPECT_EQ(rig.Session().Flags().State(), RUN_IDLE);
}

TEST(DownloadRun, BaseFolderTakesTheMemberKeyAndEveryMissingLevel) {
  RunRig rig;
  rig.savePath = T(" " + rig.dir.file(PlatformPath("x/y ")));
  rig.plan.memberKey = PlatformPath(u"member/");
  rig.Run();
  EXPECT_EQ(test::FolderEntries(rig.Base() + PlatformPath("x/y/member/Album 1")),
            (std::vector<std::string>{"1.jpg", "2.jpg", "3.jpg", "pic.zvk"}));
  EXPECT_EQ(rig.Tally().lastFolder, T(rig.Base() + PlatformPath("x/y/member/Album 1/")));
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
  EXPECT_EQ(rig.events.Lines("download"), std::vector<std::string>{});
  EXPECT_EQ(rig.Tally().listed, 6);
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
  EXPECT_EQ(rig.Tally().saved, 1);
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
    rig.Run();
    EXPECT_EQ(rig.Session().Album().Pictures().size(), c.listedNext);
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
  EXPECT_EQ(rig.Tally().albums, 2);
  EXPECT_EQ(rig.Tally().listed, 6);
  EXPECT_EQ(rig.Tally().saved, 2);
  EXPECT_EQ(rig.Tally().leftOut, 1);
  EXPECT_EQ(rig.Tally().failed, 3);
  EXPECT_EQ(rig.events.Lines("album ended"),
            (std::vector<std::string>{"album ended 1 saved 1 failed 1", "album ended 2 saved 1 failed 2"}));
  std::vector<std::string> failures;
  for (const FailedPicture& f : rig.Tally().failures) {
    failures.push_back(TextToUtf8(f.albumTitle + u" | " + f.url + u" | " + f.reason));
  }
  EXPECT_EQ(failures, (std::vector<std::string>{"Album 1 | http://h/1/1.jpg | HTTP 404",
                                                "Album 2 | http://h/2/2.jpg | time-out",
                                                "Album 2 | http://h/2/3.jpg | not a picture"}));
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
  rig.Run();
  EXPECT_EQ(test::FolderEntries(rig.dir.path()).size(), 4u);
}

TEST(DownloadRun, AlbumWithoutPicturesLeavesNothingAndOpensNothing) {
  RunRig rig(1, 0);
  rig.rule.options = OPT_LIST_ONLY | OPT_OPEN_FOLDER;
  rig.Run();
  EXPECT_EQ(test::FolderEntries(rig.dir.path()), std::vector<std::string>{});
  EXPECT_EQ(rig.Tally().listed, 0);  // nothing to open
  EXPECT_EQ(rig.events.Last("run"), "run ended");
}

TEST(DownloadRun, NoAlbumChosen) {
  RunRig rig;
  rig.chosen.clear();
  rig.Run();
  EXPECT_EQ(rig.events.Lines(), (std::vector<std::string>{"begun 0", "run ended"}));
  EXPECT_EQ(rig.Session().Flags().State(), RUN_IDLE);
}

TEST(DownloadRun, SiteCodes) {
  {
    RunRig rig(2, 1);
    rig.plan.siteCode = 17;
    rig.Run();
    EXPECT_EQ(rig.events.Lines("unknown"), (std::vector<std::string>{"unknown list type", "unknown list type"}));
    EXPECT_TRUE(rig.crawled.empty());
  }
  {
    RunRig rig(2, 1);
    rig.plan.siteCode = 3;
    rig.Run();
    EXPECT_TRUE(rig.events.Lines("unknown").empty());
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
  rig.Run();
  EXPECT_EQ(rig.Session().Album().Pictures().urls(), (TextArray{u"http://h/1/new2.jpg", u"http://h/1/new1.jpg"}));
  EXPECT_EQ(ReadSkipMarker(T(rig.Base() + PlatformPath("Album 1/"))), u"http://h/1/new2.jpg");
  EXPECT_EQ(rig.FetchedUrls().size(), 5u);
  EXPECT_EQ(rig.Session().Flags().State(), RUN_IDLE);

  // A third run meets the marker at the first picture: nothing is listed or fetched.
  rig.Run();
  EXPECT_EQ(rig.Session().Album().Pictures().size(), 0u);
  EXPECT_EQ(rig.FetchedUrls().size(), 5u);
}

// The button pressed while album 2 of 5 downloads: album 2 stops, gets no marker but its fixes, and
// albums 3 to 5 are never touched.
TEST(DownloadRun, CancelDuringTheSecondOfFiveAlbums) {
  RunRig rig(5, 4);
  rig.plan.limits.threads = 1;
  rig.rule.options = OPT_FIX_ORDER | OPT_FIX_FORMAT;
  rig.bodies["http://h/2/2.jpg"] = "\x89PNG\r\n\x1A\n";  // a PNG in a .jpg: the format fix must still see it
  auto inner = rig.plan.fetch;
  rig.plan.fetch = [&](UrlRequest& request, UrlResponse& response, unsigned options) {
    if (request.url != u"http://h/2/3.jpg") return inner(request, response, options);
    // The button is pressed while this picture hangs; only the abandoning of the fetch ends it.
    rig.Session().Flags().RequestCancel();
    while (!request.abort->load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    response.body.clear();
    return false;
  };
  rig.Run();
  EXPECT_EQ(rig.crawled, (std::vector<std::int32_t>{0, 1}));
  EXPECT_EQ(rig.Tally().albums, 2);
  EXPECT_EQ(rig.Tally().failed, 0);  // the abandoned picture is no failure
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
  EXPECT_EQ(rig.events.Last("album ended 2"), "album ended 2 saved 2 failed 0 cancelled");
  EXPECT_TRUE(rig.Tally().cancelled);
  EXPECT_EQ(rig.Session().Flags().State(), RUN_IDLE);
}

TEST(DownloadRun, OrderFixStampsAMinuteApart) {
  RunRig rig(1, 3);
  rig.rule.options = OPT_FIX_ORDER;
  rig.plan.now = [] { return std::chrono::system_clock::time_point(std::chrono::seconds(1650000000)); };
  rig.Run();
  for (int p = 1; p <= 3; ++p) {
    std::int64_t t = 0;
    ASSERT_TRUE(GetFileWriteTime(T(rig.Base() + PlatformPath("Album 1/") + std::to_string(p) + ".jpg"), t));
    EXPECT_EQ(t, 1650000000 - 60 * (p - 1));
  }
}

TEST(DownloadRun, RequestCancelOnlyDuringARun) {
  RunFlags over;
  over.MarkIdle();
  EXPECT_FALSE(over.RequestCancel());
  EXPECT_FALSE(over.CancelRaised());
  RunFlags stopped;
  stopped.StopAlbum();
  EXPECT_TRUE(stopped.RequestCancel());
  EXPECT_EQ(stopped.State(), RUN_CANCEL);
  EXPECT_TRUE(stopped.CancelRaised());
}

// A retry pass writes a picture as its first try would have (the format fix follows), and the album's
// marker and outcome follow the final result; a picture a retry cannot mend is not asked for again.
TEST(DownloadRun, ARetryPassMendsWhatATryMayMendAndRemarksTheAlbum) {
  RunRig rig(1, 3);
  rig.rule.options = OPT_SKIP_DOWNLOADED | OPT_FIX_FORMAT;
  rig.plan.retries = 2;
  rig.bodies["http://h/1/2.jpg"] = "\x89PNG\r\n\x1A\n";
  rig.refusals["http://h/1/1.jpg"] = FetchFailure::NotPicture;
  rig.refusals["http://h/1/2.jpg"] = FetchFailure::Timeout;
  rig.events.onEvent = [&](const std::string& line) {
    if (line.rfind("retry pass", 0) == 0) rig.refusals.erase("http://h/1/2.jpg");  // the site is back
  };
  rig.Run();
  EXPECT_EQ(test::FolderEntries(rig.Base() + "Album 1"), (std::vector<std::string>{"2.png", "3.jpg", "pic.zvk"}));
  // The first try's marker named picture 3 (after the failed 2); now only 1 is missing.
  EXPECT_EQ(ReadSkipMarker(T(rig.Base() + PlatformPath("Album 1/"))), u"http://h/1/2.jpg");
  EXPECT_EQ(rig.events.Lines("retry"), std::vector<std::string>{"retry pass 1 of 1 after 2"});
  EXPECT_EQ(rig.waitClock.Pauses(), std::vector<std::chrono::milliseconds>{std::chrono::seconds(2)});
  EXPECT_EQ(rig.events.Lines("album ended"),
            (std::vector<std::string>{"album ended 1 saved 1 failed 2", "album ended 1 saved 2 failed 1"}));
  const auto fetched = rig.FetchedUrls();
  EXPECT_EQ(std::count(fetched.begin(), fetched.end(), "http://h/1/1.jpg"), 1);
  ASSERT_EQ(rig.Tally().failures.size(), 1u);
  EXPECT_EQ(rig.Tally().failures[0].reason, u"not a picture");
  EXPECT_EQ(rig.Tally().saved, 2);
}

// A run stopped after its first album, the format fix on, goes on from its job file: the picture the
// fix renamed is known under its new name and fetched no more than the others, and no picture gets a
// second file.
TEST(DownloadRun, AStoppedRunGoesOnWithoutFetchingAgainWhatTheFixRenamed) {
  test::TempDir program;
  RunRig first(2, 2);
  first.rule.options = OPT_FIX_FORMAT;
  first.bodies["http://h/1/1.jpg"] = "\x89PNG\r\n\x1A\n picture 1/1";
  first.plan.jobFolder = program.folder();
  first.events.onEvent = [&](const std::string& line) {
    if (line == "album 2/2") first.Session().Flags().RequestCancel();
  };
  first.Run();
  const JobFileRead read = ReadJobFile(program.folder());
  ASSERT_EQ(read.state, JobFileState::Ready);
  ASSERT_EQ(read.job.albums[0].saved.size(), 2u);

  RunRig next(2, 2);
  next.rule = first.rule;
  next.bodies = first.bodies;
  next.savePath = first.savePath;
  next.plan.jobFolder = program.folder();
  next.plan.savedBefore = PlanOfJob(read.job, nullptr, program.folder()).savedBefore;
  next.Run();
  EXPECT_EQ(next.FetchedUrls(), (std::vector<std::string>{"http://h/2/1.jpg", "http://h/2/2.jpg"}));
  EXPECT_EQ(test::FolderEntries(first.Base() + "Album 1"), (std::vector<std::string>{"1.png", "2.jpg", "pic.zvk"}));
  EXPECT_EQ(test::FolderEntries(first.Base() + "Album 2"), (std::vector<std::string>{"1.jpg", "2.jpg", "pic.zvk"}));
  EXPECT_EQ(next.Tally().saved, 4);
  EXPECT_EQ(ReadJobFile(program.folder()).state, JobFileState::None);
}

// A program folder too full for the job file: the run says so once and saves every picture it would, and a
// stop leaves nothing there that a later start would take for a run to go on with.
TEST(DownloadRun, AJobFileThatCannotBeWrittenIsToldOnceAndTheRunGoesOn) {
  test::TempDir program;
  RunRig rig(2, 2);
  rig.plan.jobFolder = program.folder();
  rig.events.onEvent = [&](const std::string& line) {
    if (line == "album 2/2") rig.Session().Flags().RequestCancel();
  };
  test::WithFileSizeLimit(256, [&] {  // the pictures fit, the job file and its journal lines do not
    rig.Run();
    return true;
  });
  EXPECT_EQ(rig.events.Lines("job file"), std::vector<std::string>{"job file unwritable " + program.file("job.albatrix")});
  EXPECT_EQ(rig.Tally().saved, 2);
  EXPECT_EQ(test::FolderEntries(program.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace albatrix
