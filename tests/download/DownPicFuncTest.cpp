#include "download/DownPicFunc.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <thread>

#include "download/RunFakes.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace albatrix {
namespace {

using test::EngineRig;
using test::T;
using test::TempDir;
using test::WaitFor;

// Picture jobs into one folder, run by the workers of a session of their own.
struct WorkerRig : EngineRig {
  TempDir dir;
  std::vector<PictureJob> jobs;
  void Add(const Text& entry, const Text& fileName, const Text& header = Text()) {
    jobs.push_back({entry, dir.folder(), fileName, header, 1});
  }
  void AddPictures(int n, const std::string& body = "picture") {
    for (int i = 0; i < n; ++i) {
      std::string url = "http://h/" + std::to_string(i) + ".jpg";
      Add(T(url), T(std::to_string(i) + ".jpg"));
      bodies[url] = body;
    }
  }
  void Run(std::uint16_t threads) {
    plan.limits.threads = threads;
    results = RunPictureJobs(NewSession(), jobs);
  }
  // How each picture job ended.
  std::vector<PictureOutcome> Outcomes() const {
    std::vector<PictureOutcome> outcomes;
    for (const PictureResult& result : results) outcomes.push_back(result.outcome);
    return outcomes;
  }
  std::vector<PictureResult> results;
};

TEST(DownPicFunc, FewerPicturesThanThreads) {
  WorkerRig rig;
  rig.AddPictures(3);
  rig.Run(10);
  EXPECT_EQ(rig.FetchedUrls().size(), 3u);
  EXPECT_EQ(rig.events.Last("ended"), "ended 3/3");
  EXPECT_EQ(test::FolderEntries(rig.dir.path()), (std::vector<std::string>{"0.jpg", "1.jpg", "2.jpg"}));
  EXPECT_EQ(rig.Outcomes(), std::vector<PictureOutcome>(3, PictureOutcome::Saved));
  EXPECT_EQ(rig.events.PictureEnds(), (std::vector<std::pair<std::size_t, PictureOutcome>>{
                                          {0, PictureOutcome::Saved}, {1, PictureOutcome::Saved}, {2, PictureOutcome::Saved}}));
}

TEST(DownPicFunc, NeverMoreFetchesInFlightThanThreads) {
  WorkerRig rig;
  rig.AddPictures(40);
  std::mutex mutex;
  std::condition_variable changed;
  int inFlight = 0;
  int most = 0;
  auto inner = rig.plan.fetch;
  rig.plan.fetch = [&](UrlRequest& request, UrlResponse& response, unsigned options) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      most = std::max(most, ++inFlight);
      changed.notify_all();
      // Hold the fetch until the pool is full (or a moment has passed, for the album's tail).
      changed.wait_for(lock, std::chrono::milliseconds(100), [&] { return inFlight >= 5; });
    }
    bool ok = inner(request, response, options);
    std::lock_guard<std::mutex> lock(mutex);
    --inFlight;
    return ok;
  };
  rig.Run(5);
  EXPECT_EQ(most, 5);
  EXPECT_EQ(rig.FetchedUrls().size(), 40u);
  auto counts = rig.events.Lines("ended");
  ASSERT_FALSE(counts.empty());
  EXPECT_EQ(counts.back(), "ended 40/40");
  // Reported only when the count changed: no count twice in a row.
  for (std::size_t i = 1; i < counts.size(); ++i) EXPECT_NE(counts[i], counts[i - 1]);
  EXPECT_EQ(test::FolderEntries(rig.dir.path()).size(), 40u);
}

// Fetches slower than the supervisor's cancel poll: the progress text still comes only when a job ends.
TEST(DownPicFunc, SlowFetchesShowNoProgressBeforeAJobEnds) {
  WorkerRig rig;
  rig.AddPictures(2);
  auto inner = rig.plan.fetch;
  rig.plan.fetch = [&](UrlRequest& request, UrlResponse& response, unsigned options) {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));  // a slow server
    return inner(request, response, options);
  };
  rig.Run(1);
  EXPECT_EQ(rig.events.Lines("ended"), (std::vector<std::string>{"ended 1/2", "ended 2/2"}));
}

