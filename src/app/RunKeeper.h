// The window's run thread (a download, a batch of job files or a picture list export, one at a time)
// and what the last run left: its session, which the retry of its failures starts from, or a batch's
// sum. A stop may come from any thread (a Ctrl-C asks from its own).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "download/RunSession.h"

namespace albatrix {

class RunKeeper {
 public:
  RunKeeper() = default;
  RunKeeper(const RunKeeper&) = delete;
  RunKeeper& operator=(const RunKeeper&) = delete;
  // Joins the run thread; a stop must have been asked before, or this waits for the run to end.
  ~RunKeeper() { Wait(); }

  // Starts `body` on the run thread with the stop lowered. False, and nothing runs, when the thread
  // could not start. Only once the last run thread has been waited for.
  bool Start(std::function<void()> body);
  // Waits until the run thread (if any) has ended.
  void Wait();

  // A session over `plan` reporting to `events`, replacing the last one. A member of a batch leaves the
  // batch's sum to come (EndBatch); any other session is the last run from now on. On the run thread, or
  // before Start.
  RunSession& NewSession(RunPlan plan, RunEvents& events, bool batchMember = false);
  // The batch has ended with `sum`: LastTally says it from now on.
  void EndBatch(const RunTally& sum);

  // What a stop did: whether it was the first since Start (the caller then also stops a listing a batch
  // may be at), and whether it reached a run that was still going.
  struct Stopped {
    bool first = false;
    bool runAsked = false;
  };
  // Raises the stop of a batch or an export and asks the current session's run to cancel.
  Stopped Stop();
  bool StopRaised() const { return stop_.load(); }
  // The stop as a flag for requests and waits that watch one (an export's album pages).
  const std::atomic<bool>* StopFlag() const { return &stop_; }

  // What the last run did: a batch's sum, else the last session's tally; empty before any run. Read once
  // the run has ended.
  RunTally LastTally() const;
  bool LastWasBatch() const;
  // The last session when it was no batch's: the retry of its failures starts from it. Read once the
  // run has ended.
  const RunSession* LastSession() const;

 private:
  mutable std::mutex lock_;  // the session is replaced on one thread while a stop may come from another
  std::unique_ptr<RunSession> session_;
  std::optional<RunTally> batchSum_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace albatrix
