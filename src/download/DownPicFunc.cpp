#include "download/DownPicFunc.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "MyCode/Trace.h"

namespace albatrix {
namespace {

// How often the supervisor looks at the cancel flag while no worker ends: a stalled picture must not
// hold a cancel for its whole time-out.
constexpr auto kCancelPoll = std::chrono::milliseconds(50);

constexpr std::uint32_t kWorkerConstructTimeoutMs = 20000;

bool CancelSeen(const RunFlags& flags) {
  return flags.CancelRaised() || flags.State() == RUN_CANCEL;
}

bool Raised(const std::atomic<bool>* abort) { return abort && abort->load(); }

// What a fetch that left no file means for the picture.
PictureResult Unsaved(const UrlResponse& response, const std::atomic<bool>* abort) {
  if (Raised(abort) || response.failure == FetchFailure::Cancelled)
    return MakePictureResult(PictureOutcome::Cancelled, u"cancelled");
  if (response.failure == FetchFailure::SizeLimit) return MakePictureResult(PictureOutcome::LeftOut);
  // A fetcher that gives no reason still gave no picture.
  if (response.failure == FetchFailure::None)
    return MakePictureResult(PictureOutcome::Failed, u"nothing received", FetchFailure::Network);
  return MakePictureResult(PictureOutcome::Failed, DescribeFetchFailure(response), response.failure,
                           response.httpStatus, response.retryAfterSeconds);
}

// The jobs of one pool and what the workers and the supervisor share about them.
struct PoolJobs {
  std::vector<PictureJob> jobs;
  std::vector<PictureResult> results;  // slot i written only by the worker that took job i
  std::atomic<std::size_t> next{0};
  std::atomic<bool> abort{false};
  std::mutex mutex;
  std::int32_t finished = 0;  // jobs that have ended, under the mutex
  std::condition_variable jobEnded;
};

// A worker of the pool: takes the next job until none is left or the album is abandoned. The interlocked
// count is its last action for every job, whatever the job's outcome.
void WorkerLoop(RunSession& session, PoolJobs& pool) {
  const std::size_t n = pool.jobs.size();
  while (!pool.abort.load()) {
    std::size_t i = pool.next.fetch_add(1);
    if (i >= n) break;
    PictureResult& result = pool.results[i];
    try {
      result = DownloadPicture(session, pool.jobs[i], &pool.abort);
    } catch (const std::exception& e) {
      Trace(std::string("picture job ended by an error: ") + e.what());
      result = MakePictureResult(PictureOutcome::Failed, Utf8ToText(std::string("error: ") + e.what()));
    }
    session.Events().PictureEnded(i, result);
    {
      std::lock_guard<std::mutex> lock(pool.mutex);
      ++pool.finished;
    }
    pool.jobEnded.notify_one();
  }
}

}  // namespace

PictureResult DownloadPicture(RunSession& session, const PictureJob& job, const std::atomic<bool>* abort) {
  const Text& entry = job.entry;
  Text address = entry;
  Text alternative;
  std::size_t crlf = entry.find(u"\r\n");
  if (crlf != Text::npos) {
    address = entry.substr(0, crlf);
    alternative = entry.substr(crlf + 2);
  }
  // The name was cleaned when it was given, so it never leads out of the album folder.
  const Text target = job.folder + job.fileName;
  if (const std::optional<Text> kept = session.Journal().WholeAs(target, address)) {
    Trace("picture already whole on disk, not fetched again: " + TextToUtf8(job.folder + *kept));
    PictureResult result = MakePictureResult(PictureOutcome::Saved);
    if (*kept != job.fileName) result.keptName = *kept;
    return result;
  }
  UrlRequest request(Text(), Text(), kWorkerConstructTimeoutMs);
  request.url = address;
  request.extraHeaders = job.requestHeader;
  request.targetFile = target;
  const DownloadLimits& limits = session.Plan().limits;
  request.readTimeoutMs = static_cast<std::uint32_t>(limits.timeoutSeconds) * 1000u;
  request.minSizeK = limits.minKB;
  request.maxSizeK = limits.maxKB;
  request.abort = abort;
  request.pacer = &session.Pacer();

  const FetchFn& fetch = session.Plan().fetch;
  const unsigned options = FETCH_ALLOW_CACHE | FETCH_NO_RELOAD;
  // A picture streams to its file, so the fetch's result, not the body, says whether it came.
  auto fetchOnce = [&](UrlResponse& response) {
    return fetch ? fetch(request, response, options) : Fetch(request, response, options);
  };
  auto saved = [&]() -> PictureResult {
    session.Journal().PictureSaved(job.albumPosition, job.folder, job.fileName, address);
    return MakePictureResult(PictureOutcome::Saved);
  };
  UrlResponse response;
  if (fetchOnce(response)) return saved();
  if (Raised(abort)) return Unsaved(response, abort);
  request.url = alternative;
  UrlResponse second;
  if (fetchOnce(second)) return saved();
  // A fetch of no address at all tells nothing about the picture: the first reply's reason stands.
  return Unsaved(alternative.empty() ? response : second, abort);
}

// A fixed pool of `threads` workers pulling jobs from a shared index, instead of a fresh thread per
// picture: what can be observed is the same (at most `threads` fetches in flight, a job counted as
// finished when it ends, progress after each end), and an album of thousands of small pictures does not
// pay for thousands of thread starts.
std::vector<PictureResult> RunPictureJobs(RunSession& session, std::vector<PictureJob> jobs) {
  const RunFlags& flags = session.Flags();
  const RunPlan& plan = session.Plan();
  PoolJobs pool;
  pool.jobs = std::move(jobs);
  const std::size_t n = pool.jobs.size();
  pool.results.resize(n);
  const std::size_t w = std::min<std::size_t>(plan.limits.threads, n);
  if (w == 0) return std::move(pool.results);

  const auto started = std::chrono::steady_clock::now();

  std::vector<std::thread> workers;
  workers.reserve(w);
  for (std::size_t k = 0; k < w; ++k) {
    std::thread thread;
    auto body = [&session, &pool] { WorkerLoop(session, pool); };
    bool ok = plan.startThread ? plan.startThread(thread, body) : StartThread(thread, body);
    if (ok) {
      workers.push_back(std::move(thread));
    } else {
      Trace("worker " + std::to_string(k) + " could not start");
    }
  }
  if (workers.empty()) {
    // Nobody can fetch: every job ends unfetched, so the album still finishes.
    std::lock_guard<std::mutex> lock(pool.mutex);
    pool.finished = static_cast<std::int32_t>(n);
  }

  std::int64_t shown = static_cast<std::int64_t>(n) + 1;
  std::int32_t seen = 0;  // the first text comes when the first job ends
  std::unique_lock<std::mutex> lock(pool.mutex);
  for (;;) {
    // A poll that saw neither an ended job nor a cancel shows nothing: the first text comes when a
    // worker ends.
    if (!pool.jobEnded.wait_for(lock, kCancelPoll,
                                [&] { return pool.finished != seen || CancelSeen(flags); })) {
      continue;
    }
    if (CancelSeen(flags)) break;
    const std::int32_t done = pool.finished;
    const bool allDone = static_cast<std::size_t>(done) >= n;
    // Pool workers take their next job without waiting for this loop, so several jobs can end between
    // two wake-ups; every count is still shown once, in order, as a supervisor that hands out each job
    // itself would show it.
    for (std::int32_t count = seen + 1; count <= done; ++count) {
      if (count == shown) continue;
      lock.unlock();
      session.Events().PicturesEnded(static_cast<std::size_t>(count), n);
      lock.lock();
      shown = count;
    }
    seen = done;
    if (allDone) break;
  }
  lock.unlock();

  // Workers still busy after a cancel abandon their fetch (which leaves no file) and take no further
  // job; the list stays theirs until they have ended.
  pool.abort = true;
  for (std::thread& worker : workers) worker.join();

  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started);
  Trace("album downloaded: " + std::to_string(seconds.count()) + " s, " + std::to_string(n) + " pictures");
  return std::move(pool.results);
}

std::vector<PictureResult> DownPicFunc(RunSession& session) {
  PictureList& pictures = session.Album().Pictures();
  std::vector<PictureJob> jobs;
  jobs.reserve(pictures.size());
  for (std::size_t i = 0; i < pictures.size(); ++i)
    jobs.push_back({pictures.url(i), pictures.folder(), pictures.fileName(i), pictures.requestHeader(i),
                    session.Album().Position()});
  std::vector<PictureResult> results = RunPictureJobs(session, std::move(jobs));
  // A picture whole under the name an earlier format fix gave it keeps that name in the list.
  for (std::size_t i = 0; i < results.size() && i < pictures.size(); ++i)
    if (!results[i].keptName.empty()) pictures.SetFileName(i, results[i].keptName);
  return results;
}

}  // namespace albatrix