TEST(DownPicFunc, RequestCarriesTheRunsLimits) {
  WorkerRig rig;
  rig.Add(u"http://h/a.jpg", u"a.jpg", u"Referer: http://h/");
  rig.plan.limits = {3, 7, 1, 12};
  std::vector<UrlRequest> seen;
  std::vector<unsigned> options;
  rig.plan.fetch = [&](UrlRequest& request, UrlResponse& response, unsigned o) {
    seen.push_back(request);
    options.push_back(o);
    response.body = "x";
    return true;
  };
  rig.Run(1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].url, u"http://h/a.jpg");
  EXPECT_EQ(seen[0].extraHeaders, u"Referer: http://h/");
  EXPECT_EQ(seen[0].targetFile, rig.dir.folder() + u"a.jpg");
  EXPECT_EQ(seen[0].readTimeoutMs, 12000u);
  EXPECT_EQ(seen[0].connectTimeoutMs, 20000u);
  EXPECT_EQ(seen[0].minSizeK, 3);
  EXPECT_EQ(seen[0].maxSizeK, 7);
  EXPECT_EQ(seen[0].attempts, 1);
  EXPECT_NE(seen[0].abort, nullptr);
  EXPECT_EQ(options[0], FETCH_ALLOW_CACHE | FETCH_NO_RELOAD);
}

TEST(DownPicFunc, EmptyReplyTriesTheAlternativeOnce) {
  WorkerRig rig;
  rig.Add(u"http://h/a.jpg\r\nhttp://h/b.jpg", u"a.jpg");
  rig.Add(u"http://h/c.jpg", u"c.jpg");
  rig.bodies["http://h/b.jpg"] = "from b";
  rig.Run(1);
  EXPECT_EQ(rig.FetchedUrls(), (std::vector<std::string>{"http://h/a.jpg", "http://h/b.jpg", "http://h/c.jpg", ""}));
  EXPECT_EQ(test::ReadWholeFile(rig.dir.file("a.jpg")), "from b");
  EXPECT_EQ(test::FolderEntries(rig.dir.path()), std::vector<std::string>{"a.jpg"});
  EXPECT_EQ(rig.Outcomes(), (std::vector<PictureOutcome>{PictureOutcome::Saved, PictureOutcome::Failed}));
}

// How a job ends tells a picture left out by the size limits from a lost one, and keeps the reason. An
// empty alternative address tells nothing new, so the first reply's reason stands.
TEST(DownPicFunc, EachJobSaysHowItEnded) {
  WorkerRig rig;
  rig.Add(u"http://h/small.jpg", u"1.jpg");
  rig.Add(u"http://h/gone.jpg", u"2.jpg");
  rig.Add(u"http://h/slow.jpg\r\nhttp://h/html.jpg", u"3.jpg");
  rig.Add(u"http://h/disk.jpg", u"4.jpg");
  rig.Add(u"http://h/quiet.jpg", u"5.jpg");
  rig.refusals["http://h/small.jpg"] = FetchFailure::SizeLimit;
  rig.refusals["http://h/slow.jpg"] = FetchFailure::Timeout;
  rig.refusals["http://h/html.jpg"] = FetchFailure::NotPicture;
  rig.refusals["http://h/disk.jpg"] = FetchFailure::CannotWrite;
  rig.refusals["http://h/quiet.jpg"] = FetchFailure::None;  // a fetcher that names no reason
  rig.Run(2);
  std::vector<std::string> ended;
  for (const PictureResult& r : rig.results) {
    ended.push_back(std::to_string(static_cast<int>(r.outcome)) + " " + TextToUtf8(r.reason));
  }
  const auto failed = std::to_string(static_cast<int>(PictureOutcome::Failed)) + " ";
  EXPECT_EQ(ended, (std::vector<std::string>{std::to_string(static_cast<int>(PictureOutcome::LeftOut)) + " ",
                                             failed + "HTTP 404", failed + "not a picture",
                                             failed + "cannot write the file", failed + "nothing received"}));
}

TEST(DownPicFunc, ErrorRaisedByTheFetcherStillFinishesTheJob) {
  WorkerRig rig;
  rig.AddPictures(4);
  auto inner = rig.plan.fetch;
  rig.plan.fetch = [&](UrlRequest& request, UrlResponse& response, unsigned options) -> bool {
    if (request.url == u"http://h/1.jpg") throw std::runtime_error("broken");
    return inner(request, response, options);
  };
  rig.Run(2);
  EXPECT_EQ(rig.events.Last("ended"), "ended 4/4");
  EXPECT_EQ(test::FolderEntries(rig.dir.path()), (std::vector<std::string>{"0.jpg", "2.jpg", "3.jpg"}));
}

TEST(DownPicFunc, WorkersThatCannotStart) {
  {
    WorkerRig rig;
    rig.AddPictures(4);
    rig.plan.startThread = [](std::thread&, std::function<void()>) { return false; };
    rig.Run(3);
    EXPECT_TRUE(rig.FetchedUrls().empty());
    EXPECT_EQ(rig.events.Last("ended"), "ended 4/4");
    }
  {
    WorkerRig rig;
    rig.AddPictures(6);
    int starts = 0;
    rig.plan.startThread = [&starts](std::thread& thread, std::function<void()> body) {
      if (++starts > 1) return false;
      return StartThread(thread, std::move(body));
    };
    rig.Run(3);
    EXPECT_EQ(rig.FetchedUrls().size(), 6u);  // the one worker that started did every job
    EXPECT_EQ(rig.events.Last("ended"), "ended 6/6");
  }
}

TEST(DownPicFunc, NothingToDo) {
  WorkerRig rig;
  rig.Run(5);
  EXPECT_TRUE(rig.events.Lines().empty());
}

// A cancel during a fetch that never ends by itself: the supervisor leaves, the fetch in flight is
// abandoned, no further job starts, and every worker has ended when the jobs return.
TEST(DownPicFunc, CancelAbandonsFetchesInFlightAndWaitsForTheWorkers) {
  WorkerRig rig;
  rig.AddPictures(20);
  std::atomic<int> inFlight{0};
  std::atomic<bool> stuckStarted{false};
  auto inner = rig.plan.fetch;
  rig.plan.fetch = [&](UrlRequest& request, UrlResponse& response, unsigned options) {
    ++inFlight;
    bool ok = false;
    if (request.url == u"http://h/2.jpg") {
      stuckStarted = true;
      // A stalled server: only the abort flag ends this.
      while (!request.abort->load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      response.body.clear();
    } else {
      ok = inner(request, response, options);
    }
    --inFlight;
    return ok;
  };
  std::atomic<bool> returned{false};
  std::thread supervisor([&] {
    rig.Run(1);
    EXPECT_EQ(inFlight.load(), 0);  // no worker is still fetching
    returned = true;
  });
  ASSERT_TRUE(WaitFor([&] { return stuckStarted.load(); }));
  EXPECT_TRUE(rig.Session().Flags().RequestCancel());
  EXPECT_TRUE(WaitFor([&] { return returned.load(); }, std::chrono::seconds(3)));
  supervisor.join();
  // Pictures 0 and 1 were complete before the cancel and stay; 2 was abandoned; nothing after it ran.
  EXPECT_EQ(test::FolderEntries(rig.dir.path()), (std::vector<std::string>{"0.jpg", "1.jpg"}));
  EXPECT_EQ(rig.FetchedUrls(), (std::vector<std::string>{"http://h/0.jpg", "http://h/1.jpg"}));
  // Pictures 0 and 1 saved, 2 abandoned, the rest never taken: the cancel makes no failures.
  std::vector<PictureOutcome> expected(20, PictureOutcome::NotTried);
  expected[0] = expected[1] = PictureOutcome::Saved;
  expected[2] = PictureOutcome::Cancelled;
  EXPECT_EQ(rig.Outcomes(), expected);
}

}  // namespace
}  // namespace albatrix
